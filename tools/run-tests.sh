#!/usr/bin/env bash
# Runs every test: installs what is missing, builds the host side and both
# Windows widths, then runs the unit, fuzz and Wine end-to-end tests through
# ctest. The Wine scenarios run the win32 build where this machine runs
# 32-bit programs and the win64 build where it cannot (ORVANTA_WINE=64
# forces the 64-bit path).
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/install-deps.sh
echo "Wine end-to-end path: $(/usr/bin/python3 tests/e2e/winehost.py path)-bit"
for preset in host win32 win64; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
done
# Every outside tool is installed above, so a check that skips is a failure.
ORVANTA_NO_SKIPS=1 ctest --preset host "$@"
