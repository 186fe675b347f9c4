// Published properties read and written as text, the way a property
// inspector shows them: what the dialog rules compare and assign.
#include <cctype>
#include <cstring>

#include "dialogs/FormFile.h"
#include "dialogs/FormNumbers.h"
#include "keb/AnsiText.h"

namespace {

bool SameLetters(const std::string& a, const char* b) {
    if (a.size() != std::strlen(b)) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

bool IsIdentifier(const std::string& text) {
    if (text.empty() || std::isdigit(static_cast<unsigned char>(text[0]))) return false;
    for (char c : text)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_') return false;
    return true;
}

std::string Trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::string SetText(const std::vector<std::string>& names) {
    std::string text = "[";
    for (size_t i = 0; i < names.size(); ++i) text += (i ? "," : "") + names[i];
    return text + "]";
}

FormValue ParseSet(const std::string& text) {
    const std::string inner = Trimmed(text);
    if (inner.size() < 2 || inner.front() != '[' || inner.back() != ']')
        throw FormError("'" + text + "' is not a set such as [a,b]");
    std::vector<std::string> names;
    const std::string list = Trimmed(inner.substr(1, inner.size() - 2));
    for (size_t start = 0; !list.empty() && start <= list.size();) {
        size_t comma = list.find(',', start);
        if (comma == std::string::npos) comma = list.size();
        std::string name = Trimmed(list.substr(start, comma - start));
        if (!IsIdentifier(name)) throw FormError("'" + text + "' is not a set such as [a,b]");
        names.push_back(std::move(name));
        start = comma + 1;
    }
    return FormValue::SetOf(std::move(names));
}

template <class Number>
Number Required(std::optional<Number> parsed, const std::string& text, const char* kind) {
    if (!parsed) throw FormError("'" + text + "' is not " + kind);
    return *parsed;
}

// The new value of a stored property from its text, keeping the stored kind.
FormValue Converted(const FormValue& stored, const std::string& text) {
    FormValue value = stored;
    switch (stored.type) {
        case FormValueType::False:
        case FormValueType::True:
            if (!SameLetters(text, "True") && !SameLetters(text, "False"))
                throw FormError("'" + text + "' is not True or False");
            return FormValue::Bool(SameLetters(text, "True"));
        case FormValueType::Int8:
        case FormValueType::Int16:
        case FormValueType::Int32:
        case FormValueType::Int64: return FormValue::Integer(Required(ParseInteger(text), text, "an integer"));
        case FormValueType::String:
        case FormValueType::LongString: return FormValue::Text(text);
        case FormValueType::WideString:
        case FormValueType::Utf8String: return FormValue::Wide(keb::AnsiToUtf16(text));
        case FormValueType::Identifier:
        case FormValueType::Nil:
            // Enumerations and component references; an empty reference is nil.
            if (text.empty()) return FormValue::Of(FormValueType::Nil);
            if (!IsIdentifier(text)) throw FormError("'" + text + "' is not an identifier");
            return FormValue::Ident(text);
        case FormValueType::Set: return ParseSet(text);
        case FormValueType::Extended: return FormValue::Float(Required(ParseFloat(text), text, "a number"));
        case FormValueType::Single: {
            const float single = static_cast<float>(Required(ParseFloat(text), text, "a number"));
            uint32_t bits;
            std::memcpy(&bits, &single, sizeof bits);
            value.floatBits = bits;
            return value;
        }
        case FormValueType::Date: {
            const double date = static_cast<double>(Required(ParseFloat(text), text, "a number"));
            std::memcpy(&value.floatBits, &date, sizeof date);
            return value;
        }
        case FormValueType::Currency: value.integer = Required(ParseCurrency(text), text, "a currency amount"); return value;
        case FormValueType::Null:
            if (!text.empty()) throw FormError("a null value has no text");
            return value;
        case FormValueType::List:
        case FormValueType::Binary:
        case FormValueType::Collection: break;
    }
    throw FormError(std::string(FormValueTypeName(stored.type)) + " has no text form");
}

// A property not stored yet: its kind from the look of the text.
FormValue Guessed(const std::string& text) {
    if (SameLetters(text, "True") || SameLetters(text, "False")) return FormValue::Bool(SameLetters(text, "True"));
    if (auto number = ParseInteger(text)) return FormValue::Integer(*number);
    return FormValue::Text(text);
}

}  // namespace

std::optional<std::string> FormObject::PropertyText(std::string_view property) const {
    const FormValue* value = Find(property);
    if (!value) return std::nullopt;
    switch (value->type) {
        case FormValueType::False: return "False";
        case FormValueType::True: return "True";
        case FormValueType::Int8:
        case FormValueType::Int16:
        case FormValueType::Int32:
        case FormValueType::Int64: return std::to_string(value->integer);
        case FormValueType::Identifier: return value->bytes;
        case FormValueType::String:
        case FormValueType::LongString:
        case FormValueType::WideString:
        case FormValueType::Utf8String: return value->AsText();
        case FormValueType::Set: return SetText(value->names);
        case FormValueType::Extended: return FloatPropertyText(value->extended.ToLongDouble());
        case FormValueType::Single:
        case FormValueType::Date: return FloatPropertyText(value->AsDouble());
        case FormValueType::Currency: return CurrencyText(value->integer);
        case FormValueType::Nil:
        case FormValueType::Null: return "";
        case FormValueType::List:
        case FormValueType::Binary:
        case FormValueType::Collection: break;
    }
    throw FormError(name + "." + std::string(property) + ": " + FormValueTypeName(value->type) + " has no text form");
}

void FormObject::SetPropertyText(std::string_view property, const std::string& text) {
    const FormValue* stored = Find(property);
    if (!stored) {
        Set(property, Guessed(text));
        return;
    }
    try {
        Set(property, Converted(*stored, text));
    } catch (const FormError& e) {
        throw FormError(name + "." + std::string(property) + ": " + e.what());
    }
}
