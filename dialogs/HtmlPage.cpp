#include "dialogs/HtmlPage.h"

#include <algorithm>
#include <cstring>

#include "system/TextUtils.h"

namespace {

// Character references the pages of setups use; others stay as written.
struct NamedCharacter {
    const char* name;
    unsigned code;
};
constexpr NamedCharacter kNamedCharacters[] = {
    {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}, {"nbsp", 0xA0},
    {"copy", 0xA9}, {"reg", 0xAE}, {"trade", 0x99}, {"euro", 0x80}, {"hellip", 0x85}, {"ndash", 0x96},
    {"mdash", 0x97}, {"laquo", 0xAB}, {"raquo", 0xBB}, {"bull", 0x95}, {"auml", 0xE4}, {"ouml", 0xF6},
    {"uuml", 0xFC}, {"Auml", 0xC4}, {"Ouml", 0xD6}, {"Uuml", 0xDC}, {"szlig", 0xDF}, {"eacute", 0xE9},
    {"egrave", 0xE8}, {"agrave", 0xE0}, {"ccedil", 0xE7},
};

// Unicode code points beyond Latin-1 that Windows-1252 holds at 0x80..0x9F.
unsigned ToWindows1252(unsigned code) {
    static const unsigned kHigh[][2] = {{0x20AC, 0x80}, {0x201A, 0x82}, {0x0192, 0x83}, {0x201E, 0x84},
                                        {0x2026, 0x85}, {0x2020, 0x86}, {0x2021, 0x87}, {0x2030, 0x89},
                                        {0x2039, 0x8B}, {0x2018, 0x91}, {0x2019, 0x92}, {0x201C, 0x93},
                                        {0x201D, 0x94}, {0x2022, 0x95}, {0x2013, 0x96}, {0x2014, 0x97},
                                        {0x2122, 0x99}, {0x203A, 0x9B}};
    if (code < 0x100) return code;
    for (const auto& pair : kHigh)
        if (pair[0] == code) return pair[1];
    return '?';
}

std::string Lower(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f'; }

struct Tag {
    std::string name;  // lower case, without "/"
    bool closing = false;
    std::vector<std::pair<std::string, std::string>> attributes;  // lower-case names

    std::string Attribute(const std::string& attribute) const {
        for (const auto& [name, value] : attributes)
            if (name == attribute) return value;
        return "";
    }
};

// Reads the tag whose "<" is at `at`; returns the position after its ">".
size_t ReadTag(std::string_view html, size_t at, Tag& tag) {
    size_t i = at + 1;
    if (i < html.size() && html[i] == '/') {
        tag.closing = true;
        ++i;
    }
    const size_t nameStart = i;
    while (i < html.size() && !IsSpace(html[i]) && html[i] != '>' && html[i] != '/') ++i;
    tag.name = Lower(html.substr(nameStart, i - nameStart));
    while (i < html.size() && html[i] != '>') {
        if (IsSpace(html[i]) || html[i] == '/') {
            ++i;
            continue;
        }
        const size_t attrStart = i;
        while (i < html.size() && !IsSpace(html[i]) && html[i] != '=' && html[i] != '>') ++i;
        std::string name = Lower(html.substr(attrStart, i - attrStart));
        std::string value;
        while (i < html.size() && IsSpace(html[i])) ++i;
        if (i < html.size() && html[i] == '=') {
            ++i;
            while (i < html.size() && IsSpace(html[i])) ++i;
            if (i < html.size() && (html[i] == '"' || html[i] == '\'')) {
                const char quote = html[i++];
                const size_t end = html.find(quote, i);
                const size_t stop = end == std::string_view::npos ? html.size() : end;
                value = std::string(html.substr(i, stop - i));
                i = end == std::string_view::npos ? html.size() : end + 1;
            } else {
                const size_t valueStart = i;
                while (i < html.size() && !IsSpace(html[i]) && html[i] != '>') ++i;
                value = std::string(html.substr(valueStart, i - valueStart));
            }
        }
        if (!name.empty()) tag.attributes.emplace_back(std::move(name), std::move(value));
        if (i == attrStart) ++i;  // a lone "=" and the like
    }
    return i < html.size() ? i + 1 : html.size();
}

// Decodes the character references of a text.
std::string DecodeEntities(std::string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '&') {
            out += text[i];
            continue;
        }
        const size_t semicolon = text.find(';', i);
        if (semicolon == std::string_view::npos || semicolon - i > 10) {
            out += '&';
            continue;
        }
        const std::string_view name = text.substr(i + 1, semicolon - i - 1);
        std::optional<unsigned> code;
        if (name.size() > 1 && name[0] == '#') {
            const bool hex = name[1] == 'x' || name[1] == 'X';
            const std::string digits(name.substr(hex ? 2 : 1));
            char* end = nullptr;
            const unsigned long value = std::strtoul(digits.c_str(), &end, hex ? 16 : 10);
            if (!digits.empty() && end && *end == '\0' && value < 0x110000) code = ToWindows1252(value);
        } else {
            for (const auto& named : kNamedCharacters)
                if (name == named.name) code = named.code;
        }
        if (!code) {
            out += '&';
            continue;
        }
        out += static_cast<char>(*code);
        i = semicolon;
    }
    return out;
}

// Writes the rich text and counts the characters the control will hold, so
// that links can be marked by position.
class RichTextWriter {
public:
    explicit RichTextWriter(const PictureLoader& loader) : loader_(loader) {
        rtf_ = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss Tahoma;}{\\f1\\fmodern Courier New;}}"
               "{\\colortbl;\\red0\\green0\\blue238;}\\fs17 ";
    }

    // Text as it comes: blanks collapse outside preformatted text.
    void Text(std::string_view raw) {
        for (char c : DecodeEntities(raw)) {
            if (!preformatted_ && IsSpace(c)) {
                pendingBlank_ = true;
                continue;
            }
            if (preformatted_ && c == '\n') {
                Break();
                continue;
            }
            if (preformatted_ && c == '\r') continue;
            Visible(c);
        }
    }

    void Visible(char c) {
        BeginContent();
        Emit(c);
    }

    // An explicit line end (<br>).
    void Break() {
        BeginContent();
        EndLine();
    }
    // Blocks ask for line ends that are written only when content follows,
    // so that nested and empty blocks never stack up empty lines.
    void Block() { wantedLineEnds_ = std::max(wantedLineEnds_, 1); }
    void BlankLine() { wantedLineEnds_ = 2; }

    // A formatting change starts after a pending blank, so that a link or
    // an underline does not begin with one.
    void Control(const char* word) {
        FlushBlank();
        rtf_ += word;
        rtf_ += ' ';
    }

    void Tab() {
        BeginContent();
        pendingBlank_ = false;
        rtf_ += "\\tab ";
        plain_ += '\t';
        ++position_;
        lineEnds_ = 0;
    }

    // Paragraph formatting belongs to the paragraph the next content opens.
    void ParagraphControl(const std::string& word) { pendingParagraph_ = word; }

    void FlushBlank() {
        if (pendingBlank_ && lineEnds_ == 0 && wantedLineEnds_ == 0 && position_ > 0) Emit(' ');
        pendingBlank_ = false;
    }

    void Picture(const std::string& source, const std::string& alternative) {
        std::optional<PageBitmap> bitmap = loader_ ? loader_(source) : std::nullopt;
        if (!bitmap) {
            if (!alternative.empty()) Text("[" + alternative + "]");
            return;
        }
        BeginContent();
        static const char kHex[] = "0123456789abcdef";
        rtf_ += "{\\pict\\dibitmap0\\picw" + std::to_string(bitmap->width) + "\\pich" +
                std::to_string(bitmap->height) + "\\picwgoal" + std::to_string(bitmap->width * 15) + "\\pichgoal" +
                std::to_string(bitmap->height * 15) + "\n";
        for (size_t i = 0; i < bitmap->packedDib.size(); ++i) {
            const auto byte = static_cast<unsigned char>(bitmap->packedDib[i]);
            rtf_ += kHex[byte >> 4];
            rtf_ += kHex[byte & 15];
            if (i % 64 == 63) rtf_ += '\n';
        }
        rtf_ += "}";
        plain_ += ' ';
        ++position_;  // a picture is one character of the control
        lineEnds_ = 0;
    }

    void SetPreformatted(bool on) { preformatted_ = on; }
    int32_t position() const { return position_; }
    // The last paragraph ends with its own mark: some rich edits apply a
    // paragraph's formatting only when they read the mark.
    std::string Finish() { return rtf_ + "\\par}"; }
    const std::string& plain() const { return plain_; }

    // Writes the line ends the blocks asked for (none at the very start),
    // then a pending blank within the line.
    void BeginContent() {
        if (position_ > 0)
            while (lineEnds_ < wantedLineEnds_) EndLine();
        wantedLineEnds_ = 0;
        if (!pendingParagraph_.empty()) {
            rtf_ += "\\pard" + pendingParagraph_ + ' ';
            pendingParagraph_.clear();
        }
        FlushBlank();
    }

private:
    void EndLine() {
        rtf_ += "\\par\n";
        plain_ += '\r';
        ++position_;
        ++lineEnds_;
        pendingBlank_ = false;
    }

    void Emit(char c) {
        if (c == '\\' || c == '{' || c == '}') {
            rtf_ += '\\';
            rtf_ += c;
        } else if (static_cast<unsigned char>(c) >= 0x80 || static_cast<unsigned char>(c) < 0x20) {
            static const char kHex[] = "0123456789abcdef";
            const auto byte = static_cast<unsigned char>(c);
            rtf_ += "\\'";
            rtf_ += kHex[byte >> 4];
            rtf_ += kHex[byte & 15];
        } else {
            rtf_ += c;
        }
        plain_ += c;
        ++position_;
        lineEnds_ = 0;
    }

    const PictureLoader& loader_;
    std::string rtf_;
    std::string plain_;
    int32_t position_ = 0;
    int lineEnds_ = 0;        // line ends written since the last content
    int wantedLineEnds_ = 0;  // line ends the next content needs before it
    std::string pendingParagraph_;
    bool pendingBlank_ = false;
    bool preformatted_ = false;
};

int HeadingLevel(const std::string& name) {
    return name.size() == 2 && name[0] == 'h' && name[1] >= '1' && name[1] <= '6' ? name[1] - '0' : 0;
}

// "5; url=next.htm" (the URL part may be quoted).
std::optional<PageRefresh> ParseRefresh(const std::string& content) {
    PageRefresh refresh;
    const size_t semicolon = content.find_first_of(";,");
    const std::string seconds = content.substr(0, semicolon);
    char* end = nullptr;
    const long value = std::strtol(seconds.c_str(), &end, 10);
    if (end == seconds.c_str() || value < 0 || value > 86400) return std::nullopt;
    refresh.seconds = static_cast<int>(value);
    if (semicolon == std::string::npos) return std::nullopt;
    std::string rest = content.substr(semicolon + 1);
    while (!rest.empty() && IsSpace(rest.front())) rest.erase(0, 1);
    if (Lower(rest.substr(0, 3)) == "url") {
        rest.erase(0, 3);
        while (!rest.empty() && (IsSpace(rest.front()) || rest.front() == '=')) rest.erase(0, 1);
    }
    if (!rest.empty() && (rest.front() == '\'' || rest.front() == '"')) {
        const char quote = rest.front();
        rest.erase(0, 1);
        rest = rest.substr(0, rest.find(quote));
    }
    if (rest.empty()) return std::nullopt;
    refresh.target = rest;
    return refresh;
}

}  // namespace

RichPage HtmlToRichText(std::string_view html, const PictureLoader& loadPicture) {
    RichPage page;
    RichTextWriter out(loadPicture);
    std::vector<int> lists;  // 0 for a bulleted list, else the next number
    std::optional<PageLink> openLink;
    const auto closeLink = [&] {
        if (!openLink) return;
        openLink->length = out.position() - openLink->start;
        if (openLink->length > 0) page.links.push_back(*openLink);
        openLink.reset();
    };
    int hidden = 0;          // inside script, style or head (outside title)
    bool inTitle = false;
    size_t i = 0;
    while (i < html.size()) {
        if (html[i] != '<') {
            const size_t next = html.find('<', i);
            const size_t end = next == std::string_view::npos ? html.size() : next;
            if (inTitle) page.title += DecodeEntities(html.substr(i, end - i));
            else if (hidden == 0) out.Text(html.substr(i, end - i));
            i = end;
            continue;
        }
        if (html.substr(i, 4) == "<!--") {
            const size_t end = html.find("-->", i + 4);
            i = end == std::string_view::npos ? html.size() : end + 3;
            continue;
        }
        if (i + 1 < html.size() && !std::isalpha(static_cast<unsigned char>(html[i + 1])) && html[i + 1] != '/' &&
            html[i + 1] != '!') {
            if (hidden == 0 && !inTitle) out.Text("<");  // a lone "<" is text
            ++i;
            continue;
        }
        Tag tag;
        i = ReadTag(html, i, tag);
        const std::string& name = tag.name;
        if (name == "script" || name == "style" || name == "head") {
            // Their content is not text; a script's "<" does not start a tag.
            if (!tag.closing && name != "head") {
                const std::string closing = "</" + name;
                size_t end = i;
                while (end < html.size() && Lower(html.substr(end, closing.size())) != closing) ++end;
                i = end;
            } else {
                hidden += tag.closing ? (hidden > 0 ? -1 : 0) : 1;
            }
            continue;
        }
        if (name == "title") {
            inTitle = !tag.closing;
            continue;
        }
        if (name == "meta" && Lower(tag.Attribute("http-equiv")) == "refresh") {
            if (!page.refresh) page.refresh = ParseRefresh(tag.Attribute("content"));
            continue;
        }
        if (hidden > 0) continue;
        if (const int level = HeadingLevel(name)) {
            if (!tag.closing) {
                out.BlankLine();
                static const char* const kSizes[] = {"\\b\\fs32", "\\b\\fs28", "\\b\\fs24", "\\b\\fs20", "\\b\\fs18",
                                                     "\\b\\fs17"};
                out.Control(kSizes[level - 1]);
            } else {
                out.Control("\\b0\\fs17");
                out.Block();
                out.BlankLine();
            }
        } else if (name == "p" || name == "div" || name == "blockquote" || name == "table" || name == "center") {
            if (name == "p" || name == "table") out.BlankLine();
            else out.Block();
        } else if (name == "br") {
            out.Break();
        } else if (name == "hr") {
            out.Block();
            out.Text("________________________________________");
            out.Break();
        } else if (name == "tr") {
            out.Block();
        } else if (name == "td" || name == "th") {
            if (!tag.closing) out.Tab();
        } else if (name == "b" || name == "strong") {
            out.Control(tag.closing ? "\\b0" : "\\b");
        } else if (name == "i" || name == "em" || name == "cite") {
            out.Control(tag.closing ? "\\i0" : "\\i");
        } else if (name == "u") {
            out.Control(tag.closing ? "\\ul0" : "\\ul");
        } else if (name == "pre" || name == "code" || name == "tt") {
            out.Control(tag.closing ? "\\f0" : "\\f1");
            if (name == "pre") {
                out.Block();
                out.SetPreformatted(!tag.closing);
            }
        } else if (name == "ul" || name == "ol") {
            out.Block();
            if (!tag.closing) lists.push_back(name == "ol" ? 1 : 0);
            else if (!lists.empty()) lists.pop_back();
            out.ParagraphControl("\\li" + std::to_string(360 * lists.size()));
        } else if (name == "li" && !tag.closing) {
            out.Block();
            if (!lists.empty() && lists.back() > 0) out.Text(std::to_string(lists.back()++) + ".");
            else out.Visible('\x95');
            out.Tab();
        } else if (name == "a") {
            // A link ends at its closing tag or where the next one starts.
            if (openLink && (tag.closing || !tag.Attribute("href").empty())) {
                closeLink();
                out.Control("\\cf0\\ul0");
            }
            if (!tag.closing && !tag.Attribute("href").empty()) {
                out.BeginContent();
                openLink = PageLink{tag.Attribute("href"), out.position(), 0};
                out.Control("\\cf1\\ul");
            }
        } else if (name == "img" && !tag.closing) {
            out.Picture(tag.Attribute("src"), tag.Attribute("alt"));
        }
    }
    closeLink();
    // Collapse the title's blanks as a browser shows it.
    std::string title;
    for (char c : page.title) {
        if (IsSpace(c)) {
            if (!title.empty() && title.back() != ' ') title += ' ';
        } else {
            title += c;
        }
    }
    while (!title.empty() && title.back() == ' ') title.pop_back();
    page.title = title;
    page.plainText = out.plain();
    page.rtf = out.Finish();
    return page;
}

HotSpotAction ClassifyHotSpot(const std::string& link) {
    const std::string upper = UpperAscii(link);
    const size_t colon = link.find(':');
    const bool namesFile = colon == std::string::npos || colon <= 1 || upper.find("FILE:") != std::string::npos;
    if (namesFile) {
        const std::string cut = link.substr(0, 255);
        size_t split = cut.find(' ');
        if (split == std::string::npos) split = cut.find('?');
        HotSpotAction action;
        action.file = cut.substr(0, split);
        if (split != std::string::npos) action.parameters = cut.substr(split + 1);
        const std::string extension = UpperAscii(action.file.size() >= 4 ? action.file.substr(action.file.size() - 4) : "");
        if (extension == ".WAV") action.kind = HotSpotAction::PlaySound;
        else if (extension == ".EXE") action.kind = HotSpotAction::StartProgram;
        if (action.kind != HotSpotAction::LeaveToViewer) return action;
    }
    if (upper.find("MAILTO:") != std::string::npos || upper.find("HTTP:") != std::string::npos)
        return {HotSpotAction::OpenWithShell, link, ""};
    return {};
}

std::string RefreshTargetFile(const std::string& target) {
    std::string decoded = target;
    while (true) {
        const size_t percent = decoded.find('%');
        if (percent == std::string::npos || percent == 0 || percent + 2 >= decoded.size()) break;
        const std::string digits = decoded.substr(percent + 1, 2);
        if (!std::isxdigit(static_cast<unsigned char>(digits[0])) || !std::isxdigit(static_cast<unsigned char>(digits[1])))
            break;
        decoded.replace(percent, 3, 1, static_cast<char>(std::stoi(digits, nullptr, 16)));
    }
    if (decoded.find('/') == std::string::npos) return decoded;
    for (const char* prefix : {"file:///", "file://"}) {
        if (Lower(decoded.substr(0, std::strlen(prefix))) == prefix) {
            decoded.erase(0, std::strlen(prefix));
            break;
        }
    }
    for (char& c : decoded) {
        if (c == '|') c = ':';
        else if (c == '/') c = '\\';
    }
    return decoded;
}
