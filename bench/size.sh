#!/usr/bin/env bash
# Sizes of kebstub.exe and keb.dll and where their bytes go by contributor,
# from the linker maps of a Windows build. For the i686 build (the default,
# which the goal of at most 1 MB together is for) the figures from before the
# engine was made smaller (bench/size_before.txt) stand beside them.
#
# usage: bash bench/size.sh [BUILD_DIR]     (default: build/win32)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build/win32}
before=()
[ "$(basename "$build")" = win32 ] && before=(--before "$here/size_before.txt")
exec /usr/bin/python3 "$here/size_report.py" "$build" "${before[@]}"
