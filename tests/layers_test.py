"""The engine's layers, bottom up: keb/ (the 7z library, on its own), system/,
core/, then installer/,
media/ and dialogs/ (which do not include one another), script/ (with
script/commands/), then bootstrap/ and launcher/ (the self-extracting
launcher, a program of its own beside the engine's start-up). A file includes only its own folder and the
layers below it; media/ and installer/ take their inputs from the commands
that call them, so they include neither the variable store nor the start-up
values. Fails naming every include against that order.

Called as: layers_test.py <source root>"""

import re
import sys
from pathlib import Path

LAYERS = {"keb": 0, "system": 1, "core": 2, "installer": 3, "media": 3, "dialogs": 3, "script": 4, "bootstrap": 5,
          "launcher": 5}
INPUT_TAKERS = {"media", "installer"}
SESSION_STATE = {"core/VariableStore.h", "core/StartupValues.h"}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.MULTILINE)


def faults(root):
    for source in sorted(root.glob("*/**/*")):
        if source.suffix not in (".h", ".cpp"):
            continue
        path = source.relative_to(root).as_posix()
        folder = path.split("/")[0]
        if folder not in LAYERS:
            continue  # tools, tests and benchmarks may use every layer
        for included in INCLUDE.findall(source.read_text(errors="replace")):
            target = included.split("/")[0]
            if target not in LAYERS or target == folder:
                continue
            if LAYERS[target] > LAYERS[folder]:
                yield f"{path} includes {included}: {target}/ is above {folder}/"
            elif LAYERS[target] == LAYERS[folder]:
                yield f"{path} includes {included}: {target}/ and {folder}/ are one layer"
        if folder in INPUT_TAKERS:
            for included in set(INCLUDE.findall(source.read_text(errors="replace"))) & SESSION_STATE:
                yield f"{path} includes {included}: {folder}/ takes its inputs from its caller"


def main():
    found = list(faults(Path(sys.argv[1])))
    for fault in found:
        print("FAILED: " + fault)
    print(f"{0 if found else 1} passed, {1 if found else 0} failed")
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
