#include "tools/authoring/ProjectTranslations.h"

#include <filesystem>
#include <stdexcept>

#include "script/CommandTable.h"
#include "system/TextUtils.h"
#include "tools/authoring/DialogForms.h"
#include "tools/authoring/FileBytes.h"
#include "tools/authoring/ShippedMessages.h"

namespace fs = std::filesystem;

namespace {

constexpr int kMessageCount = 90;

std::string ReadText(const fs::path& path) {
    std::string text = ReadFileBytes(path);
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) text.erase(0, 3);  // a UTF-8 byte order mark
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

// msgid/msgstr pairs of a language file, both texts in the engine's code page.
std::map<std::string, std::string> ReadCatalogue(const fs::path& path) {
    std::map<std::string, std::string> catalogue;
    std::string id;
    bool haveId = false;
    int number = 0;
    for (const std::string& raw : SplitLines(ReadText(path))) {
        ++number;
        const std::string line = TrimBlanks(raw);
        const std::string where = path.string() + ":" + std::to_string(number);
        if (line.empty() || line[0] == '#') continue;
        if (StartsWith(line, "msgid ")) {
            if (haveId) throw std::runtime_error(where + ": msgid without msgstr before it");
            id = Windows1252FromUtf8(Quoted(line, 5, where));
            haveId = true;
        } else if (StartsWith(line, "msgstr ")) {
            if (!haveId) throw std::runtime_error(where + ": msgstr without msgid");
            catalogue[id] = Windows1252FromUtf8(Quoted(line, 6, where));
            haveId = false;
        } else {
            throw std::runtime_error(where + ": msgid or msgstr expected");
        }
    }
    if (haveId) throw std::runtime_error(path.string() + ": the last msgid has no msgstr");
    return catalogue;
}

// The engine message file of a language: the project's own, else the one
// orvanta ships; empty when there is none.
std::string MessageFile(const fs::path& folder, const std::string& language) {
    const fs::path own = folder / (language + ".messages");
    std::string text;
    if (fs::exists(own)) text = ReadText(own);
    else if (const char* shipped = ShippedMessageFileUtf8(language)) text = shipped;
    else return {};
    const auto lines = SplitLines(Windows1252FromUtf8(text));
    if (lines.size() != kMessageCount)
        throw std::runtime_error("the engine message file of " + language + " has " + std::to_string(lines.size()) +
                                 " lines, not " + std::to_string(kMessageCount));
    return JoinCrLf(lines);
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
    if (project.translationsFolder.empty()) return result;
    const fs::path folder = fs::path(project.folder) / project.translationsFolder;
    if (!fs::is_directory(folder)) throw std::runtime_error("translations folder not found: " + folder.string());
    const std::string defaultLanguage = project.payload.project.DefaultLanguage;
    if (defaultLanguage.empty()) throw std::runtime_error("a project with translations needs a DefaultLanguage");

    std::map<std::string, std::map<std::string, std::string>> catalogues;  // language -> msgid -> msgstr
    catalogues[defaultLanguage];
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().extension() == ".txt") catalogues[entry.path().stem().string()] = ReadCatalogue(entry.path());

    const Script& script = project.payload.script;
    std::vector<std::string> contexts, keys;
    std::map<std::string, std::vector<std::string>> texts;
    for (size_t n = 0; n < script.size(); ++n) {
        const std::vector<int>& parameters = EngineCommands().TranslatableParameters(script.CommandNames[n]);
        for (size_t slot = 0; slot < parameters.size(); ++slot) {
            contexts.emplace_back();
            keys.push_back(slot == 0 ? script.CommandIds[n] : std::string());
            const std::string text = GetParameter(script.ParameterBlocks, script.CommandIds[n], parameters[slot]);
            for (const auto& [language, catalogue] : catalogues) {
                auto found = catalogue.find(text);
                texts[language].push_back(found == catalogue.end() ? text : found->second);
            }
        }
    }
    // The dialogs' texts that some language translates, found by form and component.
    for (const DialogText& dialog : DialogTexts(project.supportFolder.empty()
                                                    ? fs::path()
                                                    : fs::path(project.folder) / project.supportFolder)) {
        bool translated = false;
        for (const auto& [language, catalogue] : catalogues) translated = translated || catalogue.count(dialog.text);
        if (!translated) continue;
        contexts.push_back(dialog.form);
        keys.push_back(dialog.component);
        for (const auto& [language, catalogue] : catalogues) {
            auto found = catalogue.find(dialog.text);
            texts[language].push_back(found == catalogue.end() ? dialog.text : found->second);
        }
    }
    result.supportFiles["translations.Map"] = JoinCrLf(contexts);
    result.supportFiles[project.payload.project.Title + ".mtx"] = JoinCrLf(keys);
    for (const auto& [language, lines] : texts) result.supportFiles["translations." + language] = JoinCrLf(lines);
    for (const auto& [language, catalogue] : catalogues) {
        if (!texts.count(language)) result.supportFiles["translations." + language] = "";
        const std::string messages = MessageFile(folder, language);
        if (messages.empty()) continue;
        if (language == defaultLanguage) result.defaultMessages = messages;
        else result.supportFiles["shared.translations." + language] = messages;
    }
    return result;
}
