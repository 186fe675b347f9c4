#include <gtest/gtest.h>

#include <regex>
#include <set>

#include "installer/InstallerDatabase.h"
#include "support/FakeMsiApi.h"

namespace {
class InstallerDatabaseTest : public ::testing::Test {
protected:
    void SetUp() override {
        ClearNewInstanceRequest();
        msi.fake.properties = {{"ProductCode", "{OLD-PRODUCT}"}, {"A", "0"}};
        msi.fake.componentIds = {"{C1}", "{C2}", "{C3}"};
        msi.fake.packageCode = "{OLD-PACKAGE}";
    }
    void TearDown() override { ClearNewInstanceRequest(); }

    ScopedFakeMsi msi;
};

bool IsUpperGuid(const std::string& text) {
    static const std::regex guid("\\{[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\\}");
    return std::regex_match(text, guid);
}
}  // namespace

TEST_F(InstallerDatabaseTest, PendingPropertiesAreWrittenInOrderAndDiscarded) {
    SetInstallerProperty("A", "1");
    SetInstallerProperty("B", "2");
    SetInstallerProperty("A", "3");
    SetInstallerProperty("QUOTED", "it's \"here\"");
    SetInstallerProperty("LINES", "one\r\ntwo");
    ASSERT_EQ(PendingInstallerProperties().size(), 5u);
    EXPECT_EQ(PendingInstallerProperties()[4].value, "one$NEWLINE$two");

    WritePendingProperties("C:\\T\\p.msi");
    EXPECT_EQ(msi.fake.properties["A"], "3");
    EXPECT_EQ(msi.fake.properties["B"], "2");
    EXPECT_EQ(msi.fake.properties["QUOTED"], "it's \"here\"");
    EXPECT_EQ(msi.fake.properties["LINES"], "one\r\ntwo");
    EXPECT_EQ(msi.fake.commits, 1);
    EXPECT_TRUE(PendingInstallerProperties().empty());
    EXPECT_TRUE(msi.fake.open.empty());
    // Names and values travel as parameters, never inside the statement text.
    for (const std::string& statement : msi.fake.statements) EXPECT_EQ(statement.find('\''), std::string::npos);

    // Nothing pending: the package is not even opened.
    WritePendingProperties("C:\\T\\p.msi");
    EXPECT_EQ(msi.fake.commits, 1);
}

TEST_F(InstallerDatabaseTest, APackageThatCannotBeOpenedKeepsThePropertiesPending) {
    SetInstallerProperty("TARGETDIR", "C:\\Chosen\\");
    msi.fake.openDatabaseResult = 110;  // ERROR_OPEN_FAILED
    EXPECT_THROW(WritePendingProperties("C:\\T\\p.msi"), std::runtime_error);
    ASSERT_EQ(PendingInstallerProperties().size(), 1u);
    EXPECT_EQ(msi.fake.commits, 0);

    msi.fake.openDatabaseResult = 0;
    WritePendingProperties("C:\\T\\p.msi");
    EXPECT_EQ(msi.fake.properties["TARGETDIR"], "C:\\Chosen\\");
    EXPECT_TRUE(PendingInstallerProperties().empty());
}

TEST_F(InstallerDatabaseTest, ANewInstanceGetsANewIdentity) {
    RequestNewInstance("{NEW-PRODUCT}", "{NEW-PACKAGE}");
    SetInstallerProperty("MSINTEMP", "C:\\T\\");
    WritePendingProperties("C:\\T\\p.msi");

    std::set<std::string> ids(msi.fake.componentIds.begin(), msi.fake.componentIds.end());
    EXPECT_EQ(ids.size(), 3u);
    for (const std::string& id : msi.fake.componentIds) {
        EXPECT_TRUE(IsUpperGuid(id)) << id;
        EXPECT_FALSE(id == "{C1}" || id == "{C2}" || id == "{C3}");
    }
    EXPECT_EQ(msi.fake.packageCode, "{NEW-PACKAGE}");
    EXPECT_EQ(msi.fake.properties["ProductCode"], "{NEW-PRODUCT}");
    EXPECT_EQ(msi.fake.properties["MSINTEMP"], "C:\\T\\");
    EXPECT_EQ(ReidentifiedPackage(), "C:\\T\\p.msi");
    EXPECT_TRUE(msi.fake.open.empty());
}

TEST_F(InstallerDatabaseTest, TranslationsRunTheirStatementsPerTriplet) {
    TranslateProgIds("C:\\T\\p.msi", {"Old.Doc", "New.Doc", "My document"});
    EXPECT_EQ(msi.fake.statements, (std::vector<std::string>{
                                       "UPDATE `ProgId` SET `Description`=? WHERE `ProgId`=?",
                                       "UPDATE `ProgId` SET `ProgId`=? WHERE `ProgId`=?",
                                       // what names the old ProgId follows it
                                       "UPDATE `Extension` SET `ProgId_`=? WHERE `ProgId_`=?",
                                       "UPDATE `ProgId` SET `ProgId_Parent`=? WHERE `ProgId_Parent`=?"}));
    // A rename the database refuses leaves the extensions naming the ProgId that is still there.
    msi.fake.statements.clear();
    msi.fake.failingStatements = {"UPDATE `ProgId` SET `ProgId`=? WHERE `ProgId`=?"};
    TranslateProgIds("C:\\T\\p.msi", {"Old.Doc", "New.Doc", "My document"});
    EXPECT_EQ(msi.fake.statements.size(), 2u);
    msi.fake.statements.clear();
    TranslateShortcuts("C:\\T\\p.msi", {"PHEADER_1", "My App~1|My Application", "Starts it", "X", "Y", "Z"});
    EXPECT_EQ(msi.fake.statements.size(), 4u);
    EXPECT_EQ(msi.fake.commits, 3);
    EXPECT_TRUE(msi.fake.open.empty());
}

TEST_F(InstallerDatabaseTest, InstalledPackageComparesThePackageCodeIgnoringCase) {
    msi.fake.productInfo["{P}/PackageCode"] = "{ABCDEF}";
    EXPECT_TRUE(IsInstalledPackage("{P}", "{abcdef}"));
    EXPECT_FALSE(IsInstalledPackage("{P}", "{OTHER}"));
    EXPECT_FALSE(IsInstalledPackage("{Q}", "{ABCDEF}"));
}
