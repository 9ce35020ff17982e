"""One Wandrel per session: a second start ends at once, touches no settings, shows no
second window or icon, and brings the first one's window forward."""
import sys
import time

import harness as h
from test_restart import saved_settings


def scenario(programs):
    h.write_settings(saved_settings(PrgmLocX="3000", PrgmLocY="4500"))
    first = h.Program()
    programs.append(first)
    h.wait_for(lambda: h.shown(h.RUN_TITLE), "the run window")
    before = h.settings()

    second = h.Program()
    programs.append(second)
    second.wait_exit(timeout=15)
    h.check(first.running(), "the first start keeps running")
    runs = [line for line in h.probe("windows") if line.startswith(h.RUN_TITLE + "|")]
    h.check(len(runs) == 1, f"one run window only: {runs}")
    h.check(h.settings() == before, "the second start wrote no settings")

    h.close_window(h.RUN_TITLE)
    first.wait_exit()
    # With the first one gone, a start is a first start again.
    third = h.Program()
    programs.append(third)
    h.wait_for(lambda: h.shown(h.RUN_TITLE), "the run window of a new start")
    time.sleep(0.2)
    h.check(third.running(), "a start after the first ended runs")
    h.close_window(h.RUN_TITLE)
    third.wait_exit()


if __name__ == "__main__":
    sys.exit(h.main(scenario))
