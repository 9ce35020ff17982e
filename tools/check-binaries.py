#!/usr/bin/env python3
"""Checks the shipped binaries: PE images of the expected machine that import Windows system
DLLs only, stay within their size limit, carry no link time and have the protections every
current Windows linker sets: ASLR with a relocation table to move by, DEP, high-entropy ASLR
on x64, and terminal-server awareness for a program. A DLL exports the entry points its
callers find by name, undecorated and pointing into its code.

    check-binaries.py [--x64] FILE[:MAX_KB] ...

Without --x64 every FILE must be a 32-bit i386 image, with it a 64-bit AMD64 one. A limit is
in KB of 1024 bytes. A FILE that is not a DLL counts as a program."""
import struct
import sys

MACHINES = {False: (0x14C, 0x10B, "PE32 i386"), True: (0x8664, 0x20B, "PE32+ AMD64")}

FILE_RELOCS_STRIPPED, FILE_DLL = 0x0001, 0x2000
# DllCharacteristics bits.
HIGH_ENTROPY_VA, DYNAMIC_BASE, NX_COMPAT, TERMINAL_SERVER_AWARE = 0x20, 0x40, 0x100, 0x8000

SYSTEM_DLLS = {
    "kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "shell32.dll", "ole32.dll",
    "oleaut32.dll", "comctl32.dll", "shlwapi.dll", "msvcrt.dll", "uxtheme.dll",
}


def headers(data):
    """The header fields the checks read: machine, optional header magic, link time,
    file characteristics, DllCharacteristics and the size of the relocation table."""
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        raise ValueError("not a PE image")
    machine, _, stamp = struct.unpack_from("<HHI", data, pe + 4)
    characteristics = struct.unpack_from("<H", data, pe + 22)[0]
    opt = pe + 24
    magic, = struct.unpack_from("<H", data, opt)
    dll_characteristics, = struct.unpack_from("<H", data, opt + 70)
    dirs = opt + (96 if magic == 0x10B else 112)
    reloc_size, = struct.unpack_from("<I", data, dirs + 5 * 8 + 4)
    return stamp, characteristics, dll_characteristics, reloc_size


def protection_faults(path, data, x64):
    stamp, characteristics, flags, reloc_size = headers(data)
    faults = []
    if stamp != 0:
        faults.append(f"{path} carries a link time (0x{stamp:08x}): two builds would differ")
    wanted = {"ASLR (dynamicbase)": DYNAMIC_BASE, "DEP (nxcompat)": NX_COMPAT}
    if x64:
        wanted["high-entropy ASLR"] = HIGH_ENTROPY_VA
    if not characteristics & FILE_DLL:
        wanted["terminal-server awareness"] = TERMINAL_SERVER_AWARE
    faults += [f"{path} lacks {name}" for name, bit in wanted.items() if not flags & bit]
    if characteristics & FILE_RELOCS_STRIPPED or reloc_size == 0:
        faults.append(f"{path} has no relocation table: Windows cannot move it (no ASLR)")
    return faults


# What regsvr32, COM and an installer look up by name in an in-process server. A 32-bit
# stdcall symbol carries "_Name@N"; exported so, GetProcAddress("Name") finds nothing.
SERVER_EXPORTS = {"DllCanUnloadNow", "DllGetClassObject", "DllInstall", "DllRegisterServer",
                  "DllUnregisterServer"}


def parse(data):
    """Returns the machine, optional-header magic, imported DLL names and exports
    (name -> (rva, rva inside an executable section)) of a PE image."""
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        raise ValueError("not a PE image")
    machine, nsections = struct.unpack_from("<HH", data, pe + 4)
    opt_size = struct.unpack_from("<H", data, pe + 20)[0]
    opt = pe + 24
    magic = struct.unpack_from("<H", data, opt)[0]
    sections = []
    for i in range(nsections):
        s = opt + opt_size + 40 * i
        vsize, va, rawsize, raw = struct.unpack_from("<IIII", data, s + 8)
        flags = struct.unpack_from("<I", data, s + 36)[0]
        sections.append((va, max(vsize, rawsize), raw, bool(flags & 0x20000000)))

    def off(rva):
        for va, size, raw, _ in sections:
            if va <= rva < va + size:
                return rva - va + raw
        raise ValueError("rva outside sections")

    dirs = opt + (96 if magic == 0x10B else 112)
    imp_rva = struct.unpack_from("<I", data, dirs + 8)[0]
    names = []
    pos = off(imp_rva)
    while True:
        name_rva = struct.unpack_from("<I", data, pos + 12)[0]
        if name_rva == 0:
            break
        n = off(name_rva)
        names.append(data[n:data.index(b"\0", n)].decode().lower())
        pos += 20

    def code(rva):
        return any(va <= rva < va + size and x for va, size, _, x in sections)

    exports = {}
    exp_rva = struct.unpack_from("<I", data, dirs)[0]
    if exp_rva:
        e = off(exp_rva)
        base_ordinal, nfuncs, nnames, funcs, names_rva, ords = struct.unpack_from("<6I", data, e + 16)
        for i in range(nnames):
            n = off(struct.unpack_from("<I", data, off(names_rva) + 4 * i)[0])
            ordinal = struct.unpack_from("<H", data, off(ords) + 2 * i)[0]
            rva = struct.unpack_from("<I", data, off(funcs) + 4 * ordinal)[0]
            exports[data[n:data.index(b"\0", n)].decode()] = (rva, code(rva))
    return machine, magic, names, exports


def export_faults(path, exports):
    """An in-process server's entry points: each present under its plain name and pointing
    into executable code; no name decorated the way a 32-bit stdcall symbol is."""
    faults = []
    for name in sorted(SERVER_EXPORTS):
        if name not in exports:
            faults.append(f"{path} does not export {name} by its plain name")
        elif not exports[name][1]:
            faults.append(f"{path} exports {name} outside its code")
    decorated = [n for n in exports if "@" in n or n.startswith("_")]
    if decorated:
        faults.append(f"{path} exports decorated names: {', '.join(sorted(decorated))}")
    return faults


def check(path, limit_kb, x64):
    """Returns the list of faults of one binary and prints its figures."""
    data = open(path, "rb").read()
    want_machine, want_magic, kind = MACHINES[x64]
    faults = []
    try:
        machine, magic, names, exports = parse(data)
        faults += protection_faults(path, data, x64)
    except (ValueError, struct.error, IndexError) as e:
        return [f"{path} is not a readable PE image ({e})"]
    if machine != want_machine or magic != want_magic:
        faults.append(f"{path} is not a {kind} image")
    foreign = [n for n in names if n not in SYSTEM_DLLS]
    if foreign:
        faults.append(f"{path} imports non-system DLLs: {', '.join(foreign)}")
    if path.lower().endswith((".ocx", ".dll")):
        faults += export_faults(path, exports)
    size = f"{len(data)} bytes ({len(data) / 1024:.0f} KB)"
    if limit_kb is not None:
        size += f", limit {limit_kb} KB"
        if len(data) > limit_kb * 1024:
            faults.append(f"{path} is {len(data)} bytes, over its limit of {limit_kb} KB")
    print(f"check-binaries: {path}: {kind}, {size}, imports {', '.join(names)}"
          + (f", exports {', '.join(sorted(exports))}" if exports else ""))
    return faults


def main(argv):
    x64 = "--x64" in argv
    faults = []
    for arg in (a for a in argv if a != "--x64"):
        path, _, limit = arg.partition(":")
        faults += check(path, int(limit) if limit else None, x64)
    for fault in faults:
        print(f"check-binaries: {fault}")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
