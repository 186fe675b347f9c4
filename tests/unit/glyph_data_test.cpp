// The bitmap file inside a button's designed glyph data.
#include <gtest/gtest.h>

#include "dialogs/PictureData.h"
#include "support/FormFixtures.h"

namespace {

std::string Glyph() {
    const FormObject form = ReadTextForm(fixtures::TestFormText("glyphs"));
    return form.FindObject("GlyphButton")->Binary("Glyph.Data");
}

TEST(GlyphData, TheSizedFileAsTheDesignerStoresIt) {
    const std::string data = Glyph();
    const std::string file = GlyphBitmapFile(data);
    ASSERT_EQ(file.size(), data.size() - 4);
    EXPECT_EQ(file.substr(0, 2), "BM");
    BitmapLayout layout;
    ASSERT_TRUE(ReadBitmapLayout(file, layout));
    EXPECT_EQ(layout.width, 32);  // two images of 16 side by side
    EXPECT_EQ(layout.height, 16);
}

TEST(GlyphData, TheFileAloneAndDamagedData) {
    const std::string file = GlyphBitmapFile(Glyph());
    EXPECT_EQ(GlyphBitmapFile(file), file);
    std::string oversized = Glyph();
    oversized[1] = '\x7F';  // a size beyond the data
    EXPECT_EQ(GlyphBitmapFile(oversized), "");
    EXPECT_EQ(GlyphBitmapFile(""), "");
    EXPECT_EQ(GlyphBitmapFile("\x07TBitmap"), "");
}

}  // namespace
