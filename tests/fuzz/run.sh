#!/usr/bin/env bash
# Fuzzes one of the readers with libFuzzer for the given number of seconds
# (default 600):
#   keb   the 7z reader (default), starting from the committed seeds in
#         tests/fuzz/corpus (written by tests/fuzz/make_corpus.sh);
#   form  the form-file readers, starting from the test forms as text and compiled;
#   html  the HTML page reader of the dialogs' HTML frame, from a sample page.
#   tests/fuzz/run.sh [seconds] [build folder] [keb|form|html]
# The build folder is the host build (default build/host); the fuzzer is
# built there by its target (keb_reader_fuzzer, form_file_fuzzer). New inputs
# go to the build's corpus; findings are written to
# <build>/tests/fuzz/findings/ (form: form-findings/).
set -euo pipefail
cd "$(dirname "$0")/../.."
seconds="${1:-600}"
build="${2:-build/host}"
reader="${3:-keb}"
work="$(cd "$build" && pwd)/tests/fuzz"

seed_form() {
  local corpus="$1" form name
  for form in tests/forms/*.txt; do
    name="$(basename "$form" .txt)"
    cp "$form" "$corpus/$name.txt"
    if [ -x "$build/orvanta" ]; then
      "$build/orvanta" form "$form" -o "$corpus/$name.dfm"
    fi
  done
}

case "$reader" in
  keb) fuzzer="$work/keb_reader_fuzzer" corpus="$work/corpus" findings="$work/findings" options=()
       seeds=(tests/fuzz/corpus) ;;
  form) fuzzer="$work/form_file_fuzzer" corpus="$work/form-corpus" findings="$work/form-findings"
        options=(-dict=tests/fuzz/form.dict) seeds=() ;;
  html) fuzzer="$work/html_page_fuzzer" corpus="$work/html-corpus" findings="$work/html-findings"
        options=(-dict=tests/fuzz/html.dict) seeds=(tests/fuzz/html-seeds) ;;
  *) echo "unknown reader '$reader' (keb, form or html)" >&2; exit 2 ;;
esac

if [ ! -x "$fuzzer" ]; then
  cmake --build "$build" --target "$(basename "$fuzzer")"
fi

mkdir -p "$corpus"
if [ "$reader" = form ] && [ -z "$(ls -A "$corpus")" ]; then
  seed_form "$corpus"
fi

mkdir -p "$findings"
"$fuzzer" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 -max_len=65536 "${options[@]}" \
  -artifact_prefix="$findings/" -print_final_stats=1 "$corpus" "${seeds[@]}" 2>&1 | tail -n 25
