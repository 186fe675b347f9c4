"""The shipped Windows programs import at load time only libraries that Windows
always takes from its system folder: the KnownDLLs of Windows 7 to 11.

Nor does the engine import SetUserObjectSecurity: an access list it rewrote on
the interactive window station or desktop would stay so for the rest of the
session, open to every account. A program started as another user gets its
access through the secondary logon instead.

Any other library a program imports is looked for first in the program's own
folder, and a setup is typically run from a downloads folder where any web page
can drop a "version.dll". The engine loads such libraries at run time from the
system folder instead.

usage: shipped_imports_test.py BUILDS_DIR
Exits 77 (skipped) when neither the win32 nor the win64 build is there.
"""

import re
import subprocess
import sys
from pathlib import Path

from verdict import verdict

# KnownDLLs on every Windows from 7 to 11 (urlmon and wininet were only on 7);
# msvcrt is the C runtime mingw-w64 links against.
KNOWN_DLLS = {"advapi32.dll", "comdlg32.dll", "gdi32.dll", "kernel32.dll", "msvcrt.dll", "ole32.dll",
              "oleaut32.dll", "shell32.dll", "shlwapi.dll", "user32.dll"}

# Functions a shipped program must not import, by program.
FORBIDDEN_FUNCTIONS = {"kebstub.exe": {"SetUserObjectSecurity"}}

OBJDUMP = {"win32": "i686-w64-mingw32-objdump", "win64": "x86_64-w64-mingw32-objdump"}
SHIPPED = ("kebstub.exe", "keb.dll", "kebsfx.exe")


def imports(objdump, program):
    """The imported libraries and the imported function names."""
    dump = subprocess.run([objdump, "-p", str(program)], check=True, capture_output=True, text=True).stdout
    return re.findall(r"DLL Name: (\S+)", dump), set(re.findall(r"^\s+[0-9a-f]+\s+\d+\s+(\w+)\s*$", dump, re.M))


def main(builds):
    checked, faults = 0, []
    for build, objdump in OBJDUMP.items():
        for name in SHIPPED:
            program = builds / build / name
            if not program.exists():
                print(f"skipped {build}/{name}: not built")
                continue
            libraries, functions = imports(objdump, program)
            checked += 1
            print(f"{build}/{name}: {' '.join(libraries)}")
            if not libraries:
                faults.append(f"{build}/{name}: no import table found")
            faults += [f"{build}/{name} imports {library}, which Windows may take from the program's folder"
                       for library in libraries if library.lower() not in KNOWN_DLLS]
            if not functions:
                faults.append(f"{build}/{name}: no imported functions found")
            faults += [f"{build}/{name} imports {function}"
                       for function in sorted(FORBIDDEN_FUNCTIONS.get(name, set()) & functions)]
    return verdict(checked, faults)


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    sys.exit(main(Path(sys.argv[1])))
