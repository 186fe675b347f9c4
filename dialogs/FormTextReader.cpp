// The text form as authors write it and Pascal's tools print it:
//   object Name: TClass [position]   (or inherited / inline)
//     Property.Name = value
//     object Child: TClass ... end
//   end
// Values: integers (decimal or $hex), floats (suffix s single, c currency,
// d date), strings ('...' with '' for a quote, #n character codes, parts
// joined by +), identifiers (True, False, nil, Null), sets [a, b], lists
// ( ... ), binary { hex }, collections < item [order] ... end >.
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "dialogs/FormFile.h"
#include "dialogs/FormNesting.h"
#include "dialogs/FormNumbers.h"

namespace {

enum class TokenKind { Identifier, Number, String, Binary, Symbol, End };

struct Token {
    TokenKind kind = TokenKind::End;
    size_t offset = 0;
    std::string text;         // identifier, number or symbol as written; binary data; single-byte string
    std::u16string units;     // string: the characters
    bool wide = false;        // string: a #n code above 127 makes it a wide string
};

// Other control characters are errors, so that every name and value reads as printed.
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool IsIdentifierStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
bool IsIdentifierChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }
bool IsDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)); }
bool IsHexDigit(char c) { return std::isxdigit(static_cast<unsigned char>(c)); }

bool IsKeyword(const Token& token, const char* word) {
    if (token.kind != TokenKind::Identifier || token.text.size() != std::strlen(word)) return false;
    for (size_t i = 0; i < token.text.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(token.text[i])) != word[i]) return false;
    return true;
}

class Lexer {
public:
    explicit Lexer(std::string_view text) : text_(text) {}

    [[noreturn]] void Fail(const std::string& what, size_t offset) const {
        const auto [line, column] = Place(offset);
        throw FormError("invalid form text at line " + std::to_string(line) + ", column " + std::to_string(column) +
                        ": " + what);
    }

    // Line and column (from 1) of an offset.
    std::pair<int, int> Place(size_t offset) const {
        int line = 1, column = 1;
        for (size_t i = 0; i < offset && i < text_.size(); ++i) {
            if (text_[i] == '\n') {
                ++line;
                column = 1;
            } else {
                ++column;
            }
        }
        return {line, column};
    }

    const Token& Peek() {
        if (!peeked_) {
            next_ = Scan();
            peeked_ = true;
        }
        return next_;
    }
    Token Next() {
        Peek();
        peeked_ = false;
        return std::move(next_);
    }
    bool NextIsSymbol(char symbol) {
        const Token& t = Peek();
        return t.kind == TokenKind::Symbol && t.text[0] == symbol;
    }
    // The token after the next one, without consuming either.
    Token PeekSecond() {
        Peek();
        const size_t saved = at_;
        Token second = Scan();
        at_ = saved;
        return second;
    }

private:
    char At(size_t i) const { return i < text_.size() ? text_[i] : '\0'; }

    Token Scan() {
        while (at_ < text_.size() && IsBlank(text_[at_])) ++at_;
        Token token;
        token.offset = at_;
        if (at_ >= text_.size()) return token;
        const char c = text_[at_];
        if (IsIdentifierStart(c)) {
            token.kind = TokenKind::Identifier;
            while (IsIdentifierChar(At(at_))) token.text += text_[at_++];
        } else if (IsDigit(c) || c == '$' || (c == '-' && (IsDigit(At(at_ + 1)) || At(at_ + 1) == '$'))) {
            ScanNumber(token);
        } else if (c == '\'' || c == '#') {
            ScanString(token);
        } else if (c == '{') {
            ScanBinary(token);
        } else if (std::strchr(":=[](),.<>+", c)) {
            token.kind = TokenKind::Symbol;
            token.text = std::string(1, c);
            ++at_;
        } else {
            Fail(Describe(c) + " is not expected here", at_);
        }
        return token;
    }

    static std::string Describe(char c) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x80 || byte < ' ') return "byte " + std::to_string(byte);
        return "'" + std::string(1, c) + "'";
    }

    void ScanNumber(Token& token) {
        token.kind = TokenKind::Number;
        const size_t start = at_;
        if (At(at_) == '-') ++at_;
        if (At(at_) == '$') {
            ++at_;
            while (IsHexDigit(At(at_))) ++at_;
        } else {
            while (IsDigit(At(at_))) ++at_;
            if (At(at_) == '.') {
                ++at_;
                while (IsDigit(At(at_))) ++at_;
            }
            if (At(at_) == 'e' || At(at_) == 'E') {
                ++at_;
                if (At(at_) == '+' || At(at_) == '-') ++at_;
                while (IsDigit(At(at_))) ++at_;
            }
            if (std::strchr("sScCdD", At(at_)) && At(at_) != '\0') ++at_;
        }
        if (IsIdentifierChar(At(at_)) || At(at_) == '$') Fail("a number runs into other characters", start);
        token.text = std::string(text_.substr(start, at_ - start));
    }

    // A string value: quoted parts and #n codes written together; a + between
    // parts continues the string, also on the next line.
    void ScanString(Token& token) {
        token.kind = TokenKind::String;
        std::string bytes;
        for (;;) {
            if (At(at_) == '\'') {
                const size_t start = at_++;
                for (;;) {
                    if (at_ >= text_.size() || text_[at_] == '\n' || text_[at_] == '\r')
                        Fail("the string does not end on its line", start);
                    if (text_[at_] == '\'') {
                        if (At(at_ + 1) != '\'') break;
                        ++at_;
                    }
                    bytes += text_[at_];
                    token.units += static_cast<unsigned char>(text_[at_]);
                    ++at_;
                }
                ++at_;
            } else if (At(at_) == '#') {
                const size_t start = at_++;
                const bool hex = At(at_) == '$';
                if (hex) ++at_;
                const size_t digits = at_;
                while (hex ? IsHexDigit(At(at_)) : IsDigit(At(at_))) ++at_;
                const unsigned long code =
                    at_ - digits > 6 ? 0x10000 : std::strtoul(std::string(text_.substr(digits, at_ - digits)).c_str(),
                                                                nullptr, hex ? 16 : 10);
                if (at_ == digits || code > 0xFFFF) Fail("a character code must be a number from 0 to 65535", start);
                if (code > 127) token.wide = true;
                bytes += static_cast<char>(code);
                token.units += static_cast<char16_t>(code);
            } else {
                size_t after = at_;
                while (after < text_.size() && IsBlank(text_[after])) ++after;
                if (At(after) != '+') break;
                ++after;
                while (after < text_.size() && IsBlank(text_[after])) ++after;
                if (At(after) != '\'' && At(after) != '#') Fail("a string must follow '+'", after);
                at_ = after;
            }
        }
        token.text = std::move(bytes);
    }

    void ScanBinary(Token& token) {
        token.kind = TokenKind::Binary;
        const size_t start = at_++;
        std::string hex;
        for (;; ++at_) {
            if (at_ >= text_.size()) Fail("binary data has no closing '}'", start);
            const char c = text_[at_];
            if (c == '}') break;
            if (IsHexDigit(c)) {
                hex += c;
            } else if (!IsBlank(c)) {
                Fail("binary data holds " + Describe(c) + ", not a hex digit", at_);
            }
        }
        ++at_;
        if (hex.size() % 2) Fail("binary data has an odd number of hex digits", start);
        for (size_t i = 0; i < hex.size(); i += 2)
            token.text += static_cast<char>(std::strtoul(hex.substr(i, 2).c_str(), nullptr, 16));
    }

    std::string_view text_;
    size_t at_ = 0;
    Token next_;
    bool peeked_ = false;
};

class TextParser {
public:
    TextParser(std::string_view text, FormTextLines* lines) : lex_(text), lines_(lines) {}

    FormObject Form() {
        FormObject root = Object();
        if (lex_.Peek().kind != TokenKind::End) lex_.Fail("text after the end of the form", lex_.Peek().offset);
        return root;
    }

private:
    [[noreturn]] void Expected(const char* what) {
        const Token& t = lex_.Peek();
        const std::string found = t.kind == TokenKind::End      ? "the end of the text"
                                  : t.kind == TokenKind::String ? "a string"
                                  : t.kind == TokenKind::Binary ? "binary data"
                                                                : "'" + t.text + "'";
        lex_.Fail(std::string("expected ") + what + ", found " + found, t.offset);
    }

    std::string Identifier(const char* what) {
        if (lex_.Peek().kind != TokenKind::Identifier) Expected(what);
        return lex_.Next().text;
    }

    void Symbol(char symbol) {
        if (!lex_.NextIsSymbol(symbol)) Expected((std::string("'") + symbol + "'").c_str());
        lex_.Next();
    }

    // Identifiers joined by dots: property names and component references.
    std::string DottedName(const char* what) {
        std::string name = Identifier(what);
        while (lex_.NextIsSymbol('.')) {
            lex_.Next();
            name += "." + Identifier(what);
        }
        return name;
    }

    bool NextStartsObject() {
        const Token& t = lex_.Peek();
        if (!IsKeyword(t, "object") && !IsKeyword(t, "inherited") && !IsKeyword(t, "inline")) return false;
        // "Inline = True" is a property of that name.
        const Token second = lex_.PeekSecond();
        return second.kind == TokenKind::Identifier;
    }

    FormValue Integer32(const char* what) {
        const Token t = lex_.Peek();
        if (t.kind != TokenKind::Number) Expected(what);
        FormValue value = Number();
        if (!value.IsInteger() || value.type == FormValueType::Int64)
            lex_.Fail(std::string(what) + " must be a 32-bit integer", t.offset);
        return value;
    }

    FormObject Object() {
        const Token keyword = lex_.Peek();
        if (!NextStartsObject()) Expected("'object', 'inherited' or 'inline'");
        lex_.Next();
        const FormNestingLevel level = Level(keyword.offset);
        const size_t place = lines_ ? lines_->objects.size() : 0;
        if (lines_) lines_->objects.push_back({lex_.Place(keyword.offset).first, {}});
        FormObject object;
        object.inherited = IsKeyword(keyword, "inherited");
        object.isInline = IsKeyword(keyword, "inline");
        object.className = Identifier("an object name or class name");
        if (lex_.NextIsSymbol(':')) {
            lex_.Next();
            object.name = std::move(object.className);
            object.className = Identifier("a class name");
        }
        if (lex_.NextIsSymbol('[')) {
            lex_.Next();
            object.childPosition = Integer32("the child position");
            Symbol(']');
        }
        while (!NextStartsObject() && !IsKeyword(lex_.Peek(), "end")) {
            if (lines_) lines_->objects[place].properties.push_back(lex_.Place(lex_.Peek().offset).first);
            object.properties.push_back(Property());
        }
        while (NextStartsObject()) object.children.push_back(Object());
        if (!IsKeyword(lex_.Peek(), "end")) Expected("'end' or a child object (properties come before children)");
        lex_.Next();
        return object;
    }

    FormProperty Property() {
        FormProperty property;
        property.name = DottedName("a property name");
        Symbol('=');
        property.value = Value();
        return property;
    }

    FormValue Value() {
        const Token& t = lex_.Peek();
        const size_t at = t.offset;
        switch (t.kind) {
            case TokenKind::Number: return Number();
            case TokenKind::String: return String();
            case TokenKind::Binary: return FormValue::Data(lex_.Next().text);
            case TokenKind::Identifier: return Word();
            case TokenKind::End: Expected("a value");
            case TokenKind::Symbol: break;
        }
        const char symbol = lex_.Next().text[0];
        if (symbol == '[') return SetValue();
        if (symbol == '(') {
            const FormNestingLevel level = Level(at);
            FormValue list = FormValue::Of(FormValueType::List);
            while (!lex_.NextIsSymbol(')')) {
                const size_t itemAt = lex_.Peek().offset;
                list.list.push_back(Value());
                if (list.list.back().type == FormValueType::Null) lex_.Fail("a list cannot hold Null", itemAt);
            }
            lex_.Next();
            return list;
        }
        if (symbol == '<') {
            const FormNestingLevel level = Level(at);
            FormValue collection = FormValue::Of(FormValueType::Collection);
            while (!lex_.NextIsSymbol('>')) collection.items.push_back(Item());
            lex_.Next();
            return collection;
        }
        lex_.Fail("'" + std::string(1, symbol) + "' does not start a value", at);
    }

    FormValue Word() {
        const Token& t = lex_.Peek();
        FormValue value;
        if (IsKeyword(t, "true") || IsKeyword(t, "false")) {
            value = FormValue::Bool(IsKeyword(t, "true"));
        } else if (IsKeyword(t, "nil")) {
            value = FormValue::Of(FormValueType::Nil);
        } else if (IsKeyword(t, "null")) {
            value = FormValue::Of(FormValueType::Null);
        } else {
            return FormValue::Ident(DottedName("an identifier"));
        }
        lex_.Next();
        return value;
    }

    FormValue SetValue() {
        FormValue set = FormValue::Of(FormValueType::Set);
        while (!lex_.NextIsSymbol(']')) {
            if (!set.names.empty()) Symbol(',');
            set.names.push_back(Identifier("a set element"));
        }
        lex_.Next();
        return set;
    }

    FormCollectionItem Item() {
        if (!IsKeyword(lex_.Peek(), "item")) Expected("'item' or '>'");
        lex_.Next();
        FormCollectionItem item;
        if (lex_.NextIsSymbol('[')) {
            lex_.Next();
            item.order = Integer32("the item's order");
            Symbol(']');
        }
        while (!IsKeyword(lex_.Peek(), "end")) item.properties.push_back(Property());
        lex_.Next();
        return item;
    }

    FormValue String() {
        Token t = lex_.Next();
        if (t.wide) return FormValue::Wide(std::move(t.units));
        return FormValue::Text(std::move(t.text));
    }

    FormValue Number() {
        const Token t = lex_.Next();
        const std::string& text = t.text;
        const bool negative = text[0] == '-';
        if (text[negative] == '$') {
            const std::string digits = text.substr(negative + 1);
            if (digits.empty() || digits.size() > 16) lex_.Fail("a hex number needs 1 to 16 digits", t.offset);
            if (negative) lex_.Fail("a hex number cannot be negative", t.offset);
            return FormValue::Integer(static_cast<int64_t>(std::strtoull(digits.c_str(), nullptr, 16)));
        }
        if (text.find_first_of(".eEsScCdD") == std::string::npos) {
            if (auto value = ParseInteger(text)) return FormValue::Integer(*value);
            lex_.Fail(text + " does not fit a 64-bit integer", t.offset);
        }
        const char suffix = static_cast<char>(std::tolower(static_cast<unsigned char>(text.back())));
        const bool typed = suffix == 's' || suffix == 'c' || suffix == 'd';
        const std::string digits = typed ? text.substr(0, text.size() - 1) : text;
        if (!ParseFloat(digits)) lex_.Fail(text + " is not a valid number", t.offset);
        FormValue value;
        if (suffix == 's') {
            value.type = FormValueType::Single;
            const float single = std::strtof(digits.c_str(), nullptr);
            uint32_t bits;
            std::memcpy(&bits, &single, sizeof bits);
            value.floatBits = bits;
        } else if (suffix == 'd') {
            value.type = FormValueType::Date;
            const double date = std::strtod(digits.c_str(), nullptr);
            std::memcpy(&value.floatBits, &date, sizeof date);
        } else if (suffix == 'c') {
            value.type = FormValueType::Currency;
            const auto amount = ParseCurrency(digits);
            if (!amount) lex_.Fail(text + " is outside the currency range", t.offset);
            value.integer = *amount;
        } else {
            value = FormValue::Float(*ParseFloat(digits));
        }
        return value;
    }

    FormNestingLevel Level(size_t at) {
        return FormNestingLevel(depth_, [&](const std::string& what) { lex_.Fail(what, at); });
    }

    Lexer lex_;
    FormTextLines* lines_;
    int depth_ = 0;
};

}  // namespace

FormObject ReadTextForm(std::string_view text, FormTextLines* lines) {
    if (lines) lines->objects.clear();
    return TextParser(text, lines).Form();
}
