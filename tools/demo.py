#!/usr/bin/env python3
"""A short demonstration of Wandrel's main job on a virtual display, as a person would do it:
records eight locations with Ctrl+K, ticks the click box of Location 3, sets the interval to 1,
presses "Finished", switches ON, and reports every step the cycle makes: which location the
cursor visited, when, and whether a click arrived there (a small window of the demonstration's
own lies under the marked location and counts the clicks it receives).

It checks what it reports: it exits non-zero when a location was recorded anywhere but where
the pointer was, or when the cycle visits anything but the recorded locations in order, or a
click goes missing. It saves a picture of what it measured (the numbered locations, the path
in visiting order, the clicked location, the step times) beside a screenshot.

    demo.py BIN_DIR PICTURE"""
import os
import subprocess
import sys
import threading
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
import harness as h  # noqa: E402

# Away from Wine's tray (top left), the configuration window (centre) and the run window
# (bottom right), so that the pictures show each point clearly.
LOCATIONS = [(180 + 300 * (i % 4), 170 + 560 * (i // 4)) for i in range(8)]
CLICKED = 2  # Location 3 gets a left click
STEPS = 10  # all eight locations and the first two again
CONVERT = "/usr/bin/convert"


class DemoFailure(Exception):
    pass


def say(text):
    print(f"demo {time.strftime('%H:%M:%S')} {text}", flush=True)


def windows_cursor():
    lines = h.probe("cursor")
    return tuple(map(int, lines[0].split("|"))) if lines else None


def point_at(x, y):
    """Moves the pointer and waits until both X and Windows have it there."""
    h.move(x, y)
    h.wait_for(lambda: h.pointer() == (x, y) and windows_cursor() == (x, y),
               f"the pointer at ({x}, {y})")


class ClickCounter:
    """The probe's click window under one location; remembers when each press arrived."""

    def __init__(self, x, y, seconds):
        self.presses = []
        self.process = subprocess.Popen(
            [h.LOADER, os.path.join(h.BIN, "e2e_probe.exe"), "clicks", str(x - 20), str(y - 20),
             "40", "40", str(seconds)],
            cwd=h.BIN, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        self.ready = threading.Event()
        threading.Thread(target=self._read, daemon=True).start()
        if not self.ready.wait(30):
            raise DemoFailure("the click window did not open")

    def _read(self):
        for line in self.process.stdout:
            if line.startswith("ready"):
                self.ready.set()
            elif line.startswith("down"):
                self.presses.append(time.monotonic())

    def per_step(self, step_times):
        """Presses counted at the step each followed: the pointer is polled, so a step is seen
        a little after it happened, and the press that follows a move can be seen first."""
        return count_per_step(self.presses, step_times)

    def stop(self):
        if self.process.poll() is None:
            self.process.kill()
        self.process.wait()


def count_per_step(presses, step_times, lag=0.4):
    counts = [0] * len(step_times)
    for press in presses:
        seen = [n for n, t in enumerate(step_times) if t <= press + lag]
        if seen:
            counts[seen[-1]] += 1
    return counts


def recorded_locations():
    values = h.settings() or {}
    try:
        return [(int(values[f"xPos{i}"]), int(values[f"yPos{i}"])) for i in range(8)]
    except (KeyError, ValueError) as error:
        raise DemoFailure(f"the settings key lacks a location: {error}")


def watch_steps(on, count):
    """The cursor's positions after switching ON, as (seconds since ON, position) per step."""
    steps, last = [], h.pointer()
    deadline = on + count * 1.0 + 3.0
    while len(steps) < count and time.monotonic() < deadline:
        p = h.pointer()
        if p != last:
            steps.append((time.monotonic() - on, p))
            last = p
        time.sleep(0.02)
    return steps


def check_steps(steps, recorded, clicks, on):
    """Reports each step; returns the list of what was wrong."""
    problems = []
    pressed_at = clicks.per_step([on + t for t, _ in steps])
    for n, (t, p) in enumerate(steps):
        expected = n % 8
        index = recorded.index(p) if p in recorded else None
        pressed = pressed_at[n]
        where = f"Location {index + 1}" if index is not None else "no recorded location"
        note = f", {pressed} click{'s' if pressed != 1 else ''} arrived" if pressed else ""
        say(f"  step {n + 1:2}  t = {t:5.2f} s  cursor at {p}: {where}{note}")
        if index != expected:
            problems.append(f"step {n + 1} went to {p}, not to Location {expected + 1}")
        if (expected == CLICKED) != (pressed == 1):
            problems.append(f"step {n + 1} at Location {expected + 1}: {pressed} clicks arrived")
    if len(steps) < STEPS:
        problems.append(f"only {len(steps)} of {STEPS} steps were seen")
    return problems


def picture(path, screenshot, recorded, steps, clicks_seen):
    """The main job at a glance: points, path, click and times, beside the screenshot."""
    scale = 0.5
    width, height = 1280, 1024

    def at(p):
        return int(p[0] * scale), int(p[1] * scale)

    visits = {}
    for n, (t, p) in enumerate(steps):
        if p in recorded:
            visits.setdefault(recorded.index(p), []).append(t)
    draw = ["-fill", "none", "-stroke", "#888888", "-strokewidth", "1",
            "-draw", f"rectangle 0,0 {int(width * scale) - 1},{int(height * scale) - 1}",
            "-stroke", "#3070c0", "-strokewidth", "2"]
    path_points = [at(p) for _, p in steps]
    for a, b in zip(path_points, path_points[1:]):
        draw += ["-draw", f"line {a[0]},{a[1]} {b[0]},{b[1]}"]
    for i, p in enumerate(recorded):
        x, y = at(p)
        if i == CLICKED:
            draw += ["-stroke", "#d02020", "-strokewidth", "3", "-fill", "none",
                     "-draw", f"circle {x},{y} {x + 20},{y}",
                     "-stroke", "none", "-fill", "#d02020",
                     "-draw", f"text {x + 24},{y + 26} 'click ({clicks_seen} arrived)'"]
        draw += ["-stroke", "none", "-fill", "#3070c0", "-draw", f"circle {x},{y} {x + 13},{y}",
                 "-fill", "white", "-draw", f"text {x - 5},{y + 6} '{i + 1}'",
                 "-fill", "black",
                 "-draw", f"text {x - 40},{y - 20} '"
                 + ", ".join(f"{t:.1f} s" for t in visits.get(i, [])) + "'"]
    title = (f"Wandrel 4, interval 1 s: the path of {len(steps)} steps with the time of each "
             f"visit, the click at Location {CLICKED + 1}; right: the screen (the grey square "
             "counts clicks)")
    diagram = path + ".diagram.png"
    subprocess.run([CONVERT, "-size", f"{int(width * scale)}x{int(height * scale)}", "xc:white",
                    "-font", "DejaVu-Sans", "-pointsize", "14", *draw, diagram], check=True)
    parts = [diagram]
    shot = path + ".shot.png"
    if screenshot and os.path.exists(screenshot):
        # The same numbered points on the real screen, so that each can be found there.
        marks = []
        for i, p in enumerate(recorded):
            x, y = at(p)
            marks += ["-stroke", "#ffd000", "-strokewidth", "2", "-fill", "none",
                      "-draw", f"circle {x},{y} {x + 12},{y}", "-stroke", "none",
                      "-fill", "#ffd000", "-draw", f"text {x + 15},{y - 8} '{i + 1}'"]
        subprocess.run([CONVERT, screenshot, "-resize", f"{int(scale * 100)}%",
                        "-font", "DejaVu-Sans", "-pointsize", "14", *marks, shot], check=True)
        parts.append(shot)
    subprocess.run([CONVERT, "(", *parts, "-bordercolor", "white", "-border", "8", "+append", ")",
                    "-gravity", "northwest", "-background", "white", "-splice", "0x28",
                    "-font", "DejaVu-Sans", "-pointsize", "16", "-annotate", "+10+6", title,
                    path], check=True)
    for part in parts:
        os.remove(part)


def demo(picture_path):
    start = time.monotonic()
    h.write_settings(None)
    program = h.Program()
    clicks = None
    try:
        h.wait_for(lambda: h.shown(h.CONFIG_TITLE), "the configuration window", timeout=60)
        say("first run: the configuration window is open")
        h.focus(h.CONFIG_TITLE)
        for i, (x, y) in enumerate(LOCATIONS):
            point_at(x, y)
            h.keys("ctrl+k")
            h.wait_for(lambda: h.controls(h.CONFIG_TITLE)[f"Location {i + 1}"]["checked"],
                       f"Location {i + 1}")
            say(f"pointer at ({x}, {y}), pressed Ctrl+K: Location {i + 1} ticked")
        h.click_control(h.CONFIG_TITLE, f"Check{8 - CLICKED}")
        say(f"ticked the click box of Location {CLICKED + 1}")
        edit = next(c for c in h.controls(h.CONFIG_TITLE).values() if c["cls"] == "Edit")
        h.click_at(edit["x"] + 5, edit["y"] + 5)
        h.keys("End", "shift+Home", "1")
        say("set the jump interval to 1 second")
        h.click_control(h.CONFIG_TITLE, "Finished")
        h.wait_for(lambda: h.shown(h.RUN_TITLE), "the run window")
        say("pressed Finished: the settings are saved and the run window is shown")

        recorded = recorded_locations()
        wrong = [f"Location {i + 1} was recorded at {r}, the pointer was at {p}"
                 for i, (r, p) in enumerate(zip(recorded, LOCATIONS)) if r != p]
        if wrong:
            raise DemoFailure("; ".join(wrong))
        say("the settings key holds the eight locations where the pointer was")

        x, y = recorded[CLICKED]
        clicks = ClickCounter(x, y, STEPS + 15)
        h.click_control(h.RUN_TITLE, "OFF")
        h.wait_for(lambda: "ON" in h.controls(h.RUN_TITLE), "ON")
        on = time.monotonic()
        say("pressed ON; every second the cursor goes on:")
        steps = watch_steps(on, STEPS)
        screenshot = picture_path + ".screen.png"
        subprocess.run(["import", "-window", "root", screenshot], check=False)
        time.sleep(0.3)  # a click after the last step still counts
        problems = check_steps(steps, recorded, clicks, on)
        picture(picture_path, screenshot, recorded, steps, len(clicks.presses))
        if os.path.exists(screenshot):
            os.remove(screenshot)
        say(f"picture saved to {picture_path}")
        h.click_control(h.RUN_TITLE, "ON")
        h.wait_for(lambda: "OFF" in h.controls(h.RUN_TITLE), "OFF")
        h.close_window(h.RUN_TITLE)
        program.wait_exit()
        if problems:
            raise DemoFailure("; ".join(problems))
        say(f"switched OFF and closed the window; all as recorded, in {time.monotonic() - start:.0f} s")
    finally:
        if clicks:
            clicks.stop()
        program.kill()


if __name__ == "__main__":
    h.BIN = os.path.abspath(sys.argv[1])
    h.log = lambda message: None  # the demonstration speaks for itself
    try:
        demo(os.path.abspath(sys.argv[2]))
    except (DemoFailure, h.Failure) as error:
        say(f"FAILED: {error}")
        sys.exit(1)
