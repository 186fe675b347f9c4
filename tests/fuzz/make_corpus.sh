#!/usr/bin/env bash
# Writes the committed seed corpus (tests/fuzz/corpus) with 7zz, py7zr and
# bsdtar: every method and header kind the reader decodes, small enough to
# mutate quickly. Encrypted seeds use the fuzzer's password "fuzz"; py7zr's
# are written at 2^6 SHA-256 rounds instead of 2^19, so that decrypting them
# costs microseconds, not a tenth of a second, per execution.
#   tests/fuzz/make_corpus.sh
set -euo pipefail
cd "$(dirname "$0")"
corpus="$PWD/corpus"
rm -rf "$corpus"
mkdir -p "$corpus"
src="$(mktemp -d)"
trap 'rm -rf "$src"' EXIT
cd "$src"
printf 'hello hello hello\r\n' > a.txt
head -c 600 /dev/urandom > b.bin
# x86-like code with relative calls and jumps for the branch filters
/usr/bin/python3 -c '
import random
r = random.Random(5)
b = bytearray()
while len(b) < 1500:
    k = r.randrange(6)
    if k < 3:
        b += bytes([[0xE8, 0xE9, 0x0F][k]]) + (b"\x85" if k == 2 else b"")
        b += r.randrange(-4096, 4096).to_bytes(4, "little", signed=True)
    else:
        b.append(0x50 + r.randrange(8))
open("c.exe", "wb").write(bytes(b[:1500]))'
mkdir -p d/e
: > d/empty

for m in "copy:-m0=Copy" "lzma:-m0=LZMA -mf=off" "lzma2:-m0=LZMA2" "bcj:-mf=BCJ" "bcj2:-mf=BCJ2" \
         "delta:-mf=Delta:2" "nonsolid:-ms=off" "plain_header:-mhc=off" "bcj2_plain_header:-mf=BCJ2 -mhc=off"; do
  7zz a -bd -y ${m#*:} "$corpus/7zz_${m%%:*}.7z" . >/dev/null
done
bsdtar -cf "$corpus/bsdtar_dot.7z" --format 7zip .
# Words every other branch filter converts (ARM and Thumb BL, ARM64 BL and
# ADRP, PowerPC bl, SPARC call, IA-64 branch bundles, RISC-V JAL and AUIPC
# pairs), one archive per filter of this code alone.
/usr/bin/python3 -c '
import random
r = random.Random(7)
words = [lambda: 0xEB000000 | r.getrandbits(24), lambda: 0xF800F000 | r.getrandbits(11) | r.getrandbits(11) << 16,
         lambda: 0x94000000 | r.getrandbits(26), lambda: 0x90000000 | r.getrandbits(5) | r.getrandbits(12) << 5,
         lambda: int.from_bytes((0x48000001 | r.getrandbits(24) << 2).to_bytes(4, "big"), "little"),
         lambda: int.from_bytes((0x40000000 | r.getrandbits(22)).to_bytes(4, "big"), "little"),
         lambda: 0x10 | 0x5 << 18, lambda: 0xEF | r.getrandbits(20) << 12, lambda: 0x0297, lambda: 0x00028293,
         lambda: 0x0117 | r.getrandbits(20) << 12, lambda: r.getrandbits(32)]
open("code.bin", "wb").write(b"".join(r.choice(words)().to_bytes(4, "little") for _ in range(400)) + b"odd")'
for f in ARM ARMT ARM64 PPC SPARC IA64 RISCV Swap2 Swap4; do
  7zz a -bd -y -m0=$f -m1=LZMA2 "$corpus/7zz_$(echo $f | tr A-Z a-z).7z" code.bin >/dev/null
done
7zz a -bd -y -mf=ARM64:4096 "$corpus/7zz_arm64_offset.7z" code.bin >/dev/null
# One folder of independent 1 MB LZMA2 blocks (decoded two at a time) from
# repetitive text that packs to a few kilobytes.
mkdir -p "$src/blocks"
/usr/bin/python3 -c 'open("blocks/log.txt", "wb").write(b"".join(b"entry %d\r\n" % (i % 5000) for i in range(300000)))'
(cd blocks && 7zz a -bd -y -mx=1 -mmt=2 -m0=LZMA2:d=1m:c=1m "$corpus/7zz_lzma2_blocks.7z" . >/dev/null)
/usr/bin/python3 - "$corpus" <<'PY'
import sys
import py7zr
import py7zr.compressor as compressor

original_init = compressor.AESCompressor.__init__

def cheap_key_init(self, password):
    original_init(self, password)
    self.cycles = 6
    key = compressor.calculate_key(password.encode("utf-16LE"), self.cycles, self.salt, "sha256")
    self.cipher = compressor.AES.new(key, compressor.AES.MODE_CBC, self.iv)

compressor.AESCompressor.__init__ = cheap_key_init
corpus = sys.argv[1]
for name, header_encryption in [("py7zr_encrypted_header", True), ("py7zr_encrypted", False)]:
    with py7zr.SevenZipFile(f"{corpus}/{name}.7z", "w", password="fuzz", header_encryption=header_encryption) as z:
        z.writeall(".", "x")
with py7zr.SevenZipFile(f"{corpus}/py7zr_bcj_lzma2.7z", "w",
                        filters=[{"id": py7zr.FILTER_X86}, {"id": py7zr.FILTER_LZMA2}]) as z:
    z.writeall(".", "x")
PY
printf '7z\xbc\xaf\x27\x1c\x00\x04\x8d\x9b\xd5\x0f\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00' > "$corpus/empty.7z"
ls -l "$corpus"
