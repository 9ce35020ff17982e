#!/usr/bin/env python3
"""A short demonstration of Wandrel's main job on a virtual display, as a person would do it:
records eight locations with Ctrl+K, ticks a click box, sets the interval to 1, presses
"Finished", switches ON, and prints where the cursor goes. Saves a screenshot at the end."""
import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
import harness as h  # noqa: E402

LOCATIONS = [(200 + 110 * (i % 4), 250 + 160 * (i // 4)) for i in range(8)]


def say(text):
    print(f"demo {time.strftime('%H:%M:%S')} {text}", flush=True)


def demo(screenshot):
    h.log = lambda message: None  # the demonstration speaks for itself
    start = time.monotonic()
    h.write_settings(None)
    program = h.Program()
    try:
        h.wait_for(lambda: h.shown(h.CONFIG_TITLE), "the configuration window", timeout=60)
        say("first run: the configuration window is open")
        h.focus(h.CONFIG_TITLE)
        for i, (x, y) in enumerate(LOCATIONS):
            h.move(x, y)
            h.keys("ctrl+k")
            h.wait_for(lambda: h.controls(h.CONFIG_TITLE)[f"Location {i + 1}"]["checked"],
                       f"Location {i + 1}")
            say(f"pointed at ({x}, {y}) and pressed Ctrl+K: Location {i + 1} recorded")
        h.click_control(h.CONFIG_TITLE, "Check6")
        say("ticked the click box of Location 3")
        edit = next(c for c in h.controls(h.CONFIG_TITLE).values() if c["cls"] == "Edit")
        h.click_at(edit["x"] + 5, edit["y"] + 5)
        h.keys("End", "shift+Home", "1")
        say("set the jump interval to 1 second")
        h.click_control(h.CONFIG_TITLE, "Finished")
        h.wait_for(lambda: h.shown(h.RUN_TITLE), "the run window")
        say("pressed Finished: the settings are saved and the run window is shown")
        h.click_control(h.RUN_TITLE, "OFF")
        h.wait_for(lambda: "ON" in h.controls(h.RUN_TITLE), "ON")
        on = time.monotonic()
        say("pressed ON; the cursor now goes:")
        last = None
        while time.monotonic() - on < 9.6:
            p = h.pointer()
            if p != last:
                where = f"Location {LOCATIONS.index(p) + 1}" if p in LOCATIONS else "the ON button"
                click = " and clicks there" if p == LOCATIONS[2] else ""
                say(f"  t = {time.monotonic() - on:5.2f} s  cursor at {p}: {where}{click}")
                last = p
            time.sleep(0.03)
        subprocess.run(["import", "-window", "root", screenshot], check=False)
        say(f"screenshot saved to {screenshot}")
        h.click_control(h.RUN_TITLE, "ON")
        h.wait_for(lambda: "OFF" in h.controls(h.RUN_TITLE), "OFF")
        h.close_window(h.RUN_TITLE)
        program.wait_exit()
        say(f"switched OFF and closed the window; done in {time.monotonic() - start:.0f} s")
    finally:
        program.kill()


if __name__ == "__main__":
    h.BIN = os.path.abspath(sys.argv[1])
    demo(os.path.abspath(sys.argv[2]))
