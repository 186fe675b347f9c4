#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <set>
#include <system_error>
#include <thread>

#include "core/EngineMessages.h"
#include "bootstrap/HostStartupWindows.h"
#include "bootstrap/kebstub.h"
#include "bootstrap/uSetupInit.h"
#include "bootstrap/uSetupSplash.h"
#include "support/PeImage.h"
#include "support/TempDir.h"
#include "system/HostMessageBoxes.h"
#include "system/HostProcess.h"

namespace fs = std::filesystem;

namespace {

// A PE image of 512 bytes: one section whose raw data ends the image.
std::string EngineImage() { return PeImage({{0, 512}}, false, 512); }

std::string Lines(std::initializer_list<const char*> lines) {
    std::string text;
    for (const char* l : lines) text += std::string(l) + "\r\n";
    return text;
}

// Two modeless "Display Dialog" commands (one commented out) and a "Set Variable".
std::string ValidPayload(const char* mediaMode = "1") {
    return Lines({"Display Dialog", "Set Variable", "Display Dialog", "$",
                  "{A}", "{B}", "{C}", "$",
                  "{A}", "welcome", "RESULT", "FALSE", "", "TRUE", "FALSE", "{B}", "NAME", "value",
                  "{C}", "finish", "RESULT", "FALSE", "", "TRUE", "FALSE", "$",
                  "", "", "C", "$",
                  "{PRODUCT}", "My Product", "$", "Publisher", "", "", "", "",
                  "", "", "", "$", mediaMode, "$", "{REVISION}", "$", "FALSE", "English", "$"});
}

class StartupTest : public ::testing::Test {
protected:
    void SetUp() override {
        Startup() = StartupValues{};
        Project() = ProjectValues{};
        ResetEngineTexts();
        HostBoxes().Reset();
        HostStartupWindows() = {};
        setupFolder = dir.path().string() + "/setup/";
        tempFolder = dir.path().string() + "/temp/";
        fs::create_directories(setupFolder);
        HostProcessState() = {setupFolder + "mysetup.exe", "\"" + setupFolder + "mysetup.exe\"", tempFolder, "", "", false};
        dir.write("setup/keb.dll", EngineImage());
    }

    void MakeSetup(const std::string& payload, bool withResource = true, bool withDatabase = true) {
        dir.write("setup/mysetup.exe", EngineImage() + payload);
        if (withResource) MakeResourceArchive();
        if (withDatabase) dir.write("setup/mysetup.msi", "database");
    }

    // The support archive, made by 7-Zip itself.
    void MakeResourceArchive() {
        dir.write("res/welcome.dfm", "form");
        const std::string command = "cd '" + dir.path().string() + "/res' && 7zz a -t7z '" + setupFolder +
                                    "mysetup.res' welcome.dfm >/dev/null";
        ASSERT_EQ(std::system(command.c_str()), 0) << "7zz (Debian 7zip) is needed";
    }

    void CommandLine(const std::string& arguments) {
        HostProcessState().rawCommandLine += " " + arguments;
    }

    std::vector<std::string> Boxes() const {
        std::vector<std::string> texts;
        for (const auto& box : HostBoxes().shown) {
            EXPECT_EQ(box.caption, "Orvanta");
            texts.push_back(box.text);
        }
        return texts;
    }

    std::vector<std::string> TempEntries() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(tempFolder)) names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    TempDir dir;
    std::string setupFolder, tempFolder;
};

using Texts = std::vector<std::string>;

TEST_F(StartupTest, EngineWithoutPayloadIsForInternalUseOnly) {
    dir.write("setup/mysetup.exe", EngineImage());
    EXPECT_EQ(RunSetupEngine(), kStartupFailureExitCode);  // the setup did not start
    EXPECT_EQ(Boxes(), Texts{"For internal use only"});
    EXPECT_EQ(HostBoxes().shown[0].owner, 1u);  // the preparing window
    EXPECT_TRUE(HostProcessState().restrictedToFirstProcessor);
    EXPECT_TRUE(TempEntries().empty());
}

TEST_F(StartupTest, SilentRunsShowNothing) {
    dir.write("setup/mysetup.exe", EngineImage());
    CommandLine("/S");
    EXPECT_EQ(RunSetupEngine(), kStartupFailureExitCode);  // the setup did not start
    EXPECT_TRUE(HostBoxes().shown.empty());
    EXPECT_EQ(HostStartupWindows().splashPicture, "");
    EXPECT_FALSE(HostStartupWindows().open);
}

TEST_F(StartupTest, MissingResourceKeepsAnEmptySupportFolder) {
    MakeSetup(ValidPayload(), false);
    fs::create_directories(tempFolder + "keb1");
    EXPECT_EQ(RunSetupEngine(), kStartupFailureExitCode);  // the setup did not start
    EXPECT_EQ(Boxes(), Texts{"Setup resource not found"});
    EXPECT_EQ(TempEntries(), (Texts{"keb1", "keb2"}));
    EXPECT_TRUE(fs::is_empty(tempFolder + "keb2"));
    EXPECT_EQ(Startup().supportFolder, tempFolder + "keb2\\");
}

TEST_F(StartupTest, MissingDatabaseIsReportedAfterUnpacking) {
    MakeSetup(ValidPayload(), true, false);
    EXPECT_EQ(RunSetupEngine(), kStartupFailureExitCode);  // the setup did not start
    EXPECT_EQ(Boxes(), Texts{"Setup database not found"});
    EXPECT_EQ(TempEntries(), Texts{"keb1"});
    EXPECT_EQ(ReadWholeFile(tempFolder + "keb1/welcome.dfm"), "form");
}

TEST_F(StartupTest, DamagedResourceIsReported) {
    MakeSetup(ValidPayload(), false);
    dir.write("setup/mysetup.res", "not an archive");
    EXPECT_EQ(RunSetupEngine(), kStartupFailureExitCode);  // the setup did not start
    EXPECT_EQ(Boxes(), Texts{"Setup resource decompression failure"});
    EXPECT_EQ(TempEntries(), Texts{"keb1"});
}

TEST_F(StartupTest, PatchAloneIsEnough) {
    MakeSetup(ValidPayload(), true, false);
    dir.write("setup/mysetup.msp", "patch");
    EXPECT_EQ(RunSetupEngine(), 0);
    EXPECT_TRUE(HostBoxes().shown.empty());
}

TEST_F(StartupTest, ValidSetupRunsAndCleansUp) {
    MakeSetup(ValidPayload());
    CommandLine("TARGETDIR=C:\\App");
    EXPECT_EQ(RunSetupEngine(), 0);
    EXPECT_TRUE(HostBoxes().shown.empty());
    EXPECT_TRUE(TempEntries().empty());  // support folder and keb.tmp gone
    EXPECT_EQ(Project().Title, "My Product");
    EXPECT_EQ(Startup().dataFolder, setupFolder + "data\\");
    EXPECT_EQ(Startup().setupName, "mysetup");
    EXPECT_EQ(Startup().overrides.size(), 1u);
    // One dialog counted (the other is commented out); its preload advanced the bar once.
    EXPECT_EQ(HostStartupWindows().progressMaximum, 1);
    EXPECT_EQ(HostStartupWindows().progressPosition, 2);
    EXPECT_FALSE(HostStartupWindows().open);
}

TEST_F(StartupTest, SplashPictureIsUsedWhenPresent) {
    MakeSetup(ValidPayload());
    dir.write("setup/setup.bmp", "BM");
    RunSetupEngine();
    EXPECT_EQ(HostStartupWindows().splashPicture, setupFolder + "setup.bmp");
}

TEST_F(StartupTest, UnreadablePayloadsEndWithCode11AndNoFolder) {
    const std::string valid = ValidPayload();
    const std::string cases[] = {
        ValidPayload("two"),                     // media mode not a number
        valid.substr(0, valid.size() / 2),       // truncated
        std::string("\x00\x01\x02\xff$\r\n", 6),  // binary
    };
    for (const auto& payload : cases) {
        SetUp();
        MakeSetup(payload);
        EXPECT_EQ(RunSetupEngine(), 11);
        ASSERT_EQ(HostBoxes().shown.size(), 1u);
        EXPECT_EQ(HostBoxes().shown[0].text.rfind("Runtime error in install: ", 0), 0u) << HostBoxes().shown[0].text;
        EXPECT_EQ(HostBoxes().shown[0].owner, 0u);
        EXPECT_TRUE(TempEntries().empty());
    }
}

TEST_F(StartupTest, MissingLibraryIsReported) {
    MakeSetup(ValidPayload());
    fs::remove(setupFolder + "keb.dll");
    EXPECT_EQ(RunSetupEngine(), 11);
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_NE(Boxes()[0].find("keb.dll is missing"), std::string::npos);
    EXPECT_FALSE(fs::exists(tempFolder + "keb1"));
}

TEST_F(StartupTest, UnusableTemporaryFolderIsReported) {
    MakeSetup(ValidPayload());
    dir.write("temp", "a file where the folder should be");
    CommandLine("/s");
    EXPECT_EQ(RunSetupEngine(), 11);
    EXPECT_TRUE(HostBoxes().shown.empty());
}

TEST_F(StartupTest, MessageFileAppendedToTheLibraryTranslates) {
    dir.write("setup/keb.dll", EngineImage() + Lines({"Controles", "Ressource introuvable"}));
    MakeSetup(ValidPayload(), false);
    // Files of the user's beside the setup and in TEMP are neither read nor touched.
    dir.write("temp/lang.loc", "the user's own file\r\n");
    dir.write("setup/lang.loc", "the user's own file\r\n");
    RunSetupEngine();
    EXPECT_EQ(Boxes(), Texts{"Ressource introuvable"});
    EXPECT_EQ(ReadWholeFile(tempFolder + "lang.loc"), "the user's own file\r\n");
    EXPECT_EQ(ReadWholeFile(setupFolder + "lang.loc"), "the user's own file\r\n");
}

TEST(SupportFolderTest, TakesTheFirstFreeNumber) {
    TempDir dir;
    const std::string temp = dir.path().string() + "/";
    dir.write("keb1", "a file takes the name too");
    fs::create_directories(temp + "keb2");
    EXPECT_EQ(CreateSupportFolder(temp), temp + "keb3\\");
    EXPECT_EQ(CreateSupportFolder(temp), temp + "keb4\\");
}

TEST(SupportFolderTest, AFolderThatCannotBeMadeSaysWhy) {
    TempDir dir;
    const std::string temp = dir.path().string() + "/missing/";
    try {
        CreateSupportFolder(temp);
        ADD_FAILURE() << "no error for a temporary folder that does not exist";
    } catch (const StartupError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Cannot create the folder " + temp + "keb1: " + std::generic_category().message(ENOENT));
    }
}

TEST(SupportFolderTest, SetupsStartedAtOnceNeverShareAFolder) {
    TempDir dir;
    const std::string temp = dir.path().string() + "/";
    std::vector<std::vector<std::string>> taken(8);
    std::vector<std::thread> setups;
    for (auto& folders : taken)
        setups.emplace_back([&temp, &folders] {
            for (int i = 0; i < 5; ++i) folders.push_back(CreateSupportFolder(temp));
        });
    for (auto& t : setups) t.join();
    std::set<std::string> distinct;
    for (const auto& folders : taken) distinct.insert(folders.begin(), folders.end());
    EXPECT_EQ(distinct.size(), 40u);
    EXPECT_TRUE(distinct.count(temp + "keb40\\"));
}

TEST(SupportFolderTest, CleanUpNeverFollowsLinks) {
    TempDir dir;
    const std::string outside = dir.path().string() + "/outside";
    dir.write("outside/keep.txt", "precious");
    const std::string support = CreateSupportFolder(dir.path().string() + "/");
    const std::string base = dir.path().string() + "/keb1";
    dir.write("keb1/sub/deep/file.txt", "x");
    fs::permissions(base + "/sub/deep/file.txt", fs::perms::owner_read);
    fs::create_directory_symlink(outside, base + "/sub/link");
    fs::create_symlink(outside + "/keep.txt", base + "/filelink");
    RemoveSupportFolder(support);
    EXPECT_FALSE(fs::exists(base));
    EXPECT_EQ(ReadWholeFile(outside + "/keep.txt"), "precious");
}

TEST(CommonControlsTest, OnlyVersionsFourBelow72AreTooOld) {
    EXPECT_TRUE(CommonControlsOutdated({4, 70}));
    EXPECT_TRUE(CommonControlsOutdated({4, 0}));
    EXPECT_FALSE(CommonControlsOutdated({4, 72}));
    EXPECT_FALSE(CommonControlsOutdated({5, 81}));
    EXPECT_FALSE(CommonControlsOutdated({6, 0}));
    // A file without version information counts as 0.0 and passes.
    EXPECT_FALSE(CommonControlsOutdated({0, 0}));
}

TEST(StartupWindowsTest, PreparingWindowSitsBesideTheSplash) {
    const ScreenSize screen{1024, 768};
    WindowRect placed = PlaceBesideSplash({312, 234, 400, 300}, screen, 391, 115);
    EXPECT_EQ(placed.left, 312 + 200 + 50);
    EXPECT_EQ(placed.top, 234 + 300 + 25);
    // Too tall: the bottom edge stays 45 pixels above the screen's bottom.
    placed = PlaceBesideSplash({312, 34, 400, 700}, screen, 391, 115);
    EXPECT_EQ(placed.top + placed.height, 768 - 45);
    // Too wide: 25 pixels from the right edge.
    placed = PlaceBesideSplash({100, 100, 1000, 100}, screen, 391, 115);
    EXPECT_EQ(placed.left + placed.width, 1024 - 25);
    placed = CentreOnScreen(screen, 391, 115);
    EXPECT_EQ(placed.left, (1024 - 391) / 2);
    EXPECT_EQ(placed.top, (768 - 115) / 2);
}

}  // namespace
