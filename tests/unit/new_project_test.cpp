// orvanta new: the project it makes passes the check, translates every text
// of its pages in each shipped language, and builds.
#include <gtest/gtest.h>

#include <cstdlib>
#include <regex>
#include <set>
#include <string>

#include "support/PeImage.h"
#include "support/TempDir.h"

namespace {

int Orvanta(const std::string& arguments) {
    const char* buildDir = std::getenv("ORVANTA_BUILD_DIR");
    const int status =
        std::system((std::string(buildDir ? buildDir : ".") + "/orvanta " + arguments + " >/dev/null 2>&1").c_str());
    return WEXITSTATUS(status);
}

std::set<std::string> Guids(const std::string& text) {
    std::set<std::string> guids;
    const std::regex guid("\\{[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}\\}");
    for (auto it = std::sregex_iterator(text.begin(), text.end(), guid); it != std::sregex_iterator(); ++it)
        guids.insert(it->str());
    return guids;
}

TEST(NewProjectTest, ChecksTranslatesAndBuilds) {
    TempDir dir;
    const std::string demo = dir.file("demo");
    ASSERT_EQ(Orvanta("new " + demo), 0);
    EXPECT_EQ(Orvanta("check " + demo), 0);
    // Every text of the standard pages has its translation in each shipped language.
    for (const char* language : {"German", "French", "Spanish", "Italian", "Dutch", "\"Portuguese (Brazil)\"",
                                 "Polish", "Czech", "Swedish", "Danish"})
        EXPECT_EQ(Orvanta("translations " + demo + " --missing " + language), 0) << language;
    EXPECT_EQ(Orvanta("translations " + demo + " --missing Finnish"), 1);

    dir.write("engine/kebstub.exe", PeImage({{0x200, 0x200}}));
    dir.write("engine/keb.dll", PeImage({{0x200, 0x200}}));
    ASSERT_EQ(Orvanta("build " + demo + " -o " + dir.file("out") + " --engine-dir " + dir.file("engine")), 0);
    EXPECT_FALSE(ReadWholeFile(dir.file("out/demo.msi")).empty());
    // 7zz is the reference reader of the support archive: the standard pages and both removal pages are in it.
    const std::string listing = dir.file("listing.txt");
    ASSERT_EQ(std::system(("7zz l -ba " + dir.file("out/demo.res") + " > " + listing).c_str()), 0);
    const std::string names = ReadWholeFile(listing);
    for (const char* form : {"welcome", "license", "folder", "features", "progress", "finish", "remove", "removing"})
        EXPECT_NE(names.find(std::string(form) + ".dfm.kebf"), std::string::npos) << form;
    EXPECT_NE(names.find("shared.translations.Czech"), std::string::npos);
}

TEST(NewProjectTest, FreshGuidsEveryTime) {
    TempDir dir;
    ASSERT_EQ(Orvanta("new " + dir.file("one")), 0);
    ASSERT_EQ(Orvanta("new " + dir.file("two") + " --title \"Notepadish 2\""), 0);
    const auto one = Guids(ReadWholeFile(dir.file("one/project.orv")) + ReadWholeFile(dir.file("one/product.wxs")));
    const auto two = Guids(ReadWholeFile(dir.file("two/project.orv")) + ReadWholeFile(dir.file("two/product.wxs")));
    // Product, revision and upgrade code, the product code in both files.
    EXPECT_EQ(one.size(), 3u);
    EXPECT_EQ(two.size(), 3u);
    for (const std::string& guid : one) EXPECT_FALSE(two.count(guid)) << guid;
    EXPECT_NE(ReadWholeFile(dir.file("two/project.orv")).find("Title = Notepadish 2\n"), std::string::npos);
    EXPECT_NE(ReadWholeFile(dir.file("two/project.orv")).find("Setup = Notepadish2\n"), std::string::npos);
}

TEST(NewProjectTest, NeverWritesIntoSomethingThatExists) {
    TempDir dir;
    dir.write("taken/notes.txt", "mine");
    EXPECT_EQ(Orvanta("new " + dir.file("taken")), 1);
    EXPECT_EQ(ReadWholeFile(dir.file("taken/notes.txt")), "mine");
    ASSERT_EQ(std::system(("ln -s " + dir.file("elsewhere") + " " + dir.file("link")).c_str()), 0);
    EXPECT_EQ(Orvanta("new " + dir.file("link")), 1);
    EXPECT_FALSE(std::filesystem::exists(dir.file("elsewhere")));
    EXPECT_EQ(Orvanta("new"), 2);
}

}  // namespace
