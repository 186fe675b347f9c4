#include "tools/authoring/DialogForms.h"

#include <algorithm>
#include <fstream>

#include "dialogs/DesignedClasses.h"
#include "dialogs/FormFile.h"
#include "system/TextUtils.h"
#include "tools/authoring/FileBytes.h"

namespace fs = std::filesystem;

namespace {

// A text form starts with its first object, after an optional UTF-8 mark
// and blanks; a binary form starts with its resource header or "TPF0".
bool IsTextForm(const std::string& bytes) {
    size_t at = StartsWith(bytes, "\xEF\xBB\xBF") ? 3 : 0;
    while (at < bytes.size() && (bytes[at] == ' ' || bytes[at] == '\t' || bytes[at] == '\r' || bytes[at] == '\n'))
        ++at;
    const std::string first = UpperAscii(bytes.substr(at, 9));
    return StartsWith(first, "OBJECT ") || StartsWith(first, "INHERITED") || StartsWith(first, "INLINE ");
}

void CompileTextForm(const fs::path& file) {
    std::string bytes = ReadFileBytes(file);
    if (!IsTextForm(bytes)) return;
    if (StartsWith(bytes, "\xEF\xBB\xBF")) bytes.erase(0, 3);
    FormFile form;
    try {
        form.root = ReadTextForm(bytes);
    } catch (const FormError& e) {
        throw std::runtime_error(file.filename().string() + ": " + e.what());
    }
    form.resourceName = ResourceNameFor(form.root);
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << WriteBinaryForm(form);
    if (!out.flush()) throw std::runtime_error("cannot write " + file.string());
}

}  // namespace

void PrepareDialogForms(const Project& project, const fs::path& stagedSupport) {
    if (fs::is_directory(stagedSupport))
        for (const auto& entry : fs::directory_iterator(stagedSupport))
            if (entry.is_regular_file() && UpperAscii(entry.path().extension().string()) == ".DFM")
                CompileTextForm(entry.path());

    const Script& script = project.payload.script;
    for (size_t n = 0; n < script.size(); ++n) {
        if (script.CommandNames[n] != "Display Dialog" || script.IsCommentedOut(n)) continue;
        const std::string form = GetParameter(script.ParameterBlocks, script.CommandIds[n], 1) + ".dfm";
        const int line = n < project.commandLines.size() ? project.commandLines[n] : 1;
        if (!fs::is_regular_file(stagedSupport / form))
            throw SourceError(project.sourceFile, line, "the dialog form " + form + " is not in the support folder");
        // The engine refuses a form it cannot build at start-up; say so now.
        try {
            CheckDesignedForm(ReadBinaryForm(ReadFileBytes(stagedSupport / form)).root, form);
        } catch (const FormError& e) {
            throw SourceError(project.sourceFile, line, e.what());
        }
        if (!fs::is_regular_file(stagedSupport / (form + ".kebf")))
            throw SourceError(project.sourceFile, line,
                              "the rules file " + form + ".kebf is not in the support folder (an empty file "
                              "is enough for a dialog without rules)");
    }
}

namespace {

// The property a shown dialog translates, by class; nullptr for none.
const char* TranslatedProperty(const std::string& className) {
    static const char* const kCaptioned[] = {"TLabel",       "TGroupBox",  "TButton",        "TSpeedButton",
                                             "TBitBtn",      "TStaticText", "TRzCheckBox",   "TRzRadioButton"};
    for (const char* name : kCaptioned)
        if (className == name) return "Caption";
    if (className == "TEdit" || className == "TMaskEdit") return "Text";
    return nullptr;
}

void CollectTexts(const FormObject& object, const std::string& form, std::vector<DialogText>& texts) {
    for (const FormObject& child : object.children) {
        const char* property = TranslatedProperty(child.className);
        const std::string text = property ? child.Text(property) : std::string();
        if (!text.empty() && text.find_first_of("\r\n") == std::string::npos)
            texts.push_back({form, child.name, text});
        CollectTexts(child, form, texts);
    }
}

}  // namespace

std::vector<DialogText> DialogTexts(const fs::path& supportFolder) {
    std::vector<DialogText> texts;
    if (supportFolder.empty() || !fs::is_directory(supportFolder)) return texts;
    std::vector<fs::path> forms;
    for (const auto& entry : fs::directory_iterator(supportFolder))
        if (entry.is_regular_file() && UpperAscii(entry.path().extension().string()) == ".DFM")
            forms.push_back(entry.path());
    std::sort(forms.begin(), forms.end());  // the same files in the same order on every machine
    for (const fs::path& path : forms) {
        const std::string name = path.filename().string();
        std::string bytes = ReadFileBytes(path);
        if (StartsWith(bytes, "\xEF\xBB\xBF")) bytes.erase(0, 3);
        FormObject root;
        try {
            root = IsTextForm(bytes) ? ReadTextForm(bytes) : ReadBinaryForm(bytes).root;
        } catch (const FormError& e) {
            throw std::runtime_error(name + ": " + e.what());
        }
        if (const std::string caption = root.Text("Caption"); !caption.empty()) texts.push_back({name, name, caption});
        CollectTexts(root, name, texts);
    }
    return texts;
}
