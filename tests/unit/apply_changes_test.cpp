#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "core/NewlineText.h"
#include "core/ProgressState.h"
#include "installer/InstallerDatabase.h"
#include "installer/InstallerMessageHandler.h"
#include "installer/uMSIThread.h"
#include "support/FakeMsiApi.h"
#include "support/TempDir.h"
#include "system/CommaText.h"
#include "system/HostMessageBoxes.h"
#include "system/HostSystemMessages.h"
#include "system/TextUtils.h"

namespace {
constexpr unsigned kError = 1u << 24, kInfo = 4u << 24, kActionStart = 8u << 24, kProgress = 10u << 24;
constexpr const char* kProduct = "{11111111-2222-3333-4444-555555555555}";

// Long enough for the waiting loop to pass a cancel request on.
void LetTheWaitLoopRun() { std::this_thread::sleep_for(std::chrono::milliseconds(150)); }

class ApplyChangesTest : public ::testing::Test {
protected:
    void SetUp() override {
        HostBoxes().Reset();
        SetCancelRequested(false);
        // Host paths: backslashes stand for "/" in the session's file calls.
        root = temp.path().string();
        request.package = root + "\\pkg\\product.msi";
        request.workingFile = root + "\\pkg\\progress.dfm";
        request.productCode = kProduct;
        request.dataFolder = root + "\\setup\\data\\";
        request.tempFolder = root + "\\";
        request.propertiesText = ToCommaText({"AHEADER1", "TRUE"});
        request.variablesText = ToCommaText({"SILENT", "TRUE", "TITLE", "My Product", "ALLUSERS", "TRUE"});
        request.silent = true;
        std::filesystem::create_directories(temp.path() / "pkg");
    }

    std::string PropertyFilePath() const { return root + "/" + kProduct; }

    TempDir temp;
    std::string root;
    ApplyRequest request;
    ScopedFakeMsi msi;
};
}  // namespace

TEST_F(ApplyChangesTest, PropertyFileHoldsWhatThePackageReadsDuringTheRun) {
    request.propertiesText = ToCommaText({"AHEADER1", "TRUE", "PHEADER1_1", "one$NEWLINE$two"});
    request.variablesText = ToCommaText({"SILENT", "TRUE", "REMOVE", "ALL", "SourceDir", "X", "MyProp", "$APPDIR$\\bin",
                                         "NOTE", "first$NEWLINE$second", "ALLUSERS", "TRUE"});
    // The caller's expansion: the file holds every value as it returns it.
    request.expandValue = [](const std::string& value) {
        return NewlineToCrLf(ReplaceText(value, "$APPDIR$", "C:\\App", false));
    };
    std::string duringRun;
    msi.fake.duringInstall = [&] { duringRun = ReadWholeFile(PropertyFilePath()); };

    ApplyOutcome outcome = ApplyChanges(request);
    EXPECT_EQ(outcome.result, kApplySucceeded);
    EXPECT_EQ(outcome.errorText, "");

    std::string data = root + "\\setup\\data\\";
    EXPECT_EQ(duringRun, "SourceDir\r\n" + data + "\r\n$ex\r\n"
                         "MEDIAPACKAGEPATH\r\n" + root + "\\setup\\\r\n$ex\r\n"
                         "AHEADER1\r\nTRUE\r\n$ex\r\n"
                         "PHEADER1_1\r\none\r\ntwo\r\n$ex\r\n"
                         "SILENT\r\nTRUE\r\n$ex\r\n"
                         "MyProp\r\nC:\\App\\bin\r\n$ex\r\n"
                         "NOTE\r\nfirst\r\nsecond\r\n$ex\r\n");
    // The file lives only while the worker runs; the data folder is made for the run.
    EXPECT_FALSE(std::filesystem::exists(PropertyFilePath()));
    EXPECT_TRUE(std::filesystem::is_directory(root + "/setup/data"));
    EXPECT_TRUE(msi.fake.open.empty());
}

TEST_F(ApplyChangesTest, InstallReinstallAndAdvertiseCommandLines) {
    std::string data = root + "\\setup\\data\\";
    std::string tail = "ARPSYSTEMCOMPONENT=1 ARPNOREMOVE=1 ARPNOMODIFY=1 ARPNOREPAIR=1 SRCDIR=" + data +
                       " SOURCELIST=" + data + ";" + root + "\\pkg\\ MEDIAPACKAGEPATH=" + root + "\\setup\\ REBOOT=R ";
    ApplyChanges(request);
    EXPECT_EQ(msi.fake.commandLine, "ADDLOCAL=ALL ALLUSERS=1 " + tail);
    EXPECT_EQ(msi.fake.internalUiLevel, 0x102);
    EXPECT_EQ(msi.fake.messageFilter, 0x7FDFu);

    request.advertise = true;
    request.variablesText = ToCommaText({"ALLUSERS", "true"});  // "TRUE" exactly, or not all users
    ApplyChanges(request);
    EXPECT_EQ(msi.fake.commandLine, "ADVERTISE=ALL ALLUSERS=\"\" " + tail);

    msi.fake.productState = kMsiStateInstalled;
    ApplyChanges(request);
    EXPECT_EQ(msi.fake.commandLine, "REINSTALL=ALL REINSTALLMODE=vomus ALLUSERS=\"\" " + tail);
}

TEST_F(ApplyChangesTest, RemovalRunsTheInstallActionInASession) {
    request.install = false;
    msi.fake.rebootAtEnd = true;
    ApplyOutcome outcome = ApplyChanges(request);
    EXPECT_EQ(outcome.result, kApplyNeedsReboot);
    EXPECT_EQ(msi.fake.sessionProperties["REMOVE"], "ALL");
    EXPECT_EQ(msi.fake.sessionProperties["ALLUSERS"], "1");
    EXPECT_EQ(msi.fake.sessionProperties["REBOOT"], "R");
    EXPECT_EQ(msi.fake.calls.back(), "MsiDoActionA INSTALL");
    EXPECT_TRUE(msi.fake.open.empty());
}

TEST_F(ApplyChangesTest, PatchRegistersItsSourceAndAppliesThePatch) {
    request.patchMode = true;
    request.package = root + "\\pkg\\product.msp";
    request.patchSourceFolder = root + "\\patchsrc\\";
    std::string duringRun;
    msi.fake.duringInstall = [&] { duringRun = ReadWholeFile(PropertyFilePath()); };
    SetInstallerProperty("QUEUED", "1");

    EXPECT_EQ(ApplyChanges(request).result, kApplySucceeded);
    EXPECT_EQ(msi.fake.calls.back(), "MsiApplyPatchA");
    EXPECT_EQ(msi.fake.commandLine, "ADDLOCAL=ALL ALLUSERS=1 SRCDIR=" + request.patchSourceFolder +
                                        " SRCDIREX=" + request.patchSourceFolder + " ");
    ASSERT_EQ(msi.fake.addedSources.size(), 2u);
    EXPECT_EQ(msi.fake.addedSources[0].first, "");
    EXPECT_NE(msi.fake.addedSources[1].first, "");
    EXPECT_TRUE(StartsWith(duringRun, "SourceDir\r\n" + request.patchSourceFolder + "\r\n$ex\r\nSRCDIREX\r\n" +
                                          request.patchSourceFolder + "\r\n$ex\r\n"));
    // A patch leaves the package's pending properties for the next product run.
    EXPECT_EQ(PendingInstallerProperties().size(), 1u);
    request.patchMode = false;
    request.package = root + "\\pkg\\product.msi";
    ApplyChanges(request);
    EXPECT_TRUE(PendingInstallerProperties().empty());
    EXPECT_EQ(msi.fake.properties["QUEUED"], "1");
}

TEST_F(ApplyChangesTest, ResultCodesBecomeResultsAndTexts) {
    msi.fake.installResult = 3010;
    EXPECT_EQ(ApplyChanges(request).result, kApplyNeedsReboot);
    msi.fake.installResult = 1641;
    EXPECT_EQ(ApplyChanges(request).result, kApplyNeedsReboot);

    HostSystemMessages()[1603] = "Fatal error during installation.\r\n";
    msi.fake.installResult = 1603;
    ApplyOutcome outcome = ApplyChanges(request);
    EXPECT_EQ(outcome.result, kApplyFailed);
    EXPECT_EQ(outcome.errorText, "Fatal error during installation");

    // Without a system text: the installer's last error message, else the general text.
    msi.fake.installResult = 4242;
    msi.fake.messages = {{kError, "The disk is full."}};
    EXPECT_EQ(ApplyChanges(request).errorText, "The disk is full");
    msi.fake.messages.clear();
    EXPECT_EQ(ApplyChanges(request).errorText, "General setup failure");
    // SILENT=TRUE: the error never showed a box.
    EXPECT_TRUE(HostBoxes().shown.empty());
}

TEST_F(ApplyChangesTest, ACancelDuringTheRunAnswersCancelAndGivesResultZero) {
    request.silent = false;
    msi.fake.duringInstall = [] {
        SetCancelRequested(true);
        LetTheWaitLoopRun();
    };
    msi.fake.messages = {{kInfo, "Log line"}, {kProgress, "1: 2 2: 10 "}, {kActionStart, "Action 1: A. Doing"}};
    msi.fake.installResult = kMsiUserExit;
    ApplyOutcome outcome = ApplyChanges(request);
    EXPECT_EQ(outcome.result, kApplyCancelled);
    EXPECT_EQ(msi.fake.answers, (std::vector<int>{2, 2, 2}));
    SetCancelRequested(false);
}

TEST_F(ApplyChangesTest, ACancelBeforeTheInstallerSkipsIt) {
    request.silent = false;
    SetCancelRequested(true);
    msi.fake.beforeProductState = LetTheWaitLoopRun;
    EXPECT_EQ(ApplyChanges(request).result, kApplyCancelled);
    EXPECT_EQ(msi.fake.calls, (std::vector<std::string>{"MsiQueryProductStateA"}));
    SetCancelRequested(false);
}

TEST_F(ApplyChangesTest, ProgressReachesTheSharedStateAndTheLongOperationFlagIsCleared) {
    msi.fake.messages = {{kProgress, "1: 0 2: 1000 3: 0 4: 1 "}, {kActionStart, "Action 1: InstallFiles. Copying"},
                         {kProgress, "1: 2 2: 250 "}};
    bool longDuringRun = false;
    msi.fake.duringInstall = [&] { longDuringRun = LongOperationRunning(); };
    ApplyChanges(request);
    ProgressSnapshot progress = ReadProgress();
    EXPECT_EQ(progress.text, "Copying");
    EXPECT_EQ(progress.position, 250);
    EXPECT_EQ(progress.maximum, 1000);
    EXPECT_TRUE(longDuringRun);
    EXPECT_FALSE(LongOperationRunning());
}

TEST_F(ApplyChangesTest, LogHeaderInUtf16ThenTheInstallersLog) {
    request.logFile = root + "\\logs\\setup.log";
    ApplyChanges(request);
    EXPECT_EQ(msi.fake.logFile, request.logFile);
    EXPECT_EQ(msi.fake.logMode, 0x3FDFu);
    EXPECT_EQ(msi.fake.logAttributes, 3u);
    std::string bytes = ReadWholeFile(root + "/logs/setup.log");
    std::string start = "=== Orvanta: Applying Changes @";
    ASSERT_GE(bytes.size(), start.size() * 2);
    for (size_t i = 0; i < start.size(); ++i) {
        EXPECT_EQ(bytes[2 * i], start[i]);
        EXPECT_EQ(bytes[2 * i + 1], '\0');
    }
    EXPECT_NE(bytes.find(std::string("*\0*\0*\0 \0G\0U\0I\0D\0", 16)), std::string::npos);
}

TEST_F(ApplyChangesTest, AMissingInstallerEndsTheApplyWithItsError) {
    UseMsiApi(nullptr);  // the host's own: no msi.dll
    for (bool silent : {true, false}) {
        request.silent = silent;
        ApplyOutcome outcome = ApplyChanges(request);
        EXPECT_EQ(outcome.result, kApplyFailed);
        EXPECT_EQ(outcome.errorText, "Library not found: msi.dll");
    }
    EXPECT_FALSE(std::filesystem::exists(PropertyFilePath()));
}

TEST_F(ApplyChangesTest, AProductCodeThatNamesAnotherFolderIsRefused) {
    std::filesystem::create_directories(temp.path() / "outside");
    std::filesystem::create_directories(temp.path() / "tmp");
    request.tempFolder = root + "\\tmp\\";
    for (const char* code : {"..\\outside\\victim", "../victim", "C:victim", ""}) {
        request.productCode = code;
        ApplyOutcome outcome = ApplyChanges(request);
        EXPECT_EQ(outcome.result, kApplyFailed) << code;
        EXPECT_EQ(outcome.errorText, std::string("Invalid product code: ") + code);
    }
    EXPECT_TRUE(std::filesystem::is_empty(temp.path() / "outside"));
    EXPECT_TRUE(msi.fake.calls.empty());
}
