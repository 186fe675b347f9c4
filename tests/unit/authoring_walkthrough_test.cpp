// The first project of docs/authoring.md, taken from the page itself: it must
// pass the check, run on the host and build, or the page misleads new authors.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "support/PeImage.h"
#include "support/TempDir.h"

namespace {

// The indented blocks of one section of a Markdown page, in order.
std::vector<std::string> IndentedBlocks(const std::string& page, const std::string& heading) {
    const size_t start = page.find("\n" + heading + "\n");
    const size_t end = page.find("\n## ", start + 1);
    std::vector<std::string> blocks;
    bool inBlock = false;
    for (size_t at = start; at < end && at != std::string::npos;) {
        const size_t lineEnd = page.find('\n', at + 1);
        const std::string line = page.substr(at + 1, lineEnd - at - 1);
        at = lineEnd;
        if (line.rfind("    ", 0) == 0) {
            if (!inBlock) blocks.emplace_back();
            blocks.back() += line.substr(4) + "\n";
            inBlock = true;
        } else if (!line.empty()) {
            inBlock = false;
        } else if (inBlock) {
            blocks.back() += "\n";
        }
    }
    return blocks;
}

int Orvanta(const std::string& arguments) {
    const char* buildDir = std::getenv("ORVANTA_BUILD_DIR");
    return std::system((std::string(buildDir ? buildDir : ".") + "/orvanta " + arguments + " >/dev/null 2>&1").c_str());
}

TEST(AuthoringWalkthroughTest, TheFirstProjectChecksRunsAndBuilds) {
    const std::string page = ReadWholeFile(std::string(std::getenv("ORVANTA_SOURCE_DIR")) + "/docs/authoring.md");
    const std::vector<std::string> blocks = IndentedBlocks(page, "## From nothing to a setup");
    ASSERT_GE(blocks.size(), 5u) << "orvanta new, the folder, the package source, the project source and the commands";
    ASSERT_NE(blocks[2].find("<Wix"), std::string::npos);
    ASSERT_NE(blocks[3].find("[script]"), std::string::npos);

    TempDir dir;
    // The page starts from orvanta new: its commands run as written, in a scratch folder.
    ASSERT_EQ(blocks[0].rfind("orvanta new notepadish", 0), 0u) << blocks[0];
    for (const std::string& command : {std::string("new ") + dir.file("notepadish") + " --title Notepadish",
                                       "check " + dir.file("notepadish")})
        EXPECT_EQ(Orvanta(command), 0) << command;

    dir.write("hello/product.wxs", blocks[2]);
    dir.write("hello/project.orv", blocks[3]);
    dir.write("hello/files/readme.txt", "Hello\n");
    const std::string hello = dir.file("hello");
    EXPECT_EQ(Orvanta("check " + hello), 0);
    EXPECT_EQ(Orvanta("run " + hello + " --silent"), 0);
    if (std::system("command -v 7zz >/dev/null && command -v wixl >/dev/null && command -v msibuild >/dev/null"))
        GTEST_SKIP() << "7zz, wixl or msibuild missing";
    dir.write("engine/kebstub.exe", PeImage({{0x200, 0x200}}));
    dir.write("engine/keb.dll", PeImage({{0x200, 0x200}}));
    EXPECT_EQ(Orvanta("build " + hello + " -o " + dir.file("out") + " --engine-dir " + dir.file("engine")), 0);
    EXPECT_FALSE(ReadWholeFile(dir.file("out/hello.msi")).empty());
}

}  // namespace
