#include "UsbLog.h"

Q_LOGGING_CATEGORY(lcUsb, "ravelo.usb")
