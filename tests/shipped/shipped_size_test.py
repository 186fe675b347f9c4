"""The shipped programs stay small: each of kebstub.exe, keb.dll and the
single-file launcher kebsfx.exe of the win32 and win64 builds may be at most
10 % larger than its figure recorded in bench/recorded_sizes.txt, and the
i686 launcher, which every single-file setup carries, at most 150 KB.

usage: shipped_size_test.py BUILDS_DIR RECORDED_SIZES
Exits 77 (skipped) when neither Windows build is there.
"""

import sys
from pathlib import Path

from verdict import verdict

ALLOWED_GROWTH = 1.10
LIMITS = {"win32/kebsfx.exe": 153_600}  # bytes, without the appended archive


def recorded(path):
    sizes = {}
    for line in Path(path).read_text().splitlines():
        if line.strip() and not line.startswith("#"):
            name, size = line.split()
            sizes[name] = int(size)
    return sizes


def main(builds, record):
    checked, faults = 0, []
    for name, size in recorded(record).items():
        program = Path(builds) / name
        if not program.exists():
            print(f"skipped {name}: not built")
            continue
        checked += 1
        actual = program.stat().st_size
        print(f"{name}: {actual:,} bytes, recorded {size:,} ({(actual - size) / size:+.1%})")
        if actual > size * ALLOWED_GROWTH:
            faults.append(f"{name} grew to {actual:,} bytes, more than 10 % over the recorded {size:,}")
        if name in LIMITS and actual > LIMITS[name]:
            faults.append(f"{name} is {actual:,} bytes, over its limit of {LIMITS[name]:,}")
    return verdict(checked, faults)


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    sys.exit(main(sys.argv[1], sys.argv[2]))
