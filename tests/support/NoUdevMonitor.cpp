// Preloaded into one test: a system whose udev monitor cannot be set up.
struct udev;
struct udev_monitor;

extern "C" udev_monitor* udev_monitor_new_from_netlink(udev*, const char*)
{
    return nullptr;
}
