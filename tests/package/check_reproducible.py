"""Checks that a release can be trusted byte for byte:

    check_reproducible.py PACKAGE_DIR OTHER_PACKAGE_DIR

Both folders were written by tools/package from the same commit, each from its own export in
its own folder. Every shipped binary and every release file must be identical in both (on a
difference the differing byte ranges are printed), and each folder's SHA256SUMS must list
exactly its release files with their right checksums."""
import glob
import hashlib
import os
import sys

from checks import check, summary

BINARIES = ("stage/Wandrel4.exe", "stage/Kestrow.ocx", "stage/x64/Kestrow.ocx")


def release_files(package):
    return sorted(os.path.basename(p) for p in glob.glob(os.path.join(package, "Wandrel-*")))


def differing_ranges(a, b, most=8):
    """The first differing byte ranges as (start, end) offsets, end exclusive."""
    ranges, start = [], None
    for i in range(min(len(a), len(b))):
        if a[i] != b[i]:
            if start is None:
                start = i
        elif start is not None:
            ranges.append((start, i))
            start = None
            if len(ranges) == most:
                return ranges
    if start is not None:
        ranges.append((start, min(len(a), len(b))))
    return ranges


def compare(first, second):
    names = list(BINARIES) + release_files(first) + ["SHA256SUMS"]
    check(release_files(first) == release_files(second) and len(release_files(first)) == 4,
          f"both builds wrote the same release files ({release_files(first)}, "
          f"{release_files(second)})")
    for name in names:
        paths = [os.path.join(first, name), os.path.join(second, name)]
        if not check(all(os.path.isfile(p) for p in paths), f"{name} is in both builds"):
            continue
        a, b = (open(p, "rb").read() for p in paths)
        same = a == b
        detail = ""
        if not same:
            ranges = differing_ranges(a, b)
            detail = (f": sizes {len(a)} and {len(b)}, differing at "
                      + ", ".join(f"0x{s:x}-0x{e:x}" for s, e in ranges))
        check(same, f"{name} is the same in both builds{detail}")


def check_sums(package):
    path = os.path.join(package, "SHA256SUMS")
    if not check(os.path.isfile(path), f"{path} exists"):
        return
    listed = {}
    for line in open(path).read().splitlines():
        digest, _, name = line.partition("  ")
        listed[name.lstrip("*")] = digest
    check(sorted(listed) == release_files(package),
          f"SHA256SUMS lists every release file ({sorted(listed)})")
    for name, digest in sorted(listed.items()):
        full = os.path.join(package, name)
        actual = hashlib.sha256(open(full, "rb").read()).hexdigest() if os.path.isfile(full) else ""
        check(actual == digest, f"SHA256SUMS holds the checksum of {name}")


def main():
    first, second = sys.argv[1:3]
    compare(first, second)
    check_sums(first)
    check_sums(second)
    return summary("reproducible")


if __name__ == "__main__":
    sys.exit(main())
