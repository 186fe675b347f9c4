// Property values: the factories and the typed reads.
#include <cstring>

#include "dialogs/FormFile.h"
#include "keb/AnsiText.h"

namespace {

[[noreturn]] void WrongKind(const FormValue& value, const char* wanted) {
    throw FormError(std::string("the value is ") + FormValueTypeName(value.type) + ", not " + wanted);
}

// UTF-8 as stored by other tools; a byte that starts no valid sequence
// becomes U+FFFD, characters beyond the BMP become surrogate pairs.
std::u16string Utf8ToUtf16(const std::string& bytes) {
    std::u16string out;
    out.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size();) {
        const unsigned char lead = bytes[i];
        const int extra = lead < 0x80 ? 0 : lead >= 0xC2 && lead < 0xE0 ? 1 : lead >= 0xE0 && lead < 0xF0 ? 2
                                        : lead >= 0xF0 && lead < 0xF5 ? 3 : -1;
        char32_t code = extra == 0 ? lead : extra == 1 ? lead & 0x1F : extra == 2 ? lead & 0x0F : lead & 0x07;
        bool valid = extra >= 0 && i + extra < bytes.size();
        for (int k = 1; valid && k <= extra; ++k) {
            const unsigned char next = bytes[i + k];
            valid = (next & 0xC0) == 0x80;
            code = code << 6 | (next & 0x3F);
        }
        // Overlong forms, surrogates and codes beyond U+10FFFF are not characters.
        static constexpr char32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
        if (valid && (code < kSmallest[extra] || (code >= 0xD800 && code < 0xE000) || code > 0x10FFFF)) valid = false;
        if (!valid) {
            out += u'\uFFFD';
            ++i;
            continue;
        }
        if (code >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(code);
        }
        i += extra + 1;
    }
    return out;
}

FormValue WithBytes(FormValueType type, std::string bytes) {
    FormValue v = FormValue::Of(type);
    v.bytes = std::move(bytes);
    return v;
}

}  // namespace

const char* FormValueTypeName(FormValueType type) {
    switch (type) {
        case FormValueType::Null: return "null";
        case FormValueType::List: return "a list";
        case FormValueType::Int8:
        case FormValueType::Int16:
        case FormValueType::Int32:
        case FormValueType::Int64: return "an integer";
        case FormValueType::Extended: return "an extended float";
        case FormValueType::String:
        case FormValueType::LongString: return "a string";
        case FormValueType::Identifier: return "an identifier";
        case FormValueType::False:
        case FormValueType::True: return "a boolean";
        case FormValueType::Binary: return "binary data";
        case FormValueType::Set: return "a set";
        case FormValueType::Nil: return "nil";
        case FormValueType::Collection: return "a collection";
        case FormValueType::Single: return "a single float";
        case FormValueType::Currency: return "a currency amount";
        case FormValueType::Date: return "a date";
        case FormValueType::WideString: return "a wide string";
        case FormValueType::Utf8String: return "a UTF-8 string";
    }
    return "an unknown value";
}

FormValue FormValue::Integer(int64_t value) {
    FormValue v;
    v.type = value >= INT8_MIN && value <= INT8_MAX     ? FormValueType::Int8
             : value >= INT16_MIN && value <= INT16_MAX ? FormValueType::Int16
             : value >= INT32_MIN && value <= INT32_MAX ? FormValueType::Int32
                                                        : FormValueType::Int64;
    v.integer = value;
    return v;
}

FormValue FormValue::Bool(bool value) { return Of(value ? FormValueType::True : FormValueType::False); }

FormValue FormValue::Text(std::string ansi) {
    const FormValueType type = ansi.size() > 255 ? FormValueType::LongString : FormValueType::String;
    return WithBytes(type, std::move(ansi));
}

FormValue FormValue::Wide(std::u16string text) {
    FormValue v = Of(FormValueType::WideString);
    v.wide = std::move(text);
    return v;
}

FormValue FormValue::Ident(std::string name) { return WithBytes(FormValueType::Identifier, std::move(name)); }

FormValue FormValue::Data(std::string data) { return WithBytes(FormValueType::Binary, std::move(data)); }

FormValue FormValue::SetOf(std::vector<std::string> names) {
    FormValue v = Of(FormValueType::Set);
    v.names = std::move(names);
    return v;
}

FormValue FormValue::ListOf(std::vector<FormValue> values) {
    FormValue v = Of(FormValueType::List);
    v.list = std::move(values);
    return v;
}

FormValue FormValue::StringList(const std::vector<std::string>& ansiItems) {
    FormValue v = Of(FormValueType::List);
    for (const auto& item : ansiItems) v.list.push_back(Text(item));
    return v;
}

FormValue FormValue::Float(long double value) {
    FormValue v = Of(FormValueType::Extended);
    v.extended = Extended80::FromLongDouble(value);
    return v;
}

FormValue FormValue::Of(FormValueType type) {
    FormValue v;
    v.type = type;
    return v;
}

bool FormValue::IsInteger() const {
    return type == FormValueType::Int8 || type == FormValueType::Int16 || type == FormValueType::Int32 ||
           type == FormValueType::Int64;
}

bool FormValue::IsText() const {
    return type == FormValueType::String || type == FormValueType::LongString || type == FormValueType::WideString ||
           type == FormValueType::Utf8String;
}

int64_t FormValue::AsInteger() const {
    if (!IsInteger()) WrongKind(*this, "an integer");
    return integer;
}

bool FormValue::AsBool() const {
    if (type != FormValueType::False && type != FormValueType::True) WrongKind(*this, "a boolean");
    return type == FormValueType::True;
}

std::string FormValue::AsText() const {
    switch (type) {
        case FormValueType::String:
        case FormValueType::LongString: return bytes;
        case FormValueType::WideString:
        case FormValueType::Utf8String: return keb::Utf16ToAnsi(AsUtf16());
        default: WrongKind(*this, "a text");
    }
}

std::u16string FormValue::AsUtf16() const {
    switch (type) {
        case FormValueType::String:
        case FormValueType::LongString: {
            std::u16string codes;
            for (unsigned char c : bytes) codes += char16_t(c);
            return codes;
        }
        case FormValueType::WideString: return wide;
        case FormValueType::Utf8String: return Utf8ToUtf16(bytes);
        default: WrongKind(*this, "a text");
    }
}

const std::string& FormValue::AsIdentifier() const {
    if (type != FormValueType::Identifier) WrongKind(*this, "an identifier");
    return bytes;
}

const std::string& FormValue::AsBinary() const {
    if (type != FormValueType::Binary) WrongKind(*this, "binary data");
    return bytes;
}

double FormValue::AsDouble() const {
    switch (type) {
        case FormValueType::Extended: return extended.ToDouble();
        case FormValueType::Single: {
            const uint32_t bits = static_cast<uint32_t>(floatBits);
            float value;
            std::memcpy(&value, &bits, sizeof value);
            return value;
        }
        case FormValueType::Date: {
            double value;
            std::memcpy(&value, &floatBits, sizeof value);
            return value;
        }
        case FormValueType::Currency: return static_cast<double>(integer) / 10000;
        default:
            if (IsInteger()) return static_cast<double>(integer);
            WrongKind(*this, "a number");
    }
}

std::vector<std::string> FormValue::AsStringList() const {
    if (type != FormValueType::List) WrongKind(*this, "a list of texts");
    std::vector<std::string> texts;
    for (const auto& item : list) {
        if (!item.IsText()) WrongKind(item, "a text");
        texts.push_back(item.AsText());
    }
    return texts;
}
