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
        // The msgid that lacks its msgstr, not the line that revealed it.
        EXPECT_NE(std::string(e.what()).find("German.txt:1: msgid without msgstr"), std::string::npos) << e.what();
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

TEST(ProjectTranslationsTest, EachLanguageInItsCodePage) {
    TempDir dir;
    dir.write("translations/Polish.txt", "msgid \"Hello\"\nmsgstr \"Cze\xC5\x9B\xC4\x87 \xC5\x81\xC3\xB3" "d\xC5\xBA\"\n");
    dir.write("translations/French.txt", "msgid \"Hello\"\nmsgstr \"All\xC3\xB4 \xE2\x82\xAC\"\n");
    const auto files = AuthorTranslations(MakeProject(dir)).supportFiles;
    // The bytes Windows shows as these letters in code pages 1250 and 1252.
    EXPECT_EQ(SplitLines(files.at("translations.Polish"))[0], "Cze\x9C\xE6 \xA3\xF3" "d\x9F");
    EXPECT_EQ(SplitLines(files.at("translations.French"))[0], "All\xF4 \x80");
    const auto polish = SplitLines(files.at("shared.translations.Polish"));
    ASSERT_EQ(polish.size(), 90u);
    EXPECT_EQ(polish[88], "Wybierz j\xEAzyk instalacji");

    // A letter the language's code page lacks is refused at its line.
    dir.write("translations/Polish.txt", "# Polish\nmsgid \"Hello\"\nmsgstr \"\xD0\x9F\xD1\x80\xD0\xB8\"\n");
    try {
        AuthorTranslations(MakeProject(dir));
        FAIL() << "no error";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("Polish.txt:3: '\xD0\x9F' (U+041F) is not in code page 1250"),
                  std::string::npos)
            << e.what();
    }
}

TEST(ProjectTranslationsTest, EveryShippedLanguageHasItsNinetyEngineTexts) {
    TempDir dir;
    const char* languages[] = {"German", "French", "Spanish", "Italian", "Dutch", "Portuguese (Brazil)",
                               "Polish", "Czech", "Swedish", "Danish"};
    for (const char* language : languages) dir.write(std::string("translations/") + language + ".txt", "");
    const auto files = AuthorTranslations(MakeProject(dir)).supportFiles;
    for (const char* language : languages) {
        const auto lines = SplitLines(files.at(std::string("shared.translations.") + language));
        ASSERT_EQ(lines.size(), 90u) << language;
        EXPECT_EQ(lines[53], "") << language << ": the status text of code 0 is empty";
        // The caption of the language dialog and the size units are translated; the prompts keep their spaces.
        EXPECT_NE(lines[88], "Select Setup Language") << language;
        EXPECT_EQ(lines[10].back(), ' ') << language;
        EXPECT_EQ(lines[26].front(), ' ') << language;
    }
}

TEST(ProjectTranslationsTest, UnmatchedMsgidsWarnAndMissingTextsAreListed) {
    TempDir dir;
    dir.write("translations/German.txt", "msgid \"Hello\"\nmsgstr \"Hallo\"\n# gone from the script\n"
                                         "msgid \"Goodbye\"\nmsgstr \"Tsch\xC3\xBCss\"\n"
                                         "msgid \"Will be &installed on local hard drive\"\n"
                                         "msgstr \"Wird auf der lokalen Festplatte &installiert\"\n");
    dir.write("support/welcome.dfm", "object Welcome: TForm\n  Caption = 'Welcome'\nend\n");
    Project project = MakeProject(dir);
    project.supportFolder = "support";
    const ProjectTranslations t = AuthorTranslations(project);
    ASSERT_EQ(t.warnings.size(), 1u);
    EXPECT_NE(t.warnings[0].find("German.txt:4: warning: msgid \"Goodbye\" matches no text"), std::string::npos)
        << t.warnings[0];
    // The feature tree's menu is translated under the state holder's context.
    const auto map = SplitLines(t.supportFiles.at("translations.Map"));
    const auto keys = SplitLines(t.supportFiles.at("Demo.mtx"));
    ASSERT_EQ(map.back(), "TImageListPool");
    EXPECT_EQ(keys.back(), "InstallComponentOnly1");
    EXPECT_EQ(SplitLines(t.supportFiles.at("translations.German")).back(), "Wird auf der lokalen Festplatte &installiert");

    project.sourceFile = "project.orv";
    const auto missing = MissingTranslations(project, "German");
    EXPECT_EQ(missing, (std::vector<std::string>{"project.orv:15: \"Question\"", "project.orv:15: \"Sure?\"",
                                                 "support/welcome.dfm: welcome.dfm: \"Welcome\""}));
    EXPECT_EQ(MissingTranslations(project, "French").size(), 4u);
}

TEST(ProjectTranslationsTest, LicenceFilesInTheirLanguagesCodePage) {
    TempDir dir;
    dir.write("translations/Czech.txt", "");
    dir.write("support/license.txt", "Gr\xC3\xBC\xC3\x9F\n");
    dir.write("support/license.Czech.txt", "\xEF\xBB\xBFLicen\xC4\x8Dn\xC3\xAD smlouva\n");
    dir.write("support/readme.German.txt", "Gr\xFC\xDF, already in a code page\n");
    Project project = MakeProject(dir);
    project.supportFolder = "support";
    const auto files = AuthorTranslations(project).supportFiles;
    EXPECT_EQ(files.at("license.txt"), "Gr\xFC\xDF\n");
    EXPECT_EQ(files.at("license.Czech.txt"), "Licen\xE8n\xED smlouva\n");
    EXPECT_FALSE(files.count("readme.German.txt")) << "a file that is no UTF-8 goes as it is";

    dir.write("support/license.Czech.txt", "Licen\xC4\x8Dn\xC3\xAD smlouva\n\nSee \xE4\xB8\xAD\n");
    try {
        AuthorTranslations(project);
        FAIL() << "no error";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("license.Czech.txt:3: '\xE4\xB8\xAD' (U+4E2D) is not in code page 1250"),
                  std::string::npos)
            << e.what();
    }
}

TEST(ProjectTranslationsTest, EngineCodePage) {
    EXPECT_EQ(Windows1252FromUtf8("Gr\xC3\xBC\xC3\x9F\xE2\x84\xA2 \xE2\x82\xAC \xE4\xB8\xAD"), "Gr\xFC\xDF\x99 \x80 ?");
}

}  // namespace
