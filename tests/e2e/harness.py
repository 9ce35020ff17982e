"""Drives the built Wandrel4.exe under Wine as a person would: the pointer and the keyboard
through xdotool, what is on the screen through the probe. Every wait polls with a deadline.

The environment comes from tools/with-wine (DISPLAY, WINEPREFIX, WINE_LOADER)."""
import os
import subprocess
import sys
import time

BIN = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else ".")
LOADER = os.environ.get("WINE_LOADER", "wine")
SETTINGS = r"HKEY_CURRENT_USER\Software\Wandrel4"
RUN_TITLE = "Wandrel 4"
CONFIG_TITLE = "Wandrel 4 Configuration"
# Where 32-bit Wine runs under an emulator every Wine process is that many times slower.
SLOW = float(os.environ.get("WANDREL_SLOW", "1"))


class Failure(AssertionError):
    pass


def log(message):
    print(f"[{time.strftime('%H:%M:%S')}] {message}", flush=True)


def check(condition, message):
    if not condition:
        raise Failure(message)
    log(f"ok: {message}")


def wait_for(condition, what, timeout=15.0, interval=0.1):
    """Polls until condition() returns something true; returns it or fails."""
    deadline = time.monotonic() + timeout * SLOW
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > deadline:
            raise Failure(f"timed out waiting for {what}")
        time.sleep(interval)


def wine(*args, timeout=10):
    """Runs a Wine command and returns what it printed; tried again if it hangs."""
    for attempt in (1, 2, 3):
        try:
            result = subprocess.run([LOADER, *args], cwd=BIN, capture_output=True, text=True,
                                    timeout=timeout * SLOW)
            return result.stdout.replace("\r", "")
        except subprocess.TimeoutExpired:
            log(f"{args[0]} did not answer within {timeout} s (attempt {attempt})")
    raise Failure(f"{args} did not answer")


def probe(*args):
    return [line for line in wine(os.path.join(BIN, "e2e_probe.exe"), *args).split("\n") if line]


def windows():
    """Top-level windows by title: dict(x, y, w, h, visible, topmost)."""
    found = {}
    for line in probe("windows"):
        parts = line.rsplit("|", 6)
        if len(parts) == 7:
            title, x, y, w, h, visible, topmost = parts
            found.setdefault(title, dict(x=int(x), y=int(y), w=int(w), h=int(h),
                                         visible=visible == "1", topmost=topmost == "1"))
    return found


def shown(title):
    window = windows().get(title)
    return window if window and window["visible"] else None


def controls(title):
    """The controls of a window by their text: dict(cls, x, y, w, h, enabled, checked)."""
    found = {}
    for line in probe("children", title):
        parts = line.rsplit("|", 7)
        if len(parts) == 8:
            text, cls, x, y, w, h, enabled, checked = parts
            found[text] = dict(cls=cls, x=int(x), y=int(y), w=int(w), h=int(h),
                               enabled=enabled == "1", checked=int(checked))
    return found


def settings():
    """The settings key as name -> text (REG_SZ only), or None when there is no key."""
    lines = probe("settings")
    if lines == ["(no key)"]:
        return None
    values = {}
    for line in lines:
        name, kind, data = line.split("|", 2)
        values[name] = data if kind == "1" else (int(kind), data)
    return values


def write_settings(values):
    """Replaces the settings key by these REG_SZ values (None: no key at all)."""
    wine("reg", "delete", SETTINGS, "/f")
    if values is None:
        return
    path = os.path.join(BIN, "e2e-settings.reg")
    with open(path, "w", newline="\r\n") as f:
        f.write("REGEDIT4\n\n[" + SETTINGS + "]\n")
        for name, text in values.items():
            escaped = text.replace("\\", "\\\\").replace('"', '\\"')
            f.write(f'"{name}"="{escaped}"\n')
    wine("regedit", "/s", "e2e-settings.reg")
    os.remove(path)


def xdo(*args):
    return subprocess.run(["xdotool", *map(str, args)], capture_output=True, text=True,
                          timeout=30).stdout


def pointer():
    fields = dict(part.split(":") for part in xdo("getmouselocation").split())
    return int(fields["x"]), int(fields["y"])


def move(x, y):
    xdo("mousemove", x, y)


def click_at(x, y):
    xdo("mousemove", x, y, "click", 1)


def click_control(title, text):
    c = controls(title)[text]
    click_at(c["x"] + c["w"] // 2, c["y"] + c["h"] // 2)


def focus(title):
    """Gives the keyboard focus to a window, as clicking into it would (pointer stays)."""
    ids = wait_for(lambda: xdo("search", "--name", f"^{title}$").split(), f"X window {title}")
    xdo("windowfocus", ids[0])


def keys(*names):
    xdo("key", *names)


def close_window(title):
    """Clicks the window's caption, as a person does before pressing Alt+F4, and closes it."""
    w = windows()[title]
    click_at(w["x"] + w["w"] // 3, w["y"] + 6)
    keys("alt+F4")


TRAY_TITLE = "Wine System Tray"


def tray_icon():
    """Where the first icon of the notification area is on the screen, or None when the
    notification area shows no icon."""
    ids = xdo("search", "--onlyvisible", "--name", f"^{TRAY_TITLE}$").split()
    if not ids or not shown(TRAY_TITLE):
        return None
    lines = probe("client", TRAY_TITLE)
    if not lines:
        return None
    x, y, w, h = map(int, lines[0].split("|"))
    return (x + 10, y + 10) if w > 0 and h > 0 else None


class Program:
    """Wandrel4.exe running under Wine."""

    def __init__(self, exe=None):
        exe = exe or os.path.join(BIN, "Wandrel4.exe")
        self.process = subprocess.Popen([LOADER, exe], cwd=os.path.dirname(exe),
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def running(self):
        return self.process.poll() is None

    def wait_exit(self, timeout=15):
        wait_for(lambda: not self.running(), "the program to end", timeout)

    def kill(self):
        if self.running():
            self.process.kill()
            self.process.wait()


def main(*scenarios):
    """Runs the scenarios one after another; prints the closing line ctest reads and returns
    the exit code."""
    passed = failed = 0
    for scenario in scenarios:
        programs = []
        log(f"== {scenario.__name__}")
        try:
            scenario(programs)
            passed += 1
        except Exception as error:  # the scenario's failure, reported as such
            log(f"FAILED: {scenario.__name__}: {error}")
            failed += 1
        finally:
            for program in programs:
                program.kill()
    print(f"{passed} passed, {failed} failed")
    return 1 if failed else 0
