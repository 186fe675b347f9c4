#include <gtest/gtest.h>

#include <set>

#include "installer/ApplyTexts.h"
#include "installer/InstallerCommandLine.h"
#include "installer/InstallerResult.h"
#include "installer/ReservedPropertyNames.h"
#include "system/HostSystemMessages.h"
#include "system/TextUtils.h"

namespace {
InstallerSources ExampleSources(bool quoteData = false) {
    InstallerSources sources;
    sources.dataFolder = "C:\\MYSETU~1\\data\\";
    sources.packageFolder = "C:\\TEMP\\keb1\\";
    sources.quoteData = quoteData;
    sources.mediaPath = MediaPathOf(sources.dataFolder);
    sources.sourceList = SourceListOf(sources);
    return sources;
}
}  // namespace

TEST(InstallerSources, MediaPathIsTheDataFoldersParentWithoutDrive) {
    EXPECT_EQ(MediaPathOf("C:\\SETUP~1\\data\\"), "\\SETUP~1\\");
    EXPECT_EQ(MediaPathOf("C:\\MYSETU~1\\data\\"), "\\MYSETU~1\\");
    EXPECT_EQ(MediaPathOf("D:\\a\\b\\data\\"), "\\a\\b\\");
    EXPECT_EQ(MediaPathOf("\\\\server\\share\\setup\\data\\"), "\\setup\\");
    EXPECT_EQ(MediaPathOf("C:\\data\\"), "\\");
}

TEST(InstallerSources, SourceListIsQuotedWhenEitherFolderNeedsIt) {
    InstallerSources sources = ExampleSources();
    EXPECT_EQ(sources.sourceList, "C:\\MYSETU~1\\data\\;C:\\TEMP\\keb1\\");
    sources.quotePackage = true;
    EXPECT_EQ(SourceListOf(sources), "\"C:\\MYSETU~1\\data\\;C:\\TEMP\\keb1\\\"");
}

TEST(InstallerCommandLine, EveryMode) {
    InstallerSources sources = ExampleSources();
    const std::string tail =
        "ARPSYSTEMCOMPONENT=1 ARPNOREMOVE=1 ARPNOMODIFY=1 ARPNOREPAIR=1 SRCDIR=C:\\MYSETU~1\\data\\ "
        "SOURCELIST=C:\\MYSETU~1\\data\\;C:\\TEMP\\keb1\\ MEDIAPACKAGEPATH=\\MYSETU~1\\ REBOOT=R ";
    // First installation for all users, trailing blank included.
    EXPECT_EQ(InstallCommandLine(sources, true, false, false), "ADDLOCAL=ALL ALLUSERS=1 " + tail);
    EXPECT_EQ(InstallCommandLine(sources, false, false, false), "ADDLOCAL=ALL ALLUSERS=\"\" " + tail);
    EXPECT_EQ(InstallCommandLine(sources, true, false, true), "ADVERTISE=ALL ALLUSERS=1 " + tail);
    // An installed product is reinstalled, even when advertising was asked.
    EXPECT_EQ(InstallCommandLine(sources, true, true, true), "REINSTALL=ALL REINSTALLMODE=vomus ALLUSERS=1 " + tail);

    EXPECT_EQ(InstallCommandLine(ExampleSources(true), true, false, false),
              "ADDLOCAL=ALL ALLUSERS=1 ARPSYSTEMCOMPONENT=1 ARPNOREMOVE=1 ARPNOMODIFY=1 ARPNOREPAIR=1 "
              "SRCDIR=\"C:\\MYSETU~1\\data\\\" SOURCELIST=\"C:\\MYSETU~1\\data\\;C:\\TEMP\\keb1\\\" "
              "MEDIAPACKAGEPATH=\"\\MYSETU~1\\\" REBOOT=R ");

    EXPECT_EQ(PatchCommandLine("C:\\SRC\\", false, true), "ADDLOCAL=ALL ALLUSERS=1 SRCDIR=C:\\SRC\\ SRCDIREX=C:\\SRC\\ ");
    EXPECT_EQ(PatchCommandLine("C:\\My Src\\", true, false),
              "ADDLOCAL=ALL ALLUSERS=\"\" SRCDIR=\"C:\\My Src\\\" SRCDIREX=\"C:\\My Src\\\" ");

    // A path with a blank is quoted even when no short form was tried
    // (a data folder that cannot be created, a patch source).
    InstallerSources blank = ExampleSources();
    blank.dataFolder = "E:\\My Setup\\data\\";
    blank.mediaPath = MediaPathOf(blank.dataFolder);
    blank.sourceList = SourceListOf(blank);
    EXPECT_EQ(InstallCommandLine(blank, true, false, false),
              "ADDLOCAL=ALL ALLUSERS=1 ARPSYSTEMCOMPONENT=1 ARPNOREMOVE=1 ARPNOMODIFY=1 ARPNOREPAIR=1 "
              "SRCDIR=\"E:\\My Setup\\data\\\" SOURCELIST=\"E:\\My Setup\\data\\;C:\\TEMP\\keb1\\\" "
              "MEDIAPACKAGEPATH=\"\\My Setup\\\" REBOOT=R ");
    EXPECT_EQ(PatchCommandLine("C:\\My Src\\", false, true),
              "ADDLOCAL=ALL ALLUSERS=1 SRCDIR=\"C:\\My Src\\\" SRCDIREX=\"C:\\My Src\\\" ");

    // Removal sets session properties: values, never quoted.
    auto removal = RemoveProperties(ExampleSources(true), false);
    std::vector<std::pair<std::string, std::string>> expected = {
        {"ALLUSERS", ""},
        {"REMOVE", "ALL"},
        {"SRCDIR", "C:\\MYSETU~1\\data\\"},
        {"SOURCELIST", "C:\\MYSETU~1\\data\\;C:\\TEMP\\keb1\\"},
        {"MEDIAPACKAGEPATH", "\\MYSETU~1\\"},
        {"REBOOT", "R"},
    };
    EXPECT_EQ(removal, expected);
    EXPECT_EQ(RemoveProperties(sources, true).front().second, "1");
}

TEST(InstallerResult, CodesFlagsAndTexts) {
    HostSystemMessages()[1603] = "Fatal error during installation.\r\n";
    HostSystemMessages()[1605] = "This action is only valid for products that are currently installed. \r\n";

    struct Case {
        unsigned code;
        ApplyResult result;
        std::string text;
    };
    for (const Case& c : {Case{0, kApplySucceeded, ""}, Case{3010, kApplyNeedsReboot, ""},
                          Case{1641, kApplyNeedsReboot, ""}, Case{1603, kApplyFailed, "Fatal error during installation"},
                          Case{1605, kApplyFailed, "This action is only valid for products that are currently installed"},
                          Case{1602, kApplyFailed, ""}}) {
        ApplyFlags flags;
        std::string text;
        TakeInstallerCode(c.code, flags, text);
        EXPECT_EQ(ResultOf(flags), c.result) << c.code;
        EXPECT_EQ(text, c.text) << c.code;
    }
    // A cancel wins over whatever the installer returned.
    EXPECT_EQ(ResultOf({true, true, true}), kApplyCancelled);
    EXPECT_EQ(ResultOf({false, true, true}), kApplyFailed);

    EXPECT_EQ(FallbackErrorText("Disk is full."), "Disk is full");
    EXPECT_EQ(FallbackErrorText("See C:\\log.txt. Then retry."), "See C:\\log.txt. Then retry.");
    EXPECT_EQ(FallbackErrorText(""), "General setup failure");
}

TEST(ReservedPropertyNames, TheWholeListIgnoringCase) {
    std::set<std::string> distinct;
    for (const char* name : ReservedPropertyNames()) {
        ASSERT_NE(name, nullptr);
        distinct.insert(UpperAscii(name));
    }
    // 187 entries, of which ORIGINALDATABASE and VERSIONMSI come twice.
    EXPECT_EQ(distinct.size(), 185u);
    for (const char* name : {"REMOVE", "SourceDir", "sourcedir", "MediaSourceDir", "ALLUSERS", "", "SUPPORTDIR",
                             "REDIRECTEDDLLSUPORT", "VERSIONMSI"})
        EXPECT_TRUE(IsReservedPropertyName(name)) << name;
    for (const char* name : {"MyProp", "TARGETDIR", "SILENT", "TITLE", "REMOVE2"})
        EXPECT_FALSE(IsReservedPropertyName(name)) << name;
}

TEST(ApplyTexts, PropertyFileRecords) {
    PropertyFileContent content;
    content.sourceDir = "C:\\S\\data\\";
    content.mediaRecord = {"MEDIAPACKAGEPATH", "\\S\\"};
    content.properties = {{"AHEADER1", "TRUE"}, {"PHEADER1_1", "two$NEWLINE$lines"}};
    content.variables = {{"REMOVE", "ALL"}, {"MyProp", "x"}, {"SourceDir", "y"},
                         {"ENDS", "$ex$NEWLINE$$$ex$NEWLINE$ex$NEWLINE$$ex!"}, {"LAST", "z"}};
    auto expand = [](const std::string& value) { return ReplaceText(value, "$NEWLINE$", "\r\n", true); };
    // A value line that reads like the record end does not end the record.
    EXPECT_EQ(PropertyFileText(content, expand),
              "SourceDir\r\nC:\\S\\data\\\r\n$ex\r\n"
              "MEDIAPACKAGEPATH\r\n\\S\\\r\n$ex\r\n"
              "AHEADER1\r\nTRUE\r\n$ex\r\n"
              "PHEADER1_1\r\ntwo\r\nlines\r\n$ex\r\n"
              "MyProp\r\nx\r\n$ex\r\n"
              "ENDS\r\n$$ex\r\n$$$ex\r\nex\r\n$ex!\r\n$ex\r\n"
              "LAST\r\nz\r\n$ex\r\n");
}

TEST(ApplyTexts, LogHeader) {
    LogHeaderContent header{"08.12.2026 18:30:00", "A,1", "B,2", "C:\\T\\p.msi", "{GUID}", "C:\\D\\", "\\", "C:\\T\\"};
    EXPECT_EQ(LogHeaderText(header),
              "=== Orvanta: Applying Changes @08.12.2026 18:30:00 ===\r\n\r\n"
              "*** Variables ***\r\nA,1\r\n\r\n"
              "*** Properties ***\r\nB,2\r\n\r\n"
              "*** MSI Database ***\r\nC:\\T\\p.msi\r\n\r\n"
              "*** GUID ***\r\n{GUID}\r\n\r\n"
              "*** Data Directory ***\r\nC:\\D\\\r\n\r\n"
              "*** Media Directory ***\r\n\\\r\n\r\n"
              "*** MSI Directory ***\r\nC:\\T\\\r\n\r\n"
              "\r\n");
}

TEST(ApplyTexts, PairsOfACommaText) {
    NameValueList pairs = PairsOfCommaText("A,1,\"My Var\",\"a b\",LAST");
    NameValueList expected = {{"A", "1"}, {"My Var", "a b"}, {"LAST", ""}};
    EXPECT_EQ(pairs, expected);
    ASSERT_NE(FindValue(pairs, "my var"), nullptr);
    EXPECT_EQ(*FindValue(pairs, "my var"), "a b");
    EXPECT_EQ(FindValue(pairs, "B"), nullptr);
}
