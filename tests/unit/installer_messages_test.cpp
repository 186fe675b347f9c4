#include <gtest/gtest.h>

#include "core/EngineMessages.h"
#include "installer/InstallerMessageHandler.h"
#include "installer/InstallerProgress.h"
#include "system/HostMessageBoxes.h"

namespace {
constexpr unsigned Kind(unsigned kind) { return kind << 24; }
constexpr unsigned kFatal = Kind(0), kError = Kind(1), kWarning = Kind(2), kUser = Kind(3), kInfo = Kind(4),
                   kResolveSource = Kind(6), kOutOfDisk = Kind(7), kActionStart = Kind(8),
                   kActionData = Kind(9), kProgress = Kind(10), kInitialize = Kind(12);

struct Reported {
    std::string text;
    int64_t minimum = -1, maximum = -1, position = -1;
    int calls = 0;
};

class HandlerTest : public ::testing::Test {
protected:
    void SetUp() override {
        HostBoxes().Reset();
        handler.SetCaption("My Product");
        handler.SetOwnerWindow(0x1234);
        handler.SetProgressCallback([this](const std::string& text, int64_t minimum, int64_t maximum, int64_t position) {
            reported = {text, minimum, maximum, position, reported.calls + 1};
            return keepGoing;
        });
    }

    InstallerMessageHandler handler;
    Reported reported;
    bool keepGoing = true;
};
}  // namespace

TEST(ProgressFields, ReadsUpToFourFieldsAndZeroesWhatIsMissingOrBroken) {
    EXPECT_EQ(ReadProgressFields("1: 0 2: 1000 3: 0 4: 1 "), (ProgressFields{0, 1000, 0, 1}));
    EXPECT_EQ(ReadProgressFields("1: 2 2: -70 "), (ProgressFields{2, -70, 0, 0}));
    EXPECT_EQ(ReadProgressFields("1: 3 2: 2147483647"), (ProgressFields{3, 2147483647, 0, 0}));
    EXPECT_EQ(ReadProgressFields(""), (ProgressFields{0, 0, 0, 0}));
    // One broken field spoils all four.
    EXPECT_EQ(ReadProgressFields("1: 2 2: x1 3: 4 "), (ProgressFields{0, 0, 0, 0}));
    EXPECT_EQ(ReadProgressFields("1: 2 2: 99999999999 "), (ProgressFields{0, 0, 0, 0}));
    // A fifth field is never read.
    EXPECT_EQ(ReadProgressFields("1: 1 2: 2 3: 3 4: 4 5: oops "), (ProgressFields{1, 2, 3, 4}));
}

TEST(ProgressArithmetic, ForwardBackwardAndTotalAddition) {
    InstallerProgress forward;
    forward.Apply({0, 1000, 0, 1});
    forward.Apply({1, 10, 1, 0});
    for (int i = 0; i < 3; ++i) forward.ActionData();
    EXPECT_EQ(forward.position, 30);
    EXPECT_EQ(forward.total, 1000);
    forward.Apply({2, 70, 0, 0});
    EXPECT_EQ(forward.position, 100);

    InstallerProgress backward;
    backward.Apply({0, 500, 1, 0});
    backward.Apply({2, 100, 0, 0});
    EXPECT_EQ(backward.position, -100);

    backward.Apply({3, -200, 0, 0});
    EXPECT_EQ(backward.total, 700);

    // A reset without a total keeps the total but restarts the position.
    backward.Apply({0, 0, 0, 0});
    EXPECT_EQ(backward.total, 700);
    EXPECT_EQ(backward.position, 0);
    EXPECT_EQ(backward.direction, 1);
    // Action information without ticks stops the action-data steps.
    backward.Apply({1, 10, 1, 0});
    backward.Apply({1, 10, 0, 0});
    backward.ActionData();
    EXPECT_EQ(backward.position, 0);
}

TEST_F(HandlerTest, ProgressMessagesReachTheCallback) {
    EXPECT_EQ(handler.OnInstallerMessage(kProgress, "1: 0 2: 1000 3: 0 4: 1 "), 1);
    EXPECT_EQ(handler.OnInstallerMessage(kProgress, "1: 1 2: 10 3: 1 "), 1);
    EXPECT_EQ(handler.OnInstallerMessage(kActionStart, "Action 10:15:02: InstallFiles. Copying new files"), 1);
    EXPECT_EQ(reported.text, "Copying new files");
    for (int i = 0; i < 3; ++i) handler.OnInstallerMessage(kActionData, "File: a.txt");
    EXPECT_EQ(reported.text, "File: a.txt");
    EXPECT_EQ(reported.position, 30);
    EXPECT_EQ(reported.maximum, 1000);
    EXPECT_EQ(reported.minimum, 0);
    handler.OnInstallerMessage(kProgress, "1: 2 2: 70 ");
    EXPECT_EQ(reported.position, 100);
    // Every message reports, whatever its kind.
    int before = reported.calls;
    handler.OnInstallerMessage(kInitialize, "\x01garbage");
    EXPECT_EQ(reported.calls, before + 1);
    EXPECT_TRUE(HostBoxes().shown.empty());
}

TEST_F(HandlerTest, BoxesCarryHeadingCaptionOwnerAndRequestedStyle) {
    HostBoxes().answers = {kIdRetry, kIdCancel, kIdYes, kIdOk, kIdIgnore};
    EXPECT_EQ(handler.OnInstallerMessage(kError | kMbRetryCancel, "Cannot write file."), kIdRetry);
    EXPECT_EQ(handler.OnInstallerMessage(kFatal, "Installation ended prematurely."), kIdCancel);
    EXPECT_EQ(handler.OnInstallerMessage(kUser | kMbYesNo, "Continue?"), kIdYes);
    EXPECT_EQ(handler.OnInstallerMessage(kWarning, "Careful"), kIdOk);
    EXPECT_EQ(handler.OnInstallerMessage(kOutOfDisk | kMbAbortRetryIgnore, "Disk full"), kIdIgnore);

    const auto& shown = HostBoxes().shown;
    ASSERT_EQ(shown.size(), 5u);
    EXPECT_EQ(shown[0].text, EngineText(EngineMessage::ErrorHeading) + "\r\rCannot write file.");
    EXPECT_EQ(shown[0].style, kMbRetryCancel | kMbIconError);
    EXPECT_EQ(shown[0].caption, "My Product");
    EXPECT_EQ(shown[0].owner, 0x1234u);
    EXPECT_EQ(shown[1].text, "Fatal Error\r\rInstallation ended prematurely.");
    EXPECT_EQ(shown[2].text, "Continue?");
    EXPECT_EQ(shown[2].style, kMbYesNo | kMbIconQuestion);
    EXPECT_EQ(shown[3].text, "Warning\r\rCareful");
    EXPECT_EQ(shown[3].style, unsigned(kMbIconWarning));
    EXPECT_EQ(shown[4].text, "Out of Disk Space\r\rDisk full");
    EXPECT_EQ(shown[4].style, kMbAbortRetryIgnore | kMbIconError);
    // The last error-kind message is what a failed run reports.
    EXPECT_EQ(handler.LastError(), "Installation ended prematurely.");
}

TEST_F(HandlerTest, QuietModeShowsNothingAndAnswersForTheUser) {
    handler.SetQuiet(true);
    EXPECT_EQ(handler.OnInstallerMessage(kError, "Broken"), 1);
    EXPECT_EQ(handler.OnInstallerMessage(kFatal, "Ended"), 0);
    EXPECT_EQ(handler.OnInstallerMessage(kWarning, "Hm"), 1);
    EXPECT_EQ(handler.OnInstallerMessage(kUser | kMbYesNo, "Sure?"), 1);
    EXPECT_EQ(handler.OnInstallerMessage(kOutOfDisk, "Full"), 1);
    EXPECT_EQ(handler.OnInstallerMessage(kInfo, "Log line"), 1);
    EXPECT_EQ(handler.OnInstallerMessage(kResolveSource, ""), 0);
    EXPECT_EQ(handler.OnInstallerMessage(Kind(0x20), "unknown kind"), 0);
    EXPECT_TRUE(HostBoxes().shown.empty());
    EXPECT_EQ(handler.LastError(), "Ended");
    handler.ClearLastError();
    EXPECT_EQ(handler.LastError(), "");
}

TEST_F(HandlerTest, ACancelTurnsAnyNextMessageIntoCancel) {
    keepGoing = false;
    EXPECT_EQ(handler.OnInstallerMessage(kInfo, "Log line"), kIdCancel);
    EXPECT_EQ(handler.OnInstallerMessage(kProgress, "1: 2 2: 5 "), kIdCancel);
    EXPECT_EQ(handler.OnInstallerMessage(kResolveSource, ""), kIdCancel);
}
