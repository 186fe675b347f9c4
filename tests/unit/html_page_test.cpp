#include <gtest/gtest.h>

#include "dialogs/HtmlPage.h"

namespace {

// A 2 x 1 picture as a packed device-independent bitmap.
PageBitmap TinyBitmap() { return PageBitmap{std::string(40, '\0') + std::string(8, '\x7f'), 2, 1}; }

std::string LinkText(const RichPage& page, size_t n) {
    return page.plainText.substr(page.links[n].start, page.links[n].length);
}

TEST(HtmlPageTest, EveryElementOfASupportPage) {
    const std::string html =
        "<html><head><title> Welcome   page </title>"
        "<meta http-equiv=\"Refresh\" content=\"5; URL=next%20page.htm\">"
        "<style>p { color: red }</style><script>if (a < b) document.write('x');</script></head>"
        "<body><h1>Acme &amp; Co</h1><p>Some <b>bold</b>, <i>italic</i>\n   and <u>underlined</u> text.</p>"
        "<ul><li>first<li>second</ul><ol><li>one</li><li>two</li></ol>"
        "<p>Line<br>break &euro;&#8364;&#233;&unknown; 1 < 2</p>"
        "<img src=\"logo.bmp\" alt=\"Logo\"><img src=\"missing.png\" alt=\"Photo\">"
        "<p><a href=\"setup.exe /quiet\">Run</a> or <a href='MAILTO:me@example.invalid'>mail {us}</a></p>"
        "<table><tr><td>a</td><td>b</td></tr></table></body></html>";
    std::vector<std::string> asked;
    const RichPage page = HtmlToRichText(html, [&](const std::string& source) -> std::optional<PageBitmap> {
        asked.push_back(source);
        if (source == "logo.bmp") return TinyBitmap();
        return std::nullopt;
    });
    EXPECT_EQ(page.title, "Welcome page");
    ASSERT_TRUE(page.refresh);
    EXPECT_EQ(page.refresh->seconds, 5);
    EXPECT_EQ(page.refresh->target, "next%20page.htm");
    EXPECT_EQ(asked, (std::vector<std::string>{"logo.bmp", "missing.png"}));

    EXPECT_EQ(page.plainText,
              "Acme & Co\r\rSome bold, italic and underlined text.\r\r\x95\tfirst\r\x95\tsecond\r1.\tone\r2.\ttwo\r"
              "\rLine\rbreak \x80\x80\xe9&unknown; 1 < 2\r\r [Photo]\r\rRun or mail {us}\r\r\ta\tb");
    ASSERT_EQ(page.links.size(), 2u);
    EXPECT_EQ(page.links[0].target, "setup.exe /quiet");
    EXPECT_EQ(LinkText(page, 0), "Run");
    EXPECT_EQ(LinkText(page, 1), "mail {us}");

    for (const char* word : {"\\b\\fs32 Acme & Co", "\\b bold\\b0", "\\i italic\\i0", "\\ul underlined\\ul0",
                             "{\\pict\\dibitmap0\\picw2\\pich1", "\\'80\\'80\\'e9", "mail \\{us\\}", "\\cf1\\ul Run"})
        EXPECT_NE(page.rtf.find(word), std::string::npos) << word << " in " << page.rtf;
    EXPECT_EQ(page.rtf.find("red }"), std::string::npos) << "a style sheet is not text";
    EXPECT_EQ(page.rtf.find("document.write"), std::string::npos) << "a script is not text";
}

TEST(HtmlPageTest, BrokenMarkupStillShowsItsText) {
    const RichPage cut = HtmlToRichText("<p>Unclosed <b>bold <a href=\"x.htm\">link", nullptr);
    EXPECT_EQ(cut.plainText, "Unclosed bold link");
    ASSERT_EQ(cut.links.size(), 1u);
    EXPECT_EQ(LinkText(cut, 0), "link");
    EXPECT_EQ(HtmlToRichText("<blink>text</blink><p", nullptr).plainText, "text");
    EXPECT_EQ(HtmlToRichText("plain words only", nullptr).plainText, "plain words only");
}

TEST(HtmlPageTest, HotSpotsByKind) {
    const auto run = ClassifyHotSpot("tools\\setup.exe /quiet /log x");
    EXPECT_EQ(run.kind, HotSpotAction::StartProgram);
    EXPECT_EQ(run.file, "tools\\setup.exe");
    EXPECT_EQ(run.parameters, "/quiet /log x");
    const auto query = ClassifyHotSpot("C:\\run.EXE?a=1");
    EXPECT_EQ(query.kind, HotSpotAction::StartProgram);
    EXPECT_EQ(query.file, "C:\\run.EXE");
    EXPECT_EQ(query.parameters, "a=1");
    EXPECT_EQ(ClassifyHotSpot("chime.wav").kind, HotSpotAction::PlaySound);
    EXPECT_EQ(ClassifyHotSpot("page2.htm").kind, HotSpotAction::LeaveToViewer);
    EXPECT_EQ(ClassifyHotSpot("http://example.invalid/").kind, HotSpotAction::OpenWithShell);
    EXPECT_EQ(ClassifyHotSpot("mailto:me@example.invalid").kind, HotSpotAction::OpenWithShell);
    EXPECT_EQ(ClassifyHotSpot("https://example.invalid/").kind, HotSpotAction::LeaveToViewer);
    EXPECT_EQ(ClassifyHotSpot("file:///c:/tools/x.exe").kind, HotSpotAction::StartProgram);
}

TEST(HtmlPageTest, RefreshTargetsDecodeToSupportFiles) {
    EXPECT_EQ(RefreshTargetFile("next%20page.htm"), "next page.htm");
    EXPECT_EQ(RefreshTargetFile("file:///sub/page%2Ehtm"), "sub\\page.htm");
    EXPECT_EQ(RefreshTargetFile("file://c|/x.htm"), "c:\\x.htm");
    EXPECT_EQ(RefreshTargetFile("%41bc"), "%41bc") << "a % in the first place stops decoding";
    EXPECT_EQ(RefreshTargetFile("a%zz%41"), "a%zz%41") << "a malformed escape stops decoding";
    EXPECT_EQ(RefreshTargetFile("ab%4"), "ab%4");
}

}  // namespace
