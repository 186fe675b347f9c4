#include "tools/authoring/AnsiText.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <memory>

#include "system/TextUtils.h"

namespace {

struct LanguagePage {
    const char* language;
    int codePage;
};
const LanguagePage kCodePages[] = {
    {"Czech", 1250},     {"Polish", 1250},        {"Slovak", 1250},          {"Hungarian", 1250},
    {"Slovenian", 1250}, {"Croatian", 1250},      {"Romanian", 1250},        {"Russian", 1251},
    {"Greek", 1253},     {"Turkish", 1254},       {"Hebrew", 1255},          {"Arabic", 1256},
    {"Estonian", 1257},  {"Latvian", 1257},       {"Lithuanian", 1257},      {"Vietnamese", 1258},
    {"Thai", 874},       {"Japanese", 932},       {"Chinese (PRC)", 936},    {"Korean", 949},
    {"Chinese (Taiwan)", 950},
};

// The length of a UTF-8 sequence by its first byte; 0 for a byte no sequence starts with.
size_t SequenceLength(unsigned char c) {
    return c < 0x80 ? 1 : c < 0xC2 ? 0 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : c < 0xF5 ? 4 : 0;
}

// The code point of the UTF-8 sequence at the text's start, for messages.
unsigned CodePointAt(const char* text, size_t left) {
    const auto c = static_cast<unsigned char>(text[0]);
    const size_t length = SequenceLength(c);
    if (length <= 1 || length > left) return c;
    unsigned code = c & (0x7F >> length);
    for (size_t k = 1; k < length; ++k) code = (code << 6) | (static_cast<unsigned char>(text[k]) & 0x3F);
    return code;
}

using Converter = std::unique_ptr<std::remove_pointer_t<iconv_t>, int (*)(iconv_t)>;

}  // namespace

int LanguageCodePage(const std::string& language) {
    for (const LanguagePage& page : kCodePages)
        if (SameText(page.language, language)) return page.codePage;
    return 1252;
}

std::string AnsiFromUtf8(const std::string& text, int codePage) {
    const std::string target = "CP" + std::to_string(codePage);
    const Converter converter(iconv_open(target.c_str(), "UTF-8"), iconv_close);
    if (converter.get() == reinterpret_cast<iconv_t>(-1))
        throw std::runtime_error("the code page " + std::to_string(codePage) + " is not known on this system");
    std::string out(text.size(), '\0');  // a code page never needs more bytes than UTF-8
    char* in = const_cast<char*>(text.data());
    size_t inLeft = text.size();
    char* to = out.data();
    size_t toLeft = out.size();
    if (iconv(converter.get(), &in, &inLeft, &to, &toLeft) == static_cast<size_t>(-1)) {
        const int line = 1 + static_cast<int>(std::count(text.data(), static_cast<const char*>(in), '\n'));
        if (errno != EILSEQ || !IsUtf8(text)) throw UnencodableText(line, "the text is not UTF-8");
        char code[16];
        std::snprintf(code, sizeof code, "U+%04X", CodePointAt(in, inLeft));
        const size_t length = std::min(inLeft, SequenceLength(static_cast<unsigned char>(*in)));
        throw UnencodableText(line, "'" + std::string(in, length) + "' (" + code + ") is not in code page " +
                                        std::to_string(codePage));
    }
    out.resize(out.size() - toLeft);
    return out;
}

bool IsUtf8(const std::string& text) {
    for (size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        const size_t length = SequenceLength(c);
        if (length == 0 || i + length > text.size()) return false;
        for (size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
        i += length;
    }
    return true;
}
