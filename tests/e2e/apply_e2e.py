"""End-to-end scenarios of "Apply Changes" under Wine: a real installation by
Wine's msi.dll, maintenance, removal through the uninstall entry, and the
outcomes of a failing package and of one that asks for a restart.

usage: apply_e2e.py --builds DIR --work-dir DIR --orvanta PATH SCENARIO
Exit code 77 means skipped.
"""

import os
import shutil
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import msipackages  # noqa: E402
import scenario  # noqa: E402
from scenario import check, equal  # noqa: E402

SAMPLE_PRODUCT = "{6F1B2C3D-4E5F-4A6B-8C7D-9E0F1A2B3C4D}"
SAMPLE_REVISION = "{7A2B3C4D-5E6F-4B7C-8D9E-0F1A2B3C4D5E}"
UNINSTALL_KEY = r"Software\Microsoft\Windows\CurrentVersion\Uninstall\Orvanta Sample"
IDENT_KEY = r"HKLM\Software\Telvoria\Orvanta\Ident.Cache" + "\\" + SAMPLE_PRODUCT
ENVIRONMENT_KEY = r"HKLM\System\CurrentControlSet\Control\Session Manager\Environment"

OUTCOME_PRODUCT = "{3C5E7A91-2B4D-4F6A-8C1E-9D0F2A4B6C8E}"

OUTCOME_REVISION = "{6F8B0D24-5E7A-4C9D-8F4B-2A3C5D7E9F1B}"
OUTCOME_UNINSTALL_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Outcome Test"
OUTCOME_PROJECT = scenario.project_header("outcome", "Outcome Test", OUTCOME_PRODUCT, OUTCOME_REVISION,
                                         package="outcome.msi") + """Apply Changes
  | progress
  | RESULT
  | TRUE
  | FALSE
Write to Text File
  | $TEMPDIR$outcome.txt
  | $RESULT$|$LASTERROR$|$REBOOTCOMPUTER$
  | FALSE
"""

# Extra sequence rows for the outcome packages, run after the files are installed.
FAILING_ROWS = [
    "INSERT INTO `CustomAction` (`Action`, `Type`, `Source`, `Target`) VALUES ('StopHere', 19, '', "
    "'The outcome test fails on purpose.')",
    "INSERT INTO `InstallExecuteSequence` (`Action`, `Sequence`) VALUES ('StopHere', 4100)",
]
REBOOT_ROWS = ["INSERT INTO `InstallExecuteSequence` (`Action`, `Sequence`) VALUES ('ScheduleReboot', 6550)"]


def default_value(session, key):
    """The unnamed value of a key, or None."""
    listing = session.reg_query(key) or ""
    for line in listing.splitlines():
        parts = line.strip().split(None, 2)
        if len(parts) == 3 and parts[0] == "(Default)" and parts[1].startswith("REG_"):
            return parts[2]
    return None


class Scenario(scenario.Scenario):
    def cache(self):
        return self.session.drive_c / "users" / "Public" / "Application Data" / SAMPLE_REVISION


def sample_lifecycle(s):
    """First installation, a maintenance run, removal through the uninstall entry."""
    s.orvanta_build(scenario.SOURCE / "examples" / "sample")
    exe = s.folder / "sample.exe"
    equal(msipackages.package_code(s.folder / "sample.msi"), SAMPLE_REVISION, "the revision code is the package code")
    target = s.session.drive_c / "Program Files" / "Orvanta Sample"
    hklm_uninstall = "HKLM\\" + UNINSTALL_KEY

    equal(s.session.run(exe, "/s", timeout=240), 0, "exit code of the first installation")
    report = s.report("orvanta-sample.txt")
    equal(report, ["Hello from Orvanta Sample: the answer is 42, maintenance FALSE", "Result: COMPLETE "],
          "the script's report of the first installation")
    for name in ("readme.txt", "docs/guide.txt"):
        check((target / name).is_file(), "installed file " + name)
    check((target / "logs").is_dir(), "the created folder")
    equal(s.session.reg_query(r"HKLM\Software\Orvanta Samples\Sample", "InstallDir"),
          s.session.windows_path(target) + "\\", "the registry value")
    ini = (target / "sample.ini").read_bytes().decode("latin-1")
    check("[Settings]" in ini and "Greeting=Hello from Orvanta Sample" in ini, "the INI entry: " + ini)
    shortcuts = list((target).glob("Sample Readme.lnk"))
    check(shortcuts, "the shortcut in the target folder")
    equal(s.session.reg_query(ENVIRONMENT_KEY, "ORVANTA_SAMPLE_HOME"), s.session.windows_path(target) + "\\",
          "the environment value")

    cache = s.cache()
    cache_windows = s.session.windows_path(cache) + "\\"
    cached_exe = cache_windows + "sample.exe"
    expected_entry = {
        "DisplayIcon": cached_exe,
        "DisplayName": "Orvanta Sample",
        "UninstallString": f'"{cached_exe}" REMOVE=TRUE MODIFY=FALSE',
        "ModifyPath": cached_exe,
        "Publisher": "Orvanta Samples",
        "Contact": "support@example.invalid",
        "HelpLink": "http://example.invalid/help",
        "URLUpdateInfo": "http://example.invalid/update",
        "Comments": "A sample product installed by the Orvanta setup engine",
    }
    # What the "Apps" page shows besides: the package's version, the place and its size in KB (rounded
    # up), and no Modify or Repair, since the sample's script looks at neither MODIFY nor REPAIR.
    installed = sum(f.stat().st_size for f in target.rglob("*") if f.is_file())
    expected_entry.update({
        "DisplayVersion": "1.0.0",
        "InstallLocation": s.session.windows_path(target) + "\\",
        "EstimatedSize": hex((installed + 1023) // 1024),
        "NoModify": "0x1",
        "NoRepair": "0x1",
    })
    for name, value in expected_entry.items():
        equal(s.session.reg_query(hklm_uninstall, name), value, "uninstall entry value " + name)
    check(installed > 0, "installed files counted")
    equal(default_value(s.session, IDENT_KEY), cache_windows, "the Ident.Cache key")
    if s.session.path.width == 64:
        # The x64 setup and its package write the 64-bit view, as a 64-bit program does.
        for key in (UNINSTALL_KEY, r"Software\Orvanta Samples\Sample", IDENT_KEY.split("\\", 1)[1]):
            wow = "HKLM\\" + key.replace("Software\\", "Software\\Wow6432Node\\", 1)
            equal(s.session.reg_query(wow), None, "the 32-bit view's " + wow)
    equal(sorted(p.name for p in cache.iterdir()),
          sorted(["sample.exe", "sample.msi", "sample.res", "keb.dll", "sample.dat", "sample.par", "sample.lan",
                  "instance.dat"]),
          "the cache folder")
    # The sample has translations: its installation language is kept for maintenance.
    equal((cache / "sample.lan").read_bytes(), b"English\r\n", "the installation language")
    parameters = (cache / "sample.par").read_bytes().decode("latin-1").splitlines()
    check(len(parameters) >= 2 and len(parameters) % 2 == 0, "name/value pairs in the .par: %r" % parameters)
    recorded = dict(zip(parameters[0::2], parameters[1::2]))
    check(any(name.startswith("A") and value == "TRUE" for name, value in recorded.items()),
          "switched-on recording commands in the .par: %r" % recorded)
    equal((cache / "instance.dat").read_bytes(),
          f"{SAMPLE_PRODUCT}\r\n{SAMPLE_REVISION}\r\nOrvanta Sample\r\n".encode(), "instance.dat")

    # The same setup again: maintenance of the installed product.
    (s.session.temp / "orvanta-sample.txt").unlink()
    (target / "readme.txt").unlink()
    equal(s.session.run(exe, "/s", timeout=240), 0, "exit code of the maintenance run")
    check((target / "readme.txt").is_file(), "the maintenance run reinstalls a missing file")
    equal(s.report("orvanta-sample.txt"),
          ["Hello from Orvanta Sample: the answer is 42, maintenance TRUE", "Result: COMPLETE "],
          "the script's report of the maintenance run")
    again = (cache / "sample.par").read_bytes().decode("latin-1").splitlines()
    equal(dict(zip(again[0::2], again[1::2])), recorded, "the recorded properties carried into the maintenance run")

    # The uninstall entry's own command line, silent.
    command = s.session.reg_query(hklm_uninstall, "UninstallString")
    program, arguments = command[1:].split('" ', 1)
    equal(program, cached_exe, "the program of the uninstall command")
    # Started directly: Wine's "start" (winehost's run) fails on a program path with blanks.
    removal = s.session.wine(program, *arguments.split(), "/s", timeout=240)
    equal(removal.returncode, 0, "exit code of the removal")
    check(not (target / "readme.txt").exists(), "the removal deletes the files")
    equal(s.session.reg_query(r"HKLM\Software\Orvanta Samples\Sample", "InstallDir"), None,
          "the removal deletes the registry value")
    equal(s.session.reg_query(ENVIRONMENT_KEY, "ORVANTA_SAMPLE_HOME"), None, "the removal deletes the environment value")
    for root in ("HKLM", "HKCU"):
        equal(s.session.reg_query(root + "\\" + UNINSTALL_KEY), None, root + " uninstall key after the removal")
    equal(s.session.reg_query(IDENT_KEY), None, "the Ident.Cache key after the removal")
    # The running engine keeps its folder busy: it is renamed aside, and what
    # is left in it is queued for deletion at the next restart.
    check(not cache.exists(), "the cache folder after the removal")
    check_queued_for_restart(s.session, cache.with_name(cache.name + "~0"))


def planted_cache_link(s):
    """A link planted where the setup cache belongs is neither written nor deleted through."""
    s.orvanta_build(scenario.SOURCE / "examples" / "sample")
    victim = s.session.drive_c / "victim"
    victim.mkdir()
    (victim / "data.txt").write_text("keep")
    cache = s.cache()
    cache.parent.mkdir(parents=True, exist_ok=True)
    cache.symlink_to(victim)
    equal(s.session.run(s.folder / "sample.exe", "/s", timeout=240), 0, "exit code of the installation")
    result = s.report("orvanta-sample.txt")[-1]
    equal(sorted(p.name for p in victim.iterdir()), ["data.txt"], "the link's target after the installation")
    # Windows removes a link in the cache's place and makes a folder of its
    # own there; Wine cannot remove a link to a folder, and the engine then
    # refuses to cache through it rather than follow it.
    if result == "Result: COMPLETE ":
        check(cache.is_dir() and not cache.is_symlink(), "the cache is a folder of its own")
        check((cache / "sample.exe").is_file(), "the cached setup")
        shutil.rmtree(cache)
    else:
        check(result.startswith("Result: ERROR Unable to create the setup cache"), "the installation's result: " + result)
        equal(s.session.reg_query("HKLM\\" + UNINSTALL_KEY), None, "no uninstall entry without a cache")

    # A link in the cache's place at the removal: it deletes nothing behind the link.
    if not cache.is_symlink():
        cache.symlink_to(victim)
    equal(s.session.run(s.folder / "sample.exe", "REMOVE=TRUE", "MODIFY=FALSE", "/s", timeout=240), 0,
          "exit code of the removal")
    check(not (s.session.drive_c / "Program Files" / "Orvanta Sample" / "readme.txt").exists(), "the files are removed")
    equal(sorted(p.name for p in victim.iterdir()), ["data.txt"], "the link's target after the removal")
    link = s.session.windows_path(cache.parent) + "\\" + cache.name
    check(not os.path.lexists(cache) or link in pending_deletions(s.session),
          "the link in the cache's place is removed, or queued for removal where Wine cannot remove it")


def pending_deletions(session):
    """The paths queued for deletion at the next restart, in queue order."""
    value = session.reg_query(r"HKLM\System\CurrentControlSet\Control\Session Manager",
                              "PendingFileRenameOperations") or ""
    entries = value.split("\\0")
    # Pairs of source and target; an empty target deletes the source.
    return [source.removeprefix("\\??\\") for source, target in zip(entries[0::2], entries[1::2])
            if source and not target]


def check_queued_for_restart(session, folder):
    """Everything left in folder, and then the folder itself, is queued for deletion."""
    check(folder.is_dir(), f"{folder} is left for the restart")
    left = sorted(session.windows_path(p) for p in folder.iterdir())
    check(left, "the running engine's files are left in " + str(folder))
    queued = pending_deletions(session)
    equal(sorted(queued[:-1]), left, "the files queued for deletion")
    equal(queued[-1:], [session.windows_path(folder)], "the folder queued last")


def package_outcome(s, rows):
    project = s.project("outcome", OUTCOME_PROJECT, {"payload.txt": "payload\n"})
    arch = s.session.path.arch
    wxs = msipackages.product_wxs(OUTCOME_PRODUCT, "Outcome Test", "{4D6F8B02-3C5E-4A7B-9D2F-0E1A3B5C7D9F}",
                                  "outcome.cab", "OutcomeTest",
                                  files=[("{5E7A9C13-4D6F-4B8C-8E3A-1F2B4C6D8E0A}", "payload.txt")], arch=arch)
    msipackages.build_msi(project, wxs, "outcome.msi", queries=rows, arch=arch)
    s.orvanta_build(project)
    s.session.run(s.folder / "outcome.exe", "/s", timeout=240)
    lines = s.report("outcome.txt")
    equal(len(lines), 1, "one outcome line: %r" % lines)
    return lines[0].split("|")


def outcome_cache(s):
    return s.session.drive_c / "users" / "Public" / "Application Data" / OUTCOME_REVISION


def per_user_lifecycle(s):
    """A script that installs for the current user only: its registration and cache are the user's."""
    s.orvanta_build(s.sample_project("per-user", script_start="Set Variable\n  | ALLUSERS\n  | FALSE\n"))
    equal(s.session.run(s.folder / "sample.exe", "/s", timeout=240), 0, "exit code of the installation")
    equal(s.report("orvanta-sample.txt")[-1], "Result: COMPLETE ", "the installation's result")
    user_cache = s.session.drive_c / "users" / s.session.env.get("USER", "root") / "Application Data" / SAMPLE_REVISION
    command = s.session.reg_query("HKCU\\" + UNINSTALL_KEY, "UninstallString")
    equal(command, f'"{s.session.windows_path(user_cache)}\\sample.exe" REMOVE=TRUE MODIFY=FALSE',
          "the current user's uninstall entry")
    equal(s.session.reg_query("HKLM\\" + UNINSTALL_KEY), None, "no uninstall entry for all users")
    check((user_cache / "sample.par").exists() and not s.cache().exists(), "the cache is in the user's folder")

    # Windows refuses to rename a folder that holds a running program; Wine
    # does not. A link in the way of the rename makes Wine refuse it too, so
    # the cache folder must be queued for deletion where it is.
    user_cache.with_name(user_cache.name + "~0").symlink_to("/nonexistent-orvanta-target")
    program, arguments = command[1:].split('" ', 1)
    equal(s.session.wine(program, *arguments.split(), "/s", timeout=240).returncode, 0, "exit code of the removal")
    check(not (s.session.drive_c / "Program Files" / "Orvanta Sample" / "readme.txt").exists(), "the files are removed")
    equal(s.session.reg_query("HKCU\\" + UNINSTALL_KEY), None, "the user's uninstall entry after the removal")
    check_queued_for_restart(s.session, user_cache)


def failing_package(s):
    result, error, reboot = package_outcome(s, FAILING_ROWS)
    equal(result, "ERROR", "the result of a failing package")
    # The installer ends with 1603; LASTERROR is the system's text for that
    # code (Wine's wording), which takes precedence over the action's message.
    equal(error, "Installation failure", "LASTERROR")
    equal(reboot, "FALSE", "REBOOTCOMPUTER")
    check(not (s.session.drive_c / "Program Files" / "OutcomeTest" / "payload.txt").exists(),
          "the failed installation is rolled back")
    check(not outcome_cache(s).exists(), "no setup cache after a failure")
    equal(s.session.reg_query(OUTCOME_UNINSTALL_KEY), None, "no uninstall entry after a failure")


def reboot_package(s):
    result, error, reboot = package_outcome(s, REBOOT_ROWS)
    equal(result, "REBOOT", "the result of a package that asks for a restart")
    equal(reboot, "TRUE", "REBOOTCOMPUTER")
    check((s.session.drive_c / "Program Files" / "OutcomeTest" / "payload.txt").exists(), "the installed file")
    check((outcome_cache(s) / "outcome.exe").exists(), "the setup is cached when only a restart is pending")
    check(s.session.reg_query(OUTCOME_UNINSTALL_KEY, "UninstallString"), "the uninstall entry")


SCENARIOS = {f.__name__: f for f in (sample_lifecycle, per_user_lifecycle, failing_package, reboot_package,
                                     planted_cache_link)}


if __name__ == "__main__":
    sys.exit(scenario.main("apply", SCENARIOS, Scenario, tools=("7zz", "wixl", "msibuild", "msiinfo"), timeout=600))
