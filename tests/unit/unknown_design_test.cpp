// Forms from another designer, compiled by Free Pascal: what the engine does
// not know is left out and named, what it knows stays as designed.
#include <gtest/gtest.h>

#include "dialogs/DesignedClasses.h"
#include "dialogs/UnknownDesign.h"
#include "support/FormFixtures.h"
#include "support/FreePascalForms.h"

namespace {

std::vector<std::string> Texts(const std::vector<UnknownDesign>& found) {
    std::vector<std::string> texts;
    for (const UnknownDesign& item : found) texts.push_back(item.text);
    return texts;
}

// The designer's page as the engine receives it: Free Pascal's binary form.
FormFile DesignerPage() { return ReadBinaryForm(fixtures::Pascal("tobin", fixtures::TestFormText("designer"))); }

TEST(UnknownDesign, AnotherDesignersPageIsFittedAndEverythingLeftOutIsNamed) {
    REQUIRE_ORACLE();
    FormFile page = DesignerPage();
    EXPECT_EQ(page.root.className, "TLoginForm");
    const std::vector<UnknownDesign> leftOut = FitToDesignedClasses(page.root);
    EXPECT_EQ(Texts(leftOut), (std::vector<std::string>{
                                  "TLoginForm LoginForm has no property ChildSizing.LeftRightSpacing",
                                  "TLoginForm LoginForm has no property ChildSizing.TopBottomSpacing",
                                  "TLoginForm LoginForm has no property SessionProperties",
                                  "TLoginForm LoginForm has no property Background.Data",
                                  "TLoginForm LoginForm has no property LCLVersion",
                                  "TLabel TitleLabel has no property AnchorSideLeft.Control",
                                  "TLabel TitleLabel has no property AnchorSideTop.Control",
                                  "TLabel TitleLabel has no property BorderSpacing.Around",
                                  "unknown class TPanelEx (CardPanel)",
                                  "TLabel NameLabel has no property AnchorSideTop.Side",
                                  "TEdit NameEdit has no property BorderSpacing.Left",
                                  "TButton NextButton has no property AnchorSideRight.Control",
                                  "TButton NextButton has no property AutoSize",
                                  "TButton NextButton has no property BorderSpacing.InnerBorder",
                              }));
    // Each in its place: the component depth first, the property as stored.
    EXPECT_EQ(leftOut[4].object, 0u);
    EXPECT_EQ(page.root.className, "TLoginForm");
    EXPECT_EQ(leftOut[8].what, UnknownDesign::What::Class);
    EXPECT_EQ(leftOut[8].object, 2u);
    EXPECT_EQ(leftOut[10].object, 4u);

    // What the engine knows stays, nothing unknown is left.
    EXPECT_TRUE(FindUnknownDesign(page.root).empty());
    EXPECT_EQ(page.root.Text("Caption"), "Sign in to the setup");
    EXPECT_EQ(page.root.Integer("ClientWidth"), 420);
    EXPECT_TRUE(page.root.Find("ParentBidiMode"));
    const FormObject* title = page.root.FindObject("TitleLabel");
    ASSERT_TRUE(title);
    EXPECT_EQ(title->Integer("Left"), 12);
    EXPECT_EQ(title->Find("Font.Style")->names, std::vector<std::string>{"fsBold"});
    EXPECT_TRUE(page.root.FindObject("NextButton")->Bool("Default"));
}

TEST(UnknownDesign, AComponentOfAnUnknownClassBecomesAnEmptyPanelKeepingItsChildren) {
    REQUIRE_ORACLE();
    FormFile page = DesignerPage();
    FitToDesignedClasses(page.root);
    const FormObject* card = page.root.FindObject("CardPanel");
    ASSERT_TRUE(card);
    EXPECT_EQ(card->className, "TPanel");
    // Where it was, nothing of its own shown, no role.
    EXPECT_EQ(card->Integer("Left"), 12);
    EXPECT_EQ(card->Integer("Top"), 44);
    EXPECT_EQ(card->Integer("Width"), 396);
    EXPECT_EQ(card->Integer("Height"), 150);
    EXPECT_EQ(card->Text("Caption"), "");
    EXPECT_EQ(card->Identifier("BevelOuter"), "bvNone");
    EXPECT_TRUE(card->Bool("ParentColor"));
    EXPECT_FALSE(card->Find("Tag"));
    EXPECT_FALSE(card->Find("Gradient.Stops"));
    // The children keep their places and bindings.
    ASSERT_EQ(card->children.size(), 3u);
    const FormObject* folder = card->FindObject("FolderEdit");
    EXPECT_EQ(folder->Text("Hint"), "TARGETDIR");
    EXPECT_EQ(folder->Integer("Tag"), 2);
    EXPECT_EQ(folder->Integer("Top"), 44);
    EXPECT_EQ(card->FindObject("NameEdit")->Text("Hint"), "ACCOUNT");
}

TEST(UnknownDesign, ChildrenOfAControlThatHoldsNoneAreLeftOutWithIt) {
    FormObject form = ReadTextForm(
        "object Page: TPage\n"
        "  object Go: TButton\n    object Inner: TLabel\n      object Deeper: TLabel\n      end\n    end\n  end\n"
        "  object After: TLabel\n    Bogus = 1\n  end\n"
        "end\n");
    const std::vector<UnknownDesign> leftOut = FitToDesignedClasses(form);
    ASSERT_EQ(leftOut.size(), 2u);
    EXPECT_EQ(leftOut[0].text, "TButton Go cannot hold TLabel Inner");
    EXPECT_EQ(leftOut[0].object, 2u);
    // The places after it count the left-out objects, as the form file has them.
    EXPECT_EQ(leftOut[1].object, 4u);
    EXPECT_TRUE(form.FindObject("Go")->children.empty());
    EXPECT_TRUE(form.FindObject("After"));
}

TEST(UnknownDesign, ThePlaceholderKeepsOnlyValuesThatFitAPanel) {
    FormObject form = ReadTextForm(
        "object Page: TPage\n  object W: TWidget\n    Left = 'far'\n    Top = 5\n    Visible = False\n  end\nend\n");
    FitToDesignedClasses(form);
    const FormObject& widget = form.children[0];
    EXPECT_FALSE(widget.Find("Left"));
    EXPECT_EQ(widget.Integer("Top"), 5);
    EXPECT_FALSE(widget.Bool("Visible", true));
    EXPECT_TRUE(FindUnknownDesign(form).empty());
}

TEST(UnknownDesign, TheLogNamesEachPropertyAndClassOncePerForm) {
    FormObject form = ReadTextForm(
        "object Page: TPage\n  LCLVersion = '3.0'\n"
        "  object A: TLabel\n    BorderSpacing.Around = 6\n  end\n"
        "  object B: TLabel\n    borderspacing.around = 6\n  end\n"
        "  object X: TPanelEx\n  end\n  object Y: TPanelEx\n  end\nend\n");
    EXPECT_EQ(UnknownDesignLogLines("login.dfm", FindUnknownDesign(form)),
              (std::vector<std::string>{"login.dfm: left out TPage Page has no property LCLVersion",
                                        "login.dfm: left out TLabel A has no property BorderSpacing.Around",
                                        "login.dfm: left out unknown class TPanelEx (X)"}));
}

// A form that cannot be read keeps its error.
TEST(UnknownDesign, ATruncatedFormIsStillRefused) {
    REQUIRE_ORACLE();
    const std::string bytes = fixtures::Pascal("tobin", fixtures::TestFormText("designer"));
    EXPECT_THROW(ReadBinaryForm(bytes.substr(0, bytes.size() / 2)), FormError);
    EXPECT_THROW(ReadBinaryForm("MZ\x90\x00 not a form"), FormError);
}

}  // namespace
