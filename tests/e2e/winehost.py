"""Runs Windows programs of this project under Wine for end-to-end tests.

One template prefix is built per test run and copied for every scenario; each
scenario gets its own Xvfb display, a persistent wineserver and its own TEMP
folder inside the prefix. Python standard library only.

Machines that run 32-bit programs use the win32 build in a 32-bit prefix;
machines that cannot, or a run with ORVANTA_WINE=64, use the win64 build in a
64-bit prefix under the 64-bit loader.
"""

import fcntl
import os
import re
import shutil
import signal
import subprocess
import tempfile
import time
from pathlib import Path

WINE_ENV = {
    "WINEDEBUG": "-all",
    "WINEDLLOVERRIDES": "winemenubuilder.exe=d",
}

LOADER_32 = "/usr/lib/wine/wine"
LOADER_64 = "/usr/lib/wine/wine64"


class NotStarted(RuntimeError):
    """start.exe could not launch the program; it never ran."""


class WinePath:
    """Which Wine runs the tests: the width of prefix, loader and engine build."""

    def __init__(self, width):
        self.width = width
        self.arch = "x86" if width == 32 else "x64"
        self.winearch = f"win{width}"
        self.build = f"win{width}"          # the preset whose programs run
        # Debian's wine wrapper picks the 32-bit loader whenever it is installed.
        self.loader = LOADER_32 if width == 32 else LOADER_64

    def __str__(self):
        return f"{self.width}-bit Wine ({self.winearch} prefix, {self.build} build)"


def runs_32bit_programs():
    """Whether this machine executes 32-bit Linux programs: tried, not guessed."""
    try:
        return subprocess.run([LOADER_32, "--version"], stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL, timeout=60).returncode == 0
    except OSError:
        return False


def wine_path():
    """The path this machine takes; ORVANTA_WINE=64 (or 32) forces one."""
    forced = os.environ.get("ORVANTA_WINE", "")
    if forced in ("32", "64"):
        return WinePath(int(forced))
    if forced:
        raise RuntimeError(f"ORVANTA_WINE must be 32 or 64, not {forced!r}")
    return WinePath(32 if runs_32bit_programs() else 64)


SCREEN = (1024, 768)


class SkipScenario(Exception):
    """The scenario cannot run here (for example: no win32 build)."""


def _env(prefix, path, display=None):
    env = dict(os.environ)
    env.update(WINE_ENV)
    env["WINEARCH"] = path.winearch
    env["WINELOADER"] = path.loader
    env["WINEPREFIX"] = str(prefix)
    if display is not None:
        env["DISPLAY"] = display
    return env


def _wineserver_pids(prefix):
    """Process ids of Wine processes that belong to the prefix."""
    pids = []
    for proc in Path("/proc").iterdir():
        if not proc.name.isdigit():
            continue
        try:
            environ = (proc / "environ").read_bytes().split(b"\0")
        except OSError:
            continue
        if ("WINEPREFIX=" + str(prefix)).encode() in environ:
            pids.append(int(proc.name))
    return pids


def _stop_prefix_processes(prefix, env):
    subprocess.run(["wineserver", "-k"], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    for pid in _wineserver_pids(prefix):
        if pid != os.getpid():
            try:
                os.kill(pid, signal.SIGKILL)
            except ProcessLookupError:
                pass


# Wine's Tahoma Bold carries the regular face's outlines under a bold name:
# installed, every bold Tahoma text is drawn with thin strokes. Without it the
# system emboldens Tahoma as Windows' own bold face looks.
FONTS_LEFT_OUT = {"tahomabd.ttf"}


def build_template(template, path):
    """Builds the template prefix once; later calls (and other processes) reuse it."""
    template = Path(template).resolve()  # Wine needs an absolute prefix path
    template.parent.mkdir(parents=True, exist_ok=True)
    ready = template / ".ready"
    with open(str(template) + ".lock", "w") as lock:
        fcntl.flock(lock, fcntl.LOCK_EX)
        if ready.exists():
            return template
        shutil.rmtree(template, ignore_errors=True)
        env = _env(template, path)
        env["DISPLAY"] = ""
        subprocess.run([path.loader, "wineboot", "-i"], env=env, check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        subprocess.run([path.loader, "reg", "add", r"HKCU\Software\Wine\X11 Driver", "/v", "Managed",
                        "/d", "N", "/f"], env=env, check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        subprocess.run(["wineserver", "-w"], env=env)
        fonts = template / "drive_c" / "windows" / "Fonts"
        fonts.mkdir(parents=True, exist_ok=True)
        for font in Path("/usr/share/wine/fonts").glob("*"):
            if font.name not in FONTS_LEFT_OUT:
                shutil.copy(font, fonts)
        _replace_home_links(template)
        ready.write_text("ok\n")
    return template


def template_folder(workdir, path):
    return Path(workdir).resolve() / f"template-{path.winearch}"


def _replace_home_links(prefix):
    """Profile folders that link into $HOME become real folders of the prefix."""
    for users in (prefix / "drive_c" / "users").glob("*"):
        for entry in list(users.glob("*")) + list(users.glob("AppData/*")):
            if entry.is_symlink():
                entry.unlink()
                entry.mkdir()


def _free_display():
    for n in range(90, 400):
        if not Path(f"/tmp/.X{n}-lock").exists() and not Path(f"/tmp/.X11-unix/X{n}").exists():
            return n
    raise RuntimeError("no free X display")


class WineSession:
    """One scenario: a copy of the template prefix, a display and a wineserver."""

    def __init__(self, template, path, workdir, name, artifacts=None):
        self.name = name
        self.path = path
        workdir = Path(workdir).resolve()
        self.prefix = workdir / "prefixes" / name
        self.artifacts = Path(artifacts) if artifacts else workdir / "artifacts"
        if self.prefix.exists():
            _stop_prefix_processes(self.prefix, _env(self.prefix, path))
            shutil.rmtree(self.prefix)
        self.prefix.parent.mkdir(parents=True, exist_ok=True)
        subprocess.run(["cp", "-a", str(template), str(self.prefix)], check=True)
        self.display_number = None
        self.xvfb = None
        self.wineserver = None
        self.env = _env(self.prefix, path)
        # Each scenario has a TEMP folder of its own, so support folders can be checked.
        self.temp = self.drive_c / "scenario-temp"
        self.temp.mkdir()
        self.env["TEMP"] = self.env["TMP"] = self.windows_path(self.temp)

    @property
    def drive_c(self):
        return self.prefix / "drive_c"

    def __enter__(self):
        try:
            self._open()
        except BaseException:
            self.__exit__(None, None, None)
            raise
        return self

    def _start_xvfb(self):
        # Two scenarios may pick the same free display at once: the loser's
        # Xvfb ends at once and it tries the next one.
        for _ in range(20):
            self.display_number = _free_display()
            self.xvfb = subprocess.Popen(["Xvfb", f":{self.display_number}", "-nolisten", "tcp",
                                          "-screen", "0", f"{SCREEN[0]}x{SCREEN[1]}x24"],
                                         stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            socket = Path(f"/tmp/.X11-unix/X{self.display_number}")
            for _ in range(200):
                if self.xvfb.poll() is not None or socket.exists():
                    break
                time.sleep(0.05)
            if self.xvfb.poll() is None:
                return
        raise RuntimeError("Xvfb does not start")

    def _open(self):
        self._start_xvfb()
        self.env["DISPLAY"] = f":{self.display_number}"
        self.wineserver = subprocess.Popen(["wineserver", "-p", "-f"], env=self.env,
                                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        # The user's TEMP is a registry value that overrides the environment.
        self.reg_add(r"HKCU\Environment", "TEMP", self.windows_path(self.temp))
        self.reg_add(r"HKCU\Environment", "TMP", self.windows_path(self.temp))

    def __exit__(self, exc_type, *exc):
        _stop_prefix_processes(self.prefix, self.env)
        if self.wineserver:
            self.wineserver.wait(timeout=10)
        if self.xvfb:
            self.xvfb.terminate()
            self.xvfb.wait(timeout=10)
        # A failed scenario keeps its prefix for a look afterwards.
        if exc_type is None:
            shutil.rmtree(self.prefix, ignore_errors=True)
        return False

    def windows_path(self, path):
        """C:\\... for paths inside the prefix's drive C, Z:\\... otherwise."""
        path = Path(path).resolve()
        try:
            return "C:\\" + str(path.relative_to(self.drive_c.resolve())).replace("/", "\\")
        except ValueError:
            return "Z:" + str(path).replace("/", "\\")

    def wine(self, *args, timeout=60, check=False):
        """Runs wine with the arguments; returns the CompletedProcess with its stdout.

        Output goes through a file: Wine's service processes inherit a pipe and
        would keep it open long after the program ended.
        """
        with tempfile.TemporaryFile() as out:
            process = subprocess.run([self.path.loader, *args], env=self.env, stdout=out, stderr=subprocess.DEVNULL,
                                     timeout=timeout, check=check)
            out.seek(0)
            process.stdout = out.read().decode("latin-1")
        return process

    def start(self, exe, *args):
        """Starts a program; finish(process) waits and gives its full exit code."""
        command = f'start "" /wait "{self.windows_path(exe)}"'
        if args:
            command += " " + " ".join(args)
        command += " & echo ERRORLEVEL=%ERRORLEVEL%"
        out = tempfile.TemporaryFile()
        process = subprocess.Popen([self.path.loader, "cmd", "/c", command], env=self.env, stdout=out,
                                   stderr=subprocess.DEVNULL)
        process.output_file = out
        return process

    def finish(self, process, timeout=60):
        process.wait(timeout=timeout)
        with process.output_file as file:
            file.seek(0)
            out = file.read().decode("latin-1")
        found = re.search(r"ERRORLEVEL=(-?\d+)", out)
        if not found:
            raise (NotStarted if "could not be started" in out else RuntimeError)("no exit code in: " + out)
        return int(found.group(1)) & 0xFFFFFFFF

    def run(self, exe, *args, timeout=60):
        """Runs a program to its end and returns its full 32-bit exit code."""
        try:
            return self.finish(self.start(exe, *args), timeout)
        except NotStarted:
            # Wine's start.exe now and then fails to launch a program at all
            # ("ShellExecuteEx failed: Internal error"); the program never ran,
            # so a second launch is the same test.
            return self.finish(self.start(exe, *args), timeout)

    def reg_add(self, key, name, value):
        self.wine("reg", "add", key, "/v", name, "/d", value, "/f", check=True)

    def reg_query(self, key, name=None):
        """The value's data, or None when the key or value is missing."""
        args = ["reg", "query", key] + (["/v", name] if name else [])
        result = self.wine(*args)
        if result.returncode != 0:
            return None
        if name is None:
            return result.stdout
        for line in result.stdout.splitlines():
            parts = line.strip().split(None, 2)
            if len(parts) >= 2 and parts[0].lower() == name.lower() and parts[1].startswith("REG_"):
                return parts[2] if len(parts) == 3 else ""
        return None

    def screenshot(self, name):
        self.artifacts.mkdir(parents=True, exist_ok=True)
        target = self.artifacts / name
        subprocess.run(["import", "-display", f":{self.display_number}", "-window", "root", str(target)],
                       check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        return target


class UiDriver:
    """The uidriver.exe helper, run in the session's prefix."""

    def __init__(self, session, exe):
        self.session = session
        self.exe = str(exe)

    def _call(self, *args, timeout_ms=15000):
        result = self.session.wine(self.exe, *args, str(timeout_ms), timeout=timeout_ms / 1000 + 30)
        return result.returncode, result.stdout

    def wait(self, caption, timeout_ms=15000):
        return self._call("wait", caption, timeout_ms=timeout_ms)[0] == 0

    def controls(self, caption, timeout_ms=15000):
        """(class, id, text) of every control; None when the window does not appear."""
        code, out = self._call("controls", caption, timeout_ms=timeout_ms)
        if code != 0:
            return None
        rows = []
        for line in out.splitlines():
            parts = line.rstrip("\r").split("\t", 2)
            if len(parts) == 3:
                rows.append((parts[0], int(parts[1]), parts[2].replace("\\n", "\n")))
        return rows

    def rect(self, caption, timeout_ms=15000):
        """(left, top, width, height, client width, client height) of the window."""
        code, out = self._call("rect", caption, timeout_ms=timeout_ms)
        return tuple(int(v) for v in out.split()) if code == 0 else None

    def layout(self, caption, timeout_ms=15000):
        """Every control as a dict: class, id, left, top, width, height (client
        coordinates of the window), visible, enabled, text; None when the window
        does not appear."""
        code, out = self._call("layout", caption, timeout_ms=timeout_ms)
        if code != 0:
            return None
        rows = []
        for line in out.splitlines():
            parts = line.rstrip("\r").split("\t", 8)
            if len(parts) == 9:
                rows.append({"class": parts[0], "id": int(parts[1]), "left": int(parts[2]), "top": int(parts[3]),
                             "width": int(parts[4]), "height": int(parts[5]), "visible": parts[6] == "1",
                             "enabled": parts[7] == "1", "text": parts[8].replace("\\n", "\n")})
        return rows

    def close(self, caption, timeout_ms=15000):
        """Sends the window with that caption a close request (WM_CLOSE)."""
        return self._call("close", caption, timeout_ms=timeout_ms)[0] == 0

    def click(self, caption, button, timeout_ms=15000):
        """Clicks the button with that text (or "#ID") in the window with that caption."""
        return self._call("click", caption, button, timeout_ms=timeout_ms)[0] == 0

    def set_text(self, caption, control, text, timeout_ms=15000):
        """Sets the text of a control named by its text or "#ID"."""
        return self._call("settext", caption, control, text, timeout_ms=timeout_ms)[0] == 0

    def type(self, caption, control, keys, timeout_ms=15000):
        """Types keys into a control named by its text or "#ID", one character after the other
        ("\\b" is Backspace)."""
        return self._call("type", caption, control, keys, timeout_ms=timeout_ms)[0] == 0

    def tree_pick(self, caption, path, timeout_ms=15000):
        """Selects the item of the window's tree view along a "\\"-joined path of parts of item texts;
        (done, the driver's message)."""
        code, out = self._call("treepick", caption, path, timeout_ms=timeout_ms)
        return code == 0, out

    def tree_items(self, caption, timeout_ms=15000):
        """The items of the window's tree view: path -> (image index, (left, top, right, bottom) of its text on
        the screen); None when the window does not appear."""
        code, out = self._call("treeitems", caption, timeout_ms=timeout_ms)
        if code != 0:
            return None
        items = {}
        for line in out.splitlines():
            parts = line.rstrip("\r").split("\t")
            if len(parts) == 6:
                items[parts[0]] = (int(parts[1]), tuple(int(v) for v in parts[2:]))
        return items

    def move(self, caption, left, top, timeout_ms=15000):
        return self._call("move", caption, str(left), str(top), timeout_ms=timeout_ms)[0] == 0

    def progress(self, caption, timeout_ms=15000):
        """(minimum, maximum, position) of each progress bar; None when the window does not appear."""
        code, out = self._call("progress", caption, timeout_ms=timeout_ms)
        if code != 0:
            return None
        return [tuple(int(v) for v in line.split()) for line in out.splitlines() if line.strip()]

    def focus(self, caption, timeout_ms=15000):
        """(class, id, text) of the control with the focus; None when there is none."""
        code, out = self._call("focus", caption, timeout_ms=timeout_ms)
        parts = out.rstrip("\r\n").split("\t", 2)
        return (parts[0], int(parts[1]), parts[2]) if code == 0 and len(parts) == 3 else None

    def select(self, caption, control, index, timeout_ms=15000):
        """Selects item index of a combo or list box named by its text or "#ID", as a user's choice."""
        return self._call("select", caption, control, str(index), timeout_ms=timeout_ms)[0] == 0

    def message_box(self, caption="Orvanta", timeout_ms=15000):
        """The text of a message box with that caption, or None when none appears."""
        deadline = time.monotonic() + timeout_ms / 1000
        while True:
            rows = self.controls(caption, timeout_ms)
            if rows is None:
                return None
            texts = [text for cls, _, text in rows if cls.lower() == "static" and text]
            # A box found while it is still being built has no text yet.
            if texts or time.monotonic() > deadline:
                return texts[-1] if texts else ""
            time.sleep(0.1)


if __name__ == "__main__":
    # winehost.py template WORKDIR: builds a fresh template prefix for this test run.
    # winehost.py path: prints the width of the Wine path this machine takes.
    import sys
    if sys.argv[1:] == ["path"]:
        print(wine_path().width)
        sys.exit(0)
    if len(sys.argv) != 3 or sys.argv[1] != "template":
        sys.exit("usage: winehost.py template WORKDIR | winehost.py path")
    chosen = wine_path()
    print(f"Wine end-to-end tests run on {chosen}")
    target = template_folder(sys.argv[2], chosen)
    (target / ".ready").unlink(missing_ok=True)
    build_template(target, chosen)
