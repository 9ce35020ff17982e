"""Checks a release signed with a throwaway certificate, under Wine (DISPLAY, WINEPREFIX and
WINE_LOADER come from tools/with-wine):

    check_signed.py SIGNED_PACKAGE_DIR UNSIGNED_PACKAGE_DIR CERT_PEM

Every program, control, setup, the uninstaller the setup writes and both MSIs carry a valid
Authenticode signature by CERT_PEM (osslsigncode verify); the unsigned release carries none;
the signed setup and x86 MSI still install, and the signed program still starts."""
import glob
import os
import subprocess
import sys
import tempfile
import zipfile

import checks
from checks import check, summary, wait_for

LOADER = os.environ["WINE_LOADER"]
PREFIX = os.environ["WINEPREFIX"]


def wine(*args, timeout=180):
    return checks.wine(*args, timeout=timeout)[0]


def fingerprint(cert):
    out = subprocess.run(["openssl", "x509", "-in", cert, "-noout", "-fingerprint", "-sha256"],
                         capture_output=True, text=True, check=True).stdout
    return out.split("=", 1)[1].strip().replace(":", "").lower()


def signed_by(path, cert):
    """(valid signature by cert, osslsigncode's report)."""
    r = subprocess.run(["osslsigncode", "verify", "-CAfile", cert, "-in", path],
                       capture_output=True, text=True, errors="replace")
    report = r.stdout + r.stderr
    # The signer is named by its certificate's SHA-256 fingerprint, not by a name anyone
    # could give a certificate of their own.
    leaf = subprocess.run(["osslsigncode", "extract-signature", "-pem", "-in", path, "-out",
                           path + ".sig.pem"], capture_output=True)
    ours = False
    if leaf.returncode == 0:
        certs = subprocess.run(["openssl", "pkcs7", "-print_certs", "-in", path + ".sig.pem"],
                               capture_output=True, text=True).stdout
        os.remove(path + ".sig.pem")
        with tempfile.NamedTemporaryFile("w", suffix=".pem", delete=False) as f:
            f.write(certs)
        try:
            ours = fingerprint(f.name) == fingerprint(cert)
        except subprocess.CalledProcessError:
            ours = False
        os.remove(f.name)
    ok = r.returncode == 0 and "Signature verification: ok" in report and ours
    return ok, report


def check_files(package, unsigned, cert):
    files = [os.path.join(package, "stage", n)
             for n in ("Wandrel4.exe", "Kestrow.ocx", os.path.join("x64", "Kestrow.ocx"))]
    # A zip carries no signature of its own: what it holds is checked below.
    files += sorted(glob.glob(os.path.join(package, "Wandrel-*-setup.exe")) +
                    glob.glob(os.path.join(package, "Wandrel-*.msi")))
    check(len(files) == 6, f"the signed release has its six signable files ({files})")
    for path in files:
        ok, report = signed_by(path, cert)
        check(ok, f"{os.path.relpath(path, package)} carries a valid signature by the test "
                  f"certificate" + ("" if ok else f":\n{report}"))
    # What the zip holds is what was signed.
    zips = glob.glob(os.path.join(package, "Wandrel-*-win32.zip"))
    with zipfile.ZipFile(zips[0]) as z, tempfile.TemporaryDirectory() as tmp:
        z.extract("Wandrel4.exe", tmp)
        check(signed_by(os.path.join(tmp, "Wandrel4.exe"), cert)[0],
              "the zip's Wandrel4.exe is the signed one")
    plain = os.path.join(unsigned, "stage", "Wandrel4.exe")
    check(not signed_by(plain, cert)[0], "the release built without a certificate is unsigned")


def wait_window(title, timeout=30):
    return wait_for(lambda: subprocess.run(
        ["xdotool", "search", "--onlyvisible", "--name", f"^{title}$"],
        capture_output=True).returncode == 0, timeout)


def start_program(folder):
    wine("reg", "delete", r"HKCU\Software\Wandrel4", "/f")
    proc = subprocess.Popen([LOADER, os.path.join(folder, "Wandrel4.exe")], cwd=folder,
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    shown = wait_window("Wandrel 4 Configuration")
    proc.kill()
    proc.wait()
    return shown


def check_install(package, cert):
    setup = glob.glob(os.path.join(package, "Wandrel-*-setup.exe"))[0]
    users = [u for u in glob.glob(os.path.join(PREFIX, "drive_c", "users", "*"))
             if not u.endswith("Public")]
    folder = os.path.join(users[0], "AppData", "Local", "Programs", "Wandrel")
    check(wine(setup, "/S") == 0 and os.path.isfile(os.path.join(folder, "Wandrel4.exe")),
          "the signed setup installs silently")
    uninstaller = os.path.join(folder, "uninstall.exe")
    ok, report = signed_by(uninstaller, cert) if os.path.isfile(uninstaller) else (False, "")
    check(ok, "the uninstaller the setup wrote carries a valid signature by the test "
              "certificate" + ("" if ok else f":\n{report}"))
    check(start_program(folder), "the signed Wandrel4.exe starts with its configuration window")
    wine(uninstaller, "/S")

    msi = glob.glob(os.path.join(package, "Wandrel-*-x86.msi"))[0]
    program_files = "Program Files (x86)" if os.environ.get("WINEARCH") == "win64" \
        else "Program Files"
    folder = os.path.join(PREFIX, "drive_c", program_files, "Wandrel")
    check(wine("msiexec", "/i", msi, "/qn") == 0 and
          signed_by(os.path.join(folder, "Kestrow.ocx"), cert)[0],
          "the signed MSI installs silently, with the signed control")
    check(wine("msiexec", "/x", msi, "/qn") == 0 and not os.path.exists(folder),
          "and removes it again")


def main():
    package, unsigned, cert = sys.argv[1:4]
    check_files(package, unsigned, cert)
    if os.environ.get("RUNS_32", "1") == "1":
        check_install(package, cert)
    else:
        print("signed: no 32-bit program runs here; the signed setup and MSI were not run")
    return summary("signed")


if __name__ == "__main__":
    sys.exit(main())
