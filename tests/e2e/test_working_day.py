"""A working day: settings from a bigger screen put locations on no monitor, and the session
locks. No click lands where nobody recorded, and a locked session neither moves the cursor
nor switches the cycle off."""
import subprocess
import sys
import threading
import time

import harness as h

SESSION_CHANGE, LOCK, UNLOCK = "0x2B1", "7", "8"  # WM_WTSSESSION_CHANGE, WTS_SESSION_*


class Clicks:
    """The probe's click-counting window over the screen below the tray (where a move to a
    place on no monitor ends up too), each press stamped as it arrives."""

    def __init__(self):
        self.downs = []
        self.process = subprocess.Popen(
            [h.LOADER, "e2e_probe.exe", "clicks", "0", "100", "1280", "924", "60"], cwd=h.BIN,
            stdout=subprocess.PIPE, text=True)
        h.check(self.process.stdout.readline().strip() == "ready", "the click watcher is up")
        threading.Thread(target=self._read, daemon=True).start()

    def _read(self):
        for line in self.process.stdout:
            kind, x, y, _ = line.split()
            if kind == "down":
                self.downs.append((time.monotonic(), int(x), int(y)))

    def stop(self):
        self.process.kill()
        self.process.wait()
        return self.downs


def start(programs, locations, stop_movement):
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
    return Clicks()


def off_screen(programs):
    # Every other location lies beyond this 1280 x 1024 screen; all are marked for a click.
    on = [(250 + 50 * i, 350) for i in range(4)]
    off = [(5000, 350), (-300, 350), (300, 4000), (1400, 900)]
    clicks = start(programs, [p for pair in zip(on, off) for p in pair], "True")
    path = []
    end = time.monotonic() + 13
    while time.monotonic() < end:
        p = h.pointer()
        if not path or path[-1] != p:
            path.append(p)
        time.sleep(0.05)
    h.check("ON" in h.controls(h.RUN_TITLE), "the cycle stays ON")
    visits = path[next(i for i, p in enumerate(path) if p in on):]
    h.check(len(visits) >= 6 and all(on[(on.index(a) + 1) % 4] == b
                                     for a, b in zip(visits, visits[1:]) if a in on),
            f"only the on-screen locations, in order: {path}")
    clicked = {(x, y) for _, x, y in clicks.stop()}
    h.check(clicked == set(on), f"clicks at the on-screen locations only: {clicked}")


def locked(stop_movement):
    def scenario(programs):
        spots = [(250 + 40 * i, 350) for i in range(8)]
        clicks = start(programs, spots, stop_movement)
        h.wait_for(lambda: h.pointer() in spots, "a step", timeout=4, interval=0.02)
        h.probe("send", h.RUN_TITLE, SESSION_CHANGE, LOCK)
        locked_at = time.monotonic()
        h.move(900, 700)  # the cursor on the lock screen
        time.sleep(3)
        h.check(h.pointer() == (900, 700), "nothing moves while the session is locked")
        h.check("ON" in h.controls(h.RUN_TITLE), "still ON while locked")
        unlocked_at = time.monotonic()
        h.probe("send", h.RUN_TITLE, SESSION_CHANGE, UNLOCK)
        h.wait_for(lambda: h.pointer() in spots, "a step after the unlock", timeout=4,
                   interval=0.02)
        h.check("ON" in h.controls(h.RUN_TITLE), "the lock screen's cursor switched nothing off")
        h.wait_for(lambda: [d for d in clicks.downs if d[0] > unlocked_at], "a click after it")
        downs = clicks.stop()
        h.check(not [d for d in downs if locked_at + 0.3 < d[0] < unlocked_at],
                f"no click while locked: {downs}")
        if stop_movement == "True":
            h.move(901, 700)  # a hand after the unlock switches OFF as usual
            h.wait_for(lambda: "OFF" in h.controls(h.RUN_TITLE), "OFF by a hand", timeout=3)

    scenario.__name__ = f"locked_stop_movement_{stop_movement}"
    return scenario


if __name__ == "__main__":
    sys.exit(h.main(off_screen, locked("True"), locked("False")))
