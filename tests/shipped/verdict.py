"""The ending the checks of the shipped Windows programs share."""

import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "support"))
from skipping import skipped  # noqa: E402


def verdict(checked, faults):
    """Prints the faults; the exit code: skipped when no program was there to check."""
    if not checked:
        return skipped("no Windows build; build the win32 or win64 preset first")
    for fault in faults:
        print("FAILED: " + fault)
    return 1 if faults else 0
