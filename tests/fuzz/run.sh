#!/usr/bin/env bash
# Fuzzes the 7z reader with libFuzzer for the given number of seconds
# (default 600), starting from archives made with 7zz and py7zr.
#   tests/fuzz/run.sh [seconds] [build folder]
# The build folder is the host build (default build/host); the fuzzer is
# built there by its keb_reader_fuzzer target. Findings are written to
# <build>/tests/fuzz/findings/.
set -euo pipefail
cd "$(dirname "$0")/../.."
seconds="${1:-600}"
build="${2:-build/host}"
work="$(cd "$build" && pwd)/tests/fuzz"
fuzzer="$work/keb_reader_fuzzer"

if [ ! -x "$fuzzer" ]; then
  cmake --build "$build" --target keb_reader_fuzzer
fi

corpus="$work/corpus"
if [ ! -d "$corpus" ] || [ -z "$(ls -A "$corpus")" ]; then
  mkdir -p "$corpus"
  src="$(mktemp -d)"
  trap 'rm -rf "$src"' EXIT
  printf 'hello hello hello\r\n' > "$src/a.txt"
  head -c 3000 /dev/urandom > "$src/b.bin"
  printf '\xE8\x10\x00\x00\x00\x90\xE9\x00\x01\x00\x00' > "$src/c.exe"
  mkdir -p "$src/d/e"
  : > "$src/d/empty"
  i=0
  for m in "-m0=Copy" "-m0=LZMA -mf=off" "-m0=LZMA2" "-mf=BCJ" "-mf=BCJ2" "-mf=Delta:2" "-ms=off" "-mhc=off" \
           "-pSecret" "-mhe=on -pSecret"; do
    i=$((i + 1))
    if command -v 7zz >/dev/null; then
      (cd "$src" && 7zz a -bd -y $m "$corpus/seed$i.7z" . >/dev/null)
    fi
  done
  printf '7z\xbc\xaf\x27\x1c\x00\x04\x8d\x9b\xd5\x0f\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00' > "$corpus/empty.7z"
fi

mkdir -p "$work/findings"
"$fuzzer" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 -max_len=65536 \
  -artifact_prefix="$work/findings/" -print_final_stats=1 "$corpus" 2>&1 | tail -n 25
