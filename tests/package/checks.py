"""What the release checks share: counted checks, Wine commands and waits with deadlines.
The environment comes from tools/with-wine (DISPLAY, WINEPREFIX, WINE_LOADER)."""
import os
import subprocess
import time

# Where 32-bit Wine runs under an emulator every Wine process is that many times slower.
SLOW = float(os.environ.get("WANDREL_SLOW", "1"))
failures = []
passed = 0


def check(ok, what):
    global passed
    print(f"{'ok' if ok else 'FAIL'}: {what}", flush=True)
    if ok:
        passed += 1
    else:
        failures.append(what)
    return ok


def summary(name):
    """Prints the closing line and returns the exit code."""
    print(f"{name}: {passed} passed, {len(failures)} failed")
    return 1 if failures else 0


def wine(*args, cwd=None, timeout=60):
    """Runs a Wine command; returns its exit code and what it printed."""
    r = subprocess.run([os.environ["WINE_LOADER"], *args], cwd=cwd, capture_output=True,
                       text=True, errors="replace", timeout=timeout * SLOW)
    return r.returncode, r.stdout.replace("\r", "")


def wait_for(condition, timeout=30):
    deadline = time.monotonic() + timeout * SLOW
    while not condition():
        if time.monotonic() > deadline:
            return False
        time.sleep(0.2)
    return True
