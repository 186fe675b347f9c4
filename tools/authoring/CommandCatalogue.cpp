#include "tools/authoring/CommandCatalogue.h"

#include <algorithm>

#include "system/GuidText.h"
#include "system/TextUtils.h"

namespace {

using K = ParameterKind;

ParameterEntry Var(const char* name) { return {name, K::Variable}; }
ParameterEntry Text(const char* name, int slot = 0) { return {name, K::Text, slot}; }
ParameterEntry Path(const char* name) { return {name, K::Path}; }
// The engine reads every flag as written (TRUE, or -1).
ParameterEntry Flag(const char* name) { return {name, K::Flag, 0, {}, true}; }
ParameterEntry Int(const char* name) { return {name, K::Integer}; }
ParameterEntry Guid(const char* name) { return {name, K::Guid}; }
ParameterEntry Choice(const char* name, std::vector<EnumerationValue> values) {
    return {name, K::Enumeration, 0, std::move(values)};
}
ParameterEntry AsWritten(ParameterEntry parameter) {
    parameter.asWritten = true;
    return parameter;
}

const std::vector<EnumerationValue> kComparisons = {{"0", "equals", "equals"}, {"1", "contains", "contains"}, {"2", "greater than", "greater"}};
const std::vector<EnumerationValue> kRegistryRoots = {{"0", "HKEY_CLASSES_ROOT", "HKCR"},
                                                      {"1", "HKEY_CURRENT_USER", "HKCU"},
                                                      {"2", "HKEY_LOCAL_MACHINE", "HKLM"},
                                                      {"3", "HKEY_USERS", "HKU"},
                                                      {"4", "HKEY_CURRENT_CONFIG", "HKCC"}};
// The special folders of "Get Folder Location" (current user / all users).
const std::vector<EnumerationValue> kFolderKinds = {
    {"0", "temporary Internet files", "internetcache"},
    {"1", "cookies", "cookies"},
    {"2", "My Documents (the same for all users)", "documents"},
    {"3", "favorites", "favorites"},
    {"4", "music", "music"},
    {"5", "pictures", "pictures"},
    {"6", "video", "video"},
    {"7", "network neighbourhood shortcuts", "nethood"},
    {"8", "printer shortcuts", "printhood"},
    {"9", "the boot folder", "boot"},
    {"10", "the root of the first CD-ROM drive", "cdrom"},
    {"11", "administrative tools", "admintools"},
    {"12", "the Start menu", "startmenu"},
    {"13", "the Startup folder of the Start menu", "startup"},
    {"14", "the Programs folder of the Start menu", "programs"},
    {"15", "application data", "appdata"},
    {"16", "the CD burning staging area", "cdburning"},
    {"17", "the desktop", "desktop"},
    {"18", "fonts", "fonts"},
    {"19", "the user profile / the root of all profiles", "profile"},
    {"20", "Program Files / Common Files", "programfiles"},
    {"21", "recent documents", "recent"},
    {"22", "Send To", "sendto"},
    {"23", "the system folder", "system"},
    {"24", "document templates", "templates"},
    {"25", "the Windows folder", "windows"},
    {"26", "Quick Launch", "quicklaunch"},
    {"27", "the web server's root folder", "wwwroot"}};
const std::vector<EnumerationValue> kServiceEvents = {
    {"start", "start the service"}, {"stop", "stop it"}, {"remove", "remove it (words may be combined: start, stop)"}};

std::vector<ParameterEntry> Condition() {
    return {Text("variable (NAME or $NAME$)", 1), AsWritten(Choice("comparison", kComparisons)),
            Text("value (literal or $NAME$)", 2), Flag("negate")};
}

std::vector<CommandEntry> BuildCatalogue() {
    return {
        // The interpreter's own commands.
        {"If", "Control", "Runs the following commands up to the matching Else If, Else or End when the comparison holds.",
         Condition(), 4, true},
        {"Else If", "Control", "Another comparison, tried when no earlier branch of the If ran.", Condition(), 4, true},
        {"Else", "Control", "Runs the following commands when no earlier branch of the If ran.", {}, 0, true},
        {"End", "Control", "Closes an If or a Wizard Loop.", {}, 0, true},
        {"Label", "Control", "A place GoTo Label jumps to; not inside an If or a Wizard Loop.", {AsWritten(Text("label name"))}, 1,
         true},
        {"GoTo Label", "Control", "Continues at the Label of that name (letter case ignored).",
         {AsWritten(Text("label name"))}, 1,
         true},
        {"Wizard Loop", "Control", "Walks the Display Dialog commands up to its End with Next and Back.", {}, 0, true},
        {"Comment", "Control", "A remark; does nothing.", {Text("text")}, 0, true},
        {"Ignore", "Control", "A command kept in the script but never run.", {}, 0, true, true},

        // Variables, strings and mathematics.
        {"Set Variable", "Variables and strings", "Sets a variable to a value.", {Var("variable"), Text("value", 1)}, 2},
        {"Get Environment", "Variables and strings", "Reads an environment variable of the process.",
         {Text("environment variable name"), Var("variable")}, 2},
        {"Get Temporary File", "Variables and strings", "Creates an empty temporary file and stores its path.",
         {Var("variable")}, 1},
        {"Convert Path", "Variables and strings", "Converts the path held by a variable to its short or long form.",
         {Var("variable holding the path"), Flag("short form")}, 2},
        {"Replace String", "Variables and strings", "Replaces text in the value of a variable.",
         {Var("variable"), Text("search text"), Text("replacement"), Flag("ignore case"), Flag("replace all")}, 5},
        {"Parse String", "Variables and strings", "Splits a text into a first and a second part.",
         {Path("source"), Path("pattern or count"), Var("variable for the first part"),
          Var("variable for the second part"),
          Choice("mode", {{"0", "split at the first occurrence of the pattern", "first"},
                          {"1", "split at the last occurrence", "last"},
                          {"2", "split after count characters from the left", "left"},
                          {"3", "split before count characters from the right", "right"}}),
          Flag("trim both parts"), Flag("ignore case")},
         7},
        {"Mathematics", "Variables and strings", "Computes with 32-bit integers.",
         {Int("operand A"), Int("operand B"),
          Choice("operation", {{"0", "A + B", "add"},
                               {"1", "A - B", "subtract"},
                               {"2", "A * B", "multiply"},
                               {"3", "A / B", "divide"},
                               {"4", "A mod B", "mod"},
                               {"5", "A and B", "and"},
                               {"6", "A or B", "or"},
                               {"7", "A xor B", "xor"},
                               {"8", "A shifted left by B", "shl"},
                               {"9", "A shifted right by B", "shr"},
                               {"10", "not A", "not"},
                               {"11", "character code of the first character of A", "ord"},
                               {"12", "the character with code A", "chr"},
                               {"13", "set the random generator: multiplier A, increment B", "randomize"},
                               {"14", "seed the random generator with A", "seed"},
                               {"15", "next random number below A", "random"}}),
          Var("result variable")},
         4},
        {"Extract Path", "Variables and strings", "Replaces the path held by a variable with one of its parts.",
         {Var("variable holding the path"),
          Choice("part", {{"0", "file name", "name"},
                          {"1", "file name without extension", "basename"},
                          {"2", "extension", "extension"},
                          {"3", "folder", "folder"},
                          {"4", "parent folder", "parent"},
                          {"5", "drive", "drive"},
                          {"6", "the whole path, doubled backslashes folded", "whole"}})},
         2},

        // Messages and the end of the run.
        {"MessageBox", "Messages and termination", "Shows a message box and can store the button pressed.",
         {Text("caption", 1), Text("text", 2),
          Choice("icon", {{"0", "information", "information"},
                          {"1", "question", "question"},
                          {"2", "warning", "warning"},
                          {"3", "error", "error"}}),
          Choice("buttons", {{"0", "Abort, Retry, Ignore", "abortretryignore"},
                             {"1", "OK", "ok"},
                             {"2", "OK, Cancel", "okcancel"},
                             {"3", "Retry, Cancel", "retrycancel"},
                             {"4", "Yes, No", "yesno"},
                             {"5", "Yes, No, Cancel", "yesnocancel"}}),
          Var("result variable")},
         5},
        {"Terminate Install", "Messages and termination", "Ends the script.", {}, 0},
        {"Terminate with Exit Code", "Messages and termination", "Ends the script with that exit code.",
         {Int("exit code")}, 1},
        {"Reboot Computer", "Messages and termination", "Restarts Windows.", {}, 0},
        {"Reboot and Resume", "Messages and termination", "Restarts Windows and runs the setup again afterwards.", {},
         0},

        // Files, folders and text files.
        {"Does File/Folder Exist", "Files and folders", "Stores TRUE or FALSE as the file or folder exists.",
         {Var("variable"), Path("path"), Flag("a file (FALSE: a folder)")}, 3},
        {"Find All Files", "Files and folders", "Lists the files matching a mask.",
         {Path("folder and mask"), Flag("search subfolders"), Flag("list folders too"), Var("variable")}, 4},
        {"Check Disk Space", "Files and folders", "Stores the free or total bytes of a drive.",
         {Var("variable"), Path("folder or drive"), Flag("free bytes (FALSE: total)")}, 3},
        {"Get File Version", "Files and folders", "Stores the version of a file as V1.V2.V3.V4.",
         {Path("file"), Var("variable")}, 2},
        {"Check File Version", "Files and folders", "Stores TRUE when a file is newer than another file or a version.",
         {Var("variable"), Path("file"), Flag("compare with a file (FALSE: with a version text)"), Path("other file"),
          Text("version text")},
         5},
        {"Get INI File Settings", "Files and folders", "Reads a value of an INI file.",
         {Var("variable"), Path("INI file"), Path("section"), Path("key")}, 4},
        {"Get Folder Location", "Files and folders", "Stores the path of a special folder.",
         {Var("variable"), Choice("folder kind", kFolderKinds), Flag("all users")}, 3},
        {"Read from Text File", "Files and folders", "Reads the next line of a text file.",
         {Path("file"), Var("variable for the line"), Var("variable for the end-of-file flag")}, 3},
        {"Write to Text File", "Files and folders", "Adds a line to a text file.",
         {Path("file"), Text("line"), Flag("insert as first line (FALSE: append)")}, 3},

        // System settings and the registry.
        {"Get System Settings", "System", "Stores one of the answers about this computer.",
         {Var("variable"), Int("setting number (0 to 64)")}, 2},
        {"Read Registry", "System", "Reads a registry value.",
         {Var("variable"), Choice("root key", kRegistryRoots), Path("key"), Path("value name")}, 4},
        {"Delete Registry", "System", "Deletes a registry value or a whole key at once.",
         {Choice("root key", kRegistryRoots), Path("key"), Path("value name"), Flag("delete the whole key")}, 4},
        {"Is MSI Setup Installed", "System", "Stores TRUE when the product code is installed.",
         {Guid("product code"), Var("variable")}, 2},
        {"Terminate Program", "System", "Asks the windows of a running program to close.",
         {Path("window title part"), Path("window class part")}, 2},
        {"Generate Native Images", "System", "Runs the .NET native image generator on an assembly.",
         {Text("assembly path")}, 1},
        {"Create Share", "System", "Shares a folder on the network.",
         {Path("folder"), Text("share name", 1), Text("remark", 2)}, 3},
        {"Delete Share", "System", "Removes a network share.", {Text("share name", 1)}, 1},
        {"Set Access Control", "System", "Changes who may use a file, share, registry key, service or printer.",
         {Text("object name", 1), Flag("Everyone"), Flag("the current user"), Flag("Authenticated Users"),
          Flag("the named account"), Text("account name", 2), Flag("read"), Flag("full access"), Flag("grant"),
          Flag("empty the access list"), Flag("remove the access list"), Flag("a file or folder"),
          Flag("a network share"), Flag("a registry key"), Flag("a service"), Flag("a printer")},
         16},
        {"Save Feature Selections", "System", "Writes the chosen features to a file.", {Text("file")}, 1},
        {"Load Feature Selections", "System", "Reads chosen features back from a file.", {Text("file")}, 1},
        {"Transform Instance", "System", "Installs a new instance of the product when NEWINSTANCE is TRUE.", {}, 0},

        // Features.
        {"Define Component", "Features",
         "Adds a feature the user may choose; a required one stays selected, and the feature tree and list show it "
         "so and never deselect it.",
         {Text("name", 1), Flag("selected"), Text("description", 2), Flag("required")}, 3},
        {"Set Component State", "Features", "Selects or deselects a feature.", {Text("name", 1), Flag("selected")}, 2},
        {"Get Component State", "Features", "Stores TRUE when a feature is selected.",
         {Text("name", 1), Var("variable")}, 2},
        {"Set Component Space", "Features", "Sets the size a feature needs.", {Text("name", 1), Int("size in bytes")},
         2},

        // Changes the installer makes when the changes are applied.
        {"Install Files", "Installation changes", "Installs a file or folder of the project.",
         {Path("file or folder of the project"), Text("(not used)"), Path("target folder")}, 3},
        {"Create Folder", "Installation changes", "Creates a folder.", {Path("folder")}, 1},
        {"Write Registry", "Installation changes", "Writes a registry value.",
         {Choice("root", {{"HKLM", "HKEY_LOCAL_MACHINE"},
                          {"HKCU", "HKEY_CURRENT_USER"},
                          {"HKCR", "HKEY_CLASSES_ROOT"},
                          {"HKU", "HKEY_USERS"},
                          {"HKMU", "per machine or per user as installed"}}),
          Choice("type", {{"string", "text"}, {"integer", "number"}, {"expandable", "text with %NAME% references"}}),
          Path("key"), Text("name"), Text("value")},
         5},
        {"Create Shortcut", "Installation changes", "Creates a shortcut.",
         {Path("target"), Text("name", 1), Path("folder"), Text("description", 2), Text("arguments"),
          Path("working folder")},
         6},
        {"Advertised Shortcut", "Installation changes", "Creates an advertised shortcut to a program of the project.",
         {Path("program of the project"), Text("name", 1), Path("folder"), Text("description", 2), Text("arguments"),
          Path("working folder (where the program is installed)")},
         6},
        {"Create File Type", "Installation changes", "Registers a file type and the program that opens it.",
         {Text("file type", 1), Text("extension without its dot"), Text("description", 2), Path("program"),
          Text("arguments"), Text("verb (default open)")},
         5},
        {"Advertised File Type", "Installation changes", "Registers an advertised file type for a program of the project.",
         {Text("file type (ProgId)", 1), Text("extension without its dot"), Text("description", 2),
          Path("program of the project"), Text("verb"), Text("arguments"), Text("program folder below Program Files")},
         3},
        {"Copy/Move Local Files", "Installation changes", "Copies or moves files already on the computer.",
         {Path("source folder"), Text("file name (wildcards allowed)"), Path("destination folder"), Text("new name"),
          Flag("move")},
         3},
        {"Delete Files", "Installation changes", "Deletes files when the product is installed or removed.",
         {Path("folder"), Text("file name (wildcards allowed)"), Flag("when installed"), Flag("when removed")}, 4},
        {"Edit INI File", "Installation changes", "Changes a line of an INI file.",
         {Path("folder"), Text("file name"),
          Choice("action", {{"0", "add the line"}, {"1", "create the line"}, {"3", "add the value to the line"}}),
          Text("section"), Text("key"), Text("value")},
         6},
        {"Set Environment", "Installation changes", "Sets an environment variable.",
         {Text("name with the installer's prefixes (for example =-*NAME)"), Text("value")}, 2},
        {"Install Assembly", "Installation changes", "Installs a .NET assembly of the project.",
         {Path("assembly of the project"), Flag("into the global assembly cache"), Path("folder"), Text("name"),
          Text("version"), Text("culture"), Text("public key token"), Text("processor architecture")},
         3},
        {"Install Service", "Installation changes", "Installs a Windows service.",
         {Path("program of the project"), Path("folder"),
          Choice("type", {{"own", "own process"},
                          {"shared", "shared process"},
                          {"own-interactive", "own process, interactive"},
                          {"shared-interactive", "shared process, interactive"}}),
          Text("name", 1), Text("display name", 2), Text("description", 3),
          Choice("start", {{"auto", "at boot"}, {"demand", "on demand"}, {"disabled", "never"}}),
          Choice("error control", {{"normal", "log"}, {"ignore", "ignore"}, {"critical", "restart safe"}}),
          Text("account", 4), Text("password", 5), Choice("when installed", kServiceEvents),
          Choice("when removed", kServiceEvents), Text("arguments"), Text("dependencies"), Text("load order group")},
         15},
        {"Control Service", "Installation changes", "Starts, stops or removes a service with the product.",
         {Text("name", 1), Text("arguments"), Choice("when installed", kServiceEvents),
          Choice("when removed", kServiceEvents), Flag("wait for the service")},
         2},
        {"Install ODBC Driver", "Installation changes", "Installs an ODBC driver of the project.",
         {Text("driver name"), Path("driver library of the project"), Path("setup library of the project"),
          Path("folder"), Text("attributes (Key=Value;Key=Value)")},
         4},
        {"Create ODBC DSN", "Installation changes", "Creates an ODBC data source.",
         {Text("data source name"), Text("driver name"),
          Choice("for", {{"machine", "every user"}, {"user", "the installing user"}}), Text("attributes")},
         0},
        {"Web Media Block", "Installation changes", "Names the downloadable block the following commands need.",
         {AsWritten(Text("block name")), Text("download URL"), Text("(not used)")}, 2},
        {"Apply Changes", "Installation changes", "Installs or removes the product with the recorded changes.",
         {AsWritten(Text("progress dialog")), Var("result variable"), Flag("install"), Flag("remove")}, 4},
        {"Apply Patch", "Installation changes", "Applies the patch beside the package.",
         {Var("result variable"), Text("(not used)"), Flag("install")}, 3},

        // Dialogs.
        {"Display Dialog", "Dialogs", "Shows a wizard dialog of the project.",
         {AsWritten(Text("dialog name")), Var("result variable"), Flag("modal"), Var("condition variable"),
          Flag("(written TRUE)"), Flag("skip when the condition variable is")},
         6},
        {"Hide Dialog", "Dialogs", "Removes the dialog shown without waiting.", {}, 0},

        // Programs, libraries and archives.
        {"Run Program", "Programs", "Starts a program.",
         {Path("program"), Flag("hidden"), Path("parameters"), Flag("wait"), Var("exit code variable")}, 5},
        {"Run Program As", "Programs", "Starts a program as another user.",
         {Path("program"), Path("working folder"), Path("parameters"),
          Choice("window", {{"0", "normal", "normal"},
                            {"1", "hidden", "hidden"},
                            {"2", "maximized", "maximized"},
                            {"3", "minimized", "minimized"},
                            {"4", "minimized, not activated", "minimizednoactivate"}}),
          Path("user"), Path("password"), Path("domain"), Var("exit code variable"), Flag("wait"),
          Path("environment")},
         10},
        {"Run Light Mode Setup", "Programs", "Runs a light-mode setup built from a payload file.",
         {Path("setup file"), Var("exit code variable"), Path("parameters"), Flag("wait")}, 4},
        {"Register Library", "Programs", "Registers or unregisters a COM library.",
         {Path("file"), Flag("register (FALSE: unregister)"), Var("outcome variable")}, 3},
        {"Extract 7Zip Archive", "Programs", "Extracts a 7z archive.",
         {Path("archive"), Path("destination folder"), Var("outcome variable"), Text("password"),
          Flag("overwrite all"), Flag("extract")},
         6},

        // Web server administration.
        {"Create IIS Site", "Web server", "Creates a web site.",
         {Text("description", 1), Path("site number (not a number: the first free one)"), Path("IP address"),
          Path("host header"), Path("TCP port"), Path("SSL port"), Int("connection timeout"), Flag("keep alive"),
          Flag("log visits"), Flag("enable ASP"), Flag("enable *.exe"), Flag("unlimited connections"),
          Flag("(no effect)"), Int("maximum connections"), Int("server size")},
         15},
        {"Create Virtual Folder", "Web server", "Creates a virtual folder of a site.",
         {Text("name", 1), Path("physical path"), Flag("script source access"), Flag("read"), Flag("write"),
          Flag("directory browsing"), Flag("log visits"), Flag("index this resource"),
          Choice("application protection",
                 {{"0", "none", "none"}, {"1", "low", "low"}, {"2", "medium", "medium"}, {"3", "high", "high"}}),
          Choice("execute", {{"0", "none", "none"}, {"1", "scripts only", "scripts"},
                             {"2", "scripts and executables", "executables"}}),
          Flag("default document"), Text("default documents", 2), Text("document footer", 3),
          Flag("anonymous access"), Flag("Windows authentication"), Flag("basic authentication"),
          Path("MIME map (ext=type,...)"), Int("site number")},
         18},
        {"Delete IIS Site", "Web server", "Deletes a web site.", {Int("site number")}, 1},
        {"Control IIS Site", "Web server", "Starts, stops, pauses or continues a site.",
         {Int("site number"),
          Choice("action", {{"0", "start", "start"}, {"1", "stop", "stop"}, {"2", "pause", "pause"},
                            {"3", "continue", "continue"}})},
         2},
        {"Delete Virtual Folder", "Web server", "Deletes a virtual folder of a site.",
         {Int("site number"), Path("folder name")}, 2},
        {"Get IIS Site Index", "Web server", "Stores the number of the site with that description.",
         {Text("description", 1), Var("variable")}, 2},
        {"Get IIS Property", "Web server", "Reads a property of a site or virtual folder.",
         {Flag("of the site (FALSE: of the virtual folder)"), Text("(not used)"), Int("site number"),
          Path("folder name"), Text("property name"), Var("variable")},
         6},
        {"Set IIS Property", "Web server", "Writes a property of a site or virtual folder.",
         {Flag("of the site (FALSE: of the virtual folder)"), Text("(not used)"), Int("site number"),
          Path("folder name"), Text("property name"), Text("value")},
         6},
        {"IIS Anonymous User", "Web server", "Stores the web server's anonymous user name.", {Var("variable")}, 1},
    };
}

size_t EditDistance(const std::string& a, const std::string& b) {
    std::vector<size_t> row(b.size() + 1);
    for (size_t j = 0; j <= b.size(); ++j) row[j] = j;
    for (size_t i = 1; i <= a.size(); ++i) {
        size_t diagonal = row[0];
        row[0] = i;
        for (size_t j = 1; j <= b.size(); ++j) {
            const size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

// Letter case and blanks do not count when names are compared for a suggestion.
std::string Folded(const std::string& name) {
    std::string folded;
    for (char c : LowerAscii(name))
        if (c != ' ') folded += c;
    return folded;
}

}  // namespace

const std::vector<CommandEntry>& CommandCatalogue() {
    static const std::vector<CommandEntry> catalogue = BuildCatalogue();
    return catalogue;
}

const CommandEntry* FindCommand(const std::string& name) {
    for (const auto& command : CommandCatalogue())
        if (name == command.name) return &command;
    return nullptr;
}

std::string ClosestCommandName(const std::string& name) {
    const std::string folded = Folded(name);
    std::string best;
    size_t bestDistance = folded.size() / 3 + 1;  // from there on a suggestion misleads
    for (const auto& command : CommandCatalogue()) {
        const size_t distance = EditDistance(folded, Folded(command.name));
        if (distance < bestDistance) {
            bestDistance = distance;
            best = command.name;
        }
    }
    return best;
}

std::string ValueForWord(const ParameterEntry& parameter, const std::string& text) {
    for (const auto& v : parameter.values)
        if (v.word && LowerAscii(text) == LowerAscii(v.word)) return v.value;
    return text;
}

std::string WordForValue(const ParameterEntry& parameter, const std::string& value) {
    for (const auto& v : parameter.values)
        if (v.word && value == v.value) return v.word;
    return value;
}

const char* ParameterKindName(ParameterKind kind) {
    switch (kind) {
        case K::Variable: return "variable";
        case K::Text: return "text";
        case K::Path: return "path";
        case K::Flag: return "flag";
        case K::Integer: return "integer";
        case K::Enumeration: return "enumeration";
        case K::Guid: return "GUID";
    }
    return "text";
}

bool HoldsReference(const std::string& value) {
    const size_t open = value.find('$');
    return open != std::string::npos && value.find('$', open + 2) != std::string::npos;
}

bool ValueFitsParameter(const ParameterEntry& parameter, const std::string& value) {
    if (value.empty() || value.find('$') != std::string::npos) return true;
    switch (parameter.kind) {
        case K::Flag: {
            const std::string upper = UpperAscii(value);
            return upper == "TRUE" || upper == "FALSE" || value == "-1" || value == "0";
        }
        case K::Integer: return ParseInt64(value).has_value();
        case K::Guid: return IsGuidText(value);
        case K::Enumeration:
            for (const auto& v : parameter.values)
                if (UpperAscii(value) == UpperAscii(v.value)) return true;
            return false;
        case K::Variable: return value == TrimBlanks(value) && value.find(' ') == std::string::npos;
        default: return true;
    }
}

std::string AcceptedValues(const ParameterEntry& parameter) {
    switch (parameter.kind) {
        case K::Flag: return "a flag: TRUE or FALSE";
        case K::Integer: return "an integer";
        case K::Guid: return "a GUID in braces ({XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX})";
        case K::Variable: return "a variable name without blanks";
        case K::Enumeration: {
            std::string text = "one of ";
            for (size_t i = 0; i < parameter.values.size(); ++i)
                text += (i ? ", " : "") + std::string(parameter.values[i].value) + " (" + parameter.values[i].meaning + ")";
            return text;
        }
        default: return "a text";
    }
}
