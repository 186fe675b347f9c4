#include "script/Payload.h"

#include "system/TextUtils.h"

namespace {

class LineReader {
public:
    explicit LineReader(const std::string& text) : text_(text) {}

    std::string Line(const char* item) {
        if (pos_ >= text_.size())
            throw PayloadError(std::string("Unexpected end of setup data while reading ") + item);
        size_t end = text_.find('\n', pos_);
        std::string line;
        if (end == std::string::npos) {
            line = text_.substr(pos_);
            pos_ = text_.size();
        } else {
            line = text_.substr(pos_, end - pos_);
            pos_ = end + 1;
        }
        if (!line.empty() && line.back() == '\r') line.pop_back();
        return line;
    }

    std::vector<std::string> Section(const char* item) {
        std::vector<std::string> lines;
        for (std::string line = Line(item); line != "$"; line = Line(item)) lines.push_back(std::move(line));
        return lines;
    }

    // An integer token after leading blanks; the rest of the line is dropped.
    int32_t Integer(const char* item) {
        std::string line = Line(item);
        size_t b = line.find_first_not_of(" \t");
        size_t e = b == std::string::npos ? b : line.find_first_of(" \t", b);
        std::string token = b == std::string::npos ? std::string() : line.substr(b, e - b);
        auto value = ParseInt32(token);
        if (!value)
            throw PayloadError("'" + token + "' is not a valid integer value (" + item + ")");
        return *value;
    }

private:
    const std::string& text_;
    size_t pos_ = 0;
};

void WriteSection(std::string& out, const std::vector<std::string>& lines) {
    for (const auto& line : lines) out += line + "\r\n";
    out += "$\r\n";
}

void WriteLine(std::string& out, const std::string& line) { out += line + "\r\n"; }

}  // namespace

Payload ReadPayload(const std::string& text) {
    Payload p;
    LineReader in(text);
    Script& s = p.script;
    ProjectValues& v = p.project;
    s.CommandNames = in.Section("command names");
    s.CommandIds = in.Section("command ids");
    s.ParameterBlocks = {in.Section("parameters")};
    s.CommandFlags = in.Section("command flags");
    v.ProductCode = in.Line("product code");
    v.Title = in.Line("title");
    s.PluginCommandNames = in.Section("plug-in command names");
    v.Publisher = in.Line("publisher");
    v.Contact = in.Line("contact");
    v.HelpLink = in.Line("help link");
    v.UpdateInfoLink = in.Line("update information link");
    v.Comments = in.Line("comments");
    s.CommandMediaFolders = in.Section("command media folders");
    v.MediaMode = in.Integer("media mode");
    v.ComponentSizes = in.Section("component sizes");
    v.RevisionCode = in.Line("revision code");
    v.MediaFileMap = in.Section("media file map");
    v.ShowLanguageDialog = in.Line("language dialog flag") == "TRUE";
    v.DefaultLanguage = in.Line("default language");
    s.CommandHeaders = in.Section("command headers");
    const size_t n = s.CommandNames.size();
    if (s.CommandIds.size() != n || s.CommandFlags.size() != n || s.CommandMediaFolders.size() != n)
        throw PayloadError("Setup data is inconsistent: the command lists differ in length");
    return p;
}

std::string WritePayload(const Payload& p) {
    const Script& s = p.script;
    const ProjectValues& v = p.project;
    std::vector<std::string> parameters;
    for (const auto& list : s.ParameterBlocks) parameters.insert(parameters.end(), list.begin(), list.end());
    std::string out;
    WriteSection(out, s.CommandNames);
    WriteSection(out, s.CommandIds);
    WriteSection(out, parameters);
    WriteSection(out, s.CommandFlags);
    WriteLine(out, v.ProductCode);
    WriteLine(out, v.Title);
    WriteSection(out, s.PluginCommandNames);
    WriteLine(out, v.Publisher);
    WriteLine(out, v.Contact);
    WriteLine(out, v.HelpLink);
    WriteLine(out, v.UpdateInfoLink);
    WriteLine(out, v.Comments);
    WriteSection(out, s.CommandMediaFolders);
    WriteLine(out, std::to_string(v.MediaMode));
    WriteSection(out, v.ComponentSizes);
    WriteLine(out, v.RevisionCode);
    WriteSection(out, v.MediaFileMap);
    WriteLine(out, v.ShowLanguageDialog ? "TRUE" : "FALSE");
    WriteLine(out, v.DefaultLanguage);
    WriteSection(out, s.CommandHeaders);
    return out;
}
