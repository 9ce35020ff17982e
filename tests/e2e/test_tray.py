"""The tray icon: it appears with the run window, a double-click on it switches the cycle ON
and OFF again, a press brings the run window forward, and closing the window removes it."""
import sys
import time

import harness as h


def scenario(programs):
    values = {f"xPos{i}": str(300 + 20 * i) for i in range(8)}
    values.update({f"yPos{i}": "500" for i in range(8)})
    values.update({f"clkHere{i}": "False" for i in range(8)})
    values.update(StopMovement="False", tmeInterval="1", Installed="True",
                  PrgmLocX="9000", PrgmLocY="3000")  # clear of the notification area
    h.write_settings(values)
    program = h.Program()
    programs.append(program)
    h.wait_for(lambda: h.shown(h.RUN_TITLE), "the run window")
    icon = h.wait_for(h.tray_icon, "the tray icon")
    h.check(h.windows()[h.RUN_TITLE]["visible"], "the run window is shown beside the icon")

    h.xdo("mousemove", *icon, "click", "--repeat", 2, "--delay", 80, 1)
    h.wait_for(lambda: "ON" in h.controls(h.RUN_TITLE), "a double-click to switch ON")
    h.wait_for(lambda: h.pointer()[1] == 500, "the cycle to move the cursor", timeout=4)
    h.xdo("mousemove", *icon, "click", "--repeat", 2, "--delay", 80, 1)
    h.wait_for(lambda: "OFF" in h.controls(h.RUN_TITLE), "a second double-click to switch OFF")
    time.sleep(1.5)
    h.check(h.pointer() == tuple(icon), "the cursor stays put once OFF")

    h.close_window(h.RUN_TITLE)
    program.wait_exit()
    h.wait_for(lambda: h.tray_icon() is None, "the icon to leave the notification area")
    h.check(h.settings().get("PrgmLocX") == "9000", "the window's place is stored again")


if __name__ == "__main__":
    sys.exit(h.main(scenario))
