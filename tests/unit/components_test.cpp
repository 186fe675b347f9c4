#include <gtest/gtest.h>

#include "core/StartupValues.h"
#include "core/Components.h"
#include "core/ScriptError.h"
#include "core/VariableStore.h"
#include "support/TempDir.h"

namespace {

class ComponentsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ClearComponents();
        LoadComponentSizes({});
        SetInstalledSizeBaseline(0);
        ClearVariables();
        for (const char* name : {"TARGETDIR", "ALLUSERS", "STARTMENU"}) DefineVariable(name, "", "Initialization");
    }
};

TEST_F(ComponentsTest, DefiningTwiceInAnotherCaseKeepsOneComponentWithTheLaterValues) {
    DefineComponent("Main\\Docs", "first", false);
    DefineComponent("MAIN\\docs", "second", true);
    EXPECT_EQ(ComponentNames(), std::vector<std::string>{"Main\\Docs"});
    EXPECT_EQ(ComponentDescription("main\\DOCS"), "second");
    EXPECT_TRUE(IsComponentSelected("Main\\Docs"));
    EXPECT_FALSE(IsComponentSelected("never defined"));
    SetComponentState("never defined", true);
    EXPECT_FALSE(ComponentExists("never defined"));
}

TEST_F(ComponentsTest, SizesComeFromThePayloadAndDefinitionsAndSurviveClearing) {
    LoadComponentSizes({"MAIN", "5000000000", "EXTRA", "100"});
    EXPECT_EQ(ComponentSize("MAIN"), 0);  // not a component yet
    DefineComponent("Main", "", true);
    DefineComponent("Extra", "", false);
    DefineComponent("New", "", true);
    EXPECT_EQ(ComponentSize("main"), 5000000000);
    EXPECT_EQ(ComponentSize("New"), 0);
    SetComponentSize("New", 4294967296 + 5);
    EXPECT_EQ(ComponentSize("NEW"), 4294967301);
    SetComponentSize("Ghost", 7);
    EXPECT_EQ(ComponentSize("Ghost"), 0);
    SetInstalledSizeBaseline(1);
    EXPECT_EQ(RequiredSpace(), 5000000000 + 4294967301 - 1);
    ClearComponents();
    DefineComponent("Main", "", true);
    EXPECT_EQ(ComponentSize("Main"), 5000000000);
}

TEST_F(ComponentsTest, FormatSize) {
    EXPECT_EQ(FormatSize(999), "999 bytes");
    EXPECT_EQ(FormatSize(1048575), "1,048,575 bytes");
    EXPECT_EQ(FormatSize(1234567), "1,205 KB");
    EXPECT_EQ(FormatSize(5000000000), "4,768 MB");
    EXPECT_EQ(FormatSize(-2048), "-2,048 bytes");
    EXPECT_EQ(FormatSize(0), "0 bytes");
}

TEST_F(ComponentsTest, ComponentFilesRoundTripAndMerge) {
    TempDir dir;
    Startup().dataFolder = dir.path().string() + "/";
    DefineComponent("Main", "", true);
    DefineComponent("Docs", "", false);
    SetVariable("TARGETDIR", "C:\\App\\", "test");
    SetVariable("ALLUSERS", "TRUE", "test");
    SetVariable("STARTMENU", "App", "test");
    const std::string path = dir.file("app.dat");
    SaveComponentFile(path, false);
    EXPECT_EQ(ReadWholeFile(path),
              "Main\r\nDocs\r\n$\r\nTRUE\r\nFALSE\r\n$\r\nC:\\App\\\r\nTRUE\r\nApp\r\n" + Startup().dataFolder + "\r\n");

    // Without merge the saved components are appended as they were saved.
    ClearComponents();
    SetVariable("TARGETDIR", "elsewhere", "test");
    ASSERT_TRUE(LoadComponentFile(path, false));
    EXPECT_EQ(ComponentNames(), (std::vector<std::string>{"Main", "Docs"}));
    EXPECT_EQ(ComponentStates(), (std::vector<std::string>{"TRUE", "FALSE"}));
    EXPECT_EQ(GetVariable("TARGETDIR"), "C:\\App\\");

    // With merge only known components (in any letter case) take the saved state.
    ClearComponents();
    DefineComponent("DOCS", "", true);
    DefineComponent("Other", "", true);
    ASSERT_TRUE(LoadComponentFile(path, true));
    EXPECT_EQ(ComponentNames(), (std::vector<std::string>{"DOCS", "Other"}));
    EXPECT_EQ(ComponentStates(), (std::vector<std::string>{"FALSE", "TRUE"}));

    EXPECT_FALSE(LoadComponentFile(dir.file("missing.dat"), false));
}

TEST_F(ComponentsTest, TruncatedFileGivesWhatItHoldsAndKeepsTheRest) {
    TempDir dir;
    SetVariable("TARGETDIR", "C:\\Default\\", "test");
    const std::string path = dir.write("cut.dat", "Main\r\nDocs\r\n$\r\nTRUE\r\n");
    ASSERT_TRUE(LoadComponentFile(path, false));
    EXPECT_EQ(ComponentStates(), (std::vector<std::string>{"TRUE", "FALSE"}));
    EXPECT_EQ(GetVariable("TARGETDIR"), "C:\\Default\\");
}

TEST_F(ComponentsTest, UnwritableComponentFileIsAScriptError) {
    TempDir dir;
    EXPECT_THROW(SaveComponentFile(dir.file("no/such/folder/x.dat"), true), ScriptError);
}

}  // namespace
