#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The HTML pages of a dialog's HTML frame, turned into rich text for a
// read-only rich edit control: paragraphs, headings, emphasis, lists, line
// breaks, rules, simple tables as tabbed lines, pictures and links. What
// rich text cannot show (scripts, styles, forms, frames) is left out and its
// text shown, so that a page always shows its words.

// A picture as the rich edit takes it: a packed device-independent bitmap
// (the info header, any colour table, the pixels), as a .bmp file holds it
// after its 14-byte file header.
struct PageBitmap {
    std::string packedDib;
    int width = 0, height = 0;
};
// Loads the picture a page names (the src text as written); nullopt when it
// cannot, and the page shows the picture's alternative text instead.
using PictureLoader = std::function<std::optional<PageBitmap>(const std::string& source)>;

struct PageLink {
    std::string target;    // the href as written
    int32_t start = 0;     // first character of the link text in the control
    int32_t length = 0;    // (paragraph ends count as one character)
};

struct PageRefresh {
    int seconds = 0;
    std::string target;    // the URL of the refresh instruction, as written
};

struct RichPage {
    std::string rtf;
    std::string plainText;  // what the control holds: paragraph ends as "\r", a picture as one blank
    std::string title;
    std::vector<PageLink> links;
    std::optional<PageRefresh> refresh;
};

// The page (Windows-1252 or plain ASCII text) as rich text. Never fails: bad
// markup is read as well as it can be.
RichPage HtmlToRichText(std::string_view html, const PictureLoader& loadPicture);

// What a click on a link of a page asks for.
struct HotSpotAction {
    enum Kind { LeaveToViewer, PlaySound, StartProgram, OpenWithShell } kind = LeaveToViewer;
    std::string file;        // PlaySound, StartProgram: the file as written; OpenWithShell: the link
    std::string parameters;  // StartProgram
};
// A relative or drive link (no ":" after the second character, or one with
// "FILE:") names a file: ".WAV" is played, ".EXE" started with the text
// after the first blank (or "?") as parameters, other files are the
// viewer's. "MAILTO:" and "HTTP:" links go to the system's handler.
HotSpotAction ClassifyHotSpot(const std::string& link);

// The target of a page's refresh instruction as a file of the support
// folder: "%XX" escapes decoded, "file://" prefixes removed, "|" as ":" and
// "/" as "\".
std::string RefreshTargetFile(const std::string& target);
