"""End-to-end scenarios of the IIS administration commands under Wine,
against the automation server tools/testhelpers/iisdouble (registered in the
prefix as "IISNamespace" and "MimeMap"), which keeps sites and folders in
memory, records every call and writes both to a JSON file after each call.

usage: iis_e2e.py --builds DIR --work-dir DIR --orvanta PATH SCENARIO
Exit code 77 means skipped.
"""

import json
import shutil
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import scenario  # noqa: E402
from scenario import check, equal  # noqa: E402
from script_e2e import Scenario  # noqa: E402
from system_e2e import command, read_values, write_values  # noqa: E402

NAMESPACE = "IISNamespace.GetObject IIsWebService localhost/w3svc"
FOLDER = "site3/Root/shop"


def site(n):
    return f"w3svc.GetObject IIsWebServer {n}"


def first_free(taken):
    """The calls that look for the first free site number after the taken ones."""
    return [NAMESPACE] + [site(n) for n in range(1, taken + 2)]


def puts(owner, *pairs):
    return [f"{owner}.put {name}={value}" for name, value in pairs]


CREATE_SITE = command("Create IIS Site", "Shop", "next", "", "shop.example", 8080, 8443, 120,
                      "TRUE", "TRUE", "TRUE", "TRUE", "TRUE", "FALSE", 250, 1)
CREATE_SITE_CALLS = first_free(2) + [NAMESPACE, site(3), "w3svc.Create IIsWebServer 3"] + puts(
    "site3", ("ServerComment", "Shop"), ("ServerBindings", ":8080:shop.example"),
    ("SecureBindings", ":8443:shop.example"), ("ConnectionTimeout", 120), ("AllowKeepAlive", "TRUE"),
    ("LogType", 1), ("DontLog", "FALSE")) + [
    "w3svc.EnableWebServiceExtension ASP", "w3svc.EnableExtensionFile *.exe", "w3svc.SetInfo"] + puts(
    "site3", ("MaxConnections", -1), ("ServerSize", 1)) + ["site3.SetInfo"]

CREATE_FOLDER = command("Create Virtual Folder", "shop", "C:\\\\Web\\\\Shop", "FALSE", "TRUE", "FALSE", "FALSE",
                        "TRUE", "FALSE", 2, 2, "TRUE", "index.htm", "footer.htm", "TRUE", "FALSE", "TRUE",
                        ".kebx=application/x-keb,.raw", 3)
CREATE_FOLDER_CALLS = [NAMESPACE, site(3), "site3.GetObject IIsWebVirtualDir Root/shop",
                       "site3.Create IIsWebVirtualDir Root/shop"] + puts(
    FOLDER, ("Path", "C:\\Web\\Shop"), ("AccessSource", "FALSE"), ("AccessRead", "TRUE"), ("AccessWrite", "FALSE"),
    ("EnableDirBrowsing", "FALSE"), ("DontLog", "FALSE"), ("ContentIndexed", "FALSE")) + [
    f"{FOLDER}.AppCreate2 2"] + puts(
    FOLDER, ("AppFriendlyName", "shop"), ("AccessScript", "FALSE"), ("AccessExecute", "FALSE"),
    ("AccessScript", "TRUE"), ("AccessExecute", "TRUE"), ("EnableDefaultDoc", "TRUE"), ("DefaultDoc", "index.htm"),
    ("EnableDocFooter", "TRUE"), ("DefaultDocFooter", "footer.htm"), ("AuthAnonymous", "TRUE"),
    ("AuthNTLM", "FALSE"), ("AuthBasic", "TRUE")) + [
    f"{FOLDER}.SetInfo", f"{FOLDER}.get MimeMap", f"{FOLDER}.put MimeMap=<object>", f"{FOLDER}.SetInfo"]


def index_calls(sites, found):
    """Get IIS Site Index over the sites (number, matches) up to the match."""
    calls = [NAMESPACE, "w3svc.children", "Filters.get Class"]
    for n in sites:
        calls += [f"site{n}.get Class", f"site{n}.get ServerComment"]
        if n == found:
            return calls + [f"site{n}.get Name"]
    return calls


def anonymous_calls(free):
    return first_free(free - 1) + [NAMESPACE, f"w3svc.Create IIsWebServer {free}", f"site{free}.SetInfo",
                                   f"site{free}.get AnonymousUserName", f"w3svc.Delete IIsWebServer {free}"]


ADMINISTRATION_SCRIPT = "".join([
    CREATE_SITE,
    CREATE_FOLDER,
    command("Control IIS Site", 2, 2),
    command("Get IIS Site Index", "Intranet", "$INDEX$"),
    command("Get IIS Site Index", "Nobody", "NOINDEX"),
    # A site number known only at run time (orvanta check refuses a literal one that is no number).
    command("Set Variable", "NOTANUMBER", "x"),
    command("Get IIS Property", "TRUE", "", "$NOTANUMBER$", "", "ServerComment", "BADSITE"),
    command("Get IIS Property", "TRUE", "", 3, "", "ServerComment", "COMMENT"),
    command("Set IIS Property", "FALSE", "", 3, "shop", "DefaultDoc", "main.htm"),
    command("Delete IIS Site", 5),
    command("Delete Virtual Folder", 1, "old"),
    command("IIS Anonymous User", "USER"),
    command("Get System Settings", "SETTING", 59),
    write_values("iis.txt", ["INDEX", "NOINDEX", "BADSITE", "COMMENT", "USER", "SETTING"]),
])

ADMINISTRATION_CALLS = (
    CREATE_SITE_CALLS + CREATE_FOLDER_CALLS +
    [NAMESPACE, site(2), "site2.get Status", "site2.Start", "site2.Pause"] +
    index_calls([1, 2], 2) + index_calls([1, 2, 3, 5], None) +
    [NAMESPACE, site(3), "site3.Get ServerComment"] +
    [NAMESPACE, site(3), "site3.GetObject IIsWebVirtualDir Root/shop", f"{FOLDER}.Put DefaultDoc main.htm",
     f"{FOLDER}.SetInfo"] +
    [NAMESPACE, "w3svc.Delete IIsWebServer 5"] +
    [NAMESPACE, site(1), "site1.Delete IIsWebVirtualDir Root/old"] +
    anonymous_calls(4) + anonymous_calls(4))

EVERY_COMMAND_SCRIPT = "".join([
    CREATE_SITE, CREATE_FOLDER,
    command("Delete IIS Site", 1),
    command("Control IIS Site", 1, 0),
    command("Get IIS Site Index", "Intranet", "INDEX"),
    command("Delete Virtual Folder", 1, "old"),
    command("Get IIS Property", "TRUE", "", 1, "", "ServerComment", "COMMENT"),
    command("Set IIS Property", "TRUE", "", 1, "", "ServerComment", "changed"),
    command("IIS Anonymous User", "USER"),
    command("Get System Settings", "SETTING", 59),
    write_values("iis.txt", ["INDEX", "COMMENT", "USER", "SETTING"]),
])


class IisScenario(Scenario):
    def register_double(self, sites, failing=""):
        """Registers the automation server and tells it its sites and the call that fails."""
        library = self.session.drive_c / "iisdouble.dll"
        shutil.copy(self.engine / "iisdouble.dll", library)
        self.session.wine("regsvr32", "/s", self.session.windows_path(library), check=True)
        check(self.session.reg_query(r"HKCR\IISNamespace\CLSID") is not None, "IISNamespace registered")
        self.session.env["IISDOUBLE_SITES"] = ";".join(f"{n}={name}" for n, name in sites.items())
        self.session.env["IISDOUBLE_STATE"] = self.session.windows_path(self.state_file)
        self.session.env["IISDOUBLE_FAIL"] = failing

    @property
    def state_file(self):
        return self.session.drive_c / "iis.json"

    def state(self):
        return json.loads(self.state_file.read_text(encoding="latin-1"))


def compare_calls(actual, expected):
    for i, (a, e) in enumerate(zip(actual, expected)):
        equal(a, e, f"call {i}")
    equal(len(actual), len(expected), "number of calls")


def administration(s):
    """Every command against the double: the values written and the calls in order."""
    s.register_double({1: "Default Web Site", 2: "Intranet", 5: "Old"})
    exe = s.build("iis", ADMINISTRATION_SCRIPT)
    equal(s.session.run(exe, "/s", timeout=120), 0, "exit code")
    equal(read_values(s.session, "iis.txt"), ["2", "0", "!ERROR!", "Shop", "IUSR_DOUBLE", "IUSR_DOUBLE"],
          "index, missing index, bad site number, comment, anonymous user, setting 59")
    state = s.state()
    compare_calls(state["calls"], ADMINISTRATION_CALLS)
    equal(sorted(state["sites"]), ["1", "2", "3"], "site 5 deleted, the anonymous user's site removed again")
    equal(state["sites"]["2"]["state"], "paused", "site 2 started, then paused")
    shop = state["sites"]["3"]["properties"]
    equal((shop["ServerBindings"], shop["SecureBindings"], shop["MaxConnections"], shop["ConnectionTimeout"]),
          (":8080:shop.example", ":8443:shop.example", -1, 120), "bindings, unlimited connections, timeout")
    equal((state["webServiceExtensions"], state["extensionFiles"]), (["ASP"], ["*.exe"]), "extensions enabled")
    folder = state["sites"]["3"]["folders"]["Root/shop"]
    equal((folder["Path"], folder["AppIsolated"], folder["DefaultDoc"], folder["AuthBasic"]),
          ("C:\\Web\\Shop", 2, "main.htm", True), "folder values")
    equal(folder["MimeMap"], [{"Extension": ".kebx", "MimeType": "application/x-keb"},
                              {"Extension": ".raw", "MimeType": ""}], "MIME map entries")


def failing_calls(s):
    """A failing Start leaves the site stopped and the script runs on; a failing Get gives "!ERROR!"."""
    s.register_double({1: "Default Web Site", 2: "Intranet"}, failing="Start")
    exe = s.build("failing", command("Control IIS Site", 2, 2) + command("Control IIS Site", 1, 1) +
                  command("Get IIS Property", "TRUE", "", 1, "", "NoSuchProperty", "MISSING") +
                  write_values("iis.txt", ["MISSING"]))
    equal(s.session.run(exe, "/s", timeout=120), 0, "exit code")
    equal(read_values(s.session, "iis.txt"), ["!ERROR!"], "a property the site lacks")
    state = s.state()
    compare_calls(state["calls"], [NAMESPACE, site(2), "site2.get Status", "site2.Start",
                                   NAMESPACE, site(1), "site1.get Status", "site1.Stop",
                                   NAMESPACE, site(1), "site1.Get NoSuchProperty"])
    equal(state["sites"]["2"]["state"], "stopped", "no Pause after the failed Start")


def without_server(s):
    """Without an "IISNamespace" every command runs on and the script finishes."""
    exe = s.build("noiis", EVERY_COMMAND_SCRIPT)
    equal(s.session.run(exe, "/s", timeout=120), 0, "exit code")
    equal(read_values(s.session, "iis.txt"), ["0", "!ERROR!", "", ""], "index, property, user, setting 59")


SCENARIOS = {f.__name__: f for f in (administration, failing_calls, without_server)}


if __name__ == "__main__":
    sys.exit(scenario.main("iis", SCENARIOS, IisScenario,
                           programs=("kebstub.exe", "keb.dll", "uidriver.exe", "iisdouble.dll"),
                           tools=("7zz",)))
