#!/usr/bin/env bash
# Extraction benchmark: the same ~100 MB archive (moderately compressible
# generated data) extracted by our decoder (orvanta archive extract) and by
# 7zz with one thread, once with LZMA2 and once with LZMA. The machine is
# shared, so each tool runs five times, interleaved (ours, 7zz, ours, ...),
# and the medians are compared: the throughput ratio (ours / 7zz, higher is
# better) and both peak memories from /usr/bin/time -v. A second line runs
# the i686 keb.dll (through kebextract.exe) under 32-bit Wine against the
# 32-bit 7zz of Debian's 7zip:i386 package (unpacked into the win32 build
# folder, never installed), where this machine can run it; the fixed cost of
# a Wine start is measured apart and shown with it. Then each branch and swap
# filter before LZMA2 on code-like data, against 7zz -mmt1. Then the same data
# in four folders, and in one folder
# of independent blocks, ours on two threads against 7zz -mmt2. Then 20,000
# small files in one solid archive:
# files per second of both and their ratio.
#   bench/keb_extract.sh [size in MB] [host build folder] [win32 build folder]
set -euo pipefail
cd "$(dirname "$0")/.."
size_mb="${1:-100}"
orvanta="$(cd "${2:-build/host}" && pwd)/orvanta"
win32_build="${3:-build/win32}"
runs=5
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
user_seconds() { grep "User time (seconds)" "$1" | awk '{print $NF}'; }
# Runs a command under /usr/bin/time; appends "seconds:peak_kb:user_seconds"
# to the named variable. User CPU time (of the command and its children, so
# of the program Wine runs too) suffers less than wall time from other work
# on a shared machine.
timed() {
  local var="$1"; shift
  /usr/bin/time -v "$@" >/dev/null 2>"$work/run.time"
  printf -v "$var" '%s %s:%s:%s' "${!var}" "$(seconds "$work/run.time")" "$(peak_kb "$work/run.time")" \
    "$(user_seconds "$work/run.time")"
}
# Extracts an archive $runs times with ours and with 7zz -mmt<threads>,
# interleaved, checks that both wrote the same, and leaves the times in
# ours_runs and theirs_runs.
interleaved() {
  local archive="$1" threads="$2"
  ours_runs="" theirs_runs=""
  for run in $(seq "$runs"); do
    rm -rf "$work/ours" "$work/theirs"
    timed ours_runs "$orvanta" archive extract "$archive" "$work/ours"
    timed theirs_runs 7zz x -bd -y -mmt"$threads" -o"$work/theirs" "$archive"
    diff -r "$work/ours" "$work/theirs"
  done
}
# Prints the medians of two run lists and the ratios of the medians: of wall
# time (throughput) and of user CPU time.
report() {
  python3 - "$@" <<'PY'
import statistics, sys
title, mb, ours_label, ours, theirs = sys.argv[1], float(sys.argv[2]), sys.argv[3], sys.argv[4], sys.argv[5]
def parse(runs):
    triples = [r.split(":") for r in runs.split()]
    return [float(s) for s, _, _ in triples], max(int(k) for _, k, _ in triples), [float(u) for _, _, u in triples]
(o, o_kb, ou), (t, t_kb, tu) = parse(ours), parse(theirs)
om, tm = statistics.median(o), statistics.median(t)
oum, tum = statistics.median(ou), statistics.median(tu)
print(title)
print(f"  {ours_label}: median {om:.2f} s of {' '.join(f'{x:.2f}' for x in o)}, {mb / om:.1f} MB/s, peak {o_kb / 1024:.1f} MB, user {oum:.2f} s")
print(f"  7zz : median {tm:.2f} s of {' '.join(f'{x:.2f}' for x in t)}, {mb / tm:.1f} MB/s, peak {t_kb / 1024:.1f} MB, user {tum:.2f} s")
print(f"  throughput ratio ours/7zz (medians): {tm / om:.2f}x; user CPU time ratio 7zz/ours (medians): {tum / oum:.2f}x")
PY
}
# The shipped engine is i686: its keb.dll runs only where 32-bit Wine can.
kebextract=""
if ! /lib/ld-linux.so.2 --help >/dev/null 2>&1; then
  echo "i686 keb.dll under Wine: not measured, this machine cannot run 32-bit programs (/lib/ld-linux.so.2)"
elif ! command -v wine >/dev/null || [ ! -f "$win32_build/kebextract.exe" ]; then
  echo "i686 keb.dll under Wine: not measured, needs wine and $win32_build/kebextract.exe"
else
  kebextract="$(cd "$win32_build" && pwd)/kebextract.exe"
fi
# The i686 line's reference: a native 32-bit 7zz of the same 7-Zip, from the
# package of the machine's own release, unpacked beside the win32 build so
# that nothing replaces the machine's 7zz. Without it the line compares
# against the machine's 7zz and says so.
sevenzip32="" reference32="x64 7zz (no 32-bit 7zz: apt-get download 7zip:i386 failed)"
if [ -n "$kebextract" ]; then
  private="$(cd "$win32_build" && pwd)/7zip-i386"
  if [ ! -x "$private/root/usr/bin/7zz" ]; then
    mkdir -p "$private"
    (cd "$private" && rm -f 7zip_*_i386.deb && apt-get download 7zip:i386 >/dev/null 2>&1 &&
      dpkg-deb -x 7zip_*_i386.deb root) || true
  fi
  if "$private/root/usr/bin/7zz" i >/dev/null 2>&1; then
    sevenzip32="$private/root/usr/bin/7zz"
    reference32="32-bit 7zz $("$sevenzip32" | awk '/^7-Zip/ {print $3, $4; exit}')"
  fi
  # A prefix of the benchmark's own, with one Wine server and its services
  # kept for the whole run: a server left to end between two runs (the host
  # lines take seconds between them) makes the next run start it and Wine's
  # services again, a cost of Wine's, not of the decoder. What every start
  # still costs is measured with the usage text alone.
  export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree,mshtml="
  trap 'wineserver -k 2>/dev/null || true; rm -rf "$work"' EXIT
  mkdir -p "$WINEPREFIX"
  wineserver -p
  DISPLAY="" wine wineboot -i >/dev/null 2>&1
  wine "$kebextract" >/dev/null 2>&1 || true
  wine_start_runs=""
  for run in $(seq "$runs"); do
    /usr/bin/time -f %e -o "$work/start.time" wine "$kebextract" >/dev/null 2>&1 || true
    wine_start_runs+=" $(tail -1 "$work/start.time")"
  done
  wine_start="$(python3 -c "import statistics, sys; print(f'{statistics.median(map(float, sys.argv[1:])):.2f}')" $wine_start_runs)"
fi

mb="$(python3 -c "import os; print(os.path.getsize('$work/src/data.bin') / 1048576)")"
for method in LZMA2 LZMA; do
  archive="$work/bench_$method.7z"
  (cd "$work/src" && 7zz a -bd -y -mmt=1 -m0=$method:d=16m -mf=off "$archive" data.bin >/dev/null)
  title="$method (dictionary 16 MB, $(printf '%.0f' "$mb") MB -> $(python3 -c "print(f'{$(stat -c %s "$archive") / 1048576:.1f}')") MB packed, $runs runs each, interleaved)"
  ours_runs="" theirs_runs="" dll_runs="" dll_theirs_runs=""
  for run in $(seq "$runs"); do
    rm -rf "$work/ours" "$work/theirs"
    timed ours_runs "$orvanta" archive extract "$archive" "$work/ours"
    timed theirs_runs 7zz x -bd -y -mmt1 -o"$work/theirs" "$archive"
    cmp "$work/ours/data.bin" "$work/theirs/data.bin"
    if [ -n "$kebextract" ]; then
      rm -rf "$work/dll" "$work/theirs"
      timed dll_runs wine "$kebextract" extract "$archive" "$work/dll"
      timed dll_theirs_runs "${sevenzip32:-7zz}" x -bd -y -mmt1 -o"$work/theirs" "$archive"
      cmp "$work/dll/data.bin" "$work/theirs/data.bin"
    fi
  done
  report "$title" "$mb" "ours" "$ours_runs" "$theirs_runs"
  if [ -n "$kebextract" ]; then
    report "$method, i686 keb.dll under Wine against $reference32" "$mb" "dll " "$dll_runs" "$dll_theirs_runs"
    echo "  of the dll's time, a Wine start alone (kebextract without work): median $wine_start s of$wine_start_runs"
  fi
done

# The branch and swap filters: a quarter of the size in code-like words that
# every filter converts somewhere (ARM/Thumb/ARM64 calls, ADRP, PowerPC bl,
# SPARC call, IA-64 bundles, RISC-V JAL and AUIPC pairs, mixed with a few
# recurring other words so that it packs like code), one archive per filter
# before LZMA2; ours against 7zz -mmt1 on the same archive.
python3 - "$work/code.bin" "$size_mb" <<'PY'
import random, sys
rng = random.Random(3)
pool = [rng.getrandbits(32) for _ in range(4000)]
makers = [lambda: 0xEB000000 | rng.getrandbits(16), lambda: 0xF800F000 | rng.getrandbits(11) | rng.getrandbits(8) << 16,
          lambda: 0x94000000 | rng.getrandbits(18), lambda: 0x90000000 | rng.getrandbits(5) | rng.getrandbits(10) << 5,
          lambda: 0x01000048 | rng.getrandbits(12) << 10, lambda: 0x00000040 | rng.getrandbits(14) << 18,
          lambda: 0x000000EF | rng.getrandbits(16) << 16, lambda: 0x00000297 | rng.getrandbits(12) << 20,
          lambda: 0x00000016 | rng.getrandbits(20) << 8]
target = int(sys.argv[2]) * 1024 * 1024 // 4
with open(sys.argv[1], "wb") as f:
    for _ in range(target // 4096):
        f.write(b"".join((rng.choice(makers)() if rng.random() < 0.3 else rng.choice(pool)).to_bytes(4, "little")
                         for _ in range(1024)))
PY
code_mb="$(python3 -c "import os; print(os.path.getsize('$work/code.bin') / 1048576)")"
mkdir -p "$work/code" && mv "$work/code.bin" "$work/code/code.bin"
for filter in ARM ARMT ARM64 PPC SPARC IA64 RISCV Swap2 Swap4; do
  archive="$work/filter_$filter.7z"
  (cd "$work/code" && 7zz a -bd -y -mmt=1 -m0=$filter -m1=LZMA2:d=16m "$archive" code.bin >/dev/null)
  interleaved "$archive" 1
  report "$filter + LZMA2 ($(printf '%.0f' "$code_mb") MB of code-like words, $runs runs each, interleaved)" \
    "$code_mb" "ours" "$ours_runs" "$theirs_runs"
  rm -f "$archive"
done
rm -rf "$work/code" "$work/ours" "$work/theirs"

# Several folders: the data in four files, each its own solid block
# (-ms=off), so that two folders can be decoded at once. Ours with two threads
# (the default on two or more cores) against 7zz with two; wall time, as
# both spread the work. The single-thread ratio is the LZMA2 line above.
mkdir -p "$work/parts"
python3 - "$work/src/data.bin" "$work/parts" <<'PY'
import sys
data = open(sys.argv[1], "rb").read()
quarter = len(data) // 4 + 1
for i in range(4):
    open(f"{sys.argv[2]}/part{i}.bin", "wb").write(data[i * quarter:(i + 1) * quarter])
PY
archive="$work/parts.7z"
(cd "$work/parts" && 7zz a -bd -y -mmt=1 -m0=LZMA2:d=16m -mf=off -ms=off "$archive" . >/dev/null)
interleaved "$archive" 2
report "LZMA2, four folders of $(printf '%.0f' "$(python3 -c "print($mb / 4)")") MB, two threads (ours) against 7zz -mmt2, $runs runs each, interleaved" \
  "$mb" "ours" "$ours_runs" "$theirs_runs"
rm -rf "$work/parts" "$work/ours" "$work/theirs"

# One folder of independent LZMA2 blocks, as 7zz writes it with several
# threads (here 32 MB blocks): ours decodes a block ahead on a second thread,
# against 7zz -mmt2, which decodes such blocks in parallel too.
archive="$work/blocks.7z"
(cd "$work/src" && 7zz a -bd -y -mmt=2 -m0=LZMA2:d=16m:c=32m -mf=off "$archive" data.bin >/dev/null)
interleaved "$archive" 2
report "LZMA2, one folder of 32 MB blocks, two threads (ours) against 7zz -mmt2, $runs runs each, interleaved" \
  "$mb" "ours" "$ours_runs" "$theirs_runs"
rm -rf "$work/ours" "$work/theirs" "$archive"

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
for run in $(seq "$runs"); do
  /usr/bin/time -v "$orvanta" archive extract "$archive" "$work/ours$run" >/dev/null 2>"$work/ours.time"
  /usr/bin/time -v 7zz x -bd -y -mmt1 -o"$work/theirs$run" "$archive" >/dev/null 2>"$work/theirs.time"
  ours_runs+=" $(seconds "$work/ours.time")"
  theirs_runs+=" $(seconds "$work/theirs.time")"
done
diff -r "$work/ours1" "$work/theirs1" >/dev/null
python3 - "$files" "$ours_runs" "$theirs_runs" <<'PY'
import sys
files = int(sys.argv[1])
import statistics
ours, theirs = statistics.median(map(float, sys.argv[2].split())), statistics.median(map(float, sys.argv[3].split()))
print(f"{files} small files (LZMA2 solid, median of 5 interleaved runs: ours{sys.argv[2]} s, 7zz{sys.argv[3]} s)")
print(f"  ours: {ours:.2f} s, {files / ours:.0f} files/s")
print(f"  7zz : {theirs:.2f} s, {files / theirs:.0f} files/s")
print(f"  files per second ratio ours/7zz: {theirs / ours:.2f}x")
PY
