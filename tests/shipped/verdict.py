"""The ending the checks of the shipped Windows programs share."""

SKIPPED = 77


def verdict(checked, faults):
    """Prints the faults; the exit code: skipped when no program was there to check."""
    if not checked:
        print("SKIP: no Windows build; build the win32 or win64 preset first")
        return SKIPPED
    for fault in faults:
        print("FAILED: " + fault)
    return 1 if faults else 0
