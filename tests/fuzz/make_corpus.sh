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
