"""At the user's fingertips: the tray icon's right-click menu and its keys, the Pause key
pressed in another program's window, and a cycle that switches itself off after a time."""
import subprocess
import sys
import time

import harness as h


def start(programs, **extra):
    values = {f"{name}{i}": v for i in range(8) for name, v in
              (("xPos", str(300 + 20 * i)), ("yPos", "500"), ("clkHere", "False"))}
    values.update(StopMovement="False", tmeInterval="0", Installed="True",
                  PrgmLocX="9000", PrgmLocY="3000", **extra)
    h.write_settings(values)
    program = h.Program()
    programs.append(program)
    h.wait_for(lambda: h.shown(h.RUN_TITLE), "the run window")
    return program


def menus():
    return int((h.probe("menus") or ["0"])[0])


def open_menu(icon):
    # Without a window manager the tray window's focus change can close the menu just after
    # it opened: click again then.
    for attempt in range(4):
        time.sleep(0.6)  # two right-clicks within the double-click time switch ON/OFF
        h.xdo("mousemove", *icon, "click", 3)
        try:
            h.wait_for(lambda: menus() == 1, "the tray menu", timeout=2)
            time.sleep(0.3)
        except h.Failure:
            pass
        if menus() == 1:
            h.focus(h.RUN_TITLE)  # the keyboard goes where no window manager hands it
            return
        h.log(f"the menu closed at once (right-click {attempt + 1})")
    raise h.Failure("no tray menu after four right-clicks")


def tray_menu_and_pause(programs):
    program = start(programs)
    icon = h.wait_for(h.tray_icon, "the tray icon")
    h.probe("move", h.RUN_TITLE, "500", "300")
    for key, done, what in (("Escape", lambda: True, "Esc closes it"),
                            ("s", lambda: "ON" in h.controls(h.RUN_TITLE), '"s" switches ON')):
        open_menu(icon)
        h.keys(key)
        h.wait_for(lambda: menus() == 0 and done(), what)
    notepad = subprocess.Popen([h.LOADER, "notepad"], cwd=h.BIN, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
    programs.append(notepad)
    h.wait_for(lambda: h.shown("Untitled - Notepad"), "another program's window")
    for caption in ("OFF", "ON"):
        h.focus("Untitled - Notepad")
        h.keys("Pause")
        h.wait_for(lambda: caption in h.controls(h.RUN_TITLE), f"Pause to switch {caption}")
    notepad.kill()  # it covers the tray window
    h.wait_for(lambda: not h.shown("Untitled - Notepad"), "the other program to end")
    open_menu(icon)
    h.keys("x")
    program.wait_exit()
    h.check(h.tray_icon() is None, "the icon leaves with the program")
    stored = h.settings()
    h.check((stored["PrgmLocX"], stored["PrgmLocY"]) == ("7500", "4500"),
            f'"x" ends Wandrel with its place stored: {stored}')


def off_after_a_minute(programs):
    start(programs, OffAfterMinutes="1")
    on_at = time.monotonic()
    h.click_control(h.RUN_TITLE, "OFF")
    h.wait_for(lambda: "ON" in h.controls(h.RUN_TITLE), "ON")
    h.wait_for(lambda: "OFF" in h.controls(h.RUN_TITLE), "the cycle to switch itself off",
               timeout=80, interval=0.5)
    took = time.monotonic() - on_at
    h.check(took >= 60, f"OFF a minute after ON, not before: {took:.1f} s")


if __name__ == "__main__":
    sys.exit(h.main(tray_menu_and_pause, off_after_a_minute))
