#include <gtest/gtest.h>

#include "core/EngineMessages.h"
#include "core/StartupValues.h"
#include "core/uLanguage.h"
#include "dialogs/FeatureTree.h"
#include "dialogs/HostLanguageDialog.h"
#include "script/Condition.h"
#include "script/Translation.h"
#include "core/VariableStore.h"
#include "support/ScriptBuilder.h"
#include "support/TempDir.h"
#include "system/HostShellFolders.h"
#include "system/HostUserLocale.h"
#include "system/ShellFolders.h"
#include "script/InstanceState.h"

namespace {

// A support folder with English and German translations of a setup titled
// "Sample": a key file naming two commands, the map and the texts.
class TranslationTest : public ::testing::Test {
protected:
    void SetUp() override {
        Startup() = StartupValues{};
        Startup().supportFolder = dir.path().string() + "/";
        Project() = ProjectValues{};
        Project().Title = "Sample";
        Project().DefaultLanguage = "English";
        ClearVariables();
        for (const char* name : {"LANGUAGE", "MAINTENANCE"}) DefineVariable(name, "", "Test");
        SetVariable("MAINTENANCE", "FALSE", "Test");
        HostLanguageDialogState() = {};
        HostUserLanguageId() = 1033;
        ResetEngineTexts();
        dir.write("Sample.mtx", "{IF}\r\n\r\n{MSG}\r\n\r\nwelcome\r\n");
        dir.write("translations.Map", "\r\n\r\n\r\n\r\nwelcome.dfm\r\n");
        dir.write("translations.English", "GREETING\r\nWorld\r\nTitle\r\nText\r\nWelcome\r\n");
        dir.write("translations.German", "GREETING\r\nWelt\r\nTitel\r\nText\r\nWillkommen\r\n");
    }
    void TearDown() override {
        SetVariable("LANGUAGE", "", "Test");
        RefreshTranslations();
        ResetEngineTexts();
    }

    std::string Language() { return GetVariable("LANGUAGE"); }
    TempDir dir;
};

TEST(OfferedLanguagesTest, MapAndSharedMessageFilesAreNoLanguages) {
    EXPECT_EQ(OfferedLanguages({"translations.German", "translations.Map", "shared.translations.German",
                                "Translations.French", "sample.mtx", "translations.shared"}),
              (std::vector<std::string>{"German", "French"}));
    // The user's language wins; else the default; else the first offered.
    const std::vector<std::string> offered = {"French", "English", "German"};
    EXPECT_EQ(PreselectedLanguage(offered, "English", "German"), 2u);
    EXPECT_EQ(PreselectedLanguage(offered, "english", "Dutch"), 1u);
    EXPECT_EQ(PreselectedLanguage(offered, "Dutch", "Dutch"), 0u);
}

TEST(LanguageNamesTest, EachLanguageUnderItsOwnNameAndBothPortugueseSpellings) {
    EXPECT_EQ(NativeLanguageName("French"), "Fran\xC3\xA7" "ais");
    EXPECT_EQ(NativeLanguageName("czech"), "\xC4\x8C" "e\xC5\xA1tina");
    EXPECT_EQ(NativeLanguageName("Portuguese (Brazil)"), "Portugu\xC3\xAAs (Brasil)");
    EXPECT_EQ(NativeLanguageName("Klingon"), "Klingon");
    EXPECT_EQ(LanguageToLcid("Portuguese (Brazil)"), "1046");
    EXPECT_EQ(LanguageToLcid("Portugese (Brazil)"), "1046");
    EXPECT_EQ(LcidToLanguage(1046), "Portugese (Brazil)");
    EXPECT_TRUE(SameLanguage("Portuguese (Brazil)", LcidToLanguage(1046)));
    EXPECT_FALSE(SameLanguage("Klingon", "English"));
    // A Brazilian user finds the correctly spelt file preselected.
    EXPECT_EQ(PreselectedLanguage({"English", "Portuguese (Brazil)"}, "English", LcidToLanguage(1046)), 1u);
}

TEST_F(TranslationTest, TheDefaultLanguageWithoutADialog) {
    EXPECT_TRUE(ChooseInstallationLanguage("x.msi"));
    EXPECT_EQ(Language(), "English");
    EXPECT_EQ(HostLanguageDialogState().shown, 0);

    // A default language without its file leaves translation off.
    Project().DefaultLanguage = "French";
    EXPECT_TRUE(ChooseInstallationLanguage("x.msi"));
    EXPECT_EQ(Language(), "");

    // Without a key file there is no translation whatever else is there.
    Project().DefaultLanguage = "English";
    std::filesystem::remove(dir.path() / "Sample.mtx");
    EXPECT_TRUE(ChooseInstallationLanguage("x.msi"));
    EXPECT_EQ(Language(), "");
}

TEST_F(TranslationTest, TheDialogPreselectsTheUsersLanguage) {
    Project().ShowLanguageDialog = true;
    HostUserLanguageId() = 1031;
    EXPECT_TRUE(ChooseInstallationLanguage("x.msi"));
    ASSERT_EQ(HostLanguageDialogState().shown, 1);
    const auto& offered = HostLanguageDialogState().languages;
    ASSERT_EQ(offered.size(), 2u);
    EXPECT_EQ(offered[HostLanguageDialogState().preselected], "German");
    EXPECT_EQ(Language(), "German");

    HostLanguageDialogState().cancel = true;
    EXPECT_FALSE(ChooseInstallationLanguage("x.msi"));

    // A silent run never waits for a click: it takes the preselected language.
    Startup().silent = true;
    HostLanguageDialogState() = {};
    EXPECT_TRUE(ChooseInstallationLanguage("x.msi"));
    EXPECT_EQ(HostLanguageDialogState().shown, 0);
    EXPECT_EQ(Language(), "German");
}

TEST_F(TranslationTest, ALanguageOnTheCommandLineSkipsTheDialog) {
    Project().ShowLanguageDialog = true;
    HostUserLanguageId() = 1033;
    Startup().overrides = {{"language", "German"}};
    EXPECT_TRUE(ChooseInstallationLanguage("x.msi"));
    EXPECT_EQ(HostLanguageDialogState().shown, 0);
}

TEST_F(TranslationTest, TheFeatureTreeMenuFollowsTheLanguage) {
    dir.write("Sample.mtx", "InstallComponentOnly1\r\n");
    dir.write("translations.Map", "TImageListPool\r\n");
    dir.write("translations.German", "Wird auf der lokalen Festplatte &installiert\r\n");
    EXPECT_EQ(FeatureMenuCaption(kFeatureMenu[0]), "Will be &installed on local hard drive");
    SetVariable("LANGUAGE", "German", "Test");
    RefreshTranslations();
    EXPECT_EQ(FeatureMenuCaption(kFeatureMenu[0]), "Wird auf der lokalen Festplatte &installiert");
    EXPECT_EQ(FeatureMenuCaption(kFeatureMenu[1]), "&Entire feature will be installed on local hard drive");
    EXPECT_EQ(FeatureMenuCaption(kFeatureMenu[2]), "") << "the separator";
}

TEST_F(TranslationTest, MaintenanceTakesTheSavedLanguage) {
    Project().ShowLanguageDialog = true;
    Project().RevisionCode = "{99999999-2222-3333-4444-555555555555}";
    DefineVariable("REVISIONCODE", Project().RevisionCode, "Test");
    SetVariable("MAINTENANCE", "TRUE", "Test");
    const std::string root = dir.path().string();
    HostShellState().folders = {{kFolderDesktop, root + "\\user\\Desktop\\"},
                                {kFolderCommonDesktop, root + "\\public\\Desktop\\"}};
    dir.write(std::string("public/Application Data/") + Project().RevisionCode + "/sample.lan", "German\r\n");
    EXPECT_TRUE(ChooseInstallationLanguage("C:\\setup\\sample.msi"));
    EXPECT_EQ(HostLanguageDialogState().shown, 0);
    EXPECT_EQ(Language(), "German");
}

TEST_F(TranslationTest, CommandAndDialogTextsFollowTheLanguage) {
    SetVariable("LANGUAGE", "German", "Test");
    RefreshTranslations();
    EXPECT_TRUE(TranslationActive());
    EXPECT_EQ(TranslateCommandText("{if}", 2, "World"), "Welt");
    EXPECT_EQ(TranslateCommandText("{MSG}", 1, "Title"), "Titel");
    EXPECT_EQ(TranslateCommandText("{OTHER}", 1, "as it is"), "as it is");
    EXPECT_EQ(TranslateDialogText("welcome.dfm", "WELCOME", "Welcome"), "Willkommen");
    EXPECT_EQ(TranslateDialogText("other.dfm", "welcome", "Welcome"), "Welcome");

    // An If compares its translated operands.
    ScriptBuilder b;
    b.Add("If", {"GREETING", "0", "Hello", ""});
    Script script = b.script();
    script.CommandIds[0] = "{IF}";
    script.ParameterBlocks[0][0] = "{IF}";
    DefineVariable("GREETING", "Welt", "Test");
    EXPECT_TRUE(EvaluateCondition(script, "{IF}"));

    // A language without its files turns translation off without a word.
    SetVariable("LANGUAGE", "Klingon", "Test");
    RefreshTranslations();
    EXPECT_FALSE(TranslationActive());
    EXPECT_EQ(Language(), "");
    EXPECT_EQ(TranslateCommandText("{IF}", 2, "World"), "World");
}

TEST_F(TranslationTest, SharedMessageFilesReplaceTheEngineTexts) {
    std::string twenty;
    for (int i = 1; i <= 20; ++i) twenty += "Meldung " + std::to_string(i) + "\r\n";
    dir.write("shared.translations.German", twenty);
    SetVariable("LANGUAGE", "German", "Test");
    RefreshTranslations();
    EXPECT_EQ(EngineText(EngineMessage::InstallRuntimeError), "Meldung 5");
    // The entries a short file lacks keep their English text.
    EXPECT_EQ(EngineText(EngineMessage::PercentComplete), "% complete");
    EXPECT_EQ(EngineText(EngineMessage::SelectLanguagePrompt),
              "Please select the language to use during the installation:");
}

}  // namespace
