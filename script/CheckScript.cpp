#include "script/CheckScript.h"

#include <map>
#include <optional>
#include <set>

#include "script/ParameterIndex.h"
#include "core/ScriptError.h"
#include "core/VariableStore.h"
#include "system/PathParts.h"
#include "system/TextUtils.h"

namespace {

constexpr const char* kCheckSource = "Compilation";

struct CheckFailure {
    std::string message;
};

class ScriptChecker {
public:
    explicit ScriptChecker(const Script& script) : script_(script), parameters_(script.ParameterBlocks) {}

    ScriptCheckResult Run() {
        labels_.Clear();
        ExecutionStates().clear();
        ClearVariables();
        for (const auto& name : ReservedVariableNames()) DefineVariable(name, "", kCheckSource);
        if (auto failure = CheckBlocks()) return *failure;
        if (auto failure = CheckLabels()) return *failure;
        if (auto failure = CheckCommands()) return *failure;
        if (auto failure = CheckWizardLoops()) return *failure;
        return {-1, "Script compiled successfully"};
    }

private:
    using Result = std::optional<ScriptCheckResult>;

    std::string Parameter(size_t n, size_t p) const {
        return parameters_.Get(script_.CommandIds[n], p);
    }
    const std::string& Name(size_t n) const { return script_.CommandNames[n]; }

    Result CheckBlocks() const {
        int opened = 0, closed = 0, depth = 0;
        for (size_t n = 0; n < script_.size(); ++n) {
            if (script_.IsCommentedOut(n)) continue;
            if (Name(n) == "If" || Name(n) == "Wizard Loop") {
                ++opened;
                ++depth;
            } else if (Name(n) == "End") {
                ++closed;
                --depth;
            } else if (Name(n) == "Label" && depth != 0) {
                return ScriptCheckResult{static_cast<int>(n), "LABEL statements cannot be nested inside loops/conditionals"};
            }
        }
        if (opened == closed) return std::nullopt;
        return ScriptCheckResult{static_cast<int>(script_.size()) - 1,
                                 closed < opened ? "Insufficient END statements" : "Too many END statements"};
    }

    Result CheckLabels() {
        for (size_t n = 0; n < script_.size(); ++n) {
            if (Name(n) != "Label") continue;
            const std::string label = Parameter(n, 1);
            if (labels_.Contains(label)) return ScriptCheckResult{static_cast<int>(n), "LABEL re-defined: " + label};
            labels_.Add(label, n);
        }
        return std::nullopt;
    }

    // Declares the variable named by parameter p unless it exists already.
    void Declare(size_t n, size_t p) const {
        const std::string name = Parameter(n, p);
        if (!name.empty() && !VariableExists(name)) DefineVariable(UpperAscii(name), "", kCheckSource);
    }

    void Require(size_t n, size_t p, const std::string& message) const {
        if (Parameter(n, p).empty()) throw CheckFailure{message};
    }

    void RequireExisting(size_t n, size_t p) const {
        const std::string name = Parameter(n, p);
        if (!VariableExists(name)) throw CheckFailure{"Variable not defined: " + name};
    }

    void CheckWebMediaBlock(size_t n) const {
        const std::string name = Parameter(n, 1);
        const std::string fileName = FileNameOfScriptPath(name);
        if (!name.empty() && Parameter(n, 2).empty()) throw CheckFailure{"Web Media Block must have a download URL"};
        if (fileName.find_first_of("/*?\"<>|") != std::string::npos)
            throw CheckFailure{"Web Media Block name must be a legal file name"};
    }

    void CheckCondition(size_t n) const {
        Require(n, 1, "Variable required");
        const std::string left = Parameter(n, 1), right = Parameter(n, 3);
        const bool leftValid = IsValidReference(left, false), rightValid = IsValidReference(right, true);
        if (!rightValid) throw CheckFailure{"Variable not defined: " + right};
        if (!leftValid) throw CheckFailure{"Variable not defined: " + left};
    }

    void CheckDisplayDialog(size_t n) const {
        Require(n, 1, "Dialog name not specified");
        Declare(n, 2);
        const std::string bound = Parameter(n, 4);
        if (!bound.empty() && !IsValidReference(bound, false)) throw CheckFailure{"Variable not defined: " + bound};
    }

    // Applies the rule of one command; returns its execution state.
    std::string CheckCommand(size_t n) {
        static const std::set<std::string> kRecording = {
            "Copy/Move Local Files", "Create Folder", "Create Shortcut", "Advertised Shortcut", "Edit INI File",
            "Install Assembly", "Set Environment", "Install Service", "Install ODBC Driver", "Create ODBC DSN",
            "Control Service", "Write Registry", "Create File Type", "Advertised File Type"};
        static const std::map<std::string, size_t> kDeclares = {
            {"Get Folder Location", 1}, {"Mathematics", 4}, {"Get INI File Settings", 1},
            {"Extract 7Zip Archive", 3}, {"Run Light Mode Setup", 2}, {"Check File Version", 1},
            {"Get System Settings", 1}, {"Read Registry", 1}, {"Does File/Folder Exist", 1}, {"Set Variable", 1},
            {"Get Temporary File", 1}, {"Get IIS Property", 1}, {"IIS Anonymous User", 1},
            {"Get File Version", 2}, {"Get Environment", 2}, {"Get IIS Site Index", 2},
            {"Get Component State", 2}, {"Apply Changes", 2}, {"Run Program", 4}, {"Run Program As", 8},
            {"MessageBox", 5}, {"Register Library", 3}, {"Apply Patch", 1}};
        const std::string& name = Name(n);
        if (auto it = kDeclares.find(name); it != kDeclares.end()) {
            Declare(n, it->second);
        } else if (kRecording.count(name)) {
            return "FALSE";
        } else if (name == "Web Media Block") {
            CheckWebMediaBlock(n);
        } else if (name == "Is MSI Setup Installed") {
            Require(n, 2, "Variable required");
            Declare(n, 2);
        } else if (name == "Read from Text File") {
            Declare(n, 2);
            Declare(n, 3);
        } else if (name == "Parse String") {
            Declare(n, 3);
            Declare(n, 4);
        } else if (name == "Delete Files") {
            if (!TextToBool(Parameter(n, 3)) && !TextToBool(Parameter(n, 4)))
                throw CheckFailure{"At least one delete mode must be selected"};
            return "FALSE";
        } else if (name == "Install Files") {
            Require(n, 3,
                    "A target folder must be specified for files that are being installed.\r"
                    "The value $TARGETDIR$ represents the destination folder chosen by the user.");
            return "FALSE";
        } else if (name == "Convert Path" || name == "Extract Path" || name == "Replace String") {
            RequireExisting(n, 1);
        } else if (name == "Find All Files") {
            Require(n, 4, "Variable required");
            Declare(n, 4);
        } else if (name == "Check Disk Space") {
            Require(n, 1, "Variable required");
            Declare(n, 1);
        } else if (name == "GoTo Label") {
            if (!labels_.Contains(Parameter(n, 1))) throw CheckFailure{"LABEL undefined: " + Parameter(n, 1)};
        } else if (name == "If" || name == "Else If") {
            CheckCondition(n);
        } else if (name == "Display Dialog") {
            CheckDisplayDialog(n);
        }
        return "SKIP";
    }

    Result CheckCommands() {
        for (size_t n = 0; n < script_.size(); ++n) {
            ExecutionStates().push_back("SKIP");
            if (script_.IsCommentedOut(n)) continue;
            try {
                ExecutionStates().back() = CheckCommand(n);
            } catch (const CheckFailure& failure) {
                return ScriptCheckResult{static_cast<int>(n), failure.message};
            } catch (const ScriptError& error) {  // a parameter list cut short
                return ScriptCheckResult{static_cast<int>(n), error.what()};
            }
        }
        return std::nullopt;
    }

    Result CheckWizardLoops() const {
        bool inLoop = false;
        for (size_t n = 0; n < script_.size(); ++n) {
            const std::string& name = Name(n);
            if (name == "Wizard Loop") {
                inLoop = true;
            } else if (inLoop && name == "End") {
                inLoop = false;
            } else if (inLoop && name != "Display Dialog" && name != "Comment" && name != "Ignore" &&
                       !script_.IsCommentedOut(n)) {
                return ScriptCheckResult{static_cast<int>(n),
                                         "Statements other than DISPLAY DIALOG not allowed inside WIZARD LOOP"};
            }
        }
        return std::nullopt;
    }

    const Script& script_;
    const ParameterIndex parameters_;
    LabelTable labels_;
};

}  // namespace

const std::vector<std::string>& ReservedVariableNames() {
    static const std::vector<std::string> names = {
        "TIME", "DATE", "NEWINSTANCE", "SELECTED", "WINDOWHANDLE", "EXEDIR", "EXEFILE", "UNINSTALLLINK",
        "ABORT", "SILENT", "LOGGED", "CMDLINE", "SFXPATH", "SFXFILE", "LASTERROR", "PROGRESSTEXT",
        "PROGRESS", "LICENSE", "USERNAME", "USERCOMPANY", "REBOOTCOMPUTER", "RUNAPP", "WIZARD", "TARGETDIR",
        "STARTMENU", "ADVERTISE", "ALLUSERS", "COMPLETE", "MINIMUM", "PERSONALIZED", "MODIFY", "REPAIR",
        "REMOVE", "DATADIR", "PRODUCTCODE", "REVISIONCODE", "ROOTDIR", "MAINTENANCE", "NEEDSUPGRADE", "TITLE",
        "COMPANY", "TEMPDIR", "SUPPORTDIR", "MSIFILE", "LANGUAGE"};
    return names;
}

std::vector<std::string>& ExecutionStates() {
    static std::vector<std::string> states;
    return states;
}

ScriptCheckResult CheckScript(const Script& script) { return ScriptChecker(script).Run(); }
