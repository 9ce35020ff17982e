#!/usr/bin/env python3
"""Speed and size of Wandrel4.exe, each figure beside the same figure of a minimal Win32
window program (BenchBaseline.exe) built by the same toolchain and run the same way; start-up
also beside the fair baseline (BenchFairBaseline.exe: the same window program with common
controls, OLE and the tray icon control), phase by phase from the marks of a bench build.

    bench.py BIN_DIR I686_BIN_DIR [--runs N] [--steps N] [--seconds S] [--startup-only]
             [--compare DIR]

BIN_DIR holds the runnable Wandrel4.exe, BenchBaseline.exe and BenchControl.exe; I686_BIN_DIR
holds the shipped 32-bit build, whose stripped size and imports are reported. (Folders, not
file names: nothing that stops stray Wandrel4.exe processes by name should hit this script.) Runs inside
tools/with-wine (DISPLAY, WINEPREFIX and WINE_LOADER set). Prints figures; never fails on a
figure, only when something it needs does not work at all."""
import argparse
import os
import re
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
LOADER = os.environ.get("WINE_LOADER", "wine")
PREFIX = os.environ.get("WINEPREFIX", "")
TICKS = os.sysconf("SC_CLK_TCK")

PROGRAM = ("Wandrel4.exe", "Wandrel 4")
BASELINE = ("BenchBaseline.exe", "Wandrel Baseline")
FAIR = ("BenchFairBaseline.exe", "Wandrel Fair Baseline")

# The start-up marks of a bench build (common/StartupMarks.h), in the order a start passes
# them; each phase runs from the mark before it to its own.
MARKS = ["WinMain", "common controls", "OLE", "settings read", "form and font",
         "control and type library", "shown", "first paint"]

# Eight distinct locations, far from the run window, so that every step moves the cursor.
LOCATIONS = [(200 + 100 * i, 300 + 60 * (i % 2)) for i in range(8)]
RUN_WINDOW = (40, 40)  # PrgmLocX/PrgmLocY in pixels; stored as twips (15 a pixel at 96 DPI)


def say(text=""):
    print(text, flush=True)


def stop_here(text):
    say(f"bench: {text}")
    sys.exit(1)


def write_settings(interval):
    """A complete settings key for a normal run: eight locations, no clicks, no watchdog."""
    values = {"Installed": "True", "StopMovement": "False", "tmeInterval": str(interval),
              "PrgmLocX": str(RUN_WINDOW[0] * 15), "PrgmLocY": str(RUN_WINDOW[1] * 15)}
    for i, (x, y) in enumerate(LOCATIONS):
        values[f"xPos{i}"] = str(x)
        values[f"yPos{i}"] = str(y)
        values[f"clkHere{i}"] = "False"
    lines = ["REGEDIT4", "", r"[-HKEY_CURRENT_USER\Software\Wandrel4]", "",
             r"[HKEY_CURRENT_USER\Software\Wandrel4]"]
    lines += [f'"{name}"="{value}"' for name, value in values.items()]
    with tempfile.NamedTemporaryFile("w", suffix=".reg", delete=False) as reg:
        reg.write("\r\n".join(lines) + "\r\n")
    try:
        subprocess.run([LOADER, "regedit", "/S", reg.name], capture_output=True, timeout=60)
    finally:
        os.unlink(reg.name)
    query = subprocess.run([LOADER, "reg", "query", r"HKCU\Software\Wandrel4", "/v", "xPos7"],
                           capture_output=True, text=True, timeout=60).stdout
    if str(LOCATIONS[7][0]) not in query:
        stop_here("could not write the settings key")


def control(*args):
    exe = os.path.join(BIN, "BenchControl.exe")
    return subprocess.run([LOADER, exe, *args], capture_output=True, timeout=60).returncode


def wine_process(exe_name, spawned):
    """The Wine process running exe_name in our prefix, found by its command line. Wine sets
    the command line to the Windows program's own, so the loader does not show there."""
    candidates = []
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open(f"/proc/{entry}/cmdline", "rb") as f:
                argv0 = f.read().split(b"\0")[0].decode(errors="replace")
            with open(f"/proc/{entry}/environ", "rb") as f:
                environ = f.read().split(b"\0")
        except OSError:
            continue
        if re.split(r"[\\/]", argv0)[-1].lower() != exe_name.lower():
            continue
        if PREFIX and f"WINEPREFIX={PREFIX}".encode() not in environ:
            continue
        candidates.append(int(entry))
    if spawned in candidates:
        return spawned
    return candidates[0] if candidates else None


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    # After the command name: state is field 3, utime and stime are fields 14 and 15.
    return (int(fields[11]) + int(fields[12])) / TICKS


def peak_memory_kb(pid):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("VmHWM:"):
                return int(line.split()[1])
    return 0


class Running:
    """One program started under Wine, up to its first shown window as another Wine process
    sees it (BenchControl watch: EnumWindows and IsWindowVisible every 2 ms, the moment
    stamped with the system time). That watcher starts first and says when it is ready, so
    its own start is not counted. In a bench build the program notes its start-up marks;
    phases() turns them into durations."""

    def __init__(self, which, timeout=30.0, folder=None):
        self.exe, self.title = which
        folder = folder or BIN
        marks = tempfile.NamedTemporaryFile(prefix="marks-", dir=BIN, delete=False)
        marks.close()
        os.unlink(marks.name)
        self.marks_file = marks.name
        env = dict(os.environ, WANDREL_STARTUP_MARKS_FILE=self.windows_path(marks.name))
        watcher = subprocess.Popen([LOADER, os.path.join(BIN, "BenchControl.exe"), "watch",
                                    self.title], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                                   text=True)
        if watcher.stdout.readline().strip() != "ready":
            watcher.kill()
            stop_here("the window watcher (BenchControl watch) did not start")
        self.spawned = time.time()  # the clock of the marks and of the watcher's stamp
        started = time.monotonic()
        self.process = subprocess.Popen([LOADER, os.path.join(folder, self.exe)], cwd=folder,
                                        env=env, stdout=subprocess.DEVNULL,
                                        stderr=subprocess.DEVNULL)
        while watcher.poll() is None:
            if self.process.poll() is not None or time.monotonic() - started > timeout:
                watcher.kill()
                watcher.wait()
                self.close()
                stop_here(f"{self.exe} showed no window \"{self.title}\"")
            time.sleep(0.005)
        seen = watcher.stdout.read().strip()
        if watcher.returncode != 0 or not seen:
            self.close()
            stop_here(f"{self.exe} showed no window \"{self.title}\"")
        self.visible = float(seen)
        self.startup = self.visible - self.spawned
        self.pid = wine_process(self.exe, self.process.pid)
        if self.pid is None:
            self.close()
            stop_here(f"no Wine process of {self.exe} found")

    @staticmethod
    def windows_path(path):
        """The file as the Windows side names it: Wine's drive Z: is the root."""
        return "Z:" + path.replace("/", "\\")

    def phases(self, timeout=5.0):
        """{phase: seconds} from the bench build's marks, with "process start" up to WinMain
        and "seen from outside" from the shown mark to the watcher's stamp; {} when the
        program notes no marks (not a bench build)."""
        deadline = time.monotonic() + timeout
        while not os.path.exists(self.marks_file) and time.monotonic() < deadline:
            time.sleep(0.01)
        try:
            with open(self.marks_file) as f:
                noted = {phase: float(at) for at, phase in
                         (line.rstrip("\n").split(" ", 1) for line in f if " " in line)}
            os.unlink(self.marks_file)
        except OSError:
            return {}
        result, before = {}, self.spawned
        for phase in MARKS:
            if phase in noted:
                result[phase] = noted[phase] - before
                before = noted[phase]
        if "shown" in noted:
            result["seen from outside"] = self.visible - noted["shown"]
        return result

    def close(self):
        """WM_CLOSE, as a person closing the window; killed only if that does not end it."""
        if self.process.poll() is None:
            control("close", self.title)
            try:
                self.process.wait(timeout=15)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()


def ratio(a, b):
    return f"{a / b:.2f}x" if b > 0 else "n/a (baseline 0)"


# The shipped binaries' size limits, in KiB (stripped i686).
SIZE_LIMITS = {"Wandrel4.exe": 200, "Kestrow.ocx": 150}


def bench_size(bin32):
    say("== Size of the shipped i686 binaries (stripped copies)")
    with tempfile.TemporaryDirectory() as tmp:
        sizes = {}
        for name in ("Wandrel4.exe", "Kestrow.ocx", "BenchMinimalC.exe"):
            path = os.path.join(bin32, name)
            if not os.path.exists(path):
                say(f"  {name}: not built ({path})")
                continue
            copy = os.path.join(tmp, name)
            shutil.copy(path, copy)
            subprocess.run(["i686-w64-mingw32-strip", copy], check=True)
            sizes[name] = (os.path.getsize(path), os.path.getsize(copy))
        minimal = sizes.get("BenchMinimalC.exe", (0, 0))[1]
        for name, (raw, stripped) in sizes.items():
            line = f"  {name:18} {raw / 1024:7.1f} KiB as built, {stripped / 1024:7.1f} KiB stripped"
            if name in SIZE_LIMITS:
                limit = SIZE_LIMITS[name]
                verdict = "within" if stripped <= limit * 1024 else "OVER"
                line += (f"; limit {limit} KiB: {verdict}; {ratio(stripped, minimal)} the minimal"
                         " C window program")
            say(line)
        shipped = [os.path.join(tmp, n) for n in SIZE_LIMITS if n in sizes]
        if shipped:
            check = subprocess.run([sys.executable, os.path.join(ROOT, "tools", "check-binaries.py"),
                                    *shipped], capture_output=True, text=True)
            for line in check.stdout.splitlines():
                say("  " + line.replace(tmp + os.sep, ""))
            say("  import tables: " + ("system DLLs only" if check.returncode == 0 else
                                       "NOT system DLLs only (see above)"))
    say()


def print_phases(phases):
    """Median of each phase over the runs, of every program that notes marks."""
    names = ["process start to WinMain" if p == "WinMain" else p for p in MARKS]
    shown = [label for label in phases if any(phases[label])]
    say(f"  {'phase (median ms)':31}" + "".join(f" {label:>15}" for label in shown))
    for mark, name in zip(MARKS + ["seen from outside"],
                          names + ["seen from outside (after shown)"]):
        cells = []
        for label in shown:
            values = [run[mark] for run in phases[label] if mark in run]
            cells.append(f"{statistics.median(values) * 1000:.1f}" if values else "-")
        say(f"  {name:31}" + "".join(f" {cell:>15}" for cell in cells))
    # What the program itself does, without the Wine loader before it and the display after
    # it: the least noisy figure on a shared machine.
    inside = MARKS[1:MARKS.index("shown") + 1]
    cells = []
    for label in shown:
        sums = [sum(run[m] for m in inside if m in run) for run in phases[label] if run]
        cells.append(f"{statistics.median(sums) * 1000:.1f}; {min(sums) * 1000:.1f}")
    say(f"  {'WinMain to shown (median; min)':31}" + "".join(f" {c:>15}" for c in cells))


def bench_startup(runs, compared):
    say(f"== Start-up to the first visible window, seen by another Wine process "
        f"({runs} runs each, median)")
    order = [("Wandrel4", PROGRAM, BIN), ("fair baseline", FAIR, BIN),
             ("bare baseline", BASELINE, BIN)]
    if compared:
        order.insert(1, ("Wandrel4 compared", PROGRAM, compared))
    times = {label: [] for label, _, _ in order}
    phases = {label: [] for label, _, _ in order}
    for _ in range(runs):
        # Taking turns, so that a slow spell of the machine falls on all alike.
        for label, which, folder in order:
            running = Running(which, folder=folder)
            times[label].append(running.startup)
            phases[label].append(running.phases())
            running.close()
    for label, values in times.items():
        say(f"  {label:18} median {statistics.median(values) * 1000:6.0f} ms  "
            f"(min {min(values) * 1000:.0f}, max {max(values) * 1000:.0f})")
    fair = statistics.median(times["fair baseline"])
    bare = statistics.median(times["bare baseline"])
    for label in times:
        if label.startswith("Wandrel4"):
            program = statistics.median(times[label])
            say(f"  ratio {label}/fair baseline: {ratio(program, fair)}; "
                f"to the bare baseline: {ratio(program, bare)}")
    print_phases(phases)
    say()


def measure_cpu(pid, seconds):
    before = cpu_seconds(pid)
    time.sleep(seconds)
    return cpu_seconds(pid) - before


def cursor():
    out = subprocess.run(["xdotool", "getmouselocation"], capture_output=True, text=True).stdout
    match = re.match(r"x:(\d+) y:(\d+)", out)
    return (int(match.group(1)), int(match.group(2))) if match else None


def bench_steps(steps, interval):
    """Times each jump of the cursor: the midpoint between the last sample at the old place
    and the first at the new one. Returns the jump times and the mean sampling gap."""
    jumps = []
    samples = 0
    last_time, last_pos = time.monotonic(), cursor()
    started = last_time
    deadline = started + (steps + 3) * interval + 10
    while len(jumps) < steps + 1 and time.monotonic() < deadline:
        time.sleep(0.001)  # leave the cores to the program being measured
        pos = cursor()
        now = time.monotonic()
        samples += 1
        if pos != last_pos and pos in LOCATIONS:
            jumps.append((last_time + now) / 2)
        last_time, last_pos = now, pos
    return jumps, (last_time - started) / max(samples, 1)


def bench_running(seconds, steps, interval):
    say(f"== CPU time and peak memory of the Wine process (over {seconds:.0f} s each)")
    program = Running(PROGRAM)
    time.sleep(2)  # let start-up settle; what it costs is reported on its own line
    startup_cpu = cpu_seconds(program.pid)
    off = measure_cpu(program.pid, seconds)
    if control("press", PROGRAM[1], "OFF") != 0:
        program.close()
        stop_here("could not press the run window's OFF button")
    on = measure_cpu(program.pid, seconds)
    moving = cursor() in LOCATIONS
    jumps, gap = bench_steps(steps, interval)
    peak = peak_memory_kb(program.pid)
    program.close()

    baseline = Running(BASELINE)
    time.sleep(2)
    baseline_startup_cpu = cpu_seconds(baseline.pid)
    idle = measure_cpu(baseline.pid, seconds)
    baseline_peak = peak_memory_kb(baseline.pid)
    baseline.close()

    say(f"  CPU during start-up (+2 s): Wandrel4 {startup_cpu:.2f} s, "
        f"baseline {baseline_startup_cpu:.2f} s, ratio {ratio(startup_cpu, baseline_startup_cpu)}")
    say(f"  CPU over {seconds:.0f} s OFF:       Wandrel4 {off:.2f} s  "
        f"(baseline idle {idle:.2f} s)")
    say(f"  CPU over {seconds:.0f} s ON, 1 s:   Wandrel4 {on:.2f} s  "
        f"({on / seconds * 100:.2f} % of one core; cursor moving: {'yes' if moving else 'NO'})")
    say(f"  resolution of these figures: {1 / TICKS:.2f} s (clock ticks of /proc/<pid>/stat)")
    say(f"  peak memory (VmHWM): Wandrel4 {peak / 1024:.1f} MiB, "
        f"baseline {baseline_peak / 1024:.1f} MiB, ratio {ratio(peak, baseline_peak)}")
    say()

    say(f"== Step period at interval {interval} s over {steps} steps")
    if len(jumps) < steps + 1:
        say(f"  only {len(jumps)} jumps seen: the cycle did not run as expected")
        return
    periods = [b - a for a, b in zip(jumps, jumps[1:])]
    mean = statistics.mean(periods)
    deviation = max(abs(p - interval) for p in periods)
    drift = jumps[-1] - jumps[0] - steps * interval
    say(f"  mean period {mean * 1000:.1f} ms (min {min(periods) * 1000:.1f}, "
        f"max {max(periods) * 1000:.1f}, stdev {statistics.stdev(periods) * 1000:.1f})")
    say(f"  max deviation of one period from {interval * 1000} ms: {deviation * 1000:.1f} ms")
    say(f"  total drift after {steps} steps: {drift * 1000:+.1f} ms "
        f"({drift / steps * 1000:+.2f} ms a step)")
    say(f"  cursor sampled every {gap * 1000:.1f} ms on average (xdotool getmouselocation): "
        f"each jump timed to within +/-{gap * 500:.1f} ms, so one period to within "
        f"+/-{gap * 1000:.1f} ms")
    say()


def main():
    global BIN
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("bin")
    parser.add_argument("bin32")
    parser.add_argument("--runs", type=int, default=7)
    parser.add_argument("--steps", type=int, default=60)
    parser.add_argument("--seconds", type=float, default=30.0)
    parser.add_argument("--startup-only", action="store_true",
                        help="size and start-up only (no CPU, memory or step figures)")
    parser.add_argument("--compare", metavar="DIR",
                        help="another build of Wandrel4.exe (with its Kestrow.ocx) that takes "
                             "turns in the start-up runs, e.g. one of an earlier commit")
    args = parser.parse_args()
    BIN = os.path.abspath(args.bin)
    interval = 1

    say(f"bench: {time.strftime('%Y-%m-%d %H:%M')}, {os.cpu_count()} cores, "
        f"{subprocess.run([LOADER, '--version'], capture_output=True, text=True).stdout.strip()}")
    say(f"bench: program and baseline run from {BIN} under {LOADER}")
    say()
    bench_size(os.path.abspath(args.bin32))
    write_settings(interval)
    bench_startup(args.runs, os.path.abspath(args.compare) if args.compare else None)
    if not args.startup_only:
        bench_running(args.seconds, args.steps, interval)
    return 0


BIN = ""
if __name__ == "__main__":
    sys.exit(main())
