#!/usr/bin/python3
"""Times `orvanta run` on a generated script of 10,000 commands.

Usage: bench/script_run_bench.py [path/to/orvanta]
The script counts with "Mathematics", branches with "If"/"Else"/"End" and
builds texts with "Set Variable", so the loop, the block rules and the
expansion all take part. Prints the best of three wall-clock times.
"""
import os
import subprocess
import sys
import tempfile
import time

COMMANDS = 10_000


def project_source() -> str:
    lines = ["Setup = bench", "Title = Bench", "ProductCode = {00000000-0000-0000-0000-000000000001}",
             "RevisionCode = {00000000-0000-0000-0000-000000000002}", "MediaMode = 1", "", "[script]",
             "Set Variable", "  | COUNT", "  | 0", "Set Variable", "  | TEXT", "  | "]
    written = 2
    group = 0
    while written + 7 <= COMMANDS:
        lines += ["Mathematics", "  | $COUNT$", "  | 1", "  | 0", "  | COUNT",
                  "If", "  | COUNT", "  | 2", f"  | {group}", "  | FALSE",
                  "Set Variable", f"  | V{group % 500}", "  | $TITLE$ $COUNT$",
                  "Else",
                  "Set Variable", "  | TEXT", "  | never",
                  "End",
                  "Comment", "  | padding"]
        written += 7
        group += 1
    while written < COMMANDS:
        lines += ["Comment", "  | padding"]
        written += 1
    return "\n".join(lines) + "\n"


def main() -> int:
    orvanta = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "build", "host", "orvanta")
    with tempfile.TemporaryDirectory() as folder:
        source = os.path.join(folder, "project.orv")
        with open(source, "w") as f:
            f.write(project_source())
        best = None
        for _ in range(3):
            start = time.perf_counter()
            result = subprocess.run([orvanta, "run", source, "--silent"], capture_output=True, text=True)
            elapsed = time.perf_counter() - start
            if result.returncode != 0:
                print(result.stderr, file=sys.stderr)
                return 1
            best = elapsed if best is None else min(best, elapsed)
        count = [line for line in result.stdout.splitlines() if line.startswith("COUNT=")]
        print(f"{COMMANDS} commands: best of 3 runs {best * 1000:.1f} ms ({best * 1e6 / COMMANDS:.2f} us per command); {count[0]}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
