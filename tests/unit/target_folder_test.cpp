#include <gtest/gtest.h>

#include <set>

#include "dialogs/TargetFolder.h"

namespace {

FolderTest Existing(std::set<std::string> folders) {
    return [folders](const std::string& folder) { return folders.count(folder) > 0; };
}

TEST(TargetFolderTest, DeepestExistingFolderWalksUpToTheTop) {
    const auto exists = Existing({"C:\\", "C:\\Program Files\\"});
    EXPECT_EQ(DeepestExistingFolder("C:\\Program Files\\Acme\\Tool", exists), "C:\\Program Files\\");
    EXPECT_EQ(DeepestExistingFolder("C:\\Program Files\\", exists), "C:\\Program Files\\");
    EXPECT_EQ(DeepestExistingFolder("Q:\\gone\\deeper\\", exists), "Q:\\");
    EXPECT_EQ(DeepestExistingFolder("relative", exists), "relative");
    EXPECT_EQ(DeepestExistingFolder("", exists), "");
}

TEST(TargetFolderTest, TailIsWhatDoesNotExistYet) {
    const auto exists = Existing({"C:\\", "C:\\Program Files\\"});
    EXPECT_EQ(TargetTail("C:\\Program Files\\Acme\\Tool", exists), "Acme\\Tool");
    EXPECT_EQ(TargetTail("C:\\Program Files\\Acme\\Tool\\", exists), "Acme\\Tool\\");
    EXPECT_EQ(TargetTail("C:\\Program Files\\", exists), "");
    EXPECT_EQ(TargetTail("", exists), "");
}

TEST(TargetFolderTest, ChoosingAFolderKeepsTheTail) {
    const std::string shown = "C:\\Program Files\\Acme\\Tool";
    EXPECT_EQ(ChosenTarget(shown, "Acme\\Tool", "D:\\Apps"), "D:\\Apps\\Acme\\Tool");
    EXPECT_EQ(ChosenTarget(shown, "Acme\\Tool", "D:\\Apps\\"), "D:\\Apps\\Acme\\Tool");
    EXPECT_EQ(ChosenTarget(shown, "Acme\\Tool", "c:\\program files"), shown);
    EXPECT_EQ(ChosenTarget("", "", "E:\\"), "E:\\");
    EXPECT_EQ(ChosenTarget(shown, "Acme\\Tool", ""), "");
}

}  // namespace
