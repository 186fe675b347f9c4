// What build refuses about a project's translations, orvanta check reports
// first, at the line of the translation file.
#include <gtest/gtest.h>

#include <string>

#include "support/OrvantaShell.h"
#include "support/TempDir.h"

namespace {

const char* kProject =
    "ProductCode = {11111111-2222-3333-4444-555555555555}\n"
    "RevisionCode = {21111111-2222-3333-4444-555555555555}\n"
    "Title = Demo\nDefaultLanguage = English\nTranslations = translations\n"
    "[script]\nSet Variable\n  | GREETING\n  | Hello\n";

TEST(TranslationsCheckTest, CheckRefusesWhatBuildRefusesAtItsLine) {
    TempDir dir;
    dir.write("demo/project.orv", kProject);
    const struct {
        const char* file;
        const char* finding;
    } broken[] = {
        {"msgid \"Hello\"\n\nmsgid \"Other\"\nmsgstr \"x\"\n", "German.txt:1: msgid without msgstr"},
        {"msgid \"Hello\"\nmsgstr Hallo\n", "German.txt:2: a quoted text is expected"},
        {"msgstr \"Hallo\"\n", "German.txt:1: msgstr without msgid"},
        {"# fine\nmsgid \"Hello\"\nmsgstr \"\xD0\x9F\"\n", "German.txt:3: '\xD0\x9F' (U+041F) is not in code page 1252"},
    };
    for (const auto& b : broken) {
        dir.write("demo/translations/German.txt", b.file);
        const OrvantaOutput check = Orvanta("check " + dir.file("demo"));
        EXPECT_EQ(check.status, 1) << check.text;
        EXPECT_NE(check.text.find(b.finding), std::string::npos) << check.text;
        EXPECT_EQ(check.text.find("Script compiled successfully"), std::string::npos) << check.text;
    }
}

TEST(TranslationsCheckTest, AMsgidNoTextHasIsAWarningOnly) {
    TempDir dir;
    dir.write("demo/project.orv", kProject);
    dir.write("demo/translations/German.txt", "msgid \"Hello\"\nmsgstr \"Hallo\"\nmsgid \"Helo\"\nmsgstr \"Halo\"\n");
    const OrvantaOutput check = Orvanta("check " + dir.file("demo"));
    EXPECT_EQ(check.status, 0) << check.text;
    EXPECT_NE(check.text.find("German.txt:3: warning: msgid \"Helo\" matches no text"), std::string::npos)
        << check.text;

    const OrvantaOutput missing = Orvanta("translations " + dir.file("demo") + " --missing French");
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.text.find("project.orv:7: \"Hello\""), std::string::npos) << missing.text;
    EXPECT_EQ(Orvanta("translations " + dir.file("demo") + " --missing German").status, 0);
}

}  // namespace
