// The form-file reader on its own: malformed files and texts, the encodings
// only the binary form or only our text syntax has, and the typed and
// textual property access the dialogs use.
#include <gtest/gtest.h>

#include <cmath>

#include "support/FormFixtures.h"

namespace {

std::string Short(const std::string& s) { return std::string(1, static_cast<char>(s.size())) + s; }

// A form stream "TPF0", object F: TForm, then body (properties, children, ends).
std::string Stream(const std::string& body) { return "TPF0" + Short("TForm") + Short("F") + body; }

std::string Le32(uint32_t v) {
    return {char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
}

std::string ErrorOf(void (*read)(const std::string&), const std::string& input) {
    try {
        read(input);
    } catch (const FormError& e) {
        return e.what();
    }
    return "no error";
}

void ReadBinary(const std::string& bytes) { ReadBinaryForm(bytes); }
void ReadText(const std::string& text) { ReadTextForm(text); }

TEST(FormBinary, MalformedFilesNameTheFaultAndItsOffset) {
    const std::string header = std::string("\xFF\x0A\x00", 3) + "TFORM" + std::string("\0\x30\x10", 3);
    const struct {
        std::string bytes, error;
    } cases[] = {
        {"", "offset 0: the form data ends too early"},
        {"TPF1" + Short("TForm") + Short("F") + "\0\0", "offset 0: the form stream does not start with TPF0"},
        {std::string("\xFF\x0B\x00", 3) + "X" + std::string(1, '\0'), "offset 1: the resource type is not RCDATA (10)"},
        {std::string("\xFF\x0A\x00", 3) + "TFORM", "offset 8: the form data ends too early"},
        {header + Le32(100) + Stream(std::string(2, '\0')), "offset 11: the resource size 100 exceeds the 14 bytes"},
        {header + Le32(8) + Stream(std::string(2, '\0')), "offset 20: class name of 5 bytes runs past the end of the form data"},
        {Stream(Short("Tag") + "\x2A"), "offset 16: unknown value type 42"},
        {Stream(Short("Text") + "\x0C" + Le32(0xFFFFFFF0) + "abc"),
         "offset 18: a string of 4294967280 bytes is longer than the 3 bytes that follow"},
        {Stream(Short("Text") + "\x12" + Le32(0x80000000) + "ab"),
         "offset 18: a wide string of 2147483648 characters is longer than the 2 bytes that follow"},
        {Stream(Short("Data") + "\x0A" + Le32(5) + "abc"), "binary data of 5 bytes is longer than the 3 bytes"},
        {Stream(Short("Caption") + "\x06\xC8" + "abc"), "offset 22: a string of 200 bytes runs past the end"},
        {Stream(Short("Anchors") + "\x0B" + Short("akLeft")), "offset 28: the form data ends too early"},
        {Stream(std::string(1, '\0') + "\xF8" + Short("TButton") + Short("B") + std::string(3, '\0')),
         "offset 13: unknown object flags 8"},
        {Stream(std::string(1, '\0') + "\xF2\x06\x01x" + Short("TButton") + Short("B") + std::string(3, '\0')),
         "offset 14: the child position is not an integer"},
        {Stream(std::string(1, '\0') + "\xF1" + Short("") + Short("B") + std::string(3, '\0')),
         "offset 13: an object without a class name"},
        {Stream(Short("Panels") + "\x0E\x06\x01x" + std::string(3, '\0')),
         "offset 20: a collection item does not start with its property list"},
        {Stream(Short("Tag") + "\x02\x01"), "offset 18: the form data ends too early"},
    };
    for (const auto& c : cases) EXPECT_NE(ErrorOf(ReadBinary, c.bytes).find(c.error), std::string::npos) << ErrorOf(ReadBinary, c.bytes);
}

// Every cut of a real form file fails with a FormError; every changed byte
// either reads or fails with one, and what reads writes back unchanged.
TEST(FormBinary, CutsAndChangedBytesFailCleanly) {
    const std::string good = fixtures::CompiledTestForm("welcome");
    for (size_t size = 0; size < good.size(); ++size)
        EXPECT_THROW(ReadBinaryForm(good.substr(0, size)), FormError) << "cut at " << size;
    for (size_t at = 0; at < good.size(); ++at) {
        for (unsigned char change : {0x01, 0x80, 0xFF}) {
            std::string bad = good;
            bad[at] = static_cast<char>(bad[at] ^ change);
            try {
                const FormFile form = ReadBinaryForm(bad);
                const std::string written = WriteBinaryForm(form);
                EXPECT_EQ(ReadBinaryForm(written), form) << "byte " << at;
            } catch (const FormError&) {
            }
        }
    }
}

TEST(FormNesting, BothReadersStopAtTheSameDepth) {
    // The root object is one level, each list one more.
    const auto binaryLists = [](int lists) {
        return Stream(Short("L") + std::string(lists, '\x01') + std::string(lists + 2, '\0'));
    };
    EXPECT_NO_THROW(ReadBinaryForm(binaryLists(kFormMaxNesting - 1)));
    EXPECT_NE(ErrorOf(ReadBinary, binaryLists(kFormMaxNesting)).find("offset 77: objects, lists and collections nested deeper than 64 levels"),
              std::string::npos);

    const auto textLists = [](int lists) {
        return "object F: TForm\n  L = " + std::string(lists, '(') + std::string(lists, ')') + "\nend\n";
    };
    const FormObject deepest = ReadTextForm(textLists(kFormMaxNesting - 1));
    EXPECT_EQ(ReadBinaryForm(WriteBinaryForm(FormFile{std::nullopt, deepest})).root, deepest);
    EXPECT_NE(ErrorOf(ReadText, textLists(kFormMaxNesting)).find("line 2, column 70: objects, lists and collections nested"),
              std::string::npos);
    // Far beyond the cap: an error, not a stack overflow.
    EXPECT_THROW(ReadTextForm(textLists(1000000)), FormError);
    EXPECT_THROW(ReadBinaryForm(binaryLists(1000000)), FormError);
}

// Encodings a text form never produces survive reading and writing byte for byte.
TEST(FormBinary, KeepsEveryEncodingByteForByte) {
    const std::string longClass(240, 'T');
    const std::string stream =
        Stream(Short("Null") + std::string(1, '\0') +                               //
               Short("Small64") + "\x13" + std::string("\x05\0\0\0\0\0\0\0", 8) +   //
               Short("Wide16") + "\x03\x05" + std::string(1, '\0') +                // 5 in 16 bits
               Short("ShortLong") + "\x0C" + Le32(2) + "ab" +                       //
               Short("Utf8") + "\x14" + Le32(3) + "a\xC3\xA9" +                    //
               Short("Single") + "\x0F" + std::string("\0\0\xC0\x3F", 4) +         // 1.5
               Short("Currency") + "\x10" + std::string("\x98\x3A\0\0\0\0\0\0", 8) +  // 1.5
               Short("Date") + "\x11" + std::string("\0\0\0\0\0\0\xF8\x3F", 8) +   // 1.5
               Short("Odd") + "\x05" + std::string("\0\0\0\0\0\0\0\0\xFF\x7F", 10) +  // an unnormal
               Short("Panels") + "\x0E" + "\x02\x07\x01" + Short("Width") + "\x02\x32" + std::string(1, '\0') +
               "\x03\x2C\x01\x01" + std::string(1, '\0') + "\x04" + Le32(70000) + "\x01" + std::string(2, '\0') +
               std::string(1, '\0') +                                               // end of properties
               "\xF6\x04" + Le32(1) + Short("TFrame1") + Short("Inline1") + std::string(2, '\0') +
               "\xF0" + Short(longClass) + Short("Long") + std::string(2, '\0') + std::string(1, '\0'));
    const FormFile form = ReadBinaryForm(stream);
    EXPECT_EQ(WriteBinaryForm(form), stream);
    ASSERT_EQ(form.root.children.size(), 2u);
    EXPECT_TRUE(form.root.children[0].isInline);
    EXPECT_EQ(form.root.children[0].childPosition->type, FormValueType::Int32);
    EXPECT_EQ(form.root.children[1].className, longClass);
    EXPECT_EQ(form.root.Find("Panels")->items[2].order->integer, 70000);
    EXPECT_DOUBLE_EQ(form.root.Find("Currency")->AsDouble(), 1.5);
    EXPECT_DOUBLE_EQ(form.root.Find("Date")->AsDouble(), 1.5);
    EXPECT_DOUBLE_EQ(form.root.Find("Single")->AsDouble(), 1.5);
    EXPECT_EQ(form.root.Text("Utf8"), "a\xE9");
    EXPECT_EQ(form.root.Integer("Small64"), 5);
}

TEST(FormBinary, RefusesToWriteWhatCannotBeRead) {
    const auto writeWith = [](const std::string& property, const FormValue& value) {
        FormFile form;
        form.root.className = "TForm";
        form.root.Set(property, value);
        return WriteBinaryForm(form);
    };
    EXPECT_THROW(writeWith(std::string(256, 'P'), FormValue::Integer(1)), FormError);
    FormValue tooLong = FormValue::Text(std::string(300, 'x'));
    tooLong.type = FormValueType::String;
    EXPECT_THROW(writeWith("S", tooLong), FormError);
    EXPECT_THROW(writeWith("L", FormValue::ListOf({FormValue::Of(FormValueType::Null)})), FormError);
    FormValue wide8 = FormValue::Integer(300);
    wide8.type = FormValueType::Int8;
    EXPECT_THROW(writeWith("I", wide8), FormError);
}

// The suffixes and keywords only our text syntax has, read, printed and
// carried through the binary form.
TEST(FormText, SinglesCurrencyDatesNullAndOrderValues) {
    const std::string text =
        "object F: TForm\r\n"
        "  Ratio = 1.5s\r\n"
        "  Price = -12.3456c\r\n"
        "  Most = 922337203685477.5807c\r\n"
        "  When = 45000.25d\r\n"
        "  Nothing = Null\r\n"
        "  Letter = #$41\r\n"
        "  Columns = <\r\n"
        "    item[3]\r\n"
        "      Width = 10\r\n"
        "    end\r\n"
        "    item[-40000]\r\n"
        "    end>\r\n"
        "end\r\n";
    const FormObject root = ReadTextForm(text);
    EXPECT_EQ(root.Find("Ratio")->type, FormValueType::Single);
    EXPECT_EQ(root.Find("Price")->integer, -123456);
    EXPECT_EQ(root.Find("Most")->integer, INT64_MAX);
    EXPECT_DOUBLE_EQ(root.Find("When")->AsDouble(), 45000.25);
    EXPECT_EQ(root.Find("Nothing")->type, FormValueType::Null);
    EXPECT_EQ(root.Text("Letter"), "A");
    EXPECT_EQ(root.Find("Columns")->items[1].order->type, FormValueType::Int32);

    EXPECT_EQ(WriteTextForm(root), std::string(text).replace(text.find("#$41"), 4, "'A'"));
    EXPECT_EQ(ReadBinaryForm(WriteBinaryForm(FormFile{std::nullopt, root})).root, root);
}

TEST(FormText, ErrorsNameTheLineAndColumn) {
    const auto form = [](const std::string& body) { return "object F: TForm\n" + body + "end\n"; };
    const struct {
        std::string text, error;
    } cases[] = {
        {"", "line 1, column 1: expected 'object', 'inherited' or 'inline', found the end of the text"},
        {form("  A = 'abc\n"), "line 2, column 7: the string does not end on its line"},
        {form("  A = 1\n  object B: TX\n  end\n  C = 2\n"), "line 5, column 3: expected 'end' or a child object"},
        {form("  A = [a b]\n"), "line 2, column 10: expected ','"},
        {form("  A = #70000\n"), "line 2, column 7: a character code must be a number from 0 to 65535"},
        {form("  A = 99999999999999999999\n"), "line 2, column 7: 99999999999999999999 does not fit a 64-bit integer"},
        {form("  A = {0G}\n"), "line 2, column 9: binary data holds 'G', not a hex digit"},
        {form("  A = {012}\n"), "binary data has an odd number of hex digits"},
        {form("  A = 1.5e\n"), "1.5e is not a valid number"},
        {form("  A = 12abc\n"), "a number runs into other characters"},
        {form("  A = 'a' + 1\n"), "line 2, column 13: a string must follow '+'"},
        {form("  A = (1 Null)\n"), "line 2, column 10: a list cannot hold Null"},
        {form("  A = <item [3000000000] end>\n"), "the item's order must be a 32-bit integer"},
        {form("  A = 99999999999999999.5c\n"), "is outside the currency range"},
        {form("  A = )\n"), "line 2, column 7: ')' does not start a value"},
        {form("  A = -x\n"), "line 2, column 7: '-' is not expected here"},
        {form("  A = 1\x01\n"), "line 2, column 8: byte 1 is not expected here"},
        {"object F: TForm\nend\nobject G: TForm\nend\n", "line 3, column 1: text after the end of the form"},
        {"object F: TForm\n  A = 1\n", "line 3, column 1: expected a property name, found the end of the text"},
    };
    for (const auto& c : cases)
        EXPECT_NE(ErrorOf(ReadText, c.text).find(c.error), std::string::npos) << ErrorOf(ReadText, c.text);
}

// A binary form may hold names the text syntax cannot say; printing them
// would change the form's meaning, so the text writer refuses.
TEST(FormText, RefusesNamesItCannotHold) {
    const auto printed = [](const std::string& body) {
        try {
            return WriteTextForm(ReadBinaryForm(Stream(body)).root);
        } catch (const FormError& e) {
            return std::string(e.what());
        }
    };
    EXPECT_EQ(printed(Short("Font.Name") + "\x07" + Short("x.y") + std::string(2, '\0')),
              "object F: TForm\r\n  Font.Name = x.y\r\nend\r\n");
    EXPECT_EQ(printed(Short("a b") + "\x02\x01" + std::string(2, '\0')),
              "the property name 'a b' is not a name the text form can hold");
    EXPECT_EQ(printed(Short("A") + "\x01\x07" + Short("") + std::string(3, '\0')),
              "the identifier '' is not a name the text form can hold");
    EXPECT_EQ(printed(Short("S") + "\x0B" + Short("1st") + std::string(3, '\0')),
              "the set element '1st' is not a name the text form can hold");
}

TEST(FormObject, TypedReadsOfTheWelcomeDialog) {
    const FormFile form = ReadBinaryForm(fixtures::CompiledTestForm("welcome"));
    EXPECT_EQ(form.resourceName, "TWELCOMEDIALOG");
    const FormObject& dialog = form.root;
    EXPECT_EQ(dialog.Text("caption"), "Welcome to the $TITLE$ Setup");
    EXPECT_EQ(dialog.Identifier("Position"), "poScreenCenter");
    EXPECT_EQ(dialog.Find("BorderIcons")->names, (std::vector<std::string>{"biSystemMenu", "biMinimize"}));

    const FormObject* next = dialog.FindObject("nextbutton");
    ASSERT_NE(next, nullptr);
    EXPECT_EQ(next->Integer("Tag"), 1);
    EXPECT_TRUE(next->Bool("Default"));
    EXPECT_TRUE(next->Bool("Enabled", true)) << "not stored: the class default";
    EXPECT_EQ(next->Text("Hint"), "");
    try {
        next->Integer("Caption");
        ADD_FAILURE() << "a text read as an integer";
    } catch (const FormError& e) {
        EXPECT_STREQ(e.what(), "NextButton.Caption: the value is a string, not an integer");
    }

    // ANSI views of wide items: Windows-1252 on the host, "_" for what it lacks.
    EXPECT_EQ(dialog.FindObject("Languages")->Strings("Items.Strings"),
              (std::vector<std::string>{"English", "Fran\xE7" "ais", "Deutsch", "_______"}));
    const std::vector<std::string> lines = dialog.FindObject("Licence")->Strings("Lines.Strings");
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_GT(lines[2].size(), 255u);
    EXPECT_EQ(lines[3], "It's provided \"as is\".");
    EXPECT_EQ(dialog.FindObject("Intro")->Text("Caption").find("\r\nClick Next"), 45u);
    EXPECT_EQ(dialog.FindObject("Logo")->Binary("Picture.Data").substr(0, 10), "\x07TBitmapBM");
    EXPECT_EQ(dialog.FindObject("Status")->Find("Panels")->items[1].properties[1].value.AsText(), "Ready");
}

TEST(FormObject, PublishedPropertiesAsText) {
    FormObject dialog = ReadBinaryForm(fixtures::CompiledTestForm("welcome")).root;
    FormObject& next = *dialog.FindObject("NextButton");
    EXPECT_EQ(next.PropertyText("Default"), "True");
    EXPECT_EQ(next.PropertyText("Tag"), "1");
    EXPECT_EQ(next.PropertyText("Caption"), "&Next >");
    EXPECT_EQ(next.PropertyText("Enabled"), std::nullopt);
    EXPECT_EQ(dialog.PropertyText("Position"), "poScreenCenter");
    EXPECT_EQ(dialog.PropertyText("BorderIcons"), "[biSystemMenu,biMinimize]");
    EXPECT_THROW(dialog.FindObject("Licence")->PropertyText("Lines.Strings"), FormError);

    next.SetPropertyText("default", "false");
    EXPECT_EQ(next.PropertyText("Default"), "False");
    next.SetPropertyText("Tag", "70000");
    EXPECT_EQ(next.Find("Tag")->type, FormValueType::Int32);
    EXPECT_THROW(next.SetPropertyText("Tag", "7a"), FormError);
    EXPECT_THROW(next.SetPropertyText("Default", "yes"), FormError);
    EXPECT_EQ(next.Integer("Tag"), 70000) << "a failed write changes nothing";
    next.SetPropertyText("Enabled", "False");
    next.SetPropertyText("Width", "80");
    next.SetPropertyText("Hint", "NEXT");
    EXPECT_EQ(next.Find("Enabled")->type, FormValueType::False);
    EXPECT_EQ(next.Integer("Width"), 80);
    EXPECT_EQ(next.Text("Hint"), "NEXT");

    FormObject& languages = *dialog.FindObject("Languages");
    languages.Set("items.strings", FormValue::StringList({"Nederlands", "Espa\xF1ol"}));
    EXPECT_EQ(languages.Strings("Items.Strings"), (std::vector<std::string>{"Nederlands", "Espa\xF1ol"}));
    EXPECT_TRUE(languages.Remove("Hint"));
    EXPECT_FALSE(languages.Remove("Hint"));
    EXPECT_EQ(languages.PropertyText("Hint"), std::nullopt);

    dialog.SetPropertyText("Position", "poDesigned");
    EXPECT_THROW(dialog.SetPropertyText("Position", "po Designed"), FormError);
    dialog.SetPropertyText("BorderIcons", "[ biHelp , biSystemMenu ]");
    EXPECT_EQ(dialog.Find("BorderIcons")->names, (std::vector<std::string>{"biHelp", "biSystemMenu"}));
    dialog.SetPropertyText("Font.Style", "[]");
    EXPECT_EQ(dialog.PropertyText("Font.Style"), "[]");

    FormObject values;
    values.Set("Wide", FormValue::Wide(u"x"));
    values.SetPropertyText("Wide", "\x80 caf\xE9");
    EXPECT_EQ(values.Find("Wide")->wide, u"\u20AC caf\u00E9");
    values.Set("Ratio", FormValue::Float(0.1L));
    EXPECT_EQ(values.PropertyText("Ratio"), "0.1");
    values.SetPropertyText("Ratio", "2.5E10");
    EXPECT_EQ(values.PropertyText("Ratio"), "25000000000");
    values.Set("Price", ReadTextForm("object F: T\n  P = 1.5c\nend\n").properties[0].value);
    values.SetPropertyText("Price", "-0.0001");
    EXPECT_EQ(values.Find("Price")->integer, -1);

    // The changed form still writes and reads back.
    EXPECT_EQ(*ReadTextForm(WriteTextForm(dialog)).FindObject("NextButton"), next);
}

TEST(FormValue, UnicodeTextsAndExtendedFloats) {
    FormValue utf8 = FormValue::Of(FormValueType::Utf8String);
    utf8.bytes = "Gr\xC3\xBC\xC3\x9F" "e \xF0\x9F\x98\x80 \xFF \xE0\x80\xAF";
    EXPECT_EQ(utf8.AsUtf16(), u"Gr\u00FC\u00DFe \U0001F600 \uFFFD \uFFFD\uFFFD\uFFFD");
    EXPECT_EQ(utf8.AsText(), "Gr\xFC\xDF" "e _ _ ___");
    EXPECT_EQ(FormValue::Wide(u"\u20AC 5").AsText(), "\x80 5");

    const Extended80 tenth = FormValue::Float(0.1L).extended;
    EXPECT_EQ(tenth.bytes, (std::array<uint8_t, 10>{0xCD, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xFB, 0x3F}));
    EXPECT_DOUBLE_EQ(tenth.ToDouble(), 0.1);
    const FormObject values = ReadTextForm(fixtures::TestFormText("values"));
    EXPECT_TRUE(std::isinf(values.Find("Huge")->AsDouble()));
    EXPECT_EQ(values.Find("Tiny")->extended.bytes, (std::array<uint8_t, 10>{1}));
    for (const char* name : {"Tiny", "Small", "Huge", "Exact"}) {
        const Extended80& stored = values.Find(name)->extended;
        EXPECT_EQ(Extended80::FromLongDouble(stored.ToLongDouble()), stored) << name;
    }
}

}  // namespace
