#include "tools/authoring/DialogFormCheck.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <optional>
#include <set>

#include "dialogs/DesignedClasses.h"
#include "dialogs/DialogRules.h"
#include "dialogs/FormFile.h"
#include "dialogs/UnknownDesign.h"
#include "script/CheckScript.h"
#include "system/TextUtils.h"
#include "tools/authoring/CommandCatalogue.h"
#include "tools/authoring/DialogForms.h"
#include "tools/authoring/FileBytes.h"

namespace fs = std::filesystem;

namespace {

// The classes whose click runs a button role (Next, Back, Cancel, ...).
const char* const kButtonClasses[] = {"TLabel", "TButton", "TBitBtn", "TSpeedButton", "TImage", "TShape"};

std::string VariableName(std::string text) {
    text = UpperAscii(text);
    if (text.size() >= 2 && text.front() == '$' && text.back() == '$') text = text.substr(1, text.size() - 2);
    return text;
}

// Every $NAME$ of a text.
void AddReferences(const std::string& text, std::set<std::string>& names) {
    size_t at = 0;
    while ((at = text.find('$', at)) != std::string::npos) {
        const size_t end = text.find('$', at + 1);
        if (end == std::string::npos) return;
        if (end > at + 1) names.insert(UpperAscii(text.substr(at + 1, end - at - 1)));
        at = end + 1;
    }
}

// A form file as read: its root and, for a text form, its lines.
struct ReadForm {
    FormObject root;
    std::optional<FormTextLines> lines;
};

class FormChecker {
public:
    FormChecker(const Project& project, bool strict) : project_(project), strict_(strict) {
        if (!project.supportFolder.empty()) support_ = fs::path(project.folder) / project.supportFolder;
        CollectVariables();
    }

    DialogFormFindings Run() {
        if (!support_.empty() && fs::is_directory(support_)) {
            std::vector<fs::path> files;
            for (const auto& entry : fs::directory_iterator(support_))
                if (entry.is_regular_file() && UpperAscii(entry.path().extension().string()) == ".DFM")
                    files.push_back(entry.path());
            std::sort(files.begin(), files.end());
            for (const fs::path& file : files) CheckForm(file);
        }
        CheckDisplayedDialogs();
        return std::move(findings_);
    }

private:
    std::string Shown(const fs::path& file) const { return file.string(); }
    std::string SourcePlace(int line) const { return project_.sourceFile + ":" + std::to_string(line) + ": "; }

    // "file:line: " of a component (property < 0) or one of its properties.
    std::string Place(const fs::path& file, const ReadForm& form, size_t object, std::optional<size_t> property) const {
        if (form.lines && object < form.lines->objects.size()) {
            const FormTextLines::Object& lines = form.lines->objects[object];
            const int line = property && *property < lines.properties.size() ? lines.properties[*property] : lines.line;
            return Shown(file) + ":" + std::to_string(line) + ": ";
        }
        return Shown(file) + ": ";
    }

    void CollectVariables() {
        known_.insert(ReservedVariableNames().begin(), ReservedVariableNames().end());
        const Script& script = project_.payload.script;
        for (const auto& block : script.ParameterBlocks)
            for (const std::string& line : block) AddReferences(line, known_);
        for (size_t n = 0; n < script.size(); ++n) {
            const CommandEntry* command = FindCommand(script.CommandNames[n]);
            if (!command) continue;
            const bool condition = command->name == std::string("If") || command->name == std::string("Else If");
            for (size_t k = 1; k <= command->parameters.size(); ++k) {
                if (command->parameters[k - 1].kind != ParameterKind::Variable && !(condition && k == 1)) continue;
                try {
                    const std::string value = GetParameter(script.ParameterBlocks, script.CommandIds[n], k);
                    if (!value.empty()) known_.insert(VariableName(value));
                } catch (const std::exception&) {
                    // Fewer lines than the catalogue's: the script check names it.
                }
            }
        }
    }

    void CheckForm(const fs::path& file) {
        ReadForm form;
        std::string bytes = ReadFileBytes(file);
        try {
            if (IsTextForm(bytes)) {
                if (StartsWith(bytes, "\xEF\xBB\xBF")) bytes.erase(0, 3);
                form.lines.emplace();
                form.root = ReadTextForm(bytes, &*form.lines);
            } else {
                form.root = ReadBinaryForm(bytes).root;
            }
        } catch (const FormError& e) {
            findings_.errors.push_back(Shown(file) + ": " + e.what());
            return;
        }
        for (const UnknownDesign& item : FindUnknownDesign(form.root)) {
            const bool onProperty = item.what == UnknownDesign::What::Property || item.what == UnknownDesign::What::Value;
            const std::string place =
                Place(file, form, item.object, onProperty ? std::optional(item.property) : std::nullopt);
            const std::string text = item.text + " (left out when shown)";
            if (strict_) findings_.errors.push_back(place + text);
            else findings_.warnings.push_back(place + "warning: " + text);
        }
        size_t place = 0;
        CheckBindings(file, form, form.root, true, place);
        FormObject fitted = form.root;
        FitToDesignedClasses(fitted);
        forms_[UpperAscii(file.filename().string())] = std::move(fitted);
        CheckRules(file);
    }

    void CheckBindings(const fs::path& file, const ReadForm& form, const FormObject& object, bool isRoot,
                       size_t& place) {
        const size_t here = place++;
        if (!isRoot && FindDesignedClass(object.className)) {
            for (size_t n = 0; n < object.properties.size(); ++n) {
                const FormProperty& property = object.properties[n];
                if (UpperAscii(property.name) != "HINT" || !property.value.IsText()) continue;
                const std::string name = VariableName(property.value.AsText());
                if (name.empty() || known_.count(name)) continue;
                findings_.errors.push_back(Place(file, form, here, n) + DescribeComponent(object) +
                                           " is bound to " + name +
                                           ", a variable that no command defines or uses and the engine does not "
                                           "predefine");
            }
        }
        for (const FormObject& child : object.children) CheckBindings(file, form, child, false, place);
    }

    // Each rule's controls and properties, on the form as the engine builds it.
    void CheckRules(const fs::path& formFile) {
        const fs::path rulesFile = formFile.string() + ".kebf";
        if (!fs::is_regular_file(rulesFile)) return;
        const FormObject& form = forms_[UpperAscii(formFile.filename().string())];
        const std::vector<std::string> lines = SplitLines(ReadFileBytes(rulesFile));
        for (size_t n = 0; n < lines.size(); ++n) {
            const std::optional<DialogRule> rule = ParseDialogRule(lines[n]);
            if (!rule) continue;
            const std::string place = Shown(rulesFile) + ":" + std::to_string(n + 1) + ": ";
            for (const auto& [component, property] : {std::pair(rule->conditionComponent, rule->conditionProperty),
                                                      std::pair(rule->targetComponent, rule->targetProperty)}) {
                const FormObject* control = form.FindObject(component);
                if (!control || control == &form) {
                    findings_.errors.push_back(place + "the rule names " + component + ", which " +
                                               formFile.filename().string() + " does not hold");
                } else if (!AcceptsProperty(control->className, property)) {
                    findings_.errors.push_back(place + "the rule names " + component + "." + property + ", but " +
                                               DescribeComponent(*control) + " has no property " + property);
                }
            }
        }
    }

    bool HasRole(const FormObject& object, int tag) const {
        for (const FormObject& child : object.children) {
            const bool button = std::any_of(std::begin(kButtonClasses), std::end(kButtonClasses),
                                            [&](const char* cls) { return child.className == cls; });
            if (button && child.Find("Tag") && child.Find("Tag")->IsInteger() && child.Integer("Tag") == tag)
                return true;
            if (HasRole(child, tag)) return true;
        }
        return false;
    }

    void CheckDisplayedDialogs() {
        const Script& script = project_.payload.script;
        std::vector<std::string> blocks;  // the open If and Wizard Loop blocks
        std::set<std::string> pagesChecked;
        for (size_t n = 0; n < script.size(); ++n) {
            if (script.IsCommentedOut(n)) continue;
            const std::string& name = script.CommandNames[n];
            if (name == "If" || name == "Wizard Loop") blocks.push_back(name);
            if (name == "End" && !blocks.empty()) blocks.pop_back();
            if (name != "Display Dialog") continue;
            const bool wizardPage = std::find(blocks.begin(), blocks.end(), "Wizard Loop") != blocks.end();
            std::string dialog;
            try {
                dialog = GetParameter(script.ParameterBlocks, script.CommandIds[n], 1);
            } catch (const std::exception&) {
                continue;  // no parameter lines: the script check names it
            }
            if (dialog.find('$') != std::string::npos) continue;  // chosen at run time
            const int line = n < project_.commandLines.size() ? project_.commandLines[n] : 1;
            const std::string form = dialog + ".dfm";
            const auto found = forms_.find(UpperAscii(form));
            if (support_.empty() || !fs::is_regular_file(support_ / form)) {
                findings_.errors.push_back(SourcePlace(line) + "the dialog form " + form +
                                           " is not in the support folder");
                continue;
            }
            if (!fs::is_regular_file(support_ / (form + ".kebf")))
                findings_.errors.push_back(SourcePlace(line) + "the rules file " + form +
                                           ".kebf is not in the support folder (an empty file is enough for a "
                                           "dialog without rules)");
            if (!wizardPage || found == forms_.end() || !pagesChecked.insert(found->first).second) continue;
            for (const auto& [tag, role] : {std::pair(1, "Next"), std::pair(3, "Cancel")})
                if (!HasRole(found->second, tag))
                    findings_.warnings.push_back(SourcePlace(line) + "warning: the wizard page " + form + " has no " + role +
                                                 " button (a button, label or image with Tag " +
                                                 std::to_string(tag) + ")");
        }
    }

    const Project& project_;
    const bool strict_;
    fs::path support_;
    std::set<std::string> known_;
    std::map<std::string, FormObject> forms_;  // upper-cased file name: the form as the engine builds it
    DialogFormFindings findings_;
};

}  // namespace

DialogFormFindings CheckDialogForms(const Project& project, bool strictForms) {
    return FormChecker(project, strictForms).Run();
}
