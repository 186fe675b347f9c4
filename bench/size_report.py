"""Where the bytes of the shipped programs go, from the linker maps the
Windows build writes (kebstub.map, keb.map, kebsfx.map beside the programs).

usage: size_report.py BUILD_DIR [--before FILE] [--record FILE]
  --before FILE  adds the figures of an earlier build (as --record wrote them)
  --record FILE  writes this build's figures by contributor to FILE
"""

import argparse
import re
import subprocess
import sys
from collections import Counter
from pathlib import Path

PROGRAMS = {"kebstub.exe": "kebstub.map", "keb.dll": "keb.map", "kebsfx.exe": "kebsfx.map"}
ENGINE = ("kebstub.exe", "keb.dll")
LIMIT = 1_048_576  # the engine's two programs together, i686 build, unpacked
LAUNCHER_LIMIT = 153_600  # the single-file launcher without its archive, i686 build
LOCALE_AND_STREAMS = re.compile(r"locale|stream|ios|codecvt|facets|wstring|ctype|monetary|numeric|messages|"
                                r"time_members|collate|functexcept")
OBJDUMP = {"win32": "i686-w64-mingw32-objdump", "win64": "x86_64-w64-mingw32-objdump"}


def contributor(source):
    """The group an input file of the link belongs to."""
    found = re.match(r"(?:.*/)?([^/(]+)\((.*)\)$", source)
    library, member = (found.group(1), found.group(2)) if found else (Path(source).name, "")
    if library == "libstdc++.a":
        if member.startswith("cp-demangle"):
            return "C++ name demangler"
        return "C++ locale and streams" if LOCALE_AND_STREAMS.search(member) else "C++ library, other"
    if "pthread" in library:
        return "threads (winpthread)"
    if library in ("libgcc_eh.a", "libgcc.a"):
        return "unwinder, compiler support"
    if re.match(r"lib(mingwex|mingw32|msvcrt|moldname)\.a$|(dll)?crt2\.o$|crt(begin|end)\.o$", library):
        return "C runtime (mingw-w64)"
    if library == "dll stuff" or re.match(r"lib(kernel32|user32|advapi32|gdi32|shell32|ole32|oleaut32|shlwapi|"
                                          r"uuid|comdlg32|winspool)\.a$", library):
        return "import tables"
    return "own code"


def map_contributions(map_file):
    """(output section, input file) -> bytes, for what the link kept."""
    sizes = Counter()
    section = pending = None
    in_map = False
    for line in map_file.read_text(errors="replace").splitlines():
        if line.startswith("Linker script and memory map"):
            in_map = True
            continue
        if not in_map:
            continue
        top = re.match(r"^(\.[^\s$]+)\s", line)
        if top:
            section, pending = top.group(1), None
            continue
        wrapped = re.match(r"^ (\.\S+)\s*$", line)
        if wrapped:
            pending = wrapped.group(1)
            continue
        entry = re.match(r"^ (\.\S+)?\s+0x[0-9a-f]+\s+0x([0-9a-f]+)\s+(\S.*)$", line)
        if entry and (entry.group(1) or pending) and section and not section.startswith(".debug"):
            sizes[(section, entry.group(3))] += int(entry.group(2), 16)
        pending = None
    return sizes


def file_sections(objdump, program):
    out = subprocess.run([objdump, "-h", str(program)], check=True, capture_output=True, text=True).stdout
    sections = {}
    for line in out.splitlines():
        parts = line.split()
        if len(parts) >= 7 and parts[0].isdigit():
            sections[parts[1]] = int(parts[2], 16)
    return sections


def read_record(path):
    record = {}
    for line in Path(path).read_text().splitlines():
        if line and not line.startswith("#"):
            program, group, size = line.split("\t")
            record[(program, group)] = int(size)
    return record


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("build")
    parser.add_argument("--before")
    parser.add_argument("--record")
    args = parser.parse_args()
    build = Path(args.build)
    before = read_record(args.before) if args.before else {}
    objdump = OBJDUMP.get(build.name, OBJDUMP["win32"])
    total, recorded = 0, []
    for program, map_name in PROGRAMS.items():
        path, map_file = build / program, build / map_name
        if not path.exists() or not map_file.exists():
            sys.exit(f"{path} or {map_file} is missing: build the {build.name} preset first")
        size = path.stat().st_size
        if program in ENGINE:
            total += size
        print(f"\n{program}: {size:,} bytes")
        sections = file_sections(objdump, path)
        print("  sections: " + ", ".join(f"{name} {bytes_:,}" for name, bytes_ in sections.items()))
        contributions = map_contributions(map_file)
        groups, members = Counter(), Counter()
        for (_, source), bytes_ in contributions.items():
            groups[contributor(source)] += bytes_
            members[re.sub(r"^.*/", "", source)] += bytes_
        print(f"  {'by contributor (code, data, exception tables)':48} {'before':>10} {'now':>10}")
        for group, bytes_ in groups.most_common():
            earlier = before.get((program, group))
            print(f"    {group:46} {'' if earlier is None else f'{earlier:,}':>10} {bytes_:>10,}")
            recorded.append(f"{program}\t{group}\t{bytes_}")
        for (p, group), earlier in before.items():
            if p == program and group not in groups:
                print(f"    {group:46} {earlier:>10,} {0:>10,}")
        print("  largest input files:")
        for source, bytes_ in members.most_common(12):
            print(f"    {source:58} {bytes_:>10,}")
    print(f"\nkebstub.exe + keb.dll: {total:,} bytes (goal for the i686 build: at most {LIMIT:,})")
    launcher = (build / "kebsfx.exe").stat().st_size
    print(f"kebsfx.exe (the single-file launcher, without its archive): {launcher:,} bytes "
          f"(goal for the i686 build: at most {LAUNCHER_LIMIT:,})")
    if args.record:
        Path(args.record).write_text("# program\tcontributor\tbytes, from the linker maps\n" + "\n".join(recorded) + "\n")


if __name__ == "__main__":
    main()
