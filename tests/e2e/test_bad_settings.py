"""Settings that the program did not write (a damaged or hand-edited key) never stop it:
each such value counts as missing, and the window still opens on the screen."""
import os
import sys
import time

import harness as h


def damaged_key(programs):
    values = {f"xPos{i}": str(100 * i) for i in range(8)}
    values.update({f"yPos{i}": "400" for i in range(8)})
    values.update({f"clkHere{i}": "False" for i in range(8)})
    values.update(xPos0="abc", xPos1="", yPos2="9999999999999", clkHere0="TRUE",
                  StopMovement="yes", tmeInterval="-5", Installed="True",
                  PrgmLocX="99999999999", PrgmLocY="-7777777")
    h.write_settings(values)
    # A number stored as REG_DWORD reads back as bytes, not as a number.
    h.wine("reg", "add", h.SETTINGS, "/v", "yPos3", "/t", "REG_DWORD", "/d", "5", "/f")

    program = h.Program()
    programs.append(program)
    run = h.wait_for(lambda: h.shown(h.RUN_TITLE), "the run window")
    visible = [t for t, w in h.windows().items() if w["visible"] and t != h.TRAY_TITLE]
    h.check(visible == [h.RUN_TITLE], f"no message, only the run window: {visible}")
    h.check(0 <= run["x"] < 1280 and 0 <= run["y"] < 1024, f"the window is on the screen: {run}")

    h.click_control(h.RUN_TITLE, "OFF")
    h.wait_for(lambda: "ON" in h.controls(h.RUN_TITLE), "ON")
    at = h.pointer()
    time.sleep(2.5)
    h.check(h.pointer() == at, "a negative interval never steps: nothing moves")
    h.check(program.running(), "the program keeps running")
    h.close_window(h.RUN_TITLE)
    program.wait_exit()
    stored = h.settings()
    h.check(stored["PrgmLocX"] == str(run["x"] * 15), "the place is stored as a proper number")


def without_control(programs):
    """Without Kestrow.ocx beside it the program says so once and runs without a tray icon."""
    lonely = os.path.join(h.BIN, "without-control")
    os.makedirs(lonely, exist_ok=True)
    with open(os.path.join(h.BIN, "Wandrel4.exe"), "rb") as src:
        data = src.read()
    with open(os.path.join(lonely, "Wandrel4.exe"), "wb") as dst:
        dst.write(data)
    h.wine("regsvr32", "/u", "/s", "Kestrow.ocx")  # only the copy beside the program counts
    values = {f"xPos{i}": "10" for i in range(8)}
    values.update({f"yPos{i}": "10" for i in range(8)})
    values.update(Installed="True", tmeInterval="1")
    h.write_settings(values)

    program = h.Program(os.path.join(lonely, "Wandrel4.exe"))
    programs.append(program)
    h.wait_for(lambda: h.shown("Wandrel4"), "the message that the tray icon is unavailable")
    texts = " ".join(h.controls("Wandrel4"))
    h.check("tray icon is unavailable" in texts and "Kestrow.ocx is not beside" in texts,
            f"the message says why: {texts}")
    h.focus("Wandrel4")
    h.keys("Return")
    h.wait_for(lambda: h.shown(h.RUN_TITLE), "the run window after the message")
    h.wait_for(lambda: not h.shown("Wandrel4"), "the message to close")
    h.click_control(h.RUN_TITLE, "OFF")
    h.wait_for(lambda: h.pointer() == (10, 10), "the cycle runs without a tray icon", timeout=4)
    h.close_window(h.RUN_TITLE)
    program.wait_exit()


if __name__ == "__main__":
    sys.exit(h.main(damaged_key, without_control))
