"""Checks an MSI package as an administrator deploys it, under Wine's msiexec (DISPLAY,
WINEPREFIX, WINEARCH and WINE_LOADER come from tools/with-wine):

    check_msi.py MSI NEWER_MSI EXAMPLES

NEWER_MSI is the same package built with a higher version (the upgrade); EXAMPLES is
docs/examples. The tables where Wine's msiexec differs from Windows, silent install, the
program's first start, REGISTERCONTROL=1 against what regsvr32 writes, a script creating the
control by its ProgID, the upgrade in place and the silent removal. In a 64-bit prefix the x86 package lands in "Program Files (x86)" and its
classes in the 32-bit view; the x64 one in "Program Files", also with the 64-bit control's
classes in the 64-bit view. Every wait polls with a deadline."""
import glob
import os
import re
import shutil
import subprocess
import sys

import checks
from checks import check, summary, wait_for

LOADER = os.environ["WINE_LOADER"]
PREFIX = os.environ["WINEPREFIX"]
WIN64 = os.environ.get("WINEARCH") == "win64"
X64 = re.search(r"^Template: x64;", subprocess.run(["msiinfo", "suminfo", sys.argv[1]],
                capture_output=True, text=True).stdout, re.M) is not None
PROGRAM_FILES = "Program Files (x86)" if WIN64 and not X64 else "Program Files"
INSTALL = os.path.join(PREFIX, "drive_c", PROGRAM_FILES, "Wandrel")
# The per-machine Start menu; Wine 8's msiexec puts a per-machine package's shortcut into the
# installing user's Start menu instead, so either place counts.
SHORTCUTS = [os.path.join(PREFIX, "drive_c", "ProgramData", "Microsoft", "Windows", "Start Menu",
                          "Programs", "Wandrel 4.lnk")]


def shortcut():
    users = glob.glob(os.path.join(PREFIX, "drive_c", "users", "*", "AppData", "Roaming",
                                   "Microsoft", "Windows", "Start Menu", "Programs",
                                   "Wandrel 4.lnk"))
    found = [p for p in SHORTCUTS + users if os.path.isfile(p)]
    return found[0] if found else None


FILES = ("Wandrel4.exe", "Kestrow.ocx", "README.txt") + (("x64/Kestrow.ocx",) if X64 else ())
SETTINGS = r"HKCU\Software\Wandrel4"
UPGRADE_CODE = "{18A921CF-31D5-48C8-9792-7667C0FE08A1}"
UNINSTALL = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall"
CLSID = "{D33EED4D-19F7-4F71-8AF6-0F9092A2DC74}"
# The trees the control's registration writes below the machine's classes; on 64-bit Windows
# (and in a 64-bit Wine prefix) the type library's is one for both views, the rest one each.
PROGID = "KestrowCtl.cKestrow"
CLASS_ROOTS = (rf"CLSID\{CLSID}", r"KestrowCtl.cKestrow",
               r"Typelib\{5B0D6165-2BBF-4011-835C-AB11A42B0AC8}",
               r"Interface\{4F31CDCE-198A-406E-85A8-FC49AA4E679C}",
               r"Interface\{CB26B435-45C8-4E7D-A1F1-BA00734768AA}")
# Keys the removal may leave that are not the package's: Windows Installer's own (empty)
# folders, which Wine's msiexec creates on first use and every Windows already has, and the
# controls category's description that regsvr32 wrote during the comparison (the system's
# key, kept by the control's unregistration too).
FOREIGN = {f"[HKEY_LOCAL_MACHINE\\Software\\Classes\\{k}]" for k in (
    "Installer", r"Installer\Features", r"Installer\Products", r"Installer\UpgradeCodes",
    r"Component Categories\{40FC6ED4-2438-11CF-A3DB-080036F12502}")}
# 32-bit programs (msiexec's x86 components, the 32-bit control) see these views.
VIEW = ["/reg:32"] if WIN64 else []
VIEW64 = ["/reg:64"] if WIN64 else []
# Where no 32-bit program runs (RUNS_32=0) the package is checked without starting its
# 32-bit program or the 32-bit script host.
RUNS_32 = os.environ.get("RUNS_32", "1") == "1"
REGSVR32 = r"C:\windows\syswow64\regsvr32.exe" if WIN64 else "regsvr32"
OCX = "C:\\" + PROGRAM_FILES + r"\Wandrel\Kestrow.ocx"
OCX64 = "C:\\" + PROGRAM_FILES + r"\Wandrel\x64\Kestrow.ocx"
SCRIPTS_RUN = RUNS_32 or X64  # the x64 package's script host is the 64-bit one


def wine(*args, cwd=None, timeout=120):
    return checks.wine(*args, cwd=cwd, timeout=timeout)


def key_exists(key, view=()):
    return wine("reg", "query", key, *view)[0] == 0


def export(key, name, view=VIEW):
    """The lines of `reg export KEY` (32-bit view where that matters), [] when it is absent."""
    rc, _ = wine("reg", "export", key, rf"C:\{name}.reg", "/y", *view)
    path = os.path.join(PREFIX, "drive_c", f"{name}.reg")
    if rc != 0 or not os.path.exists(path):
        return []
    raw = open(path, "rb").read()
    os.remove(path)
    text = raw.decode("utf-16") if raw[:2] == b"\xff\xfe" else raw.decode("latin-1")
    return [l for l in text.replace("\r", "").split("\n")[1:] if l]


def classes(view=VIEW, roots=CLASS_ROOTS):
    """Every key and value of the control's class trees, as reg export writes them."""
    lines = []
    for root in roots:
        lines += export(rf"HKLM\Software\Classes\{root}", "classes", view)
    return lines


def helpdir_as_regsvr32(lines):
    """HELPDIR is the one known difference: the package names the folder as Windows Installer
    does, with its closing backslash."""
    helpdir = re.compile(r'^@="(.*)\\\\"$')
    return [helpdir.sub(r'@="\1"', l) if "HELPDIR" in p else l
            for p, l in zip([""] + lines, lines)]


def without_helpdir(lines):
    return [l for p, l in zip([""] + lines, lines) if "HELPDIR" not in p]


def as_32bit(lines):
    """The 64-bit control's lines as the 32-bit one's: the package's stand-in for it where no
    32-bit program runs."""
    esc = lambda path: path.replace("\\", "\\\\")
    return [re.sub(r"\\win64\]$", r"\\win32]", l.replace(esc(OCX64), esc(OCX)).replace(
        esc(OCX64.rsplit("\\", 1)[0]) + '"', esc(OCX.rsplit("\\", 1)[0]) + '"')) for l in lines]


def product_code(msi):
    out = subprocess.run(["msiinfo", "export", msi, "Property"], capture_output=True,
                         text=True).stdout
    return re.search(r"^ProductCode\t(\{[0-9A-F-]+\})", out, re.M).group(1)


def product_version(msi):
    out = subprocess.run(["msiinfo", "export", msi, "Property"], capture_output=True,
                         text=True).stdout
    return re.search(r"^ProductVersion\t(\S+)", out, re.M).group(1)


def product_entry(code):
    """The product's entry in the Apps list, as name -> value, or None."""
    for view in ([], ["/reg:32"], ["/reg:64"]):
        rc, out = wine("reg", "query", rf"{UNINSTALL}\{code}", *view)
        if rc == 0:
            return dict(re.findall(r"^[ \t]+(\S+)[ \t]+REG_\w+[ \t]*(.*?)[ \t]*$", out, re.M))
    return None


def msiexec(*args):
    return wine("msiexec", *args, timeout=180)[0]


def run_first_start():
    wine("reg", "delete", SETTINGS, "/f")
    exe = os.path.join(INSTALL, "Wandrel4.exe")
    proc = subprocess.Popen([LOADER, exe], cwd=INSTALL, stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL)
    shown = wait_for(lambda: subprocess.run(
        ["xdotool", "search", "--onlyvisible", "--name", "^Wandrel 4 Configuration$"],
        capture_output=True).returncode == 0)
    check(shown, "the installed Wandrel4.exe starts with its window Wandrel 4 Configuration")
    proc.kill()
    proc.wait()
    wait_for(lambda: "Wandrel4.exe" not in wine("cmd", "/c", "tasklist")[1], 15)


def run_script(examples):
    """tray.vbs from the examples, by the package's script host: the control by its ProgID."""
    shutil.copy(os.path.join(examples, "tray.vbs"), os.path.join(PREFIX, "drive_c", "tray.vbs"))
    host = r"C:\windows\syswow64\cscript.exe" if WIN64 and not X64 else "cscript"
    rc, out = wine(host, "//nologo", r"C:\tray.vbs")
    return rc == 0 and "TrayTip=VB 5 - Kestrow Control." in out.split("\n"), out.strip()


def table(msi, name):
    """The rows of an MSI table, each a list of its columns."""
    out = subprocess.run(["msiinfo", "export", msi, name], capture_output=True, text=True)
    return [l.split("\t") for l in out.stdout.split("\n")[3:] if l]


def check_tables(msi):
    """What Windows Installer decides from the tables alone, where Wine's msiexec differs."""
    # Windows would carry the replaced product's feature states over, ahead of REGISTERCONTROL.
    check(not [r for r in table(msi, "Upgrade") if int(r[4]) & 1],
          "an upgrade takes no feature state from the product it replaces")
    parents = {d: parent for d, parent, _ in table(msi, "Directory")}

    def in_64bit_folder(d):
        while d and not d.endswith("64Folder"):
            d = parents.get(d)
        return bool(d)

    wrong = [c for c, _, d, attributes, *_ in table(msi, "Component")
             if bool(int(attributes) & 256) != in_64bit_folder(d)]
    check(not wrong, f"every component sits in a folder of its own bitness (ICE80; not: {wrong})")
    # Both registry views share every class key but the classes and the interfaces.
    values = {}
    for _, root, key, name, value, _ in table(msi, "Registry"):
        if not key.lower().startswith(("clsid\\", "interface\\")):
            values.setdefault((root, key.lower(), name), set()).add(value)
    check(all(len(v) == 1 for v in values.values()),
          "no value of the shared keys is written twice differently")


def check_plain_install(msi, examples):
    code = product_code(msi)
    rc = msiexec("/i", msi, "/qn")
    check(rc == 0, f"msiexec /i /qn installs silently (exit {rc})")
    missing = [f for f in FILES if not os.path.isfile(os.path.join(INSTALL, f))]
    check(not missing, f"the files are in {PROGRAM_FILES}\\Wandrel, side by side "
                       f"(missing {missing})")
    readme = open(os.path.join(INSTALL, "README.txt"), encoding="latin-1").read()
    check(("x64\\Kestrow.ocx" in readme) == X64,
          "the installed README.txt names x64\\Kestrow.ocx only where the package ships it")
    check(shortcut() is not None, f"the Start-menu shortcut exists ({shortcut()})")
    entry = product_entry(code) or {}
    check(entry.get("DisplayVersion") == product_version(msi)
          and entry.get("DisplayName") == "Wandrel 4",
          f"the product is registered with its version ({entry.get('DisplayVersion')})")
    check(not classes() and not classes(VIEW64),
          "without REGISTERCONTROL the control is not registered machine-wide")
    if SCRIPTS_RUN:
        ok, out = run_script(examples)
        check(not ok, "so a script cannot create it by its ProgID")
    if RUNS_32:
        run_first_start()
    rc = msiexec("/x", msi, "/qn")
    check(rc == 0 and product_entry(code) is None and not os.path.exists(INSTALL),
          f"msiexec /x /qn removes it again (exit {rc})")


def check_register_and_upgrade(msi, newer, examples):
    rc = msiexec("/i", msi, "/qn", "REGISTERCONTROL=1")
    check(rc == 0, f"msiexec /i /qn REGISTERCONTROL=1 installs (exit {rc})")
    for view in [VIEW] + ([VIEW64] if X64 else []):
        written = classes(view)
        check(any(CLSID in l for l in written) and any("InprocServer32" in l for l in written),
              f"REGISTERCONTROL=1 writes the control's class keys ({view or 'the one view'})")
    if SCRIPTS_RUN:
        ok, out = run_script(examples)
        check(ok, f"a cscript script creates the control by its ProgID ({out!r})")

    old, new = product_code(msi), product_code(newer)
    rc = msiexec("/i", newer, "/qn", "REGISTERCONTROL=1")
    entry = product_entry(new) or {}
    check(rc == 0 and entry.get("DisplayVersion") == product_version(newer)
          and product_version(newer) != product_version(msi) and product_entry(old) is None,
          f"a newer package replaces the older one in place (exit {rc}, "
          f"{entry.get('DisplayVersion')}, old entry gone: {product_entry(old) is None})")
    check(all(os.path.isfile(os.path.join(INSTALL, f)) for f in FILES),
          "the files are there after the upgrade")

    # The package's keys against what each control's own registration writes in that place
    # and view: the 32-bit one's first, while the 64-bit view holds the package's keys.
    by_package, by_package64 = classes(), classes(VIEW64) if X64 else []
    if RUNS_32:
        compare_with_regsvr32(REGSVR32, OCX, VIEW, by_package, other_view=X64)
    if X64:
        compare_with_regsvr32("regsvr32", OCX64, VIEW64, by_package64, other_view=True)
        if not RUNS_32:
            own = [r for r in CLASS_ROOTS if not r.startswith("Typelib")]
            diff = sorted(set(classes(VIEW, own) if by_package else []) ^
                          set(as_32bit(classes(VIEW64, own))))
            check(by_package and not diff,
                  "the 32-bit view holds the 64-bit registration's keys for the 32-bit control "
                  f"(differing: {diff})")


def compare_with_regsvr32(regsvr32, ocx, view, by_package, other_view):
    """Unregisters and registers OCX with REGSVR32 and compares what that leaves in VIEW with
    what the package wrote there."""
    wine(regsvr32, "/s", "/u", ocx)
    # The ProgID and the type library are one key for both views on Windows: they stay while
    # the other view still registers the class, as the package's other component does.
    left = classes(view, [r for r in CLASS_ROOTS if r != PROGID and not (
        other_view and r.startswith("Typelib"))])
    progid = classes(view, [PROGID])
    check(not left and bool(progid) == other_view,
          f"regsvr32 /u removes the package's class keys in {view or 'its view'}"
          + (", all but the ProgID the other view still needs" if other_view else "")
          + f" (left: {left[:3]})")
    wine(regsvr32, "/s", ocx)
    by_regsvr32 = classes(view)
    mine, theirs = helpdir_as_regsvr32(by_package), helpdir_as_regsvr32(by_regsvr32)
    if other_view and view != VIEW64:
        # The one HELPDIR both views share names the folder of whichever control registered
        # last; in the package the 64-bit control's classes own it.
        mine, theirs = without_helpdir(mine), without_helpdir(theirs)
    diff = sorted(set(mine) ^ set(theirs))
    check(by_regsvr32 and not diff,
          f"the package writes exactly the keys regsvr32 writes in {view or 'its view'} "
          f"(differing: {diff})")


def packed(guid):
    """A GUID as Windows Installer writes it in its own keys' names."""
    g = guid.strip("{}").replace("-", "")
    swap = lambda t: "".join(t[i + 1] + t[i] for i in range(0, len(t), 2))
    return (g[7::-1] + g[11:7:-1] + g[15:11:-1] + swap(g[16:])).upper()


def hklm():
    return set(export(r"HKLM\Software", "hklm") + export(r"HKLM\Software", "hklm", VIEW64))


def check_removal(msi, newer, before_hklm):
    wine("reg", "add", SETTINGS, "/v", "Installed", "/d", "True", "/f")
    rc = msiexec("/x", newer, "/qn")
    check(rc == 0, f"msiexec /x /qn removes silently (exit {rc})")
    check(not os.path.exists(INSTALL), f"nothing is left under {PROGRAM_FILES}")
    check(shortcut() is None, "the shortcut is gone")
    check(product_entry(product_code(newer)) is None, "the product is no longer registered")
    left = classes() + classes(VIEW64)
    check(not left, f"nothing of the control is left under HKCR ({left[:3]})")
    # Wine registers its own type libraries on first use, so new keys alone prove nothing:
    # a key left behind is one that names the product, the control or the package's codes.
    after = hklm()
    marks = [m.upper() for m in ("Wandrel", "Kestrow", CLSID, *CLASS_ROOTS[2:],
                                 product_code(msi), product_code(newer), UPGRADE_CODE)]
    marks += [packed(m) for m in (product_code(msi), product_code(newer), UPGRADE_CODE)]
    added = sorted(l for l in after - before_hklm if l.startswith("[") and l not in FOREIGN
                   and any(m.split("\\")[-1] in l.upper() for m in marks))
    check(not added, f"no key of the package is left under HKLM\\Software ({added[:5]})")
    check(key_exists(SETTINGS), "the user's settings key stays")


def main():
    msi, newer, examples = sys.argv[1:4]
    before_hklm = hklm()
    check_tables(msi)
    check_plain_install(msi, examples)
    check_register_and_upgrade(msi, newer, examples)
    check_removal(msi, newer, before_hklm)
    return summary("msi")


if __name__ == "__main__":
    sys.exit(main())
