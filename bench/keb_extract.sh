#!/usr/bin/env bash
# Extraction benchmark: the same ~100 MB archive (moderately compressible
# generated data) extracted by our decoder (orvanta archive extract) and by
# 7zz with one thread, once with LZMA2 and once with LZMA. Prints both
# times, the throughput ratio (ours / 7zz, higher is better) and both peak
# memories from /usr/bin/time -v.
#   bench/keb_extract.sh [size in MB] [host build folder]
set -euo pipefail
cd "$(dirname "$0")/.."
size_mb="${1:-100}"
orvanta="$(cd "${2:-build/host}" && pwd)/orvanta"
for tool in 7zz /usr/bin/time python3 "$orvanta"; do
  command -v "$tool" >/dev/null || { echo "missing: $tool" >&2; exit 1; }
done

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/src"
# Log-like text with varying numbers and a share of random bytes: about 4:1 with LZMA.
python3 - "$work/src/data.bin" "$size_mb" <<'PY'
import random, sys
rng = random.Random(1)
words = [b"setup", b"engine", b"archive", b"folder", b"value", b"install", b"registry", b"component"]
target = int(sys.argv[2]) * 1024 * 1024
with open(sys.argv[1], "wb") as f:
    written = 0
    while written < target:
        if rng.random() < 0.08:
            chunk = rng.randbytes(4096)
        else:
            chunk = b"".join(b"%s %d %s=%x\r\n" % (rng.choice(words), rng.randrange(10**6), rng.choice(words), rng.getrandbits(24))
                             for _ in range(100))
        f.write(chunk)
        written += len(chunk)
PY

peak_kb() { grep "Maximum resident set size" "$1" | awk '{print $NF}'; }
seconds() { grep "Elapsed (wall clock)" "$1" | awk '{print $NF}' | awk -F: '{ if (NF == 3) print $1*3600 + $2*60 + $3; else print $1*60 + $2 }'; }

for method in LZMA2 LZMA; do
  archive="$work/bench_$method.7z"
  (cd "$work/src" && 7zz a -bd -y -mmt=1 -m0=$method:d=16m -mf=off "$archive" data.bin >/dev/null)
  rm -rf "$work/ours" "$work/theirs"
  /usr/bin/time -v "$orvanta" archive extract "$archive" "$work/ours" >/dev/null 2>"$work/ours.time"
  /usr/bin/time -v 7zz x -bd -y -mmt1 -o"$work/theirs" "$archive" >/dev/null 2>"$work/theirs.time"
  cmp "$work/ours/data.bin" "$work/theirs/data.bin"
  ours_s="$(seconds "$work/ours.time")"
  theirs_s="$(seconds "$work/theirs.time")"
  mb="$(python3 -c "import os; print(os.path.getsize('$work/src/data.bin') / 1048576)")"
  python3 - "$method" "$mb" "$ours_s" "$theirs_s" "$(peak_kb "$work/ours.time")" "$(peak_kb "$work/theirs.time")" \
    "$(stat -c %s "$archive")" <<'PY'
import sys
method, mb, ours, theirs, ours_kb, theirs_kb, packed = sys.argv[1], float(sys.argv[2]), float(sys.argv[3]), float(sys.argv[4]), int(sys.argv[5]), int(sys.argv[6]), int(sys.argv[7])
print(f"{method} (dictionary 16 MB, {mb:.0f} MB -> {packed / 1048576:.1f} MB packed)")
print(f"  ours: {ours:.2f} s, {mb / ours:.1f} MB/s, peak {ours_kb / 1024:.1f} MB")
print(f"  7zz : {theirs:.2f} s, {mb / theirs:.1f} MB/s, peak {theirs_kb / 1024:.1f} MB")
print(f"  throughput ratio ours/7zz: {theirs / ours:.2f}x")
PY
done
