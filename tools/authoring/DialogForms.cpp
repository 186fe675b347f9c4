#include "tools/authoring/DialogForms.h"

#include <algorithm>
#include <fstream>

#include "dialogs/FormFile.h"
#include "system/TextUtils.h"
#include "tools/authoring/FileBytes.h"

namespace fs = std::filesystem;

bool IsTextForm(const std::string& bytes) {
    size_t at = StartsWith(bytes, "\xEF\xBB\xBF") ? 3 : 0;
    while (at < bytes.size() && (bytes[at] == ' ' || bytes[at] == '\t' || bytes[at] == '\r' || bytes[at] == '\n'))
        ++at;
    const std::string first = UpperAscii(bytes.substr(at, 9));
    return StartsWith(first, "OBJECT ") || StartsWith(first, "INHERITED") || StartsWith(first, "INLINE ");
}

namespace {

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

void PrepareDialogForms(const fs::path& stagedSupport) {
    if (fs::is_directory(stagedSupport))
        for (const auto& entry : fs::directory_iterator(stagedSupport))
            if (entry.is_regular_file() && UpperAscii(entry.path().extension().string()) == ".DFM")
                CompileTextForm(entry.path());
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
