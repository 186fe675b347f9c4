// Form files against Free Pascal's Classes unit (ObjectTextToBinary,
// WriteResourceHeader, ObjectBinaryToText): the same text forms give the same
// bytes, and each side reads what the other wrote.
//
// Agreed differences of the text layout: CR LF lines; no trailing blanks
// (Pascal leaves some after "<" and "end" in collections); no padding blank
// before a positive float; an empty list is "()".
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "support/ArchiveFixtures.h"
#include "support/FormFixtures.h"
#include "support/FreePascalForms.h"

namespace {

namespace fs = std::filesystem;
using fixtures::Oracle;
using fixtures::Pascal;

std::string WithoutCarriageReturns(std::string text) {
    std::erase(text, '\r');
    return text;
}

// Pascal's text in our layout (the agreed differences above).
std::string PascalLayout(const std::string& text) {
    static const std::regex trailingBlanks(" +\n"), floatPadding(" (\\d\\.\\d{20}E)"), emptyList("\\( +\\)");
    std::string out = std::regex_replace(text, trailingBlanks, "\n");
    out = std::regex_replace(out, floatPadding, "$1");
    return std::regex_replace(out, emptyList, "()");
}

FormFile WithHeader(FormObject root) {
    FormFile form;
    form.resourceName = ResourceNameFor(root);
    form.root = std::move(root);
    return form;
}

class FormOracleTest : public ::testing::TestWithParam<std::string> {};

TEST_P(FormOracleTest, CompilesToTheBytesFreePascalWrites) {
    REQUIRE_ORACLE();
    const std::string text = fixtures::TestFormText(GetParam());
    const std::string pascal = Pascal("tobin", text);
    EXPECT_EQ(WriteBinaryForm(WithHeader(ReadTextForm(text))), pascal);
}

TEST_P(FormOracleTest, PrintsFreePascalsBinaryAsFreePascalDoes) {
    REQUIRE_ORACLE();
    const std::string pascalBinary = Pascal("tobin", fixtures::TestFormText(GetParam()));
    const FormFile form = ReadBinaryForm(pascalBinary);
    EXPECT_EQ(form.resourceName, ResourceNameFor(form.root));
    EXPECT_EQ(WithoutCarriageReturns(WriteTextForm(form.root)), PascalLayout(Pascal("totext", pascalBinary)));
}

TEST_P(FormOracleTest, FreePascalReadsOurTextAsTheSameForm) {
    REQUIRE_ORACLE();
    const std::string pascalBinary = Pascal("tobin", fixtures::TestFormText(GetParam()));
    const std::string ourText = WriteTextForm(ReadBinaryForm(pascalBinary).root);
    EXPECT_EQ(Pascal("tobin", ourText), pascalBinary);
}

INSTANTIATE_TEST_SUITE_P(TestForms, FormOracleTest, ::testing::ValuesIn(fixtures::TestFormNames()));

// Encodings the text form does not choose (64-bit and long-string encodings
// of small values, UTF-8 texts, single-byte texts with high bytes) and a
// child position of a plain object, printed by both from our binary, with
// and without the resource header. (Order values of collection items are left
// out: Free Pascal's printer takes them in place of the item's list marker,
// its reader rejects them; we keep the layout order value, then list.)
TEST(FormOracle, FreePascalPrintsOurBinaryOnlyEncodingsAsWeDo) {
    REQUIRE_ORACLE();
    FormObject root = ReadTextForm(
        "object Dialog: TDialog\n"
        "  object Label1: TLabel [3]\n  end\n"
        "end\n");
    FormValue wideInteger = FormValue::Integer(5);
    wideInteger.type = FormValueType::Int64;
    root.Set("Small64", wideInteger);
    FormValue shortLong = FormValue::Text("short");
    shortLong.type = FormValueType::LongString;
    root.Set("ShortLong", shortLong);
    FormValue utf8 = FormValue::Of(FormValueType::Utf8String);
    utf8.bytes = "Gr\xC3\xBC\xC3\x9F" "e \xE2\x82\xAC";
    root.Set("Utf8", utf8);
    root.Set("Latin", FormValue::Text("caf\xE9 \x80"));
    root.Set("Longest", FormValue::Text(std::string(255, 'z')));

    const std::string ours = WithoutCarriageReturns(WriteTextForm(root));
    EXPECT_EQ(PascalLayout(Pascal("totext", WriteBinaryForm(WithHeader(root)))), ours);
    EXPECT_EQ(PascalLayout(Pascal("totext", WriteBinaryForm(FormFile{std::nullopt, root}))), ours);
}

// orvanta form writes what Free Pascal writes and prints it back.
TEST(FormOracle, OrvantaFormVerbMatchesFreePascal) {
    REQUIRE_ORACLE();
    TempDir dir;
    const std::string text = fixtures::TestFormText("welcome");
    const std::string source = dir.write("welcome.txt", text), compiled = dir.file("welcome.dfm");
    const char* buildDir = std::getenv("ORVANTA_BUILD_DIR");
    const std::string orvanta = fixtures::Quote(std::string(buildDir ? buildDir : ".") + "/orvanta");
    ASSERT_EQ(fixtures::Run(orvanta + " form " + source + " -o " + compiled), 0);
    EXPECT_EQ(ReadWholeFile(compiled), Pascal("tobin", text));
    ASSERT_EQ(fixtures::Run(orvanta + " form --text " + compiled + " >" + dir.file("printed.txt")), 0);
    EXPECT_EQ(WithoutCarriageReturns(ReadWholeFile(dir.file("printed.txt"))),
              PascalLayout(Pascal("totext", ReadWholeFile(compiled))));
}

}  // namespace
