"""Checks the release as a Windows user meets it, under Wine (DISPLAY, WINEPREFIX and
WINE_LOADER come from tools/with-wine):

    check_release.py PACKAGE_DIR INSTALLER BIN EXAMPLES

PACKAGE_DIR holds what tools/package wrote; INSTALLER is the installer to run (the shipped
one, or the same script built for x86_64 where no 32-bit program runs); BIN is the folder
of the control the script examples use; EXAMPLES is docs/examples. Every wait polls with a
deadline."""
import glob
import os
import re
import subprocess
import sys
import zipfile

from checks import check, summary, wait_for, wine

LOADER = os.environ["WINE_LOADER"]
PREFIX = os.environ["WINEPREFIX"]
UNINSTALL = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Wandrel"
SETTINGS = r"HKCU\Software\Wandrel4"
CLSID = "{D33EED4D-19F7-4F71-8AF6-0F9092A2DC74}"
LIBID = "{5B0D6165-2BBF-4011-835C-AB11A42B0AC8}"
INTERFACES = ("{4F31CDCE-198A-406E-85A8-FC49AA4E679C}", "{CB26B435-45C8-4E7D-A1F1-BA00734768AA}")
def reg_values(key):
    rc, out = wine("reg", "query", key)
    if rc != 0:
        return None
    values = {}
    for line in out.splitlines():
        m = re.match(r"\s+(\S+)\s+(REG_\w+)\s+(.*)", line)
        if m:
            values[m.group(1)] = m.group(3).strip()
    return values


def key_exists(key):
    return wine("reg", "query", key)[0] == 0


def hklm_snapshot():
    """HKLM as reg export writes it; keys that Wine itself touches at every start are
    the same in both snapshots because each is taken after a Wine command ran."""
    out = os.path.join(PREFIX, "drive_c", "hklm.reg")
    wine("reg", "export", r"HKLM\Software", r"C:\hklm.reg", "/y")
    with open(out, "rb") as f:
        return f.read()


def user_path(*parts):
    users = glob.glob(os.path.join(PREFIX, "drive_c", "users", "*", "AppData"))
    users = [u for u in users if "/Public/" not in u]
    return os.path.join(users[0], *parts)


def version_block(path):
    """The ProductVersion text of a file's version block, or None without one. The block is
    stored as UTF-16 in the resources, which neither an installer nor its uninstaller compress."""
    with open(path, "rb") as f:
        data = f.read()
    if "VS_VERSION_INFO".encode("utf-16-le") not in data:
        return None
    key = "ProductVersion\0".encode("utf-16-le")
    at = data.find(key)
    if at < 0:
        return None
    at += len(key)
    at += at % 4  # the value starts on a 32-bit boundary
    end = data.find(b"\0\0", at)
    while end >= 0 and (end - at) % 2:
        end = data.find(b"\0\0", end + 1)
    return data[at:end].decode("utf-16-le") if end > at else None


def check_zip(package):
    zips = glob.glob(os.path.join(package, "Wandrel-*-win32.zip"))
    if not check(len(zips) == 1, "the package holds one zip"):
        return
    names = sorted(zipfile.ZipFile(zips[0]).namelist())
    check(names == sorted(["Wandrel4.exe", "Kestrow.ocx", "x64/Kestrow.ocx", "README.txt"]),
          f"the zip holds exactly the program, both controls and README.txt ({names})")


def check_install(installer):
    install = user_path("Local", "Programs", "Wandrel")
    shortcut = user_path("Roaming", "Microsoft", "Windows", "Start Menu", "Programs",
                         "Wandrel 4.lnk")
    files = ["Wandrel4.exe", "Kestrow.ocx", "README.txt", "x64/Kestrow.ocx", "uninstall.exe"]
    before = hklm_snapshot()
    rc, _ = wine(installer, "/S", timeout=120)
    check(rc == 0, "silent install ends with 0")
    missing = [f for f in files if not os.path.isfile(os.path.join(install, f))]
    check(not missing, f"the files are in %LOCALAPPDATA%\\Programs\\Wandrel (missing {missing})")
    check(os.path.isfile(shortcut), "the Start-menu shortcut exists")
    entry = reg_values(UNINSTALL) or {}
    wanted = ["DisplayName", "DisplayVersion", "Publisher", "DisplayIcon", "UninstallString",
              "QuietUninstallString", "EstimatedSize", "NoModify", "NoRepair"]
    check(all(k in entry for k in wanted), f"the Apps entry is complete ({sorted(entry)})")
    check(entry.get("DisplayName") == "Wandrel 4" and entry.get("NoModify") == "0x1"
          and entry.get("QuietUninstallString", "").endswith("uninstall.exe\" /S")
          and int(entry.get("EstimatedSize", "0"), 16) > 0, "the Apps entry's values")
    check(hklm_snapshot() == before, "nothing was written under HKLM\\Software")
    versions = [version_block(installer), version_block(os.path.join(install, "uninstall.exe"))]
    check(versions[0] and versions == [versions[0]] * 2 and re.fullmatch(r"\d+\.\d+", versions[0]),
          f"the installer and the uninstaller carry version blocks ({versions})")

    # The installed program starts on a first run with its configuration window.
    wine("reg", "delete", SETTINGS, "/f")
    proc = subprocess.Popen([LOADER, os.path.join(install, "Wandrel4.exe")], cwd=install,
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    shown = wait_for(lambda: subprocess.run(
        ["xdotool", "search", "--onlyvisible", "--name", "^Wandrel 4 Configuration$"],
        capture_output=True).returncode == 0)
    check(shown, "the installed Wandrel4.exe shows its configuration window")
    rc, _ = wine(installer, "/S", timeout=120)
    check(rc != 0 and key_exists(UNINSTALL), "setup refuses while Wandrel runs")
    proc.kill()
    proc.wait()
    wait_for(lambda: wine("cmd", "/c", "tasklist")[1].find("Wandrel4.exe") < 0, 15)

    rc, _ = wine(installer, "/S", timeout=120)
    check(rc == 0 and all(os.path.isfile(os.path.join(install, f)) for f in files),
          "installing again over the installed copy works")

    wine("reg", "add", SETTINGS, "/v", "Installed", "/d", "True", "/f")
    uninstaller = os.path.join(install, "uninstall.exe")
    wine(uninstaller, "/S", timeout=120)
    gone = wait_for(lambda: not os.path.exists(install) and not os.path.exists(shortcut)
                    and not key_exists(UNINSTALL), 60)
    check(gone, "silent uninstall leaves no file, no shortcut, no Apps entry")
    check(key_exists(SETTINGS), "silent uninstall keeps the settings key")


def merge_user_classes():
    """Windows creates a class for a user from HKCU\\Software\\Classes through its merged view
    of HKEY_CLASSES_ROOT; Wine 8 has no such view and reads the machine's classes only. So the
    user's class keys, exactly as the registration wrote them, are copied into the machine's:
    whatever the per-user registration left out, the scripts then miss too."""
    exported = os.path.join(PREFIX, "drive_c", "user-classes.reg")
    wine("reg", "export", r"HKCU\Software\Classes", r"C:\user-classes.reg", "/y")
    with open(exported, "rb") as f:
        raw = f.read()
    text = raw.decode("utf-16") if raw[:2] == b"\xff\xfe" else raw.decode("latin-1")
    text = text.replace("[HKEY_CURRENT_USER\\Software\\Classes",
                        "[HKEY_LOCAL_MACHINE\\Software\\Classes")
    with open(exported, "wb") as f:
        f.write(text.encode("utf-16"))
    wine("regedit", "/s", r"C:\user-classes.reg")


def unmerge_user_classes():
    for key in (rf"HKLM\Software\Classes\CLSID\{CLSID}",
                r"HKLM\Software\Classes\KestrowCtl.cKestrow",
                rf"HKLM\Software\Classes\TypeLib\{LIBID}",
                *(rf"HKLM\Software\Classes\Interface\{iid}" for iid in INTERFACES)):
        wine("reg", "delete", key, "/f")


def run_examples(examples):
    for script in sorted(glob.glob(os.path.join(examples, "*.vbs")) +
                         glob.glob(os.path.join(examples, "*.js"))):
        # A script named by its Unix path is not found: name it inside its folder.
        rc, out = wine("cscript", "//nologo", os.path.basename(script), cwd=examples)
        lines = out.split("\n")
        check(rc == 0 and "TrayTip=VB 5 - Kestrow Control." in lines
              and any(l in ("InTray=False", "InTray=false") for l in lines)
              and "TrayIcon.Type=3" in lines and any(l.startswith("shown: InTray=True")
                                                     or l.startswith("shown: InTray=true")
                                                     for l in lines),
              f"{os.path.basename(script)} creates the control, reads its defaults and "
              f"shows the icon ({out.strip()!r})")


def user_class_keys_left():
    return [k for k in (rf"HKCU\Software\Classes\CLSID\{CLSID}",
                        r"HKCU\Software\Classes\KestrowCtl.cKestrow",
                        rf"HKCU\Software\Classes\TypeLib\{LIBID}") if key_exists(k)]


def check_examples(bin_dir, examples):
    """Per-user registration, the script examples against it, then unregistration."""
    ocx = os.path.join(bin_dir, "Kestrow.ocx")
    rc, _ = wine("regsvr32", "/s", "/n", "/i:user", ocx)
    check(rc == 0, "regsvr32 /n /i:user registers the control")
    check(key_exists(rf"HKCU\Software\Classes\CLSID\{CLSID}"), "the class is under HKCU")
    check(not key_exists(rf"HKLM\Software\Classes\CLSID\{CLSID}"), "and not under HKLM")
    merge_user_classes()
    run_examples(examples)
    unmerge_user_classes()
    rc, _ = wine("regsvr32", "/s", "/u", "/n", "/i:user", ocx)
    check(rc == 0, "regsvr32 /u /n /i:user unregisters the control")
    left = user_class_keys_left()
    check(not left, f"unregistration leaves nothing under HKCU\\Software\\Classes ({left})")


def check_register_component(installer):
    """The installer's optional component registers the control for the user; the
    uninstaller takes that registration away again."""
    install = user_path("Local", "Programs", "Wandrel")
    check(not user_class_keys_left(), "before: the control is not registered for the user")
    rc, _ = wine(installer, "/S", "/RegisterControl", timeout=120)
    check(rc == 0 and key_exists(rf"HKCU\Software\Classes\CLSID\{CLSID}")
          and key_exists(r"HKCU\Software\Classes\KestrowCtl.cKestrow"),
          "install /S /RegisterControl registers the control per user")
    wine(os.path.join(install, "uninstall.exe"), "/S", timeout=120)
    wait_for(lambda: not key_exists(UNINSTALL), 60)
    left = user_class_keys_left()
    check(not left, f"the uninstaller removes that registration ({left})")


def main():
    package, installer, bin_dir, examples = sys.argv[1:5]
    check_zip(package)
    check_install(installer)
    check_register_component(installer)
    check_examples(bin_dir, examples)
    return summary("release")


if __name__ == "__main__":
    sys.exit(main())
