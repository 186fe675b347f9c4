#include <gtest/gtest.h>

#include "core/StartupValues.h"
#include "core/VariableStore.h"
#include "script/mscriptexec.h"
#include "support/IisModel.h"
#include "support/ScriptBuilder.h"
#include "system/HostAutomation.h"
#include "system/miis.h"

namespace {

using Calls = std::vector<std::string>;
using Parameters = std::vector<std::string>;

class IisCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        Startup() = StartupValues{};
        Startup().silent = true;
        state->AddSite(1, "Default Web Site");
        state->AddSite(2, "Intranet");
        HostAutomationClasses()["IISNamespace"] = [state = state] { return MakeIisNamespace(state); };
        HostAutomationClasses()["MimeMap"] = [] { return MakeMimeMapEntry(); };
    }
    void TearDown() override { HostAutomationClasses().clear(); }

    // Runs the commands; the script must finish without an error report.
    void Run(const ScriptBuilder& b) {
        state->calls.clear();
        RunScript(b.script(), ScriptBuilder::PackagePath(), nullptr);
        EXPECT_EQ(LastScriptErrorReport(), "");
    }
    void Run(const std::string& command, const Parameters& parameters) {
        ScriptBuilder b;
        b.Add(command, parameters);
        Run(b);
    }
    const AutomationValue& SiteValue(int site, const std::string& name) { return state->sites.at(site)->properties.at(name); }
    const AutomationValue& FolderValue(int site, const std::string& path, const std::string& name) {
        return state->sites.at(site)->folders.at(path)->properties.at(name);
    }

    std::shared_ptr<IisModelState> state = std::make_shared<IisModelState>();
};

Parameters SiteParameters(const std::string& number, const std::string& unlimited) {
    return {"Shop", number, "10.0.0.1", "shop.example", "8080", "8443", "120", "TRUE", "TRUE",
            "TRUE", "-1", unlimited, "FALSE", "250", "2"};
}

TEST_F(IisCommandsTest, CreateSiteTakesTheFirstFreeNumberAndWritesEveryValueInOrder) {
    Run("Create IIS Site", SiteParameters("next", "TRUE"));
    ASSERT_TRUE(state->sites.count(3));
    EXPECT_EQ(SiteValue(3, "ServerBindings").text, "10.0.0.1:8080:shop.example");
    EXPECT_EQ(SiteValue(3, "SecureBindings").text, "10.0.0.1:8443:shop.example");
    EXPECT_EQ(SiteValue(3, "MaxConnections").integer, -1);  // unlimited whatever p14 says
    EXPECT_EQ(state->webServiceExtensions, Calls{"ASP"});
    EXPECT_EQ(state->extensionFiles, Calls{"*.exe"});
    EXPECT_EQ(state->calls, (Calls{
        "IISNamespace.GetObject IIsWebService localhost/w3svc",
        "w3svc.GetObject IIsWebServer 1", "w3svc.GetObject IIsWebServer 2", "w3svc.GetObject IIsWebServer 3",
        "IISNamespace.GetObject IIsWebService localhost/w3svc",
        "w3svc.GetObject IIsWebServer 3", "w3svc.Create IIsWebServer 3",
        "site3.put ServerComment=Shop", "site3.put ServerBindings=10.0.0.1:8080:shop.example",
        "site3.put SecureBindings=10.0.0.1:8443:shop.example", "site3.put ConnectionTimeout=120",
        "site3.put AllowKeepAlive=TRUE", "site3.put LogType=1", "site3.put DontLog=FALSE",
        "w3svc.EnableWebServiceExtension ASP", "w3svc.EnableExtensionFile *.exe", "w3svc.SetInfo",
        "site3.put MaxConnections=-1", "site3.put ServerSize=2", "site3.SetInfo"}));
}

TEST_F(IisCommandsTest, CreateSiteWithANumberRewritesThatSiteAndLimitsConnections) {
    Parameters p = SiteParameters("2", "FALSE");
    p[8] = "FALSE";   // no logging
    p[9] = p[10] = "FALSE";  // no extensions: the web service is not committed
    Run("Create IIS Site", p);
    EXPECT_EQ(SiteValue(2, "ServerComment").text, "Shop");
    EXPECT_EQ(SiteValue(2, "MaxConnections").integer, 250);
    EXPECT_EQ(SiteValue(2, "LogType").integer, 0);
    EXPECT_FALSE(state->sites.at(2)->properties.count("DontLog"));
    EXPECT_EQ(state->sites.size(), 2u);
    for (const auto& call : state->calls) EXPECT_NE(call, "w3svc.SetInfo");
}

TEST_F(IisCommandsTest, FailingExtensionCallsDoNotStopTheSite) {
    state->failingCall = "EnableWebServiceExtension";
    Run("Create IIS Site", SiteParameters("3", "TRUE"));
    EXPECT_TRUE(state->sites.at(3)->committed);
    EXPECT_EQ(state->extensionFiles, Calls{"*.exe"});
}

TEST_F(IisCommandsTest, CreateVirtualFolderWritesItsPropertiesApplicationAndMimeMap) {
    Run("Create Virtual Folder", {"shop", "C:\\\\Web\\\\Shop", "FALSE", "TRUE", "FALSE", "TRUE", "FALSE", "TRUE", "3",
                                  "1", "TRUE", "index.htm,default.htm", "", "TRUE", "TRUE", "FALSE",
                                  ".kebx=application/x-keb,.raw", "1"});
    EXPECT_EQ(FolderValue(1, "Root/shop", "Path").text, "C:\\Web\\Shop");
    EXPECT_EQ(FolderValue(1, "Root/shop", "AppIsolated").integer, 1);  // high protection
    EXPECT_EQ(FolderValue(1, "Root/shop", "AppFriendlyName").text, "shop");
    EXPECT_TRUE(FolderValue(1, "Root/shop", "DontLog").boolean);
    EXPECT_TRUE(FolderValue(1, "Root/shop", "AccessScript").boolean);
    EXPECT_FALSE(FolderValue(1, "Root/shop", "AccessExecute").boolean);
    EXPECT_FALSE(FolderValue(1, "Root/shop", "EnableDocFooter").boolean);
    const auto& map = FolderValue(1, "Root/shop", "MimeMap").list;
    ASSERT_EQ(map.size(), 2u);
    EXPECT_EQ(AutomationText(map[0].object.Property("MimeType")), "application/x-keb");
    EXPECT_EQ(AutomationText(map[1].object.Property("Extension")), ".raw");
    EXPECT_EQ(AutomationText(map[1].object.Property("MimeType")), "");
    const Calls& calls = state->calls;
    const Calls head(calls.begin(), calls.begin() + 13);
    EXPECT_EQ(head, (Calls{"IISNamespace.GetObject IIsWebService localhost/w3svc", "w3svc.GetObject IIsWebServer 1",
                           "site1.GetObject IIsWebVirtualDir Root/shop", "site1.Create IIsWebVirtualDir Root/shop",
                           "site1/Root/shop.put Path=C:\\Web\\Shop", "site1/Root/shop.put AccessSource=FALSE",
                           "site1/Root/shop.put AccessRead=TRUE", "site1/Root/shop.put AccessWrite=FALSE",
                           "site1/Root/shop.put EnableDirBrowsing=TRUE", "site1/Root/shop.put DontLog=TRUE",
                           "site1/Root/shop.put ContentIndexed=TRUE", "site1/Root/shop.AppCreate2 1",
                           "site1/Root/shop.put AppFriendlyName=shop"}));
    const Calls tail(calls.end() - 4, calls.end());
    EXPECT_EQ(tail, (Calls{"site1/Root/shop.SetInfo", "site1/Root/shop.get MimeMap",
                           "site1/Root/shop.put MimeMap=<object>", "site1/Root/shop.SetInfo"}));
}

TEST_F(IisCommandsTest, ModesFolderPathsAndMimeMapTexts) {
    EXPECT_EQ(ApplicationMode(1), 0);
    EXPECT_EQ(ApplicationMode(2), 2);
    EXPECT_EQ(ApplicationMode(3), 1);
    EXPECT_EQ(VirtualFolderPath(""), "Root");
    EXPECT_EQ(ParseMimeMap("\".a b=x/y\",.c=,.d").size(), 3u);
    EXPECT_EQ(ParseMimeMap("\".a b=x/y=z\"")[0].type, "x/y=z");
}

TEST_F(IisCommandsTest, ControlStartsBeforePausingAndLeavesSitesThatDoNotAnswer) {
    ScriptBuilder b;
    b.Add("Control IIS Site", {"2", "2"}).Add("Control IIS Site", {"7", "0"});
    Run(b);
    EXPECT_EQ(state->sites.at(2)->state, "paused");
    EXPECT_EQ(Calls(state->calls.begin() + 2, state->calls.begin() + 5),
              (Calls{"site2.get Status", "site2.Start", "site2.Pause"}));
    EXPECT_EQ(state->calls.back(), "w3svc.GetObject IIsWebServer 7");
}

TEST_F(IisCommandsTest, SiteIndexMatchesTheExactDescriptionOrGivesZero) {
    ScriptBuilder b;
    b.Add("Get IIS Site Index", {"Intranet", "$FOUND$"}).Add("Get IIS Site Index", {"intranet", "MISSING"});
    Run(b);
    EXPECT_EQ(GetVariable("FOUND"), "2");
    EXPECT_EQ(GetVariable("MISSING"), "0");
}

TEST_F(IisCommandsTest, PropertiesReadAndWriteThroughGetAndPut) {
    ScriptBuilder b;
    b.Add("Set IIS Property", {"TRUE", "", "1", "", "ServerComment", "Main"})
        .Add("Get IIS Property", {"TRUE", "", "1", "", "ServerComment", "COMMENT"})
        .Add("Get IIS Property", {"TRUE", "", "one", "", "ServerComment", "$BAD$"})
        .Add("Get IIS Property", {"FALSE", "", "1", "nofolder", "Path", "NOFOLDER"});
    Run(b);
    EXPECT_EQ(GetVariable("COMMENT"), "Main");
    EXPECT_EQ(GetVariable("BAD"), "!ERROR!");
    EXPECT_EQ(GetVariable("NOFOLDER"), "!ERROR!");
}

TEST_F(IisCommandsTest, AnonymousUserComesFromATemporarySiteThatIsRemoved) {
    ScriptBuilder b;
    b.Add("IIS Anonymous User", {"USER"}).Add("Get System Settings", {"SETTING", "59"});
    Run(b);
    EXPECT_EQ(GetVariable("USER"), "IUSR_DOUBLE");
    EXPECT_EQ(GetVariable("SETTING"), "IUSR_DOUBLE");
    EXPECT_EQ(state->sites.size(), 2u);
    state->failingCall = "AnonymousUserName";
    Run("IIS Anonymous User", {"AGAIN"});
    EXPECT_EQ(GetVariable("AGAIN"), "");
    EXPECT_EQ(state->sites.size(), 2u);  // removed on the failing way out too
}

TEST_F(IisCommandsTest, DeletesRemoveSitesAndFolders) {
    state->sites.at(1)->folders["Root/old"] = std::make_shared<IisModelFolder>();
    ScriptBuilder b;
    b.Add("Delete Virtual Folder", {"1", "old"}).Add("Delete IIS Site", {"2"}).Add("Delete IIS Site", {"x"});
    Run(b);
    EXPECT_TRUE(state->sites.at(1)->folders.empty());
    EXPECT_FALSE(state->sites.count(2));
}

TEST(IisWithoutServer, EveryCommandRunsOn) {
    Startup() = StartupValues{};
    Startup().silent = true;
    HostAutomationClasses().clear();
    ScriptBuilder b;
    b.Add("Create IIS Site", SiteParameters("next", "TRUE"))
        .Add("Create Virtual Folder", {"v", "C:\\", "", "", "", "", "", "", "2", "2", "", "", "", "", "", "", ".a=b", "1"})
        .Add("Delete IIS Site", {"1"})
        .Add("Control IIS Site", {"1", "0"})
        .Add("Get IIS Site Index", {"x", "INDEX"})
        .Add("Delete Virtual Folder", {"1", "v"})
        .Add("Get IIS Property", {"TRUE", "", "1", "", "Name", "PROPERTY"})
        .Add("Set IIS Property", {"TRUE", "", "1", "", "Name", "x"})
        .Add("IIS Anonymous User", {"USER"})
        .Add("Set Variable", {"END", "reached"});
    RunScript(b.script(), ScriptBuilder::PackagePath(), nullptr);
    EXPECT_EQ(LastScriptErrorReport(), "");
    EXPECT_EQ(GetVariable("INDEX"), "0");
    EXPECT_EQ(GetVariable("PROPERTY"), "!ERROR!");
    EXPECT_EQ(GetVariable("END"), "reached");
}

}  // namespace
