#include <gtest/gtest.h>

#include "script/SystemSettings.h"
#include "script/VersionText.h"
#include "support/ScriptRunTest.h"
#include "system/HostFileVersions.h"
#include "system/HostProcess.h"
#include "system/HostSystemFacts.h"

namespace {

constexpr uint64_t kMegabyte = 1048576;

class SystemQueryTest : public ScriptRunTest {
protected:
    void SetUp() override {
        ScriptRunTest::SetUp();
        HostFileVersions().clear();
        HostSystemFactsState() = HostSystemFacts{};
        HostProcessState().systemFolder = "C:\\WINDOWS\\system32\\";
    }
    // The answers of the settings, in order, from one script run.
    std::vector<std::string> Settings(const std::vector<int>& numbers) {
        ScriptBuilder settings;
        for (size_t i = 0; i < numbers.size(); ++i)
            settings.Add("Get System Settings", {"S" + std::to_string(i), std::to_string(numbers[i])});
        Run(settings);
        std::vector<std::string> answers;
        for (size_t i = 0; i < numbers.size(); ++i) answers.push_back(GetVariable("S" + std::to_string(i)));
        return answers;
    }
    std::string Setting(int number) { return Settings({number}).front(); }
    HostSystemFacts& facts = HostSystemFactsState();
};

using Answers = std::vector<std::string>;

TEST_F(SystemQueryTest, MemoryThresholdsAllowTwoMegabytesAndGoBeyondFourGigabytes) {
    facts.memory = 2048 * kMegabyte - 2 * kMegabyte;  // 2 GB as a machine reports it
    EXPECT_EQ(Settings({1, 6, 7}), (Answers{"TRUE", "TRUE", "TRUE"}));
    facts.memory = 2048 * kMegabyte - 2 * kMegabyte - 1;
    EXPECT_EQ(Settings({6, 7}), (Answers{"TRUE", "FALSE"}));
    facts.memory = 16384 * kMegabyte;  // 16 GB: no 32-bit wrap makes it small
    EXPECT_EQ(Settings({1, 2, 3, 4, 5, 6, 7}), Answers(7, "TRUE"));
    facts.memory = 30 * kMegabyte;
    EXPECT_EQ(Settings({1, 2}), (Answers{"TRUE", "FALSE"}));
    EXPECT_TRUE(MemoryAtLeast(4096ull * kMegabyte, 2048));
    EXPECT_FALSE(MemoryAtLeast(0, 32));
}

TEST_F(SystemQueryTest, ScreenSizesCountInEitherOrientationAndColourDepthNeedsADeviceContext) {
    facts.screen = {768, 1024, true, 16, 120};
    EXPECT_EQ(Settings({8, 9, 10, 13, 14, 15, 64}), (Answers{"TRUE", "TRUE", "FALSE", "TRUE", "TRUE", "FALSE", "120"}));
    facts.screen = {1920, 1440, true, 32, 96};
    EXPECT_EQ(Settings({12, 16}), (Answers{"TRUE", "TRUE"}));
    facts.screen = {1920, 1080, false, 0, 0};
    EXPECT_EQ(Settings({10, 11, 13, 64}), (Answers{"TRUE", "FALSE", "FALSE", "-1"}));
}

TEST_F(SystemQueryTest, VersionThresholdsAndTheSecondEditionOfWindows98) {
    facts.version = {4, 10, 0x040A08AE, false, " A "};  // 4.10.2222
    EXPECT_EQ(Settings({17, 18, 19, 20, 21, 22, 23, 24, 0, 63}),
              (Answers{"TRUE", "FALSE", "TRUE", "TRUE", "TRUE", "FALSE", "TRUE", "FALSE", "TRUE", "ADMIN"}));
    facts.version = {4, 10, 0x040A07CE, false, ""};  // 4.10.1998
    EXPECT_EQ(Settings({20, 21}), (Answers{"TRUE", "FALSE"}));
    facts.version = {4, 10, 0x040A08AE, true, ""};  // only the 9x family counts the build
    EXPECT_EQ(Setting(21), "FALSE");
    facts.version = {10, 0, 19045, true, ""};
    EXPECT_EQ(Settings({17, 18, 22, 26}), (Answers{"FALSE", "TRUE", "TRUE", "TRUE"}));
    facts.version = {5, 0, 2195, true, ""};
    EXPECT_EQ(Settings({24, 25}), (Answers{"TRUE", "FALSE"}));
}

TEST_F(SystemQueryTest, ServicePackIsTheLastDigitOfItsText) {
    facts.version.servicePack = "Service Pack 3";
    EXPECT_EQ(Settings({27, 29, 30, 32}), (Answers{"TRUE", "TRUE", "FALSE", "FALSE"}));
    facts.version.servicePack = "";
    EXPECT_EQ(Setting(27), "FALSE");
    EXPECT_EQ(ServicePackNumber("Service Pack 2"), 2);
    EXPECT_EQ(ServicePackNumber("Update 1"), 0);
    EXPECT_THROW(ServicePackNumber("Service Pack "), std::exception);
    facts.version.servicePack = "Service Pack 6a";
    b.Add("Get System Settings", {"SP", "27"});
    RunScript(b.script(), ScriptBuilder::PackagePath(), nullptr);
    EXPECT_NE(LastScriptErrorReport().find("'a' is not a valid integer value"), std::string::npos);
    EXPECT_EQ(GetVariable("SP"), "");  // created before the question was asked
}

TEST_F(SystemQueryTest, RightsFollowTheFirstAliasTheTokenHolds) {
    EXPECT_EQ(Settings({0, 63}), (Answers{"FALSE", "ERROR"}));
    facts.aliases = {BuiltinAlias::Guests, BuiltinAlias::Users};
    EXPECT_EQ(Setting(63), "USER");
    facts.aliases.insert(BuiltinAlias::PowerUsers);
    EXPECT_EQ(Setting(63), "POWER");
    facts.aliases.insert(BuiltinAlias::Administrators);
    EXPECT_EQ(Settings({0, 63}), (Answers{"TRUE", "ADMIN"}));
}

TEST_F(SystemQueryTest, NamesLanguageAndRegisteredOwner) {
    facts.account = {"alice", "OFFICE"};
    facts.loggedOnUser = "alice98";
    facts.computer = "DESK";
    facts.fileLanguages["C:\\WINDOWS\\system32\\winver.exe"] = 0x409;
    facts.languageNames[0x409] = "English (United States)";
    const std::string nt = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\";
    WriteRegistryString(RegistryRoot::LocalMachine, nt, "RegisteredOwner", "Alice");
    WriteRegistryString(RegistryRoot::LocalMachine, nt, "RegisteredOrganization", "Office");
    EXPECT_EQ(Settings({60, 61, 62, 33, 34, 35, 36, 59}),
              (Answers{"alice", "DESK", "OFFICE", "1033", "English (United States)", "Alice", "Office", ""}));
    facts.version = {4, 90, 0x045A0BB8, false, ""};
    EXPECT_EQ(Settings({60, 62, 35}), (Answers{"alice98", "", ""}));
    facts.fileLanguages.clear();
    EXPECT_EQ(Settings({33, 34}), (Answers{"", ""}));
}

TEST_F(SystemQueryTest, BrowserAndWebServerVersions) {
    HostFileVersions()["C:\\WINDOWS\\system32\\shdocvw.dll"] = {5, 0, 3314, 2100};
    EXPECT_EQ(Settings({37, 41, 42, 43, 44, 52}), (Answers{"FALSE", "FALSE", "FALSE", "TRUE", "TRUE", "TRUE"}));
    HostFileVersions().clear();
    EXPECT_EQ(Setting(52), "FALSE");

    EXPECT_EQ(Settings({53, 58}), (Answers{"FALSE", "FALSE"}));
    const std::string key = "SOFTWARE\\Microsoft\\INetStp";
    HostRegistryState().Set(RegistryRoot::LocalMachine, key, "MajorVersion", {RegistryData::Kind::Number, "", 5});
    EXPECT_EQ(Setting(58), "FALSE");  // no minor version
    HostRegistryState().Set(RegistryRoot::LocalMachine, key, "MinorVersion", {RegistryData::Kind::Number, "", 1});
    EXPECT_EQ(Settings({53, 54, 55, 58}), (Answers{"FALSE", "TRUE", "TRUE", "TRUE"}));
}

TEST_F(SystemQueryTest, SettingNumbersOutsideTheTableAnswerNothing) {
    EXPECT_EQ(Settings({-1, 65}), (Answers{"", ""}));
    b.Add("Get System Settings", {"X", "seven"});
    RunScript(b.script(), ScriptBuilder::PackagePath(), nullptr);
    EXPECT_NE(LastScriptErrorReport().find("'seven' is not a valid integer value"), std::string::npos);
}

TEST_F(SystemQueryTest, ReadRegistryGivesPlainStringsAndSignedNumbersOnly) {
    const std::string key = "Software\\Test";
    HostRegistry& registry = HostRegistryState();
    registry.Set(RegistryRoot::CurrentUser, key, "Plain", {RegistryData::Kind::String, "C:\\App", 0});
    registry.Set(RegistryRoot::CurrentUser, key, "Expandable", {RegistryData::Kind::ExpandableString, "%WINDIR%", 0});
    registry.Set(RegistryRoot::CurrentUser, key, "AllOnes", {RegistryData::Kind::Number, "", 4294967295u});
    registry.Set(RegistryRoot::CurrentUser, key, "Binary", {RegistryData::Kind::Other, "", 0});
    registry.Set(RegistryRoot::ClassesRoot, ".txt", "", {RegistryData::Kind::String, "txtfile", 0});
    const std::vector<std::pair<std::string, std::string>> reads = {
        {"1", "Plain"}, {"1", "Expandable"}, {"1", "AllOnes"}, {"1", "Binary"}, {"1", "Missing"}, {"2", "Plain"},
        {"9", "Plain"}};
    for (size_t i = 0; i < reads.size(); ++i)
        b.Add("Read Registry", {"R" + std::to_string(i), reads[i].first, key, reads[i].second});
    b.Add("Read Registry", {"CLASS", "0", ".txt", ""});
    Run();
    Answers answers;
    for (size_t i = 0; i < reads.size(); ++i) answers.push_back(GetVariable("R" + std::to_string(i)));
    EXPECT_EQ(answers, (Answers{"C:\\App", "", "-1", "", "", "", ""}));
    EXPECT_EQ(GetVariable("CLASS"), "txtfile");
}

TEST(VersionTextTest, ParseAndCompare) {
    EXPECT_EQ(VersionText(ParseVersionText("1.2.3")), "1.2.3.0");
    EXPECT_EQ(VersionText(ParseVersionText("6.0.2800.1106.7")), "6.0.2800.1106");
    EXPECT_EQ(VersionText(ParseVersionText("5")), "5.0.0.0");
    EXPECT_EQ(VersionText(ParseVersionText("5.x.2")), "5.0.2.0");
    EXPECT_THROW(ParseVersionText("v5.1"), std::exception);
    EXPECT_EQ(CompareVersions({1, 2, 3, 0}, {1, 2, 3, 0}), 0);
    EXPECT_LT(CompareVersions({1, 2, 3, 0}, {1, 2, 3, 4}), 0);
    EXPECT_GT(CompareVersions({6, 0, 0, 0}, {5, 50, 4807, 2300}), 0);
    EXPECT_GT(CompareVersions({1, 0, 0, 65535}, {1, 0, 0, 1}), 0);  // unsigned parts
}

}  // namespace
