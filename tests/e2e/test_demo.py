"""The demonstration of tools/run tells the truth: played on the built program it finds the
eight locations recorded where the pointer was and visited in order with the click where it
was marked, draws its picture, and it does report a wrong visit or a missing click."""
import os
import sys

import harness as h

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools"))
import demo  # noqa: E402


class Clicks:
    """Presses that arrived at the given times (seconds after ON)."""

    def __init__(self, on, *times):
        self.presses = [on + t for t in times]

    def per_step(self, step_times):
        return demo.count_per_step(self.presses, step_times)


def reports_what_differs(programs):
    recorded = demo.LOCATIONS
    on = 1000.0
    good = [(n + 1.0, recorded[n % 8]) for n in range(demo.STEPS)]
    click_time = demo.CLICKED + 0.9  # seen before the step itself
    h.check(demo.check_steps(good, recorded, Clicks(on, click_time), on) == [],
            "a faithful run reports no problem")
    skipped = good[:4] + good[5:] + [(demo.STEPS + 1.0, recorded[demo.STEPS % 8])]
    h.check(any("step 5" in p for p in demo.check_steps(skipped, recorded,
                                                       Clicks(on, click_time), on)),
            "a skipped location is reported")
    h.check(any("clicks arrived" in p for p in demo.check_steps(good, recorded, Clicks(on), on)),
            "a missing click is reported")
    h.check(any("clicks arrived" in p
                for p in demo.check_steps(good, recorded, Clicks(on, click_time, 4.2), on)),
            "a click at an unmarked location is reported")
    h.check(any("only" in p for p in demo.check_steps(good[:5], recorded,
                                                     Clicks(on, click_time), on)),
            "missing steps are reported")


def plays_the_first_run(programs):
    picture = os.path.join(h.BIN, "e2e-demo.png")
    if os.path.exists(picture):
        os.remove(picture)
    demo.demo(picture)  # raises when anything differs from what was recorded
    size = os.path.getsize(picture) if os.path.exists(picture) else 0
    h.check(size > 10000, f"the picture is drawn ({size} bytes)")
    os.remove(picture)


if __name__ == "__main__":
    sys.exit(h.main(reports_what_differs, plays_the_first_run))
