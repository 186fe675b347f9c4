#include <gtest/gtest.h>

#include "system/CommaText.h"

TEST(CommaTextTest, QuotesOnlyWhatNeedsIt) {
    EXPECT_EQ(ToCommaText({"TARGETDIR", "C:\\Program Files\\App\\", "A", ""}),
              "TARGETDIR,\"C:\\Program Files\\App\\\",A,");
    EXPECT_EQ(ToCommaText({"say \"hi\"", "a,b", "tab\there"}), "\"say \"\"hi\"\"\",\"a,b\",\"tab\there\"");
    EXPECT_EQ(ToCommaText({""}), "\"\"");
    EXPECT_EQ(ToCommaText({}), "");
    EXPECT_EQ(ToCommaText({"", ""}), ",");
}

TEST(CommaTextTest, ReadingUndoesWriting) {
    const std::vector<std::vector<std::string>> lists = {
        {"TARGETDIR", "C:\\Program Files\\App\\", "A", ""},
        {"say \"hi\"", "a,b", "line\r\nbreak", ""},
        {""},
        {"", "", "x"},
        {"trailing", ""},
    };
    for (const auto& list : lists) EXPECT_EQ(FromCommaText(ToCommaText(list)), list) << ToCommaText(list);
}

TEST(CommaTextTest, ReadingRules) {
    // Blanks separate unquoted items; blanks around items are skipped.
    EXPECT_EQ(FromCommaText("  a b , c "), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(FromCommaText("a,"), (std::vector<std::string>{"a", ""}));
    EXPECT_EQ(FromCommaText(",a"), (std::vector<std::string>{"", "a"}));
    EXPECT_EQ(FromCommaText(""), std::vector<std::string>{});
    // An unterminated quote runs to the end instead of losing the item.
    EXPECT_EQ(FromCommaText("a,\"open item"), (std::vector<std::string>{"a", "open item"}));
}
