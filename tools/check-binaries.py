#!/usr/bin/env python3
"""Checks the shipped binaries: 32-bit PE images that import Windows system DLLs only."""
import struct
import sys

SYSTEM_DLLS = {
    "kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "shell32.dll", "ole32.dll",
    "oleaut32.dll", "comctl32.dll", "shlwapi.dll", "msvcrt.dll", "uxtheme.dll",
}


def imports(data):
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
        sections.append((va, max(vsize, rawsize), raw))

    def off(rva):
        for va, size, raw in sections:
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
    return machine, magic, names


def main():
    ok = True
    for path in sys.argv[1:]:
        data = open(path, "rb").read()
        machine, magic, names = imports(data)
        if machine != 0x14C or magic != 0x10B:
            print(f"check-binaries: {path} is not a 32-bit i386 image")
            ok = False
        foreign = [n for n in names if n not in SYSTEM_DLLS]
        if foreign:
            print(f"check-binaries: {path} imports non-system DLLs: {', '.join(foreign)}")
            ok = False
        print(f"check-binaries: {path}: PE32 i386, {len(data)} bytes, imports {', '.join(names)}")
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
