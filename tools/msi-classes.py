#!/usr/bin/env python3
"""Turns what the control's own registration wrote into rows of an MSI Registry table, so the
MSI writes exactly the keys regsvr32 writes and cannot drift from them.

    msi-classes.py BEFORE.reg AFTER.reg OCX [--component NAME] [--file ID] [--folder ID]
                   [--attributes N] [--from-win64]

BEFORE.reg and AFTER.reg are `reg export` files of HKLM\\Software\\Classes in the control's own
registry view, taken before and after `regsvr32 OCX` (tools/package does that in a scratch
Wine prefix). Prints SQL statements for msibuild, one a line, for the component NAME
(ControlClasses), whose rows are named NAME_0, NAME_1, ... and the type library's
HELPDIR NAME_HelpDir:
  - every key the registration created at the top (the class, the ProgID, the type library,
    the interfaces) as "*": created on install, removed with everything below on uninstall;
  - every value, with OCX as the installed file ID (Kestrow.ocx) and its folder as the
    directory ID (INSTALLDIR); keys without values as "+".
The component category's description is left out: it is the system's own key, shared by
every control, which the control's unregistration keeps too. So is Wow6432Node, the other
registry view: Wine's 64-bit type library registration also writes its library and
interfaces there, which the 32-bit control's own registration covers in its view.
--from-win64 takes a registration of the x64 control (machines that run no 32-bit code) as
that of the 32-bit one: the type library's platform key win64 becomes win32."""
import argparse
import re
import sys

SHARED = ("Component Categories\\", "Wow6432Node\\")
ROOT = "HKEY_LOCAL_MACHINE\\Software\\Classes\\"


def parse(path):
    """{key: {name or None: value}} of a reg export."""
    raw = open(path, "rb").read()
    text = raw.decode("utf-16") if raw[:2] in (b"\xff\xfe", b"\xfe\xff") else raw.decode()
    keys, current = {}, None
    text = re.sub(r",\\\n\s*", ",", text.replace("\r", ""))  # hex data goes on over lines
    for line in text.split("\n"):
        if line.startswith("[") and line.endswith("]"):
            current = keys.setdefault(line[1:-1], {})
        elif current is not None and line and not line.startswith(("Windows Registry", "REGEDIT")):
            m = re.fullmatch(r'(@|"((?:[^"\\]|\\.)*)")=(?:"((?:[^"\\]|\\.)*)"|(.*))', line)
            if not m:
                raise SystemExit(f"msi-classes: cannot read {line}")
            name = None if m.group(1) == "@" else unescape(m.group(2))
            # Other types stay as written; copying one is refused below.
            current[name] = unescape(m.group(3)) if m.group(4) is None else NotString(line)
    return keys


class NotString(str):
    pass


def unescape(text):
    return re.sub(r"\\(.)", r"\1", text)


def formatted(value, ocx, file_id, folder_id):
    """The value as MSI formatted text: brackets and a leading # are taken literally, the
    file and the folder become the installed ones."""
    text = value.replace("[", "\x00").replace("]", "[\\]]").replace("\x00", "[\\[]")
    if text.startswith("#"):
        text = "#" + text
    text = text.replace(ocx, f"[#{file_id}]")
    if text == ocx.rsplit("\\", 1)[0]:
        text = f"[{folder_id}]"
    return text


def sql(value):
    return str(value) if isinstance(value, int) else "'" + value.replace("'", "''") + "'"


def main(argv):
    parser = argparse.ArgumentParser()
    parser.add_argument("before_path")
    parser.add_argument("after_path")
    parser.add_argument("ocx")
    parser.add_argument("--component", default="ControlClasses")
    parser.add_argument("--file", default="Kestrow.ocx")
    parser.add_argument("--folder", default="INSTALLDIR")
    parser.add_argument("--from-win64", action="store_true")
    # The component's attributes: 4, its key path is a registry value; 260, of the 64-bit view.
    parser.add_argument("--attributes", type=int, default=4)
    args = parser.parse_args(argv)
    before, after = parse(args.before_path), parse(args.after_path)
    created = {}
    for key, values in after.items():
        if not key.startswith(ROOT):
            continue
        sub = key[len(ROOT):]
        if sub.startswith(SHARED):
            continue
        new = {n: v for n, v in values.items() if before.get(key, {}).get(n) != v}
        if key in before and not new:
            continue
        if args.from_win64:
            sub = re.sub(r"\\win64$", r"\\win32", sub)
        created[sub] = new
        for value in new.values():
            if isinstance(value, NotString):
                raise SystemExit(f"msi-classes: {sub}: not a string value: {value}")
    if not created:
        raise SystemExit("msi-classes: the registration wrote nothing")
    rows = []
    for sub in sorted(created, key=str.lower):
        parent = sub.rsplit("\\", 1)[0]
        if "\\" not in sub.rstrip("\\") or parent not in created:
            rows.append((sub, "*", None))
        elif not created[sub]:
            rows.append((sub, "+", None))
        for name in sorted(created[sub], key=lambda n: (n is not None, (n or "").lower())):
            rows.append((sub, name, formatted(created[sub][name], args.ocx, args.file,
                                                args.folder)))

    def row_id(i):
        # The type library's HELPDIR by name: a package with two classes components keeps
        # this value, which both views share, in one of them (tools/make-msi).
        key, name, _ = rows[i]
        helpdir = name is None and key.upper().endswith("\\HELPDIR")
        return f"{args.component}_{'HelpDir' if helpdir else i}"

    for i, (key, name, value) in enumerate(rows):
        # msibuild's SQL has no NULL: a column left out is one.
        columns = {"Registry": row_id(i), "Root": 0, "Key": key, "Name": name,
                   "Value": value, "Component_": args.component}
        columns = {c: v for c, v in columns.items() if v is not None}
        print(f"INSERT INTO `Registry` ({', '.join(f'`{c}`' for c in columns)}) VALUES "
              f"({', '.join(sql(v) for v in columns.values())})")
    # The component's key path: the first value written, the class's name.
    keypath = next(i for i, row in enumerate(rows) if row[1] not in ("*", "+"))
    print(f"UPDATE `Component` SET `KeyPath` = '{row_id(keypath)}', "
          f"`Attributes` = {args.attributes} WHERE `Component` = '{args.component}'")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
