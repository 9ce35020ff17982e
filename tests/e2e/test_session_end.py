"""The end of the Windows session (log-off, shut-down): the program unloads its windows as it
does when the user closes it, so the run window's place is stored, and then it ends."""
import sys

import harness as h


def settings_without_place():
    values = {f"xPos{i}": str(400 + 30 * i) for i in range(8)}
    values.update({f"yPos{i}": "500" for i in range(8)})
    values.update({f"clkHere{i}": "False" for i in range(8)})
    values.update(StopMovement="False", tmeInterval="1", Installed="True",
                  PrgmLocX="4500", PrgmLocY="6000")
    return values


def scenario(programs):
    h.write_settings(settings_without_place())
    program = h.Program()
    programs.append(program)
    run = h.wait_for(lambda: h.shown(h.RUN_TITLE), "the run window")
    # Somewhere else than where it opened, as a person would have dragged it.
    h.probe("move", h.RUN_TITLE, "320", "240")
    h.wait_for(lambda: (h.windows()[h.RUN_TITLE]["x"], h.windows()[h.RUN_TITLE]["y"])
               == (320, 240), "the run window at its new place")
    h.check((run["x"], run["y"]) == (300, 400), f"it opened at its saved place: {run}")
    h.wine("wineboot", "--end-session", timeout=30)
    program.wait_exit(30)
    values = h.settings() or {}
    h.check((values.get("PrgmLocX"), values.get("PrgmLocY")) == ("4800", "3600"),
            f"the place at the end of the session is stored: {values.get('PrgmLocX')}, "
            f"{values.get('PrgmLocY')}")
    h.check(values.get("Installed") == "True" and values.get("xPos0") == "400",
            "the other settings are kept")


if __name__ == "__main__":
    sys.exit(h.main(scenario))
