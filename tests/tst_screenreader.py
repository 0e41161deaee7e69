#!/usr/bin/python3
"""The whole wizard, walked through the accessibility bus alone, as a screen reader's
user does: every control is found by its role and accessible name, texts are set
through the EditableText interface and buttons pressed through the Action interface,
from the start screen to the completion screen, against the simulated camera and the
local cloud service. On every screen, each focusable object must have a name.

The test brings its own display server (an X server, or with --wayland a headless
Wayland compositor, the wizard then seeing no X display at all), session bus,
accessibility bus and registry, so that nothing of the machine's desktop takes part.

    tst_screenreader.py [--wayland] CAMERA_SIM WIZARD

Exits 77 (skipped) where the display server, dbus-daemon, the AT-SPI services or
python3-pyatspi are missing.
"""
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

SKIPPED = 77
LAUNCHER = "/usr/libexec/at-spi-bus-launcher"
REGISTRY = "/usr/libexec/at-spi2-registryd"
# Bounds for "eventually": generous, since each is left as soon as its wait is over.
APPEARS_WITHIN = 60.0
REGISTRY_ATTEMPTS = 4


def skip(reason):
    print(f"tst_screenreader: skipped, {reason}")
    sys.exit(SKIPPED)


def wait_for(what, condition, within):
    """Polls condition until it gives a true value, pumping AT-SPI events meanwhile."""
    deadline = time.monotonic() + within
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > deadline:
            raise AssertionError(f"{what}: not within {within:.0f} s")
        pump(0.05)


def pump(seconds):
    from gi.repository import GLib
    context = GLib.MainContext.default()
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        while context.pending():
            context.iteration(False)
        time.sleep(0.01)


class Desktop:
    """A display server, a session bus and the accessibility services of our own."""

    def __init__(self, wayland):
        self.wayland = wayland
        self.processes = []

    def start(self):
        self.runtime = tempfile.mkdtemp(prefix="ravelo-a11y-")
        os.environ["XDG_RUNTIME_DIR"] = self.runtime
        if self.wayland:
            self._start_compositor()
        else:
            display = self._read_line(["Xvfb", "-displayfd", "{fd}", "-screen", "0", "1280x1024x24", "-nolisten",
                                       "tcp", "-noreset"])
            os.environ["DISPLAY"] = ":" + display
        address = self._read_line(["dbus-daemon", "--session", "--nofork", "--print-address={fd}"])
        os.environ["DBUS_SESSION_BUS_ADDRESS"] = address
        self.processes.append(subprocess.Popen([LAUNCHER, "--launch-immediately"]))
        address = wait_for("the accessibility bus", self._accessibility_bus, APPEARS_WITHIN)
        os.environ["AT_SPI_BUS_ADDRESS"] = address
        if not self.wayland:
            # Published on the root window as a desktop's bus launcher does: Qt then joins
            # the bus as it starts, rather than after a session bus round trip it may lose.
            subprocess.run(["xprop", "-root", "-f", "AT_SPI_BUS", "8s", "-set", "AT_SPI_BUS", address], check=True)
        self.registry = None
        self.restart_registry()

    def _start_compositor(self):
        """Weston's headless back end; the wizard sees its socket and no X display."""
        os.environ.pop("DISPLAY", None)
        os.environ["WAYLAND_DISPLAY"] = "ravelo-wayland"
        self.processes.append(subprocess.Popen(
            ["weston", "--backend=headless-backend.so", "--socket=ravelo-wayland", "--idle-time=0", "--no-config"],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
        socket = os.path.join(self.runtime, "ravelo-wayland")
        wait_for("the compositor", lambda: os.path.exists(socket), APPEARS_WITHIN)

    def restart_registry(self):
        if self.registry:
            self.registry.terminate()
            self.registry.wait()
        self.registry = subprocess.Popen([REGISTRY])
        self.processes.append(self.registry)

    def stop(self):
        for process in reversed(self.processes):
            if process.poll() is None:
                process.terminate()
                try:
                    process.wait(5)
                except subprocess.TimeoutExpired:
                    process.kill()
        if getattr(self, "runtime", None):
            shutil.rmtree(self.runtime, ignore_errors=True)

    def _read_line(self, command):
        """Starts a server that writes its address to a pipe once it is ready."""
        read_end, write_end = os.pipe()
        arguments = [part.replace("{fd}", str(write_end)) for part in command]
        process = subprocess.Popen(arguments, pass_fds=(write_end,), stdout=subprocess.DEVNULL,
                                   stderr=subprocess.DEVNULL)
        os.close(write_end)
        self.processes.append(process)
        with os.fdopen(read_end) as pipe:
            line = pipe.readline().strip()
        if not line:
            raise AssertionError(f"{command[0]} did not start")
        return line

    @staticmethod
    def _accessibility_bus():
        reply = subprocess.run(["dbus-send", "--session", "--print-reply=literal", "--dest=org.a11y.Bus",
                                "/org/a11y/bus", "org.a11y.Bus.GetAddress"],
                               capture_output=True, text=True)
        return reply.stdout.strip() if reply.returncode == 0 else None


class Walkthrough:
    """Drives the wizard by role and accessible name, as assistive technology does."""

    def __init__(self, desktop, simulator, wizard):
        import pyatspi
        self.atspi = pyatspi
        self.desktop = desktop
        self.command = [simulator, wizard]
        self.wizard_name = os.path.basename(wizard)
        self.spoken = []
        self.process = None

    def run(self):
        self.atspi.Registry.registerEventListener(self._heard, "object:property-change:accessible-name")
        try:
            self._launch()
            self._walk()
            return 0
        finally:
            if self.process and self.process.poll() is None:
                self.process.terminate()
                self.process.wait(10)

    def _heard(self, event):
        self.spoken.append(event.source.name if event.source else "")

    def _launch(self):
        """Starts the wizard until the registry lists it; a registry that never lists a
        new application is started again, with the wizard."""
        environment = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", LANG="C.UTF-8", LANGUAGE="", LC_ALL="")
        # On Wayland the wizard picks its platform itself, as it does on a desktop.
        environment.pop("QT_QPA_PLATFORM", None)
        if not self.desktop.wayland:
            environment["QT_QPA_PLATFORM"] = "xcb"
        # The wizard finds the bus as on a desktop, through the root window and the
        # session bus: Qt 6.4 never registers when the address is in its environment.
        environment.pop("AT_SPI_BUS_ADDRESS", None)
        for attempt in range(REGISTRY_ATTEMPTS):
            self.process = subprocess.Popen(self.command, env=environment, stdin=subprocess.DEVNULL)
            try:
                self.app = wait_for("the wizard in the registry", self._find_wizard, APPEARS_WITHIN)
                return
            except AssertionError:
                print(f"attempt {attempt + 1}: the registry did not list the wizard; starting both again")
                self.process.terminate()
                self.process.wait(10)
                self.desktop.restart_registry()
        raise AssertionError("the wizard never appeared in the accessibility registry")

    def _find_wizard(self):
        for application in self.atspi.Registry.getDesktop(0):
            if application is not None and application.name == self.wizard_name:
                return application
        return None

    def _walk(self):
        self.press("はじめる", step=None)
        self.press("ログイン", step="ステップ 1 / 5")
        self.type(self.atspi.ROLE_TEXT, "メールアドレス", "Ravelo.User@Example.com")
        self.type(self.atspi.ROLE_PASSWORD_TEXT, "パスワード", "secret-pass1")
        self.spoken.clear()
        self.press("次へ", step="ステップ 2 / 5")
        networks = self.find(self.atspi.ROLE_LIST, "ご利用になるWi-Fiを選んでください")
        wait_for("the scan's result to be spoken", lambda: "Wi-Fiが見つかりました" in self.spoken, APPEARS_WITHIN)
        wait_for("networks in the list", lambda: networks.childCount > 0, APPEARS_WITHIN)
        self.act(networks[0], "Toggle")
        self.press("Wi-Fiに接続", step="ステップ 3 / 5")
        self.type(self.atspi.ROLE_PASSWORD_TEXT, "パスワード", "wifi-pass-123")
        self.unplug_and_plug_in_again()
        self.press("Wi-Fiに接続", step="ステップ 3 / 5")
        self.type(self.atspi.ROLE_TEXT, "カメラ名", "Living room")
        self.press("次へ", step="ステップ 4 / 5")
        self.press("完了", step="ステップ 5 / 5")
        if self.process.wait(APPEARS_WITHIN) != 0:
            raise AssertionError(f"the wizard ended with {self.process.returncode}")

    def unplug_and_plug_in_again(self):
        """The line that says the camera is gone is read out; the screen comes back."""
        gone = "カメラが外れました。USBケーブルで接続し直してください"
        button = self.find(self.atspi.ROLE_PUSH_BUTTON, "Wi-Fiに接続")
        self.spoken.clear()
        self.process.send_signal(signal.SIGUSR1)
        wait_for("the unplugged camera to be spoken", lambda: gone in self.spoken, APPEARS_WITHIN)
        wait_for("the screen to wait for the camera", lambda: not self.enabled(button), APPEARS_WITHIN)
        self.process.send_signal(signal.SIGUSR2)

    def windows(self):
        return [window for window in self.app
                if window is not None and window.getState().contains(self.atspi.STATE_SHOWING)]

    def find(self, role, name):
        def match(node):
            return node.getRole() == role and node.name == name and node.getState().contains(self.atspi.STATE_SHOWING)

        def search():
            for window in self.windows():
                found = self.atspi.findDescendant(window, match)
                if found:
                    return found
            return None
        return wait_for(f"{role} named {name!r}", search,
                        APPEARS_WITHIN)

    def enabled(self, node):
        return node.getState().contains(self.atspi.STATE_ENABLED)

    def type(self, role, name, text):
        field = self.find(role, name)
        field.queryEditableText().setTextContents(text)

    def press(self, name, step):
        button = self.find(self.atspi.ROLE_PUSH_BUTTON, name)
        wait_for(f"{name!r} to be enabled", lambda: self.enabled(button), APPEARS_WITHIN)
        self.check_names(step)
        self.act(button, "Press")

    @staticmethod
    def act(node, name):
        action = node.queryAction()
        names = [action.getName(index) for index in range(action.nActions)]
        if name not in names:
            raise AssertionError(f"{node.name!r} offers no {name} action, only {names}")
        action.doAction(names.index(name))

    def check_names(self, step):
        """Every focusable object is named; the step row is one object named by its step."""
        steps = []
        for window in self.windows():
            for node in self._descendants(window):
                state = node.getState()
                if state.contains(self.atspi.STATE_FOCUSABLE) and state.contains(self.atspi.STATE_SHOWING) \
                        and not node.name:
                    raise AssertionError(f"a focusable {node.getRoleName()} in {window.name!r} has no name")
                if node.name.startswith("ステップ"):
                    steps.append((node.name, node.childCount))
        expected = [(step, 0)] if step else []
        if steps != expected:
            raise AssertionError(f"step row: {steps}, expected {expected}")

    def _descendants(self, node):
        for child in node:
            if child is not None:
                yield child
                yield from self._descendants(child)


def main():
    arguments = sys.argv[1:]
    wayland = arguments[:1] == ["--wayland"]
    arguments = arguments[1:] if wayland else arguments
    if len(arguments) != 2:
        print(__doc__)
        return 2
    display_servers = ("weston",) if wayland else ("Xvfb", "xprop")
    for program in display_servers + ("dbus-daemon", "dbus-send"):
        if not shutil.which(program):
            skip(f"{program} is missing")
    for program in (LAUNCHER, REGISTRY):
        if not os.access(program, os.X_OK):
            skip(f"{program} is missing")
    desktop = Desktop(wayland)
    try:
        desktop.start()
        try:
            import pyatspi  # noqa: F401  (reads the buses from the environment just set)
        except ImportError:
            skip("python3-pyatspi is missing")
        return Walkthrough(desktop, *arguments).run()
    finally:
        desktop.stop()


if __name__ == "__main__":
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))
    sys.exit(main())
