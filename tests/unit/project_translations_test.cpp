#include <gtest/gtest.h>

#include "support/TempDir.h"
#include "system/TextUtils.h"
#include "tools/authoring/ProjectTranslations.h"

namespace {

const char* kSource =
    "ProductCode = {11111111-2222-3333-4444-555555555555}\n"
    "RevisionCode = {21111111-2222-3333-4444-555555555555}\n"
    "Title = Demo\n"
    "DefaultLanguage = English\n"
    "Translations = translations\n"
    "[script]\n"
    "Set Variable @ id={00000000-0000-0000-0000-00000000000A}\n  | GREETING\n  | Hello\n"
    "Mathematics\n  | 1\n  | 2\n  | 0\n  | SUM\n"
    "MessageBox @ id={00000000-0000-0000-0000-00000000000B}\n  | Question\n  | Sure?\n  | 0\n  | 0\n  | ANSWER\n";

Project MakeProject(const TempDir& dir, const std::string& defaultLanguage = "English") {
    std::string source = kSource;
    source.replace(source.find("English"), 7, defaultLanguage);
    Project p = ParseProject(source, "project.orv");
    p.folder = dir.path().string();
    return p;
}

TEST(ProjectTranslationsTest, AlignedFilesForEveryLanguage) {
    TempDir dir;
    dir.write("translations/German.txt",
              "# German\nmsgid \"Hello\"\nmsgstr \"Gr\xC3\xBC\xC3\x9F Gott\"\n\nmsgid \"Sure?\"\nmsgstr \"Sicher?\"\n");
    const ProjectTranslations t = AuthorTranslations(MakeProject(dir));
    const auto& files = t.supportFiles;
    // One line per translatable text: Set Variable's one, MessageBox's two.
    EXPECT_EQ(files.at("Demo.mtx"),
              "{00000000-0000-0000-0000-00000000000A}\r\n{00000000-0000-0000-0000-00000000000B}\r\n\r\n");
    EXPECT_EQ(files.at("translations.Map"), "\r\n\r\n\r\n");
    EXPECT_EQ(files.at("translations.English"), "Hello\r\nQuestion\r\nSure?\r\n");
    EXPECT_EQ(files.at("translations.German"), "Gr\xFC\xDF Gott\r\nQuestion\r\nSicher?\r\n");
    // German engine texts ship with orvanta; English is the engine's own.
    ASSERT_TRUE(files.count("shared.translations.German"));
    EXPECT_EQ(SplitLines(files.at("shared.translations.German")).size(), 90u);
    EXPECT_FALSE(files.count("shared.translations.English"));
    EXPECT_EQ(t.defaultMessages, "");

    // A German default language puts its engine texts into keb.dll instead.
    const ProjectTranslations german = AuthorTranslations(MakeProject(dir, "German"));
    EXPECT_FALSE(german.supportFiles.count("shared.translations.German"));
    const auto lines = SplitLines(german.defaultMessages);
    ASSERT_EQ(lines.size(), 90u);
    EXPECT_EQ(lines[88], "Setup-Sprache w\xE4hlen");
    EXPECT_EQ(lines[23].find("Orvanta\x99"), 0u);
}

TEST(ProjectTranslationsTest, MistakesNameTheFileAndLine) {
    TempDir dir;
    dir.write("translations/German.txt", "msgid \"Hello\"\nmsgid \"Sure?\"\n");
    try {
        AuthorTranslations(MakeProject(dir));
        FAIL() << "no error";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("German.txt:2: msgid without msgstr"), std::string::npos) << e.what();
    }
    dir.write("translations/German.txt", "msgid \"Hello\"\nmsgstr Hallo\n");
    EXPECT_THROW(AuthorTranslations(MakeProject(dir)), std::runtime_error);
    dir.write("translations/German.txt", "");
    dir.write("translations/German.messages", "only one line\n");
    EXPECT_THROW(AuthorTranslations(MakeProject(dir)), std::runtime_error);
}

TEST(ProjectTranslationsTest, DialogTextsByFormAndComponent) {
    TempDir dir;
    dir.write("translations/German.txt", "msgid \"Welcome\"\nmsgstr \"Willkommen\"\n"
                                         "msgid \"&Next >\"\nmsgstr \"&Weiter >\"\nmsgid \"Hello\"\nmsgstr \"Hallo\"\n");
    // A text form; the same texts in other forms get lines of their own.
    dir.write("support/welcome.dfm", "object Welcome: TForm\n  Caption = 'Welcome'\n"
                                     "  object Next: TButton\n    Caption = '&Next >'\n  end\n"
                                     "  object Box: TGroupBox\n    Caption = 'Untranslated'\n"
                                     "    object Greeting: TLabel\n      Caption = 'Hello'\n    end\n"
                                     "    object Two: TLabel\n      Caption = 'Hello'#13#10'Hello'\n    end\n  end\n"
                                     "  object Notes: TMemo\n    Text = 'Hello'\n  end\nend\n");
    dir.write("support/readme.txt", "Hello");
    Project project = MakeProject(dir);
    project.supportFolder = "support";
    const auto& files = AuthorTranslations(project).supportFiles;
    const auto lines = [&files](const std::string& name) { return SplitLines(files.at(name)); };
    // Three script lines first, then the form's caption, the button and the label inside the group.
    EXPECT_EQ(lines("translations.Map"),
              (std::vector<std::string>{"", "", "", "welcome.dfm", "welcome.dfm", "welcome.dfm"}));
    const auto keys = lines("Demo.mtx");
    EXPECT_EQ(std::vector<std::string>(keys.begin() + 3, keys.end()),
              (std::vector<std::string>{"welcome.dfm", "Next", "Greeting"}));
    const auto german = lines("translations.German");
    EXPECT_EQ(std::vector<std::string>(german.begin() + 3, german.end()),
              (std::vector<std::string>{"Willkommen", "&Weiter >", "Hallo"}));
    const auto english = lines("translations.English");
    EXPECT_EQ(english.back(), "Hello");
}

TEST(ProjectTranslationsTest, EngineCodePage) {
    EXPECT_EQ(Windows1252FromUtf8("Gr\xC3\xBC\xC3\x9F\xE2\x84\xA2 \xE2\x82\xAC \xE4\xB8\xAD"), "Gr\xFC\xDF\x99 \x80 ?");
}

}  // namespace
