"""One Wandrel per session: a second start ends at once, touches no settings, shows no
second window or icon, and brings the first one's window forward. A start while the first
one is still starting or already ending is not lost: it ends with exactly one Wandrel
showing its window."""
import os
import subprocess
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


class OtherInstance:
    """The probe playing a Wandrel that holds the claim without a shown window for a while
    (see probe.cpp, "instance"); lines() is what it has printed so far."""

    def __init__(self, show_ms, release_ms, end_ms):
        self.process = subprocess.Popen(
            [h.LOADER, os.path.join(h.BIN, "e2e_probe.exe"), "instance", str(show_ms),
             str(release_ms), str(end_ms)], cwd=h.BIN, stdout=subprocess.PIPE,
            stderr=subprocess.DEVNULL, text=True)
        self.seen = []
        h.check(self.read_until("claimed"), "the other instance holds the claim")

    def read_until(self, line):
        while line not in self.seen:
            text = self.process.stdout.readline()
            if not text:
                return False
            self.seen.append(text.strip())
        return True

    def running(self):
        return self.process.poll() is None

    def kill(self):
        if self.running():
            self.process.kill()
        self.process.wait()


def running_wandrels(programs):
    return [p for p in programs if isinstance(p, h.Program) and p.running()]


def one_wandrel_shown(programs):
    """Exactly one Wandrel4 process left and exactly one run window, shown."""
    runs = [line for line in h.probe("windows") if line.startswith(h.RUN_TITLE + "|")]
    return (len(running_wandrels(programs)) == 1 and len(runs) == 1
            and h.shown(h.RUN_TITLE) is not None)


def start_while_the_other_is_ending(programs):
    # Its windows are gone, its process is not: it lets the claim go after 2 s and ends 1 s
    # later, as a closing program does under Wine.
    h.write_settings(saved_settings(PrgmLocX="3000", PrgmLocY="4500"))
    other = OtherInstance(-1, 2000, 3000)
    programs.append(other)
    start = h.Program()
    programs.append(start)
    h.wait_for(lambda: h.shown(h.RUN_TITLE), "the run window of the start", timeout=20)
    h.check(other.read_until("released"), "the start waited for the other one's end")
    h.check(start.running(), "the start goes on as the only Wandrel")
    h.wait_for(lambda: not other.running(), "the other one to end")
    h.wait_for(lambda: one_wandrel_shown(programs), "exactly one Wandrel with its window")
    h.close_window(h.RUN_TITLE)
    start.wait_exit()


def start_while_the_other_is_starting(programs):
    # It holds the claim and shows its form only after 2 s, as a slow start does.
    h.write_settings(saved_settings())
    other = OtherInstance(2000, 6000, 6000)
    programs.append(other)
    start = h.Program()
    programs.append(start)
    start.wait_exit(timeout=20)
    h.check(other.read_until("brought to the front"),
            "the start waited for the other one's window and brought it forward")
    h.check(other.seen.index("shown") < other.seen.index("brought to the front"),
            "that window was shown before it was brought forward")
    h.check(not h.shown(h.RUN_TITLE), "the start showed no window of its own")
    h.check(other.running(), "the other one still runs")
    other.kill()


def start_during_the_first_ones_unload(programs):
    h.write_settings(saved_settings(PrgmLocX="3000", PrgmLocY="4500"))
    first = h.Program()
    programs.append(first)
    h.wait_for(lambda: h.shown(h.RUN_TITLE), "the run window")
    h.close_window(h.RUN_TITLE)
    h.wait_for(lambda: not h.shown(h.RUN_TITLE), "the run window to close", interval=0.02)
    second = h.Program()
    programs.append(second)
    h.wait_for(lambda: one_wandrel_shown(programs), "exactly one Wandrel with its window",
               timeout=20)
    h.check(second.running(), "the new start is the one that runs")
    first.wait_exit()
    h.close_window(h.RUN_TITLE)
    second.wait_exit()


def two_starts_at_once(programs):
    h.write_settings(saved_settings())
    starts = [h.Program(), h.Program()]
    programs.extend(starts)
    h.wait_for(lambda: len(running_wandrels(programs)) == 1, "one of the two starts to end",
               timeout=20)
    h.wait_for(lambda: one_wandrel_shown(programs), "exactly one Wandrel with its window")
    h.close_window(h.RUN_TITLE)
    h.wait_for(lambda: not running_wandrels(programs), "the program to end")


if __name__ == "__main__":
    sys.exit(h.main(scenario, start_while_the_other_is_ending, start_while_the_other_is_starting,
                    start_during_the_first_ones_unload, two_starts_at_once))
