#include <gtest/gtest.h>

#include "script/ParameterFile.h"

namespace {

TEST(ParameterFileTest, EveryTextComesBackWhole) {
    const std::vector<std::string> texts = {
        "APATH",  "C:\\Program Files\\App\\",
        "ALF",    "one\ntwo",                 // a lone LF
        "ACR",    "one\rtwo\r",               // lone CRs
        "ABOTH",  "a$NEWLINE$b\r\n",          // a CR LF pair left in a value
        "AMARK",  "$hex$414243",              // a text that looks encoded
        "AEMPTY", "",
        "ABYTES", std::string("\0\x01\xff", 3),
    };
    const std::string file = EncodeParameterFile(texts);
    EXPECT_EQ(DecodeParameterFile(file), texts);
    // Plain texts stay readable, one per line.
    EXPECT_EQ(file.substr(0, 30), "APATH\r\nC:\\Program Files\\App\\\r\n");
    EXPECT_NE(file.find("\r\nALF\r\n$hex$6F6E650A74776F\r\n"), std::string::npos);
}

TEST(ParameterFileTest, FilesOfEarlierSetupsReadAsLineLists) {
    EXPECT_EQ(DecodeParameterFile("AX\r\nTRUE\r\nPX_1\r\nC:\\A\\\r\n"),
              (std::vector<std::string>{"AX", "TRUE", "PX_1", "C:\\A\\"}));
    // A marked line that is no hexadecimal is kept as it stands.
    EXPECT_EQ(DecodeParameterFile("$hex$XYZ1\r\n$hex$123\r\n"), (std::vector<std::string>{"$hex$XYZ1", "$hex$123"}));
}

}  // namespace
