// The classes and properties a wizard form may hold, property texts with
// their class defaults, colours, and the scaling of geometry and fonts.
#include <gtest/gtest.h>

#include <set>

#include "dialogs/DesignedClasses.h"
#include "dialogs/DesignedColors.h"
#include "dialogs/FormScaling.h"
#include "dialogs/PictureData.h"
#include "dialogs/TreeNodeData.h"
#include "dialogs/UnknownDesign.h"
#include "support/FormFixtures.h"

namespace {

using namespace std::string_literals;

FormObject EveryControl() { return ReadTextForm(fixtures::TestFormText("everycontrol")); }

// What the engine leaves out of a form, one text a line; empty when it knows all of it.
std::string LeftOut(const std::string& text) {
    std::string found;
    for (const UnknownDesign& item : FindUnknownDesign(ReadTextForm(text))) found += (found.empty() ? "" : "\n") + item.text;
    return found;
}

std::string FormWith(const std::string& child) {
    return "object Page: TPage\n  Caption = 'Page'\n" + child + "end\n";
}

void CollectClasses(const FormObject& object, std::set<std::string>& classes) {
    for (const FormObject& child : object.children) {
        classes.insert(child.className);
        CollectClasses(child, classes);
    }
}

TEST(DesignedClasses, AFormOfEveryClassIsAccepted) {
    const FormObject form = EveryControl();
    EXPECT_TRUE(FindUnknownDesign(form).empty());
    std::set<std::string> used;
    CollectClasses(form, used);
    ASSERT_EQ(DesignedClasses().size(), 34u);
    for (const DesignedClass& cls : DesignedClasses()) EXPECT_TRUE(used.count(cls.name)) << cls.name;
    EXPECT_EQ(used.size(), 34u);
}

TEST(DesignedClasses, DesignerHousekeepingIsAccepted) {
    EXPECT_EQ(LeftOut("object Page: TPage\n  OldCreateOrder = False\n  PixelsPerInch = 120\n  TextHeight = 13\n"
                      "  Constraints.MinWidth = 100\n  OnCreate = FormCreate\n  HorzScrollBar.Visible = False\n"
                      "  object B: TButton\n    Anchors = [akRight, akBottom]\n    ParentShowHint = False\n"
                      "    ShowHint = True\n    HelpContext = 4\n    Font.Charset = ANSI_CHARSET\n"
                      "    ParentFont = False\n    ExplicitLeft = 3\n    Margins.Left = 2\n    OnClick = B1Click\n"
                      "  end\n  object P: TPanel\n    DesignSize = (\n      10\n      20)\n    ParentColor = True\n"
                      "  end\nend\n"),
              "");
}

TEST(DesignedClasses, UnknownClassesPropertiesAndChildrenAreNamed) {
    EXPECT_EQ(LeftOut(FormWith("  object Bar: TStatusBar\n  end\n")), "unknown class TStatusBar (Bar)");
    EXPECT_EQ(LeftOut(FormWith("  object P: TPanel\n    object Deep: TWidget\n    end\n  end\n")),
              "unknown class TWidget (Deep)");
    EXPECT_EQ(LeftOut(FormWith("  object Go: TButton\n    Bogus = 1\n  end\n")),
              "TButton Go has no property Bogus");
    // A property of another class is not one of this class.
    EXPECT_EQ(LeftOut(FormWith("  object L: TLabel\n    Lines.Strings = (\n      'a')\n  end\n")),
              "TLabel L has no property Lines.Strings");
    EXPECT_EQ(LeftOut("object Page: TPage\n  Wallpaper = 'x'\nend\n"), "TPage Page has no property Wallpaper");
    EXPECT_EQ(LeftOut(FormWith("  object Go: TButton\n    object Inner: TLabel\n    end\n  end\n")),
              "TButton Go cannot hold TLabel Inner");
    // The welcome fixture carries a status bar, which wizard forms cannot hold.
    EXPECT_NE(LeftOut(fixtures::TestFormText("welcome")).find("unknown class TStatusBar"), std::string::npos);
}

TEST(DesignedClasses, ValuesOfTheWrongKindAreNamed) {
    EXPECT_EQ(LeftOut(FormWith("  object E: TEdit\n    Left = 'ten'\n  end\n")), "TEdit E.Left is not an integer");
    EXPECT_EQ(LeftOut(FormWith("  object E: TEdit\n    Visible = 1\n  end\n")),
              "TEdit E.Visible is not True or False");
    EXPECT_EQ(LeftOut(FormWith("  object E: TEdit\n    Color = clPlaid\n  end\n")), "TEdit E.Color is not a colour");
    EXPECT_EQ(LeftOut(FormWith("  object L: TListBox\n    Items.Strings = (\n      1)\n  end\n")),
              "TListBox L.Items.Strings is not a list of texts");
}

TEST(DesignedClasses, PropertyTextsGiveStoredValuesThenClassDefaults) {
    const FormObject form = EveryControl();
    const auto text = [&](const char* name, const char* property) {
        const FormObject* object = form.FindObject(name);
        return DesignedPropertyText(*object, object == &form ? "" : object->className, property);
    };
    EXPECT_EQ(text("NameEdit", "Text"), "edit text");
    EXPECT_EQ(text("NameEdit", "MaxLength"), "20");
    EXPECT_EQ(text("NameEdit", "Enabled"), "True");
    EXPECT_EQ(text("NameEdit", "ReadOnly"), "False");
    EXPECT_EQ(text("NameEdit", "Color"), "clWindow");
    EXPECT_EQ(text("NameEdit", "Name"), "NameEdit");
    EXPECT_EQ(text("Notes", "Lines"), "first line\r\nsecond line");
    EXPECT_EQ(text("Fruits", "Items"), "Apple\r\nBanana\r\nCherry");
    EXPECT_EQ(text("Fruits", "ItemIndex"), "-1");
    EXPECT_EQ(text("Slider", "Max"), "10");
    EXPECT_EQ(text("Bar", "Max"), "100");
    EXPECT_EQ(text("Heading", "Font.Color"), "clNavy");
    EXPECT_EQ(text("Heading", "Font.Style"), "[fsBold]");
    EXPECT_EQ(text("Banner", "Alignment"), "taCenter");
    EXPECT_EQ(text("Dot", "Brush.Color"), "clRed");
    EXPECT_EQ(text("EveryControl", "Caption"), "Every control");
    EXPECT_EQ(text("EveryControl", "Position"), "poScreenCenter");
    EXPECT_EQ(text("Heading", "Text"), std::nullopt);
    EXPECT_EQ(text("Bar", "Caption"), std::nullopt);
    EXPECT_EQ(text("NameEdit", "Lines"), std::nullopt);
}

TEST(DesignedClasses, PropertyWritesAreCheckedAgainstTheirKind) {
    FormObject form = EveryControl();
    FormObject& bar = *form.FindObject("Bar");
    SetDesignedPropertyText(bar, "TProgressBar", "Position", "75");
    EXPECT_EQ(DesignedPropertyText(bar, "TProgressBar", "Position"), "75");
    try {
        SetDesignedPropertyText(bar, "TProgressBar", "Position", "abc");
        FAIL() << "a position of abc was taken";
    } catch (const FormError& e) {
        EXPECT_STREQ(e.what(), "TProgressBar Bar.Position: 'abc' is not an integer");
    }
    EXPECT_THROW(SetDesignedPropertyText(bar, "TProgressBar", "Visible", "maybe"), FormError);
    EXPECT_THROW(SetDesignedPropertyText(bar, "TProgressBar", "Caption", "x"), FormError);
    EXPECT_THROW(SetDesignedPropertyText(bar, "TProgressBar", "Min", "99999999999"), FormError);
    SetDesignedPropertyText(bar, "TProgressBar", "Visible", "false");
    EXPECT_EQ(DesignedPropertyText(bar, "TProgressBar", "Visible"), "False");

    FormObject& fruits = *form.FindObject("Fruits");
    SetDesignedPropertyText(fruits, "TListBox", "Items", "Kiwi\r\nLime\nMango");
    EXPECT_EQ(fruits.Strings("Items.Strings"), (std::vector<std::string>{"Kiwi", "Lime", "Mango"}));
    SetDesignedPropertyText(fruits, "TListBox", "Color", "clRed");
    EXPECT_EQ(DesignedPropertyText(fruits, "TListBox", "Color"), "clRed");
    SetDesignedPropertyText(fruits, "TListBox", "Color", "65280");
    EXPECT_EQ(DesignedPropertyText(fruits, "TListBox", "Color"), "clLime");
    EXPECT_THROW(SetDesignedPropertyText(fruits, "TListBox", "Color", "plaid"), FormError);
    // Enumerations keep their identifier form; the form's position is one.
    SetDesignedPropertyText(form, "", "Position", "poDesigned");
    EXPECT_THROW(SetDesignedPropertyText(form, "", "Position", "3"), FormError);
    SetDesignedPropertyText(form, "", "Caption", "Renamed");
    EXPECT_EQ(form.Text("Caption"), "Renamed");
}

TEST(DesignedColors, NamesNumbersAndSystemColours) {
    EXPECT_EQ(ColorFromText("clBtnFace"), 0x8000000F);
    EXPECT_EQ(ColorFromText("CLRED"), 0x0000FF);
    EXPECT_EQ(ColorFromText("16711680"), 0xFF0000);
    EXPECT_EQ(ColorFromText("-16777201"), 0xFF00000F);  // a system colour as older designers stored it
    EXPECT_EQ(ColorFromText("clPlaid"), std::nullopt);
    EXPECT_TRUE(IsSystemColor(0xFF00000F));
    EXPECT_TRUE(IsSystemColor(0x80000005));
    EXPECT_FALSE(IsSystemColor(0x00FFFFFF));
    EXPECT_EQ(SystemColorIndex(0x8000000F), 15);
    EXPECT_EQ(ColorText(0xFFFFFF), "clWhite");
    EXPECT_EQ(ColorText(0x123456), "1193046");
}

TEST(FormScaling, LengthsRoundToTheNearestPixel) {
    EXPECT_EQ(ScaledLength(75, 96, 96), 75);
    EXPECT_EQ(ScaledLength(75, 96, 144), 113);   // 112.5
    EXPECT_EQ(ScaledLength(-11, 96, 144), -17);  // -16.5: away from zero, as the height of a font
    EXPECT_EQ(ScaledLength(100, 120, 96), 80);
    EXPECT_EQ(ScaledLength(1, 96, 120), 1);
    EXPECT_EQ(ScaledLength(2000000000, 96, 192), 1000000);  // absurd designs stay bounded
    EXPECT_EQ(ScaledLength(10, 0, 96), 10);
    EXPECT_EQ(DesignDpi(ReadTextForm("object F: TF\n  PixelsPerInch = 120\nend\n")), 120);
    EXPECT_EQ(DesignDpi(ReadTextForm("object F: TF\n  PixelsPerInch = 0\nend\n")), 96);
    EXPECT_EQ(DesignDpi(ReadTextForm("object F: TF\nend\n")), 96);
}

TEST(FormScaling, FontsInheritAndApplyTheirOwnParts) {
    const FormObject form = EveryControl();
    const DesignedFont formFont = FontOf(form, DesignedFont{}, 96);
    EXPECT_EQ(formFont.name, "Tahoma");
    EXPECT_EQ(formFont.height, -11);
    const DesignedFont heading = FontOf(*form.FindObject("Heading"), formFont, 96);
    EXPECT_TRUE(heading.bold);
    EXPECT_FALSE(heading.italic);
    EXPECT_EQ(heading.height, -13);
    EXPECT_EQ(heading.color, 0x800000);  // clNavy
    EXPECT_EQ(FontOf(*form.FindObject("NameEdit"), formFont, 96), formFont);
    // Points become a height at the design density.
    const FormObject sized = ReadTextForm("object F: TF\n  Font.Size = 8\n  Font.Name = 'Arial'\n"
                                          "  Font.Charset = RUSSIAN_CHARSET\nend\n");
    EXPECT_EQ(FontOf(sized, formFont, 96).height, -11);
    EXPECT_EQ(FontOf(sized, formFont, 120).height, -13);
    EXPECT_EQ(FontOf(sized, formFont, 96).name, "Arial");
    EXPECT_EQ(FontOf(sized, formFont, 96).charset, 204);
}

// An 8x8 bitmap of 24 bits, as the designer stores it: class name, size, file.
std::string Bitmap8x8() {
    return EveryControl().FindObject("Logo")->Binary("Picture.Data");
}

TEST(PictureData, FindsTheFileBehindTheClassNameWithOrWithoutItsSize) {
    const std::string data = Bitmap8x8();
    const DesignedPicture sized = ReadPictureData(data);
    ASSERT_EQ(sized.format, PictureFormat::Bitmap);
    EXPECT_EQ(sized.file.size(), 246u);
    EXPECT_EQ(sized.file.substr(0, 2), "BM");
    const std::string unsized = "\x07TBitmap" + sized.file;
    EXPECT_EQ(ReadPictureData(unsized).file, sized.file);
    const DesignedPicture png = ReadPictureData("\x09TPngImage\x89PNG\r\n\x1A\nrest"s);
    EXPECT_EQ(png.format, PictureFormat::Png);
    EXPECT_EQ(ReadPictureData("\x0ATJPEGImage\x05\0\0\0\xFF\xD8\xFF\xE0\x00tail"s).file, "\xFF\xD8\xFF\xE0\x00"s);
    EXPECT_EQ(ReadPictureData("\x09TGIFImageGIF89a").format, PictureFormat::Gif);
    // Unknown contents, sizes beyond the data and truncated names give nothing.
    EXPECT_EQ(ReadPictureData("\x0BTMetafile\x01\x02").format, PictureFormat::None);
    EXPECT_EQ(ReadPictureData("\x07TBitmap\xFF\0\0\0BM"s).format, PictureFormat::None);
    EXPECT_EQ(ReadPictureData("\x40TB").format, PictureFormat::None);
    EXPECT_EQ(ReadPictureData("").format, PictureFormat::None);
}

TEST(PictureData, BitmapPixelsMustLieInsideTheFile) {
    const std::string file = ReadPictureData(Bitmap8x8()).file;
    BitmapLayout layout;
    ASSERT_TRUE(ReadBitmapLayout(file, layout));
    EXPECT_EQ(layout.bitsOffset, 54u);
    EXPECT_EQ(layout.width, 8);
    EXPECT_EQ(layout.height, 8);
    EXPECT_FALSE(ReadBitmapLayout(file.substr(0, file.size() - 1), layout));  // one byte of pixels short
    std::string wide = file;
    wide[19] = 0x40;  // 16392 pixels wide
    EXPECT_FALSE(ReadBitmapLayout(wide, layout));
    std::string rle = file;
    rle[30] = 1;  // run-length compressed: refused
    EXPECT_FALSE(ReadBitmapLayout(rle, layout));
    std::string paletted = file;
    paletted[28] = 8;  // 8 bits need a palette of 1024 bytes before the pixels
    EXPECT_FALSE(ReadBitmapLayout(paletted, layout));
    std::string offset = file;
    offset[10] = 0x7F;
    offset[11] = 0x7F;
    EXPECT_FALSE(ReadBitmapLayout(offset, layout));
}

TEST(TreeNodeData, ReadsTheItemsDepthFirst) {
    const std::vector<TreeNode> tree = {{"Program", {{"Help", {}}, {"Samples", {{"Basic", {}}}}}}, {"Tools", {}}};
    const std::string data = WriteTreeNodeData(tree);
    // One top-level count, then per item a size of 25 bytes plus its text.
    EXPECT_EQ(data.size(), 4 + 5 * (4 + 25) + 7 + 4 + 7 + 5 + 5);
    EXPECT_EQ(data.substr(0, 8), "\x02\0\0\0\x20\0\0\0"s);
    EXPECT_EQ(ReadTreeNodeData(data), tree);
    EXPECT_TRUE(ReadTreeNodeData("\0\0\0\0"s).empty());
    const std::vector<TreeNode> designed = ReadTreeNodeData(EveryControl().FindObject("Tree")->Binary("Items.Data"));
    ASSERT_EQ(designed.size(), 2u);
    EXPECT_EQ(designed[0].children.at(1).text, "Samples");
    EXPECT_EQ(designed[1].text, "Tools");
}

TEST(TreeNodeData, MalformedItemsAreRefused) {
    const std::string data = WriteTreeNodeData({{"One", {{"Two", {}}}}});
    EXPECT_THROW(ReadTreeNodeData(data.substr(0, data.size() - 1)), FormError);
    EXPECT_THROW(ReadTreeNodeData(data + "x"), FormError);
    std::string huge = data;
    huge[0] = '\xFF';  // 255 items in 60 bytes
    EXPECT_THROW(ReadTreeNodeData(huge), FormError);
    std::string size = data;
    size[4] = 10;  // a record shorter than its fixed part
    EXPECT_THROW(ReadTreeNodeData(size), FormError);
    std::string length = data;
    length[4 + 4 + 24] = 2;  // a text length that does not fill the record
    EXPECT_THROW(ReadTreeNodeData(length), FormError);
    // Nesting deeper than a form allows.
    TreeNode deep{"leaf", {}};
    for (int i = 0; i < kFormMaxNesting + 2; ++i) deep = TreeNode{"level", {deep}};
    EXPECT_THROW(ReadTreeNodeData(WriteTreeNodeData({deep})), FormError);
}

}  // namespace
