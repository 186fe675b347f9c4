#!/usr/bin/env bash
# Fuzzes one of the readers with libFuzzer for the given number of seconds
# (default 600):
#   keb   the 7z reader (default), starting from archives made with 7zz and py7zr;
#   form  the form-file readers, starting from the test forms as text and compiled.
#   tests/fuzz/run.sh [seconds] [build folder] [keb|form]
# The build folder is the host build (default build/host); the fuzzer is
# built there by its target (keb_reader_fuzzer, form_file_fuzzer). Findings
# are written to <build>/tests/fuzz/findings/ (form: form-findings/).
set -euo pipefail
cd "$(dirname "$0")/../.."
seconds="${1:-600}"
build="${2:-build/host}"
reader="${3:-keb}"
work="$(cd "$build" && pwd)/tests/fuzz"

seed_keb() {
  local corpus="$1" i=0
  src="$(mktemp -d)"  # global: the exit trap removes it
  trap 'rm -rf "$src"' EXIT
  printf 'hello hello hello\r\n' > "$src/a.txt"
  head -c 3000 /dev/urandom > "$src/b.bin"
  printf '\xE8\x10\x00\x00\x00\x90\xE9\x00\x01\x00\x00' > "$src/c.exe"
  mkdir -p "$src/d/e"
  : > "$src/d/empty"
  for m in "-m0=Copy" "-m0=LZMA -mf=off" "-m0=LZMA2" "-mf=BCJ" "-mf=BCJ2" "-mf=Delta:2" "-ms=off" "-mhc=off" \
           "-pSecret" "-mhe=on -pSecret"; do
    i=$((i + 1))
    if command -v 7zz >/dev/null; then
      (cd "$src" && 7zz a -bd -y $m "$corpus/seed$i.7z" . >/dev/null)
    fi
  done
  printf '7z\xbc\xaf\x27\x1c\x00\x04\x8d\x9b\xd5\x0f\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00' > "$corpus/empty.7z"
}

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
  keb) fuzzer="$work/keb_reader_fuzzer" corpus="$work/corpus" findings="$work/findings" options=() ;;
  form) fuzzer="$work/form_file_fuzzer" corpus="$work/form-corpus" findings="$work/form-findings"
        options=(-dict=tests/fuzz/form.dict) ;;
  *) echo "unknown reader '$reader' (keb or form)" >&2; exit 2 ;;
esac

if [ ! -x "$fuzzer" ]; then
  cmake --build "$build" --target "$(basename "$fuzzer")"
fi

if [ ! -d "$corpus" ] || [ -z "$(ls -A "$corpus")" ]; then
  mkdir -p "$corpus"
  "seed_$reader" "$corpus"
fi

mkdir -p "$findings"
"$fuzzer" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 -max_len=65536 "${options[@]}" \
  -artifact_prefix="$findings/" -print_final_stats=1 "$corpus" 2>&1 | tail -n 25
