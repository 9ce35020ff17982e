"""A working day: settings from a bigger screen put locations on no monitor, the session
locks, the screen changes. No click lands where nobody recorded, a locked session neither
moves the cursor nor switches the cycle off, and the user's hand wins at every moment."""
import subprocess
import sys
import threading
import time

import harness as h


def start(programs, locations, stop_movement):
    """The program ON with these locations, all marked for a click, and the probe's clicks
    counted over the screen below the tray (where a move to no monitor ends up too)."""
    values = {f"xPos{i}": str(x) for i, (x, _) in enumerate(locations)}
    values.update({f"yPos{i}": str(y) for i, (_, y) in enumerate(locations)})
    values.update({f"clkHere{i}": "True" for i in range(8)})
    values.update(StopMovement=stop_movement, tmeInterval="1", Installed="True",
                  PrgmLocX="12000", PrgmLocY="9000")
    h.write_settings(values)
    programs.append(h.Program())
    h.wait_for(lambda: h.shown(h.RUN_TITLE), "the run window")
    h.click_control(h.RUN_TITLE, "OFF")
    h.wait_for(lambda: "ON" in h.controls(h.RUN_TITLE), "ON")
    watch = subprocess.Popen([h.LOADER, "e2e_probe.exe", "clicks", "0", "100", "1280", "924",
                              "60"], cwd=h.BIN, stdout=subprocess.PIPE, text=True)
    programs.append(watch)
    downs = []  # (time of arrival, x, y)
    read = lambda: downs.extend((time.monotonic(), int(f[1]), int(f[2])) for f in
                                map(str.split, watch.stdout) if f[0] == "down")
    threading.Thread(target=read, daemon=True).start()
    return downs


def off_screen(programs):
    on = [(250 + 50 * i, 350) for i in range(4)]
    off = [(5000, 350), (-300, 350), (300, 4000), (1400, 900)]  # beyond this 1280 x 1024 screen
    downs = start(programs, [p for pair in zip(on, off) for p in pair], "True")
    path = []
    for _ in range(260):  # 13 s
        if h.pointer() != (path or [None])[-1]:
            path.append(h.pointer())
        time.sleep(0.05)
    visits = path[next(i for i, p in enumerate(path) if p in on):]
    h.check(len(visits) >= 6 and all(a in on and b == on[(on.index(a) + 1) % 4]
                                     for a, b in zip(visits, visits[1:])),
            f"the on-screen locations only, in their order: {path}")
    h.check("ON" in h.controls(h.RUN_TITLE), "the cycle stays ON")
    h.check({(x, y) for _, x, y in downs} == set(on), f"clicks there only: {downs}")


def locked(stop_movement):
    def scenario(programs):
        spots = [(250 + 40 * i, 350) for i in range(8)]
        downs = start(programs, spots, stop_movement)
        h.wait_for(lambda: h.pointer() in spots, "a step", timeout=4, interval=0.02)
        h.probe("send", h.RUN_TITLE, "0x2B1", "7")  # WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK
        locked_at = time.monotonic()
        h.move(900, 700)  # the cursor on the lock screen
        time.sleep(3)
        h.check(h.pointer() == (900, 700) and "ON" in h.controls(h.RUN_TITLE),
                "nothing moves while the session is locked, and it stays ON")
        unlocked_at = time.monotonic()
        h.probe("send", h.RUN_TITLE, "0x2B1", "8")  # WTS_SESSION_UNLOCK
        h.check(not [d for d in downs if locked_at + 0.3 < d[0] < unlocked_at],
                f"no click while locked: {downs}")
        if stop_movement == "True":
            # The hand takes the mouse at once: OFF before any step can carry it off.
            h.move(905, 705)
            h.wait_for(lambda: "OFF" in h.controls(h.RUN_TITLE), "OFF by a hand", timeout=1)
            time.sleep(1.5)
            h.check(h.pointer() == (905, 705), "no step after the hand took the mouse")
        else:
            h.wait_for(lambda: [d for d in downs if d[0] > unlocked_at], "a step and its click")
            h.check("ON" in h.controls(h.RUN_TITLE), "the lock screen's cursor switched nothing off")

    scenario.__name__ = f"locked_stop_movement_{stop_movement}"
    return scenario


def screen_change(programs):
    spots = [(250 + 40 * i, 350) for i in range(8)]
    start(programs, spots, "True")
    h.wait_for(lambda: h.pointer() in spots, "a step", timeout=4, interval=0.02)
    # A monitor goes: the system puts the cursor onto what remains, up to a second after its
    # message (a move just before it cannot be played here: the probe takes longer to start
    # than the watchdog's period).
    h.probe("send", h.RUN_TITLE, "0x7E", "24")  # WM_DISPLAYCHANGE
    h.move(600, 500)
    time.sleep(0.5)
    h.move(610, 505)
    time.sleep(2.5)
    h.check("ON" in h.controls(h.RUN_TITLE), "the system's own moves switched nothing off")
    h.wait_for(lambda: h.pointer() in spots, "a step", timeout=4, interval=0.02)
    h.move(700, 600)  # a hand after that still wins before the next step
    h.wait_for(lambda: "OFF" in h.controls(h.RUN_TITLE), "OFF by a hand", timeout=1)
    time.sleep(1.5)
    h.check(h.pointer() == (700, 600), "no step after the hand took the mouse")


if __name__ == "__main__":
    sys.exit(h.main(off_screen, locked("True"), locked("False"), screen_change))
