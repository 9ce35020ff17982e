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
    # Under Wine without a window manager the click's focus change on the tray window can
    # reach the program just after the menu opened and close it again: click once more then.
    for attempt in range(4):
        time.sleep(0.6)  # two right-clicks within the double-click time switch ON/OFF
        h.xdo("mousemove", *icon, "click", 3)
        try:
            h.wait_for(lambda: menus() == 1, "the tray menu", timeout=2)
        except h.Failure:
            continue
        time.sleep(0.3)
        if menus() == 1:
            # The run window was made the foreground window for its menu; with no window
            # manager to hand it the keyboard, do what one would.
            h.focus(h.RUN_TITLE)
            return
        h.log(f"the menu closed at once (right-click {attempt + 1})")
    raise h.Failure("no tray menu after four right-clicks")


def tray_menu(programs):
    program = start(programs)
    icon = h.wait_for(h.tray_icon, "the tray icon")
    h.probe("move", h.RUN_TITLE, "500", "300")
    open_menu(icon)
    h.keys("Escape")
    h.wait_for(lambda: menus() == 0, "Esc to close the menu")
    open_menu(icon)
    h.keys("s")
    h.wait_for(lambda: "ON" in h.controls(h.RUN_TITLE), '"s" to switch ON')
    h.wait_for(lambda: menus() == 0, "the menu to close with its choice")
    open_menu(icon)
    h.keys("x")
    program.wait_exit()
    h.check(h.tray_icon() is None, "the icon leaves with the program")
    stored = h.settings()
    h.check((stored["PrgmLocX"], stored["PrgmLocY"]) == ("7500", "4500"),
            f'"x" ends Wandrel with its place stored: {stored}')


def pause_elsewhere(programs):
    start(programs)
    programs.append(subprocess.Popen([h.LOADER, "notepad"], cwd=h.BIN, stdout=subprocess.DEVNULL,
                                     stderr=subprocess.DEVNULL))
    h.wait_for(lambda: h.shown("Untitled - Notepad"), "another program's window")
    for caption in ("ON", "OFF"):
        h.focus("Untitled - Notepad")
        h.keys("Pause")
        h.wait_for(lambda: caption in h.controls(h.RUN_TITLE), f"Pause to switch {caption}")


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
    sys.exit(h.main(tray_menu, pause_elsewhere, off_after_a_minute))
