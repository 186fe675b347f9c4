#!/usr/bin/env bash
# Runs every test: installs what is missing, builds both sides (host and
# win32), then runs the unit, fuzz and Wine end-to-end tests through ctest.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/install-deps.sh
cmake --preset host >/dev/null
cmake --build --preset host
cmake --preset win32 >/dev/null
cmake --build --preset win32
ctest --preset host "$@"
