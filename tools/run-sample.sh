#!/usr/bin/env bash
# The main job: builds the sample setup of examples/sample with orvanta, runs
# it silently under Wine in a fresh prefix, and shows what it installed.
# Machines that run 32-bit programs run the x86 setup in a 32-bit prefix;
# others (or ORVANTA_WINE=64) the x64 setup in a 64-bit prefix.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

bash tools/install-deps.sh
width=$(/usr/bin/python3 tests/e2e/winehost.py path)
if [ "$width" = 64 ]; then arch=x64 loader=/usr/lib/wine/wine64; else arch=x86 loader=/usr/lib/wine/wine; fi
echo "== using ${width}-bit Wine and the win${width} engine (--arch $arch)"
cmake --preset host >/dev/null
cmake --build --preset host --target orvanta
cmake --preset "win$width" >/dev/null
cmake --build --preset "win$width"

out=$root/build/sample
rm -rf "$out"
mkdir -p "$out"
build/host/orvanta build examples/sample -o "$out/setup" --arch "$arch"

export WINEPREFIX=$out/prefix WINEARCH=win$width WINELOADER=$loader WINEDEBUG=-all \
  WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree,mshtml="
echo "== preparing a Wine prefix"
xvfb-run -a "$loader" wineboot -i >/dev/null 2>&1
wine_c=$WINEPREFIX/drive_c

echo "== running sample.exe /s"
set +e
setup_exe="Z:${out//\//\\}\\setup\\sample.exe"
xvfb-run -a "$loader" cmd /c "start \"\" /wait \"$setup_exe\" /s & echo ERRORLEVEL=%ERRORLEVEL%" \
  2>/dev/null | tr -d '\r' | grep '^ERRORLEVEL=' | sed 's/ERRORLEVEL=/exit code: /'
set -e
wineserver -w

show_key() {
  echo "-- $1"
  "$loader" reg query "$1" 2>/dev/null | tr -d '\r' | sed -n 's/^    /   /p' || true
}

echo "== the script's report"
find "$wine_c/users" -name orvanta-sample.txt -exec cat {} \; 2>/dev/null | tr -d '\r' || true
echo "== installed files"
(cd "$wine_c" && find "Program Files/Orvanta Sample" 2>/dev/null | sort) || echo "(none)"
echo "== registry"
show_key 'HKLM\Software\Orvanta Samples\Sample'
show_key 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Orvanta Sample'
show_key 'HKLM\Software\Telvoria\Orvanta\Ident.Cache\{6F1B2C3D-4E5F-4A6B-8C7D-9E0F1A2B3C4D}'
echo "-- environment"
"$loader" reg query 'HKLM\System\CurrentControlSet\Control\Session Manager\Environment' /v ORVANTA_SAMPLE_HOME 2>/dev/null \
  | tr -d '\r' | grep ORVANTA || echo "   (not set)"
echo "== setup cache"
(cd "$wine_c" && find . -path '*Application Data/{7A2B3C4D-5E6F-4B7C-8D9E-0F1A2B3C4D5E}*' 2>/dev/null | sort) || true
wineserver -k || true
