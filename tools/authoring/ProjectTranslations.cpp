#include "tools/authoring/ProjectTranslations.h"

#include <algorithm>
#include <filesystem>
#include <regex>
#include <stdexcept>

#include "dialogs/FeatureTree.h"
#include "script/CommandTable.h"
#include "system/TextUtils.h"
#include "tools/authoring/AnsiText.h"
#include "tools/authoring/DialogForms.h"
#include "tools/authoring/FileBytes.h"
#include "tools/authoring/ShippedMessages.h"

namespace fs = std::filesystem;

namespace {

constexpr int kMessageCount = 90;

std::string WithoutByteOrderMark(std::string text) {
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) text.erase(0, 3);
    return text;
}

// The quoted value after a keyword, with \" and \\ unescaped.
std::string Quoted(const std::string& line, size_t start, const std::string& where) {
    const size_t open = line.find('"', start);
    if (open == std::string::npos || line.size() < open + 2 || line.back() != '"')
        throw std::runtime_error(where + ": a quoted text is expected");
    std::string value;
    for (size_t i = open + 1; i + 1 < line.size(); ++i) {
        if (line[i] == '\\' && i + 2 < line.size()) ++i;
        value += line[i];
    }
    return value;
}

// The UTF-8 text in the language's code page; a character it lacks is an
// error at the text's place (line is where the text starts).
std::string InCodePage(const std::string& text, const std::string& language, const std::string& file, int line) {
    try {
        return AnsiFromUtf8(text, LanguageCodePage(language));
    } catch (const UnencodableText& e) {
        throw std::runtime_error(file + ":" + std::to_string(line + e.line - 1) + ": " + e.what() + " (" + language +
                                 ")");
    }
}

struct Translation {
    std::string text;  // in the language's code page
    int line;          // of the msgid
};
using Catalogue = std::map<std::string, Translation>;  // msgid in Windows-1252 -> translation

// The msgid/msgstr pairs of a language file.
Catalogue ReadCatalogue(const fs::path& path, const std::string& language) {
    Catalogue catalogue;
    std::string id;
    int idLine = 0;  // 0 while no msgid waits for its msgstr
    int number = 0;
    const std::string file = path.string();
    const auto unanswered = [&] { return file + ":" + std::to_string(idLine) + ": msgid without msgstr"; };
    for (const std::string& raw : SplitLines(WithoutByteOrderMark(ReadFileBytes(path)))) {
        ++number;
        const std::string line = TrimBlanks(raw);
        const std::string where = file + ":" + std::to_string(number);
        if (line.empty() || line[0] == '#') continue;
        if (StartsWith(line, "msgid ")) {
            if (idLine) throw std::runtime_error(unanswered());
            id = Windows1252FromUtf8(Quoted(line, 5, where));
            idLine = number;
        } else if (StartsWith(line, "msgstr ")) {
            if (!idLine) throw std::runtime_error(where + ": msgstr without msgid");
            catalogue[id] = {InCodePage(Quoted(line, 6, where), language, file, number), idLine};
            idLine = 0;
        } else {
            throw std::runtime_error(where + ": msgid or msgstr expected");
        }
    }
    if (idLine) throw std::runtime_error(unanswered());
    return catalogue;
}

// The engine message file of a language: the project's own, else the one
// orvanta ships; empty when there is none.
std::string MessageFile(const fs::path& folder, const std::string& language) {
    const fs::path own = folder / (language + ".messages");
    std::string text, name;
    if (fs::exists(own)) {
        text = WithoutByteOrderMark(ReadFileBytes(own));
        name = own.string();
    } else if (const char* shipped = ShippedMessageFileUtf8(language)) {
        text = shipped;
        name = "orvanta's engine texts in " + language;
    } else {
        return {};
    }
    const auto lines = SplitLines(InCodePage(text, language, name, 1));
    if (lines.size() != kMessageCount)
        throw std::runtime_error(name + ": the engine message file has " +
                                 std::to_string(lines.size()) + " lines, not " + std::to_string(kMessageCount));
    return JoinCrLf(lines);
}

// A text of the project a language may translate: a command's or a form's.
struct ProjectText {
    std::string context, key, text;
    std::string place;  // for the author: "project.orv:12" or "support/welcome.dfm: Heading"
    bool command;
};

std::vector<ProjectText> ProjectTexts(const Project& project) {
    std::vector<ProjectText> texts;
    const Script& script = project.payload.script;
    for (size_t n = 0; n < script.size(); ++n) {
        const std::vector<int>& parameters = EngineCommands().TranslatableParameters(script.CommandNames[n]);
        const std::string place =
            project.sourceFile + ":" + std::to_string(n < project.commandLines.size() ? project.commandLines[n] : 0);
        for (size_t slot = 0; slot < parameters.size(); ++slot)
            texts.push_back({"", slot == 0 ? script.CommandIds[n] : std::string(),
                             GetParameter(script.ParameterBlocks, script.CommandIds[n], parameters[slot]), place, true});
    }
    const fs::path support =
        project.supportFolder.empty() ? fs::path() : fs::path(project.folder) / project.supportFolder;
    for (const DialogText& dialog : DialogTexts(support))
        texts.push_back({dialog.form, dialog.component, dialog.text,
                         (fs::path(project.supportFolder) / dialog.form).string() + ": " + dialog.component, false});
    return texts;
}

// The feature tree's menu: translated like a form's texts, though no form of the project holds it.
std::vector<ProjectText> MenuTexts() {
    std::vector<ProjectText> texts;
    for (const FeatureMenuEntry& entry : kFeatureMenu)
        if (entry.caption) texts.push_back({kFeatureMenuContext, entry.name, entry.caption, "", false});
    return texts;
}

// The languages of the translations folder by their files, with the default language's.
std::map<std::string, Catalogue> ReadCatalogues(const Project& project) {
    const fs::path folder = fs::path(project.folder) / project.translationsFolder;
    if (!fs::is_directory(folder)) throw std::runtime_error("translations folder not found: " + folder.string());
    std::map<std::string, Catalogue> catalogues;
    catalogues[project.payload.project.DefaultLanguage];
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().extension() == ".txt")
            catalogues[entry.path().stem().string()] = ReadCatalogue(entry.path(), entry.path().stem().string());
    return catalogues;
}

// The licence and readme files of the support folder that are UTF-8 beyond
// ASCII, in the code page of the language their name gives (the default
// language's when it gives none).
std::map<std::string, std::string> LicenceFiles(const Project& project) {
    std::map<std::string, std::string> files;
    if (project.supportFolder.empty()) return files;
    const fs::path support = fs::path(project.folder) / project.supportFolder;
    if (!fs::is_directory(support)) return files;
    static const std::regex kName("(license|readme)(\\.([^.]+))?\\.(txt|rtf)", std::regex::icase);
    for (const auto& entry : fs::directory_iterator(support)) {
        const std::string name = entry.path().filename().string();
        std::smatch parts;
        if (!entry.is_regular_file() || !std::regex_match(name, parts, kName)) continue;
        const std::string text = WithoutByteOrderMark(ReadFileBytes(entry.path()));
        const bool ascii = std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
        if (ascii || !IsUtf8(text)) continue;  // already in a code page
        const std::string language = parts[3].matched ? parts[3].str() : project.payload.project.DefaultLanguage;
        files[name] = InCodePage(text, language, entry.path().string(), 1);
    }
    return files;
}

}  // namespace

std::string Windows1252FromUtf8(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            out += static_cast<char>(c);
            ++i;
            continue;
        }
        const int length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
        unsigned code = length == 1 ? 0xFFFD : c & (0x7F >> length);
        for (int k = 1; k < length; ++k)
            code = i + k < text.size() ? (code << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F) : 0xFFFD;
        i += length;
        if (code >= 0xA0 && code <= 0xFF) out += static_cast<char>(code);
        else if (code == 0x2122) out += '\x99';  // trade mark sign
        else if (code == 0x20AC) out += '\x80';  // euro sign
        else out += '?';
    }
    return out;
}

ProjectTranslations AuthorTranslations(const Project& project) {
    ProjectTranslations result;
    result.supportFiles = LicenceFiles(project);
    if (project.translationsFolder.empty()) return result;
    if (project.payload.project.DefaultLanguage.empty())
        throw std::runtime_error("a project with translations needs a DefaultLanguage");
    const std::map<std::string, Catalogue> catalogues = ReadCatalogues(project);

    std::vector<ProjectText> texts = ProjectTexts(project);
    const std::vector<ProjectText> menu = MenuTexts();
    texts.insert(texts.end(), menu.begin(), menu.end());
    std::vector<std::string> contexts, keys;
    std::map<std::string, std::vector<std::string>> lines;  // by language
    std::map<std::string, bool> matched;                    // msgid -> some text has it
    for (const ProjectText& text : texts) {
        bool translated = false;
        for (const auto& [language, catalogue] : catalogues) translated = translated || catalogue.count(text.text);
        matched[text.text] = true;
        // A command's texts keep their slots; a form's text needs a line only when some language has it.
        if (!text.command && !translated) continue;
        contexts.push_back(text.context);
        keys.push_back(text.key);
        for (const auto& [language, catalogue] : catalogues) {
            auto found = catalogue.find(text.text);
            lines[language].push_back(found == catalogue.end() ? text.text : found->second.text);
        }
    }
    const fs::path folder = fs::path(project.folder) / project.translationsFolder;
    for (const auto& [language, catalogue] : catalogues)
        for (const auto& [id, translation] : catalogue)
            if (!matched.count(id))
                result.warnings.push_back((folder / (language + ".txt")).string() + ":" +
                                          std::to_string(translation.line) + ": warning: msgid \"" + id +
                                          "\" matches no text of the script or the forms");

    result.supportFiles["translations.Map"] = JoinCrLf(contexts);
    result.supportFiles[project.payload.project.Title + ".mtx"] = JoinCrLf(keys);
    for (const auto& [language, catalogue] : catalogues) {
        result.supportFiles["translations." + language] = lines.count(language) ? JoinCrLf(lines[language]) : "";
        const std::string messages = MessageFile(folder, language);
        if (messages.empty()) continue;
        if (language == project.payload.project.DefaultLanguage) result.defaultMessages = messages;
        else result.supportFiles["shared.translations." + language] = messages;
    }
    return result;
}

std::vector<std::string> MissingTranslations(const Project& project, const std::string& language) {
    if (project.translationsFolder.empty()) throw std::runtime_error(project.sourceFile + ": the project has no Translations");
    const fs::path file = fs::path(project.folder) / project.translationsFolder / (language + ".txt");
    const Catalogue catalogue = fs::exists(file) ? ReadCatalogue(file, language) : Catalogue();
    // Names and keywords (a variable's name, TRUE, CANCEL) are read by the script, not by the user.
    const auto isName = [](const std::string& text) {
        return std::all_of(text.begin(), text.end(), [](char c) {
            return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '$';
        });
    };
    std::vector<std::string> missing;
    for (const ProjectText& text : ProjectTexts(project))
        if (!isName(TrimBlanks(text.text)) && !catalogue.count(text.text))
            missing.push_back(text.place + ": \"" + text.text + "\"");
    return missing;
}
