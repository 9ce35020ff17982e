"""What a screen reader hears: every control Tab reaches in both windows, asked for its name
from another process as a screen reader asks, says what it does; the captions stay."""
import sys

import harness as h

RUN_OFF = [("Switch on (now off)", "OFF"), ("About Wandrel4", "?"), ("Config", "Config")]
RUN_ON = [("Switch off (now on)", "ON")] + RUN_OFF[1:]
CONFIG = ([(f"Location {8 - i}",) * 2 for i in range(8)] + [("Finished",) * 2, ("Cancel",) * 2] +
          [(f"Click at location {8 - i}", f"Check{i + 1}") for i in range(8)] +
          [("Jump Interval", "7"), ("Turn off with real movement",) * 2])


def heard(title):
    """(name, caption, centre) of each control, in tab order."""
    found = []
    for line in h.probe("names", title):
        name, text, x, y, w, h_ = line.rsplit("|", 5)
        found.append((name, text, (int(x) + int(w) // 2, int(y) + int(h_) // 2)))
    return found


def names_are(title, expected):
    found = heard(title)
    return found if [(name, text) for name, text, _ in found] == expected else None


def scenario(programs):
    values = {f"xPos{i}": str(300 + 20 * i) for i in range(8)}
    values.update({f"yPos{i}": "500" for i in range(8)})
    values.update({f"clkHere{i}": "False" for i in range(8)})
    # Interval 0: ON moves nothing while the pointer goes to the buttons.
    values.update(StopMovement="False", tmeInterval="0", Installed="True",
                  PrgmLocX="9000", PrgmLocY="3000")
    h.write_settings(values)
    programs.append(h.Program())
    h.wait_for(lambda: h.shown(h.RUN_TITLE), "the run window")

    run = heard(h.RUN_TITLE)
    h.check([(n, t) for n, t, _ in run] == RUN_OFF, f"the run window's names while OFF: {run}")
    h.click_at(*run[0][2])
    run = h.wait_for(lambda: names_are(h.RUN_TITLE, RUN_ON), "the ON/OFF button's name once ON")

    h.click_at(*run[2][2])
    h.wait_for(lambda: h.shown(h.CONFIG_TITLE), "the configuration window")
    config = heard(h.CONFIG_TITLE)
    h.check([(n, t) for n, t, _ in config] == CONFIG,
            f"the configuration window's names in tab order: {[(n, t) for n, t, _ in config]}")


if __name__ == "__main__":
    sys.exit(h.main(scenario))
