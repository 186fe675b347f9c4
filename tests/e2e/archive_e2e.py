"""End-to-end scenarios of keb.dll under Wine.

kebextract.exe drives the engine's archive front end, which loads keb.dll by
full path from its own folder; archives are written on the host by 7zz and
py7zr, and what Wine's process extracted is compared byte for byte.

usage: archive_e2e.py --builds DIR --work-dir DIR SCENARIO
Exit code 77 means skipped (no Windows build or no 7zz).
"""

import random
import shutil
import subprocess
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import scenario  # noqa: E402
from scenario import check  # noqa: E402


def sample_files():
    rng = random.Random(5)
    code = bytearray()
    while len(code) < 200000:
        code += bytes([0xE8]) + rng.getrandbits(16).to_bytes(4, "little") if rng.random() < 0.3 else bytes([rng.randrange(256)])
    return {
        "readme.txt": b"".join(b"line %d of the readme\r\n" % i for i in range(5000)),
        # Large enough for several 1 MB LZMA2 blocks.
        "docs/log.txt": b"".join(b"%d entry %x of the log\r\n" % (i, rng.getrandbits(32)) for i in range(90000)),
        "bin/program.exe": bytes(code),
        "bin/random.dat": rng.randbytes(100000),
        "caf\u00e9.txt": b"accented name",
        "empty.txt": b"",
    }


# 7zz as the tests run it: names in UTF-8 whatever the caller's locale.
SEVEN_ZIP_ENV = {"LANG": "C.UTF-8", "PATH": "/usr/bin:/bin"}


class Scenario(scenario.Scenario):
    def __init__(self, session, engine, orvanta, work):
        super().__init__(session, engine, orvanta, work)
        self.folder = session.drive_c / "arc"
        self.folder.mkdir()
        for name in ("kebextract.exe", "keb.dll"):
            shutil.copy(self.engine / name, self.folder / name)
        self.src = self.folder / "src"
        self.files = sample_files()
        for name, data in self.files.items():
            path = self.src / name
            path.parent.mkdir(parents=True, exist_ok=True)
            path.write_bytes(data)

    def pack(self, name, *options):
        archive = self.folder / name
        subprocess.run(["7zz", "a", "-bd", "-y", *options, str(archive), "."], cwd=self.src, check=True,
                       stdout=subprocess.DEVNULL, env=SEVEN_ZIP_ENV)
        return archive

    def extracted_by_7zz(self, archive):
        """The folder 7zz's own extraction of the archive makes: the reference."""
        reference = self.folder / (archive.stem + "_reference")
        reference.mkdir()
        subprocess.run(["7zz", "x", "-bd", "-y", str(archive)], cwd=reference, check=True, stdout=subprocess.DEVNULL,
                       env=SEVEN_ZIP_ENV)
        return reference

    def kebextract(self, *args):
        """Runs the helper; returns its exit code and printed lines."""
        result = self.session.wine(str(self.folder / "kebextract.exe"), *args, timeout=120)
        return result.returncode, result.stdout.replace("\r\n", "\n").splitlines()

    def extract(self, archive, password=None):
        out = self.folder / ("out_" + archive.stem)
        args = ["extract", self.session.windows_path(archive), self.session.windows_path(out)]
        code, lines = self.kebextract(*args + ([password] if password else []))
        return code, lines, out

    def expect_originals(self, out, label):
        for name, data in self.files.items():
            path = out / name
            check(path.is_file(), f"{label}: {name} extracted")
            check(path.read_bytes() == data, f"{label}: {name} has the original bytes")


def methods(s):
    for label, options, password in [
        ("lzma2", ["-mx=5"], None),
        # Independent blocks, as 7zz writes them with several threads: two decoded at once.
        ("lzma2_blocks", ["-mx=1", "-mmt=2", "-m0=LZMA2:d=1m:c=1m"], None),
        ("lzma", ["-m0=LZMA", "-mf=off"], None),
        ("bcj2", ["-mf=BCJ2"], None),
        ("delta", ["-mf=Delta:4"], None),
        ("copy_encrypted_headers", ["-m0=Copy", "-mhe=on", "-pSecret"], "Secret"),
        ("lzma2_encrypted", ["-pSecret"], "Secret"),
    ]:
        archive = s.pack(label + ".7z", *options)
        started = time.monotonic()
        code, lines, out = s.extract(archive, password)
        check(code == 0 and lines == ["OK"], f"{label}: extraction succeeded ({code}, {lines})")
        s.expect_originals(out, label)
        print(f"  {label}: extracted in {time.monotonic() - started:.2f} s")


def refusals(s):
    archive = s.pack("secret.7z", "-mhe=on", "-pSecret")
    code, lines = s.kebextract("list", s.session.windows_path(archive), "Wrong")
    check(code == 1 and lines == ["The archive cannot be opened: unsupported archive or incorrect password"],
          f"wrong password ({code}, {lines})")

    code, lines = s.kebextract("list", s.session.windows_path(s.folder / "absent.7z"))
    check(code == 1 and lines == ["The archive file was not found"], f"missing archive ({code}, {lines})")

    damaged = s.folder / "damaged.7z"
    data = bytearray(s.pack("plain.7z", "-m0=Copy").read_bytes())
    data[32 + 100] ^= 0x55
    damaged.write_bytes(bytes(data))
    code, lines, out = s.extract(damaged)
    check(code == 1 and lines == ["#1004"], f"flipped byte ({code}, {lines})")

    hostile = s.folder / "hostile.7z"
    (s.folder / "payload.txt").write_bytes(b"x")
    subprocess.run(["/usr/bin/python3", "-c", "import py7zr, sys\n"
                    "with py7zr.SevenZipFile(sys.argv[1], 'w') as z:\n"
                    "    for n in ['../up.txt', 'C:\\\\drive.txt', 'CON', 'ok.txt']:\n"
                    "        z.write(sys.argv[2], n)\n", str(hostile), str(s.folder / "payload.txt")], check=True)
    code, lines, out = s.extract(hostile)
    check(code == 1 and lines == ["#1005"], f"hostile names ({code}, {lines})")
    check((out / "ok.txt").is_file(), "the harmless entry was extracted")
    check(not (s.folder / "up.txt").exists() and not (s.session.drive_c / "drive.txt").exists(),
          "nothing was written outside the destination")


def tree_below(root, renamed=None):
    """Every file and folder below root ("/" after folders) with the files' bytes."""
    renamed = renamed or {}
    tree = {}
    for path in root.rglob("*"):
        name = str(path.relative_to(root))
        tree[renamed.get(name, name) + ("/" if path.is_dir() else "")] = b"" if path.is_dir() else path.read_bytes()
    return tree


def writer_names(s):
    """bsdtar packing "." writes "./" names and an entry for "." itself; the
    engine extracts them as 7zz does, but names trailing dots and blanks "_"."""
    src = s.folder / "dot_src"
    shutil.copytree(s.src, src)
    (src / "trail.").write_bytes(b"dot")
    (src / "blank ").write_bytes(b"blank")
    (src / "empty").mkdir()
    archive = s.folder / "dot.7z"
    subprocess.run(["bsdtar", "-cf", str(archive), "--format", "7zip", "."], cwd=src, check=True)
    reference = s.extracted_by_7zz(archive)
    code, lines, out = s.extract(archive)
    check(code == 0 and lines == ["OK"], f"bsdtar archive of \".\" ({code}, {lines})")
    check(tree_below(out) == tree_below(reference, {"trail.": "trail_", "blank ": "blank_"}),
          "the extracted tree is the one 7zz extracts")


def archive_order(archive):
    """The entry names of the archive in its order, as 7zz lists them."""
    listing = subprocess.run(["7zz", "l", "-slt", str(archive)], check=True, capture_output=True, text=True,
                             env=SEVEN_ZIP_ENV).stdout
    entries = listing[listing.index("\n----------\n"):]  # after the archive's own record
    return [line[len("Path = "):] for line in entries.splitlines() if line.startswith("Path = ")]


def shared_targets(s):
    """Entries named as another's temporary file, and names Windows takes for
    one file or folder, in folders the two threads decode at once: the files
    7zz extracts, with the last of the entries sharing a file written."""
    src = s.folder / "shared_src"
    src.mkdir()
    (src / "0").write_bytes(b"first")
    (src / "a").write_bytes(b"".join(b"line %d of a\r\n" % i for i in range(1500000)))
    (src / "a.0").write_bytes(random.Random(6).randbytes(1500000))
    (src / "a.keb0.part").write_bytes(b"ten bytes!")
    names = s.folder / "names.7z"
    subprocess.run(["7zz", "a", "-bd", "-m0=LZMA", "-mx=1", "-ms=2f", str(names), "0", "a", "a.0", "a.keb0.part"],
                   cwd=src, check=True, stdout=subprocess.DEVNULL, env=SEVEN_ZIP_ENV)
    reference = s.extracted_by_7zz(names)
    code, lines, out = s.extract(names)
    check(code == 0 and lines == ["OK"], f"temporary-like name ({code}, {lines})")
    check(tree_below(out) == tree_below(reference), "the extracted tree is the one 7zz extracts")

    cases = s.folder / "case_src"
    for name, data in [("Dup.txt", b"first " * 3000000), ("dup.txt", b"second"), ("SUB/y", b"y"), ("sub/x", b"x")]:
        (cases / name).parent.mkdir(parents=True, exist_ok=True)
        (cases / name).write_bytes(data)
    case = s.folder / "case.7z"
    subprocess.run(["7zz", "a", "-bd", "-m0=LZMA", "-mx=1", "-ms=off", str(case), "."], cwd=cases, check=True,
                   stdout=subprocess.DEVNULL, env=SEVEN_ZIP_ENV)
    reference = s.extracted_by_7zz(case)
    # What 7zz makes of it where letter case names the same file: in archive
    # order, a later file replaces an earlier one.
    expected = {}
    for name in archive_order(case):
        path = reference / name
        expected[name.lower() + ("/" if path.is_dir() else "")] = b"" if path.is_dir() else path.read_bytes()
    code, lines, out = s.extract(case)
    check(code == 0 and lines == ["OK"], f"names differing in letter case ({code}, {lines})")
    check({name.lower(): data for name, data in tree_below(out).items()} == expected,
          "one file and one folder for names differing in letter case, the last entry's bytes in the file")


SCENARIOS = {f.__name__: f for f in (methods, refusals, writer_names, shared_targets)}


if __name__ == "__main__":
    sys.exit(scenario.main("archive", SCENARIOS, Scenario,
                           programs=("kebextract.exe", "keb.dll"), tools=("7zz", "bsdtar"), needs_orvanta=False))
