#!/usr/bin/env bash
# Fuzzes the form-file readers with libFuzzer for the given number of seconds
# (default 600), starting from the test forms as text and compiled.
#   tests/fuzz/run-form.sh [seconds] [build folder]
# The build folder is the host build (default build/host); the fuzzer is
# built there by its form_file_fuzzer target. Findings are written to
# <build>/tests/fuzz/form-findings/.
set -euo pipefail
cd "$(dirname "$0")/../.."
seconds="${1:-600}"
build="${2:-build/host}"
work="$(cd "$build" && pwd)/tests/fuzz"
fuzzer="$work/form_file_fuzzer"

if [ ! -x "$fuzzer" ]; then
  cmake --build "$build" --target form_file_fuzzer
fi

corpus="$work/form-corpus"
if [ ! -d "$corpus" ] || [ -z "$(ls -A "$corpus")" ]; then
  mkdir -p "$corpus"
  for form in tests/forms/*.txt; do
    name="$(basename "$form" .txt)"
    cp "$form" "$corpus/$name.txt"
    if [ -x "$build/orvanta" ]; then
      "$build/orvanta" form "$form" -o "$corpus/$name.dfm"
    fi
  done
fi

mkdir -p "$work/form-findings"
"$fuzzer" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 -max_len=65536 \
  -dict=tests/fuzz/form.dict -artifact_prefix="$work/form-findings/" -print_final_stats=1 "$corpus" 2>&1 |
  tail -n 25
