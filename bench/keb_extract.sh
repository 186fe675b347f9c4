#!/usr/bin/env bash
# Extraction benchmark: the same ~100 MB archive (moderately compressible
# generated data) extracted by our decoder (orvanta archive extract) and by
# 7zz with one thread, once with LZMA2 and once with LZMA. Prints both
# times, the throughput ratio (ours / 7zz, higher is better) and both peak
# memories from /usr/bin/time -v. Then 20,000 small files in one solid
# archive: files per second of both and their ratio.
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

# Many small files: the cost per entry (selection, folders, file creation)
# rather than decoding. Each run extracts into a folder of its own and
# nothing is deleted until the end: ext4 is slow to create files just after
# many were deleted, which would favour whichever tool runs second.
files=20000
python3 - "$work/many" "$files" <<'PY'
import os, random, sys
rng = random.Random(2)
for i in range(int(sys.argv[2])):
    folder = os.path.join(sys.argv[1], "d%02d" % (i // 500))
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "f%05d.txt" % i), "wb") as f:
        f.write(b"".join(b"line %d of file %d\r\n" % (k, i) for k in range(rng.randrange(1, 60))))
PY
archive="$work/many.7z"
(cd "$work/many" && 7zz a -bd -y -mmt=1 "$archive" . >/dev/null)
ours_runs="" theirs_runs=""
for run in 1 2 3 4 5; do
  /usr/bin/time -v "$orvanta" archive extract "$archive" "$work/ours$run" >/dev/null 2>"$work/ours.time"
  /usr/bin/time -v 7zz x -bd -y -mmt1 -o"$work/theirs$run" "$archive" >/dev/null 2>"$work/theirs.time"
  ours_runs+=" $(seconds "$work/ours.time")"
  theirs_runs+=" $(seconds "$work/theirs.time")"
done
diff -r "$work/ours1" "$work/theirs1" >/dev/null
python3 - "$files" "$ours_runs" "$theirs_runs" <<'PY'
import sys
files = int(sys.argv[1])
ours, theirs = min(map(float, sys.argv[2].split())), min(map(float, sys.argv[3].split()))
print(f"{files} small files (LZMA2 solid, best of 5 runs: ours{sys.argv[2]} s, 7zz{sys.argv[3]} s)")
print(f"  ours: {ours:.2f} s, {files / ours:.0f} files/s")
print(f"  7zz : {theirs:.2f} s, {files / theirs:.0f} files/s")
print(f"  files per second ratio ours/7zz: {theirs / ours:.2f}x")
PY
