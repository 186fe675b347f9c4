// Writes the text form in the layout Pascal's tools print: two blanks of
// indentation per level, one property per line, list items and binary data
// on lines of their own. Floats keep every bit (21 digits for extended);
// single, currency and date floats carry their suffix s, c, d.
#include <algorithm>
#include <cctype>
#include <cmath>

#include "dialogs/FormFile.h"
#include "dialogs/FormNumbers.h"

namespace {

constexpr const char* kLineEnd = "\r\n";
constexpr size_t kBinaryBytesPerLine = 32;

bool IsIdentifier(std::string_view name) {
    if (name.empty() || !(std::isalpha(static_cast<unsigned char>(name[0])) || name[0] == '_')) return false;
    for (char c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_') return false;
    return true;
}

// A name from a binary form that the text syntax cannot say (a blank, a
// control character, empty) is refused rather than printed into another meaning.
const std::string& Checked(const std::string& name, const char* what, bool dotted = false) {
    bool valid = !name.empty();
    for (size_t start = 0; valid && start <= name.size();) {
        const size_t dot = dotted ? std::min(name.find('.', start), name.size()) : name.size();
        valid = IsIdentifier(std::string_view(name).substr(start, dot - start));
        start = dot + 1;
    }
    if (!valid) throw FormError(std::string(what) + " '" + name + "' is not a name the text form can hold");
    return name;
}

class TextWriter {
public:
    std::string Take() { return std::move(out_); }

    void Object(const FormObject& object, size_t indent) {
        Line(indent, object.inherited ? "inherited " : object.isInline ? "inline " : "object ");
        if (!object.name.empty()) out_ += Checked(object.name, "the object name") + ": ";
        out_ += Checked(object.className, "the class name");
        if (object.childPosition) out_ += "[" + std::to_string(object.childPosition->integer) + "]";
        out_ += kLineEnd;
        Properties(object.properties, indent + 2);
        for (const auto& child : object.children) Object(child, indent + 2);
        Line(indent, "end");
        out_ += kLineEnd;
    }

private:
    void Line(size_t indent, const char* text) { out_.append(indent, ' ').append(text); }

    void Properties(const std::vector<FormProperty>& properties, size_t indent) {
        for (const auto& property : properties) {
            out_.append(indent, ' ').append(Checked(property.name, "the property name", true)).append(" = ");
            Value(property.value, indent);
            out_ += kLineEnd;
        }
    }

    // A value that starts where the writer stands; lines it opens are
    // indented relative to indent.
    void Value(const FormValue& value, size_t indent) {
        switch (value.type) {
            case FormValueType::Null: out_ += "Null"; break;
            case FormValueType::Nil: out_ += "nil"; break;
            case FormValueType::False: out_ += "False"; break;
            case FormValueType::True: out_ += "True"; break;
            case FormValueType::Int8:
            case FormValueType::Int16:
            case FormValueType::Int32:
            case FormValueType::Int64: out_ += std::to_string(value.integer); break;
            case FormValueType::Extended: out_ += ExtendedText(value.extended); break;
            case FormValueType::Single: Suffixed(value, SingleText(static_cast<uint32_t>(value.floatBits)), 's'); break;
            case FormValueType::Date: Suffixed(value, DoubleText(value.floatBits), 'd'); break;
            case FormValueType::Currency: out_ += CurrencyText(value.integer) + "c"; break;
            case FormValueType::String:
            case FormValueType::LongString:
            case FormValueType::WideString:
            case FormValueType::Utf8String: String(value.AsUtf16()); break;
            case FormValueType::Identifier: out_ += Checked(value.bytes, "the identifier", true); break;
            case FormValueType::Set:
                out_ += "[";
                for (size_t i = 0; i < value.names.size(); ++i)
                    out_ += (i ? ", " : "") + Checked(value.names[i], "the set element");
                out_ += "]";
                break;
            case FormValueType::Binary: Binary(value.bytes, indent); break;
            case FormValueType::List:
                if (value.list.empty()) {
                    out_ += "()";
                    break;
                }
                out_ += "(";
                for (const auto& item : value.list) {
                    out_ += kLineEnd;
                    out_.append(indent + 2, ' ');
                    Value(item, indent + 2);
                }
                out_ += kLineEnd;
                Line(indent, ")");
                break;
            case FormValueType::Collection:
                out_ += "<";
                for (const auto& item : value.items) {
                    out_ += kLineEnd;
                    Line(indent + 2, "item");
                    if (item.order) out_ += "[" + std::to_string(item.order->integer) + "]";
                    out_ += kLineEnd;
                    Properties(item.properties, indent + 4);
                    Line(indent + 2, "end");
                }
                out_ += ">";
                break;
        }
    }

    // Non-finite floats print as Pascal prints them ("+Inf", "Nan") and take no suffix.
    void Suffixed(const FormValue& value, const std::string& number, char suffix) {
        out_ += number;
        if (std::isfinite(value.AsDouble())) out_ += suffix;
    }

    // Printable ASCII in quotes, every other character as #code.
    void String(const std::u16string& units) {
        if (units.empty()) {
            out_ += "''";
            return;
        }
        bool quoted = false;
        for (char16_t unit : units) {
            const bool printable = unit >= 32 && unit < 127;
            if (printable != quoted) {
                out_ += '\'';
                quoted = printable;
            }
            if (!printable) {
                out_ += "#" + std::to_string(unit);
                continue;
            }
            if (unit == '\'') out_ += '\'';
            out_ += static_cast<char>(unit);
        }
        if (quoted) out_ += '\'';
    }

    void Binary(const std::string& data, size_t indent) {
        static constexpr char kHex[] = "0123456789ABCDEF";
        out_ += "{";
        for (size_t i = 0; i < data.size(); ++i) {
            if (i % kBinaryBytesPerLine == 0) {
                out_ += kLineEnd;
                out_.append(indent + 2, ' ');
            }
            const auto byte = static_cast<unsigned char>(data[i]);
            out_ += kHex[byte >> 4];
            out_ += kHex[byte & 15];
        }
        out_ += kLineEnd;
        Line(indent, "}");
    }

    std::string out_;
};

}  // namespace

std::string WriteTextForm(const FormObject& root) {
    TextWriter writer;
    writer.Object(root, 0);
    return writer.Take();
}
