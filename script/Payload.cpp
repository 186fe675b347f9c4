#include "script/Payload.h"

#include <cstring>

#include "system/ReadOnlyFile.h"
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

uint32_t Read32(const std::string& b, size_t at) {
    uint32_t v;
    std::memcpy(&v, b.data() + at, 4);
    return v;
}

uint16_t Read16(const std::string& b, size_t at) {
    uint16_t v;
    std::memcpy(&v, b.data() + at, 2);
    return v;
}

// The security directory (the fifth data directory) of the optional header
// that lies between optional and end; it holds a file offset, not an address.
std::optional<AppendedData> CertificateTable(const std::string& b, uint64_t optional, uint64_t end) {
    if (optional + 2 > end) return std::nullopt;
    const uint16_t magic = Read16(b, optional);
    uint64_t countAt;
    if (magic == 0x10B) countAt = optional + 92;        // PE32
    else if (magic == 0x20B) countAt = optional + 108;  // PE32+
    else return std::nullopt;
    const uint64_t entry = countAt + 4 + 4 * 8;
    if (entry + 8 > end || Read32(b, countAt) < 5) return std::nullopt;
    const uint32_t offset = Read32(b, entry), size = Read32(b, entry + 4);
    if (offset == 0 || size == 0) return std::nullopt;
    return AppendedData{offset, size};
}

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

std::optional<AppendedData> FindAppendedDataIn(const std::string& b, uint64_t fileSize) {
    if (b.size() < 64 || b[0] != 'M' || b[1] != 'Z') return std::nullopt;
    const uint64_t pe = Read32(b, 0x3C);
    const uint64_t fileHeader = pe + 4;
    if (fileHeader + 20 > b.size() || b.compare(pe, 4, std::string("PE\0\0", 4)) != 0) return std::nullopt;
    const uint16_t sections = Read16(b, fileHeader + 2);
    // The optional header's size differs between PE32 (224) and PE32+ (240)
    // images, and other linkers may write more directories.
    const uint64_t optional = fileHeader + 20;
    const uint64_t table = optional + Read16(b, fileHeader + 16);
    if (table + uint64_t(sections) * 40 > b.size()) return std::nullopt;
    uint64_t imageEnd = 0;
    for (uint64_t i = 0; i < sections; ++i) {
        const uint64_t entry = table + i * 40;
        uint64_t end = uint64_t(Read32(b, entry + 16)) + Read32(b, entry + 20);
        if (end > imageEnd) imageEnd = end;
    }
    if (imageEnd > fileSize) return std::nullopt;
    // A signature's certificate table follows the appended data; it is not part of it.
    uint64_t dataEnd = fileSize;
    if (auto certificates = CertificateTable(b, optional, table))
        if (certificates->offset >= imageEnd && certificates->offset <= fileSize) dataEnd = certificates->offset;
    return AppendedData{imageEnd, dataEnd - imageEnd};
}

namespace {

std::optional<AppendedData> FindAppendedRegionOf(ReadOnlyFile& file) {
    const auto size = file.Size();
    if (!size) return std::nullopt;
    const auto headers = file.ReadAt(0, static_cast<size_t>(std::min<uint64_t>(*size, 65536)));
    if (!headers) return std::nullopt;
    return FindAppendedDataIn(*headers, *size);
}

std::optional<AppendedData> FindAppendedDataOf(ReadOnlyFile& file) {
    auto found = FindAppendedRegionOf(file);
    const auto size = file.Size();
    if (!found || found->offset + found->length == *size) return found;
    // Signing pads the file with up to seven zero bytes so that the
    // certificate table starts at a multiple of eight: no part of the data.
    const size_t tail = static_cast<size_t>(std::min<uint64_t>(found->length, 7));
    if (const auto bytes = file.ReadAt(found->offset + found->length - tail, tail))
        for (size_t i = tail; i > 0 && (*bytes)[i - 1] == '\0'; --i) --found->length;
    return found;
}

}  // namespace

std::optional<AppendedData> FindAppendedData(const std::string& path) {
    ReadOnlyFile file(path);
    return FindAppendedDataOf(file);
}

std::optional<AppendedData> FindAppendedRegion(const std::string& path) {
    ReadOnlyFile file(path);
    return FindAppendedRegionOf(file);
}

std::string ReadAppendedData(const std::string& path) {
    ReadOnlyFile file(path);
    auto where = FindAppendedDataOf(file);
    if (!where || where->length == 0) return {};
    return file.ReadAt(where->offset, static_cast<size_t>(where->length)).value_or(std::string());
}
