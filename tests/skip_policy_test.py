"""A check that cannot run never passes: a unit test program whose tests
skipped, a Wine scenario without its build and a check of the shipped
programs without them each exit 77 (shown by ctest as skipped), and fail
under ORVANTA_NO_SKIPS=1, as the README's test command runs them.

Called as: skip_policy_test.py <a unit test program whose FrontEnd tests need 7zz>"""

import os
import subprocess
import sys
import tempfile
from pathlib import Path

TESTS = Path(__file__).resolve().parent


def exit_codes(command, env):
    """The exit code without and with ORVANTA_NO_SKIPS=1."""
    codes = []
    for strict in ("", "1"):
        run_env = dict(env, ORVANTA_NO_SKIPS=strict)
        codes.append(subprocess.run(command, env=run_env, stdout=subprocess.DEVNULL,
                                    stderr=subprocess.DEVNULL).returncode)
    return codes


def main():
    unit_program = sys.argv[1]
    faults = []
    with tempfile.TemporaryDirectory() as empty:
        base = {k: v for k, v in os.environ.items() if k != "ORVANTA_NO_SKIPS"}
        cases = {
            "a unit test that skips without 7zz": (
                [unit_program, "--gtest_filter=FrontEnd.*"], dict(base, PATH=empty)),
            "a Wine scenario without its Windows build": (
                ["/usr/bin/python3", str(TESTS / "e2e" / "startup_e2e.py"), "--builds", empty,
                 "--work-dir", empty, "--orvanta", "orvanta", "engine_alone"], base),
            "the shipped programs' check without a Windows build": (
                ["/usr/bin/python3", str(TESTS / "shipped" / "shipped_imports_test.py"), empty], base),
        }
        for what, (command, env) in cases.items():
            codes = exit_codes(command, env)
            if codes != [77, 1]:
                faults.append(f"{what}: exit codes {codes}, expected [77, 1] (skipped; failed when strict)")
    for fault in faults:
        print("FAILED: " + fault)
    print(f"{3 - len(faults)} passed, {len(faults)} failed")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
