#include "tools/authoring/ProjectCheck.h"

#include <algorithm>
#include <filesystem>
#include <regex>

#include "script/CheckScript.h"
#include "tools/authoring/BuildInputs.h"
#include "tools/authoring/CommandCatalogue.h"
#include "tools/authoring/DialogFormCheck.h"
#include "tools/authoring/FileBytes.h"
#include "tools/authoring/PackageAuthoring.h"
#include "tools/authoring/ProjectTranslations.h"
#include "tools/authoring/RunProgram.h"
#include "system/TextUtils.h"

namespace {

// Each command's parameter lines as written: the lines after its id in the
// payload's parameter list, as many as the source gave it.
std::vector<std::vector<std::string>> SplitParameters(const Project& project) {
    const Script& script = project.payload.script;
    std::vector<std::string> all;
    for (const auto& list : script.ParameterBlocks) all.insert(all.end(), list.begin(), list.end());
    std::vector<std::vector<std::string>> split(script.size());
    for (size_t n = 0; n < script.size() && n < project.parameterLines.size(); ++n) {
        const size_t count = project.parameterLines[n].size();
        if (count == 0) continue;
        const auto id = std::find(all.begin(), all.end(), script.CommandIds[n]);
        if (id == all.end() || static_cast<size_t>(all.end() - id) <= count) continue;
        split[n].assign(id + 1, id + 1 + static_cast<std::ptrdiff_t>(count));
    }
    return split;
}

std::string Quoted(const std::string& name) { return "\"" + name + "\""; }

class ScriptChecker {
public:
    explicit ScriptChecker(const Project& project)
        : project_(project), script_(project.payload.script), parameters_(SplitParameters(project)) {}

    std::vector<ScriptFinding> Run() {
        for (size_t n = 0; n < script_.size(); ++n) {
            if (script_.IsCommentedOut(n)) continue;
            CheckBlock(n);
            CheckCommand(n);
        }
        for (const auto& open : blocks_) Add(open.line, Quoted(open.name) + " without its \"End\"", true);
        std::stable_sort(findings_.begin(), findings_.end(),
                         [](const ScriptFinding& a, const ScriptFinding& b) { return a.line < b.line; });
        return findings_;
    }

private:
    struct OpenBlock {
        std::string name;
        int line;
        bool sawElse = false;
    };

    int Line(size_t n) const { return n < project_.commandLines.size() ? project_.commandLines[n] : 0; }
    int ParameterLine(size_t n, size_t k) const {
        if (n < project_.parameterLines.size() && k >= 1 && k <= project_.parameterLines[n].size())
            return project_.parameterLines[n][k - 1];
        return Line(n);
    }
    void Add(int line, std::string text, bool block = false) { findings_.push_back({line, std::move(text), block}); }

    void CheckBlock(size_t n) {
        const std::string& name = script_.CommandNames[n];
        if (name == "If" || name == "Wizard Loop") {
            blocks_.push_back({name, Line(n)});
        } else if (name == "Else" || name == "Else If") {
            if (blocks_.empty() || blocks_.back().name != "If")
                Add(Line(n), Quoted(name) + " without \"If\"", true);
            else if (blocks_.back().sawElse)
                Add(Line(n), Quoted(name) + " after the \"Else\" of the \"If\" at line " +
                                 std::to_string(blocks_.back().line), true);
            else if (name == "Else")
                blocks_.back().sawElse = true;
        } else if (name == "End") {
            if (blocks_.empty()) Add(Line(n), "\"End\" without \"If\" or \"Wizard Loop\"", true);
            else blocks_.pop_back();
        }
    }

    bool IsPluginCommand(const std::string& name) const {
        const auto& names = script_.PluginCommandNames;
        return std::find(names.begin(), names.end(), name) != names.end();
    }

    void CheckCommand(size_t n) {
        const std::string& name = script_.CommandNames[n];
        if (IsPluginCommand(name)) return;
        const CommandEntry* command = FindCommand(name);
        if (!command) {
            const std::string suggestion = ClosestCommandName(name);
            Add(Line(n), "unknown command " + Quoted(name) +
                             (suggestion.empty() ? "" : "; did you mean " + Quoted(suggestion) + "?") +
                             " (see orvanta commands)");
            return;
        }
        const std::vector<std::string>& values = parameters_[n];
        if (command->anyParameters) return;
        if (values.size() < command->required || values.size() > command->parameters.size()) {
            std::string expected = std::to_string(command->required);
            if (command->parameters.size() != command->required)
                expected += " to " + std::to_string(command->parameters.size());
            std::string names;
            for (size_t k = 0; k < command->parameters.size(); ++k)
                names += (k ? ", " : "") + std::string(command->parameters[k].name);
            Add(Line(n), Quoted(name) + " takes " + expected + " parameter lines" +
                             (names.empty() ? "" : " (" + names + ")") + ", found " + std::to_string(values.size()));
            return;
        }
        // The recording commands' values are judged with their rows.
        if (IsRecordingCommand(name)) return;
        for (size_t k = 1; k <= values.size(); ++k) {
            const ParameterEntry& parameter = command->parameters[k - 1];
            const std::string place = Quoted(name) + ": p" + std::to_string(k) + " (" + parameter.name + ") '" +
                                      values[k - 1] + "'";
            if (parameter.asWritten && HoldsReference(values[k - 1]))
                AddRunTime(ParameterLine(n, k), place + UnexpandedAdvice(*command, k, values[k - 1]));
            else if (!ValueFitsParameter(parameter, values[k - 1]))
                AddRunTime(ParameterLine(n, k), place + " is not " + AcceptedValues(parameter));
        }
    }

    // The engine runs the command with such a value by its own rules.
    void AddRunTime(int line, std::string text) {
        Add(line, std::move(text));
        findings_.back().runTime = true;
    }

    // A $NAME$ the engine would take literally: the run-time choice is made
    // by an "If" around the command instead.
    static std::string UnexpandedAdvice(const CommandEntry& command, size_t k, const std::string& value) {
        const ParameterEntry& parameter = command.parameters[k - 1];
        std::string text = " is read as written: the engine expands no $NAME$ in ";
        text += parameter.kind == ParameterKind::Flag ? "a flag" : "this parameter";
        const std::string reference = value.front() == '$' && value.back() == '$' ? value : "$NAME$";
        text += "; put the command inside \"If\" (| " + reference + " | equals | ";
        text += parameter.kind == ParameterKind::Flag ? "TRUE" : "<value>";
        text += " | FALSE) and \"End\", with p" + std::to_string(k) + " written out";
        if (parameter.kind == ParameterKind::Flag) text += ", and the other value under \"Else\"";
        return text;
    }

    const Project& project_;
    const Script& script_;
    const std::vector<std::vector<std::string>> parameters_;
    std::vector<OpenBlock> blocks_;
    std::vector<ScriptFinding> findings_;
};

// The files and folders the project values name, which build reads.
void CheckNamedFiles(const Project& project, std::vector<std::string>& findings) {
    const struct {
        const char* key;
        const std::string& path;
        bool folder;
    } named[] = {{"Package", project.packageFile, false},       {"Support", project.supportFolder, true},
                 {"Splash", project.splashFile, false},         {"Icon", project.iconFile, false},
                 {"Translations", project.translationsFolder, true}};
    for (const auto& n : named) {
        if (n.path.empty()) continue;
        const std::filesystem::path path = std::filesystem::path(project.folder) / n.path;
        if (n.folder ? std::filesystem::is_directory(path) : std::filesystem::is_regular_file(path)) continue;
        const auto line = project.valueLines.find(n.key);
        findings.push_back(project.sourceFile + ":" + std::to_string(line == project.valueLines.end() ? 1 : line->second) +
                           ": " + n.key + " names '" + n.path + "', which is no " + (n.folder ? "folder" : "file") +
                           " of the project");
    }
}

// The product code the package gives the product: the Product element's Id
// of a .wxs source, the ProductCode property of an .msi (read with msiinfo);
// empty when it cannot be told.
std::string PackageProductCode(const std::filesystem::path& package) {
    if (package.extension() == ".wxs") {
        const std::string wxs = ReadFileBytes(package);
        std::smatch id;
        if (std::regex_search(wxs, id, std::regex("<Product\\b[^>]*\\bId=\"([^\"]*)\""))) return id[1];
        return {};
    }
    try {
        const ProgramResult properties = RunProgramCapturing({"msiinfo", "export", package.string(), "Property"});
        std::smatch code;
        if (properties.exitCode == 0 &&
            std::regex_search(properties.output, code, std::regex("(^|\n)ProductCode\t([^\r\n]*)")))
            return code[2];
    } catch (const std::exception&) {
        // No msiinfo on this machine: the package is not compared.
    }
    return {};
}

// The engine finds its installed product by the project's ProductCode, while
// the installed package registers under its own.
void CheckPackageProductCode(const Project& project, std::vector<std::string>& findings) {
    if (project.packageFile.empty()) return;
    const std::filesystem::path package = std::filesystem::path(project.folder) / project.packageFile;
    if (!std::filesystem::is_regular_file(package)) return;
    const std::string packageCode = PackageProductCode(package);
    const std::string& projectCode = project.payload.project.ProductCode;
    if (packageCode.empty() || UpperAscii(packageCode) == UpperAscii(projectCode)) return;
    const auto line = project.valueLines.find("ProductCode");
    std::string text = "ProductCode " + projectCode + " differs from the product code of " + project.packageFile + " (" +
                       packageCode + ")";
    if (packageCode == "*") text += ": \"*\" makes a new one at every build; write the project's ProductCode there";
    findings.push_back(project.sourceFile + ":" + std::to_string(line == project.valueLines.end() ? 1 : line->second) +
                       ": " + text);
}

bool IsBlockBalanceMessage(const std::string& message) {
    return message == "Insufficient END statements" || message == "Too many END statements";
}

}  // namespace

std::vector<ScriptFinding> ScriptFindings(const Project& project) { return ScriptChecker(project).Run(); }

// The translation files as build reads them: what it refuses is a finding,
// a msgid that matches no text a warning.
void CheckTranslations(const Project& project, ProjectCheckReport& report) {
    try {
        for (auto& warning : AuthorTranslations(project).warnings) report.warnings.push_back(std::move(warning));
    } catch (const std::exception& e) {
        report.findings.push_back(e.what());
    }
}

ProjectCheckReport CheckProject(const Project& project, const ProjectCheckOptions& options) {
    ProjectCheckReport report;
    CheckNamedFiles(project, report.findings);
    CheckPackageProductCode(project, report.findings);
    for (auto& finding : BuildInputFindings(project)) report.findings.push_back(std::move(finding));
    const std::vector<ScriptFinding> script = ScriptFindings(project);
    for (const auto& f : script) {
        report.findings.push_back(project.sourceFile + ":" + std::to_string(f.line) + ": " + f.text);
        if (f.runTime) ++report.runTimeFindings;
    }
    for (const auto& error : RecordingCommandErrors(project)) report.findings.push_back(error);
    DialogFormFindings forms = CheckDialogForms(project, options.strictForms);
    report.findings.insert(report.findings.end(), forms.errors.begin(), forms.errors.end());
    report.warnings.insert(report.warnings.end(), forms.warnings.begin(), forms.warnings.end());
    CheckTranslations(project, report);

    const ScriptCheckResult engine = CheckScript(project.payload.script);
    report.engineMessage = engine.message;
    if (!engine.ok()) {
        // The block findings above already name the opening command's line.
        const bool covered = IsBlockBalanceMessage(engine.message) &&
                             std::any_of(script.begin(), script.end(), [](const ScriptFinding& f) { return f.block; });
        const size_t command = static_cast<size_t>(engine.commandNumber);
        const int line = command < project.commandLines.size() ? project.commandLines[command] : 0;
        if (!covered)
            report.findings.push_back(project.sourceFile + ":" + std::to_string(line) + ": " + engine.message +
                                      " (the engine refuses to run this script)");
    }
    return report;
}
