"""A normal run: the saved settings come back, the window opens where it was closed, a
moved window is stored where it was left, and the next start opens it there."""
import sys
import time

import harness as h

LOCATIONS = [(500 + 25 * i, 600 - 20 * i) for i in range(8)]


def saved_settings(**extra):
    values = {f"xPos{i}": str(x) for i, (x, _) in enumerate(LOCATIONS)}
    values.update({f"yPos{i}": str(y) for i, (_, y) in enumerate(LOCATIONS)})
    values.update({f"clkHere{i}": "False" for i in range(8)})
    values.update(StopMovement="True", tmeInterval="1", Installed="True")
    values.update(extra)
    return values


def start(programs):
    program = h.Program()
    programs.append(program)
    return program, h.wait_for(lambda: h.shown(h.RUN_TITLE), "the run window")


def scenario(programs):
    h.write_settings(saved_settings(PrgmLocX="3000", PrgmLocY="4500"))
    program, run = start(programs)
    h.check((run["x"], run["y"]) == (200, 300), f"the window opens at its saved place: {run}")
    h.check(h.CONFIG_TITLE not in h.windows(), "a normal run shows no configuration window")
    h.check("OFF" in h.controls(h.RUN_TITLE), "the cycle starts OFF")
    h.move(900, 900)
    time.sleep(1.5)
    h.check(h.pointer() == (900, 900), "nothing moves while OFF")

    h.click_control(h.RUN_TITLE, "OFF")
    h.wait_for(lambda: h.pointer() == LOCATIONS[0], "the first saved location", timeout=4,
               interval=0.02)
    h.wait_for(lambda: h.pointer() == LOCATIONS[1], "the second saved location", timeout=4,
               interval=0.02)
    h.click_control(h.RUN_TITLE, "ON")
    h.wait_for(lambda: "OFF" in h.controls(h.RUN_TITLE), "OFF again")

    # The user drags the window by its caption to another place.
    h.xdo("mousemove", run["x"] + 30, run["y"] + 7, "mousedown", 1)
    for step in range(1, 6):
        h.xdo("mousemove", run["x"] + 30 + 24 * step, run["y"] + 7 + 16 * step)
        time.sleep(0.05)
    h.xdo("mouseup", 1)
    moved = h.wait_for(lambda: (lambda w: w if (w["x"], w["y"]) != (200, 300) else None)(
        h.windows()[h.RUN_TITLE]), "the window to move")
    h.log(f"window dragged to {moved['x']}, {moved['y']}")
    h.close_window(h.RUN_TITLE)
    program.wait_exit()
    values = h.settings()
    h.check(values.get("PrgmLocX") == str(moved["x"] * 15) and
            values.get("PrgmLocY") == str(moved["y"] * 15),
            f"the new place is stored: {values.get('PrgmLocX')}, {values.get('PrgmLocY')}")
    h.check(len(values) == 29, "the settings are kept besides the place")

    program, run = start(programs)
    h.check((run["x"], run["y"]) == (moved["x"], moved["y"]), "the next start opens it there")
    h.close_window(h.RUN_TITLE)
    program.wait_exit()


if __name__ == "__main__":
    sys.exit(h.main(scenario))
