#!/usr/bin/env bash
# Fuzzes the 7z reader with libFuzzer for the given number of seconds
# (default 600), starting from the committed seeds in tests/fuzz/corpus.
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

# New inputs go to the build's corpus; the committed seeds (written by
# tests/fuzz/make_corpus.sh) are read as they are.
corpus="$work/corpus"
mkdir -p "$corpus"

mkdir -p "$work/findings"
"$fuzzer" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 -max_len=65536 \
  -artifact_prefix="$work/findings/" -print_final_stats=1 "$corpus" tests/fuzz/corpus 2>&1 | tail -n 25
