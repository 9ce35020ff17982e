"""The whole road of a first run, as a person takes it: eight Ctrl+K captures, a click box,
the interval, "Turn off with real movement", "Finished"; then ON, the cursor's path and the
clicks, a nudge that switches OFF, ON again, and closing the window."""
import subprocess
import sys
import time

import harness as h

LOCATIONS = [(70 + 45 * i, 140 + 35 * i) for i in range(8)]
CLICK_INDEX = 2  # the third location gets a click
WATCH = (40, 100, 400, 360)  # a window of the probe's own under all eight locations


def capture_locations():
    h.focus(h.CONFIG_TITLE)
    for i, (x, y) in enumerate(LOCATIONS):
        if i in (2, 5):
            h.keys("Tab")  # the focus moves on: capture works from any control
        if i == 6:
            edit = next(c for c in h.controls(h.CONFIG_TITLE).values() if c["cls"] == "Edit")
            h.click_at(edit["x"] + 5, edit["y"] + 5)  # the focus goes into the interval box
        h.move(x, y)
        h.keys("ctrl+k")
        c = h.wait_for(
            lambda: (lambda c: c if c[f"Location {i + 1}"]["checked"] else None)(
                h.controls(h.CONFIG_TITLE)), f"Location {i + 1} checked")
        h.check(c["Finished"]["enabled"] == (i == 7),
                f"after capture {i + 1} Finished is {'enabled' if i == 7 else 'disabled'}")


def path_of_cursor(seconds):
    """The distinct cursor positions over a while, each with the time it was first seen."""
    path = []
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        p = h.pointer()
        if not path or path[-1][1] != p:
            path.append((time.monotonic(), p))
            h.log(f"cursor at {p}")
        time.sleep(0.04)
    return path


def scenario(programs):
    h.write_settings(None)
    program = h.Program()
    programs.append(program)
    h.wait_for(lambda: h.shown(h.CONFIG_TITLE), "the configuration window")
    c = h.controls(h.CONFIG_TITLE)
    h.check(not c["Cancel"]["enabled"], "a first run cannot be cancelled")
    h.check(not c["Finished"]["enabled"], "Finished waits for eight locations")
    h.check(h.RUN_TITLE not in h.windows(), "the run window is not there yet")
    h.check(h.settings() == {}, "the settings key exists and is empty")

    capture_locations()
    click_box = f"Check{8 - CLICK_INDEX}"
    h.click_control(h.CONFIG_TITLE, click_box)
    edit = next(c for c in h.controls(h.CONFIG_TITLE).values() if c["cls"] == "Edit")
    h.click_at(edit["x"] + 5, edit["y"] + 5)
    h.keys("End", "shift+Home", "1")
    h.click_control(h.CONFIG_TITLE, "Turn off with real movement")
    c = h.controls(h.CONFIG_TITLE)
    h.check(c[click_box]["checked"] == 1, "the click box of location 3 is ticked")
    h.check(c["1"]["cls"] == "Edit", "the interval box shows 1")
    h.check(c["Turn off with real movement"]["checked"] == 1, "stop on movement is ticked")
    h.click_control(h.CONFIG_TITLE, "Finished")

    run = h.wait_for(lambda: h.shown(h.RUN_TITLE), "the run window")
    h.wait_for(lambda: h.CONFIG_TITLE not in h.windows(), "the configuration window to go")
    h.check(run["topmost"], "the run window stays on top")
    values = h.settings()
    expected = {f"xPos{i}": str(x) for i, (x, _) in enumerate(LOCATIONS)}
    expected.update({f"yPos{i}": str(y) for i, (_, y) in enumerate(LOCATIONS)})
    expected.update({f"clkHere{i}": "True" if i == CLICK_INDEX else "False" for i in range(8)})
    expected.update(StopMovement="True", tmeInterval="1", Installed="True",
                    ScreenLayout="0,0,1280,1024")
    h.check(values == expected, f"the settings key holds the 28 values: {values}")

    watcher = subprocess.Popen([h.LOADER, "e2e_probe.exe", "clicks", *map(str, WATCH), "40"],
                               cwd=h.BIN, stdout=subprocess.PIPE, text=True)
    h.check(watcher.stdout.readline().strip() == "ready", "the click watcher is up")
    h.click_control(h.RUN_TITLE, "OFF")
    h.wait_for(lambda: "ON" in h.controls(h.RUN_TITLE), "the button to show ON")
    path = path_of_cursor(10.5)
    visited = [p for _, p in path if p in LOCATIONS]
    h.check(visited[:9] == LOCATIONS + LOCATIONS[:1],
            f"the cursor visits the eight locations in order and starts over: {visited}")
    times = [t for t, p in path if p in LOCATIONS][:9]
    gaps = [b - a for a, b in zip(times, times[1:])]
    h.check(all(0.6 < g < 2.0 for g in gaps), f"one jump a second: {[round(g, 2) for g in gaps]}")

    # A one-pixel nudge by hand switches the cycle off within the watchdog's period.
    at = h.wait_for(lambda: (lambda p: p if p == LOCATIONS[4] else None)(h.pointer()),
                    "the cursor at location 5", timeout=12, interval=0.02)
    h.xdo("mousemove_relative", "--", 1, 0)
    nudged = time.monotonic()
    h.wait_for(lambda: "OFF" in h.controls(h.RUN_TITLE), "the button to show OFF", timeout=3)
    h.log(f"switched OFF {time.monotonic() - nudged:.2f} s after the nudge")
    h.check(h.pointer() == (at[0] + 1, at[1]), "the nudged cursor stays where the user put it")
    time.sleep(1.5)
    h.check(h.pointer() == (at[0] + 1, at[1]), "no more jumps once OFF")

    h.click_control(h.RUN_TITLE, "OFF")  # ON again: the cycle goes on with the next entry
    h.wait_for(lambda: "ON" in h.controls(h.RUN_TITLE), "the button to show ON again")
    h.wait_for(lambda: h.pointer() in LOCATIONS, "the next jump", timeout=4, interval=0.02)
    h.check(h.pointer() == LOCATIONS[5], "ON again resumes with location 6")
    h.click_control(h.RUN_TITLE, "ON")
    h.wait_for(lambda: "OFF" in h.controls(h.RUN_TITLE), "OFF by the button")

    watcher.kill()
    clicks = [line.split() for line in watcher.communicate()[0].splitlines() if line.strip()]
    downs = [(int(x), int(y)) for kind, x, y, _ in clicks if kind == "down"]
    ups = [(int(x), int(y)) for kind, x, y, _ in clicks if kind == "up"]
    h.check(downs and set(downs) == {LOCATIONS[CLICK_INDEX]} and len(downs) == len(ups),
            f"left press and release at location 3 only: {clicks}")

    run = h.windows()[h.RUN_TITLE]
    h.focus(h.RUN_TITLE)
    h.keys("alt+F4")
    program.wait_exit()
    values = h.settings()
    h.check(values.get("PrgmLocX") == str(run["x"] * 15) and
            values.get("PrgmLocY") == str(run["y"] * 15),
            f"closing stores the window's place in twips: {values.get('PrgmLocX')}, "
            f"{values.get('PrgmLocY')} for pixels {run['x']}, {run['y']}")


if __name__ == "__main__":
    sys.exit(h.main(scenario))
