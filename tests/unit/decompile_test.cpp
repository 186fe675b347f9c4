#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "bootstrap/Payload.h"
#include "support/PeImage.h"
#include "support/TempDir.h"

namespace {

int Orvanta(const std::string& arguments) {
    const char* buildDir = std::getenv("ORVANTA_BUILD_DIR");
    return std::system((std::string(buildDir ? buildDir : ".") + "/orvanta " + arguments + " >/dev/null 2>&1").c_str());
}

// An engine stand-in: a PE image with one section and nothing appended.
std::string BareImage() { return PeImage({{0x200, 0x200}}); }

TEST(DecompileTest, DecompiledSetupBuildsToTheSamePayload) {
    if (std::system("command -v 7zz >/dev/null && command -v wixl >/dev/null && command -v msibuild >/dev/null"))
        GTEST_SKIP() << "7zz, wixl or msibuild missing";
    TempDir dir;
    dir.write("engine/kebstub.exe", BareImage());
    dir.write("engine/keb.dll", BareImage());
    const std::string engine = " --engine-dir " + dir.file("engine");
    const std::string sample = std::string(std::getenv("ORVANTA_SOURCE_DIR")) + "/examples/sample";
    ASSERT_EQ(Orvanta("build " + sample + " -o " + dir.file("first") + engine), 0);
    const std::string first = ReadAppendedData(dir.file("first/sample.exe"));
    ASSERT_FALSE(first.empty());

    // The decompiled source replaces the sample's own, beside its package and files.
    std::system(("cp -r " + sample + " " + dir.file("again")).c_str());
    ASSERT_EQ(Orvanta("decompile " + dir.file("first/sample.exe") + " -o " + dir.file("again/project.orv")), 0);
    std::system(("printf 'Package = product.wxs\\nSupport = support\\n' | cat - " + dir.file("again/project.orv") +
                 " > " + dir.file("again/p") + " && mv " + dir.file("again/p") + " " + dir.file("again/project.orv"))
                    .c_str());
    ASSERT_EQ(Orvanta("build " + dir.file("again") + " -o " + dir.file("second") + engine), 0);
    EXPECT_EQ(ReadAppendedData(dir.file("second/sample.exe")), first);
}

TEST(DecompileTest, BareEngineAndNonImagesAreRefused) {
    TempDir dir;
    EXPECT_NE(Orvanta("decompile " + dir.write("bare.exe", BareImage())), 0);
    EXPECT_NE(Orvanta("decompile " + dir.write("text.exe", "not an image")), 0);
    EXPECT_NE(Orvanta("decompile " + dir.file("missing.exe")), 0);
}

}  // namespace
