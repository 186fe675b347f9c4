// The font of each designed component: what it takes from its container,
// what its own Font.* properties change, and the writes of dialog rules.
#include <gtest/gtest.h>

#include "dialogs/FormScaling.h"

namespace {

FormObject Component(const std::string& properties) {
    return ReadTextForm("object C: TLabel\n" + properties + "end\n");
}

const DesignedFont kBoldContainer = [] {
    DesignedFont font;
    font.bold = true;
    font.height = -13;
    return font;
}();

TEST(FormFonts, PitchQualityAndOrientationReachTheFont) {
    const DesignedFont font = FontOf(Component("  Font.Pitch = fpFixed\n  Font.Quality = fqClearType\n"
                                               "  Font.Orientation = 900\n  Font.Charset = 204\n"),
                                     DesignedFont{}, 96);
    EXPECT_EQ(font.pitch, 1);
    EXPECT_EQ(font.quality, 5);
    EXPECT_EQ(font.orientation, 900);
    EXPECT_EQ(font.charset, 204);
    EXPECT_EQ(FontOf(Component("  Font.Pitch = fpVariable\n  Font.Quality = fqNonAntialiased\n"), DesignedFont{}, 96).pitch, 2);
    EXPECT_EQ(FontOf(Component("  Font.Orientation = 4500\n"), DesignedFont{}, 96).orientation, 900);
}

TEST(FormFonts, ParentFontStoredTrueGivesTheContainersFontBack) {
    const FormObject follows = Component("  Font.Style = [fsItalic]\n  ParentFont = True\n");
    EXPECT_EQ(FontOf(follows, kBoldContainer, 96), kBoldContainer);
    EXPECT_TRUE(FollowsParentFont(follows));
}

TEST(FormFonts, ComponentsFollowTheirContainerUntilTheyStoreAFontOfTheirOwn) {
    EXPECT_TRUE(FollowsParentFont(Component("  Caption = 'x'\n")));
    EXPECT_FALSE(FollowsParentFont(Component("  Font.Height = -20\n")));
    EXPECT_FALSE(FollowsParentFont(Component("  font.style = [fsBold]\n")));  // names of any case
    EXPECT_FALSE(FollowsParentFont(Component("  ParentFont = False\n")));
    EXPECT_TRUE(FollowsParentFont(Component("  Font.Height = -20\n  ParentFont = True\n")));
    // Without a font of its own, ParentFont = False keeps the container's font as it was at loading.
    EXPECT_EQ(FontOf(Component("  ParentFont = False\n"), kBoldContainer, 96), kBoldContainer);
}

TEST(FormFonts, AFontChangedAtRunTimeChangesOnlyWhatWasWritten) {
    FormObject label = Component("  Font.Height = -20\n  ParentFont = False\n");
    DesignedFont current = FontOf(label, kBoldContainer, 96);
    StoreFontDefault(label, "font.style");
    label.SetPropertyText("Font.Style", "[fsUnderline,fsStrikeOut]");
    current = FontOf(label, current, 96);
    EXPECT_EQ(current.height, -20);
    EXPECT_FALSE(current.bold);
    EXPECT_TRUE(current.underline);
    EXPECT_TRUE(current.strikeOut);
    StoreFontDefault(label, "Font.Charset");
    label.SetPropertyText("Font.Charset", "GREEK_CHARSET");
    EXPECT_EQ(FontOf(label, current, 96).charset, 161);
}

TEST(FormFonts, StoredFontPropertiesKeepTheirValueWhenADefaultIsOffered) {
    FormObject label = Component("  Font.Style = [fsBold]\n");
    StoreFontDefault(label, "Font.Style");
    StoreFontDefault(label, "Font.Name");  // no default of a kind of its own
    EXPECT_EQ(label.PropertyText("Font.Style"), "[fsBold]");
    EXPECT_EQ(label.Find("Font.Name"), nullptr);
}

TEST(FormFonts, CharacterHeightsScaleThroughWholePoints) {
    EXPECT_EQ(ScaledFontHeight(-11, 96, 144), -16);  // 8 points
    EXPECT_EQ(ScaledFontHeight(-13, 96, 144), -20);  // 10 points
    EXPECT_EQ(ScaledFontHeight(-16, 96, 144), -24);  // 12 points
    EXPECT_EQ(ScaledFontHeight(-11, 96, 96), -11);
    EXPECT_EQ(ScaledFontHeight(-16, 144, 96), -11);  // designed at 144: 8 points
    EXPECT_EQ(ScaledFontHeight(14, 96, 144), 21);    // a cell height is a length
    EXPECT_EQ(ScaledFontHeight(-11, 0, 144), -11);
}

}  // namespace
