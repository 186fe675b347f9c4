// Input masks of masked edits, as the designer's masks define them.
#include <gtest/gtest.h>

#include "dialogs/EditMask.h"

namespace {

TEST(EditMask, PhoneNumberWithLiteralsKept) {
    const EditMask mask("!\\(999\\)000-0000;1;_");
    EXPECT_EQ(mask.Size(), 13u);
    EXPECT_EQ(mask.Shown(""), "(___)___-____");
    EXPECT_FALSE(mask.IsInput(0));
    EXPECT_TRUE(mask.IsInput(1));
    EXPECT_FALSE(mask.Required(1));  // 9: optional
    EXPECT_TRUE(mask.Required(5));   // 0: required
    EXPECT_EQ(mask.Accept(5, '7'), '7');
    EXPECT_EQ(mask.Accept(5, 'x'), std::nullopt);
    EXPECT_EQ(mask.Accept(4, '1'), std::nullopt);  // the ")" literal
    EXPECT_EQ(mask.NextInput(4), 5u);
    EXPECT_EQ(mask.PreviousInput(5), 3u);
    const std::string shown = mask.Shown("(555)123-4567");
    EXPECT_EQ(shown, "(555)123-4567");
    EXPECT_TRUE(mask.Complete(shown));
    EXPECT_EQ(mask.Value(shown), "(555)123-4567");
    EXPECT_FALSE(mask.Complete("(___)123-45__"));
    EXPECT_TRUE(mask.Complete("(___)123-4567"));  // the optional area code may stay blank
    EXPECT_EQ(mask.Value("(___)123-4567"), "(   )123-4567");
}

TEST(EditMask, LiteralsLeftOutOfTheTextAndAnotherBlank) {
    const EditMask mask(">LL-0000;0;*");
    EXPECT_EQ(mask.Blank(), '*');
    EXPECT_EQ(mask.Shown(""), "**-****");
    EXPECT_EQ(mask.Accept(0, 'q'), 'Q');  // upper case from ">"
    EXPECT_EQ(mask.Accept(0, '1'), std::nullopt);
    EXPECT_EQ(mask.Shown("ab1234"), "AB-1234");  // a value without its literals fills the inputs in turn
    EXPECT_EQ(mask.Value("AB-1234"), "AB1234");
    EXPECT_EQ(mask.Value("AB-12**"), "AB12  ");
}

TEST(EditMask, CaseOptionalKindsAndEscapes) {
    const EditMask mask("<ll>a<>c#\\0_9");
    EXPECT_EQ(mask.Accept(0, 'X'), 'x');
    EXPECT_EQ(mask.Accept(2, 'b'), 'B');
    EXPECT_EQ(mask.Accept(2, '5'), '5');
    EXPECT_EQ(mask.Accept(3, 'q'), 'q');  // "<>": as typed
    EXPECT_EQ(mask.Accept(3, '%'), '%');
    EXPECT_EQ(mask.Accept(4, '-'), '-');
    EXPECT_EQ(mask.Accept(4, 'x'), std::nullopt);
    EXPECT_FALSE(mask.IsInput(5));  // "\0" is the literal 0
    EXPECT_FALSE(mask.IsInput(6));  // "_" is a blank literal
    EXPECT_EQ(mask.Shown(""), "_____0 _");
    for (size_t i = 0; i < mask.Size(); ++i) EXPECT_FALSE(mask.Required(i));
    EXPECT_TRUE(mask.Complete(mask.Shown("")));
}

TEST(EditMask, ShorterValuesFillFromTheEndWithTheExclamationMark) {
    EXPECT_EQ(EditMask("!9999;0;_").Shown("42"), "__42");
    EXPECT_EQ(EditMask("9999;0;_").Shown("42"), "42__");
    // Characters a position refuses stay blank; values longer than the mask are cut.
    EXPECT_EQ(EditMask("0000;0;_").Shown("4x2y77"), "4_2_");
}

TEST(EditMask, NoMaskAndOddFields) {
    EXPECT_TRUE(EditMask("").Empty());
    EXPECT_TRUE(EditMask(";1;_").Empty());
    EXPECT_EQ(EditMask("00\\;0").Size(), 4u);  // an escaped separator is a literal
    EXPECT_EQ(EditMask("00;").Shown(""), "__");
    EXPECT_EQ(EditMask("00;1").Blank(), '_');
    EXPECT_EQ(EditMask("0\\").Size(), 1u);  // a trailing escape is dropped
}

}  // namespace
