#pragma once
// The input mask of a masked edit as the designer writes it: the mask, then
// optionally ";" and 0 or 1 (whether the text keeps the literals, 1 when
// absent), then ";" and the blank character ("_" when absent).
//
// Mask characters: L letter, A letter or digit, C any character, 0 digit
// (required); l, a, c, 9 their optional forms; # digit, "+" or "-"
// (optional); > upper case and < lower case from there on, <> neither;
// \ the next character is a literal; _ a blank literal; ! a shorter text fills
// the last positions; anything else is a literal.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class EditMask {
public:
    explicit EditMask(std::string_view designed);

    bool Empty() const { return slots_.empty(); }
    size_t Size() const { return slots_.size(); }
    bool IsInput(size_t position) const;
    bool Required(size_t position) const;
    // The character stored at an input position for the one typed (case
    // converted), or nullopt when the position refuses it.
    std::optional<char> Accept(size_t position, char typed) const;
    // The first input position at or after from; Size() when there is none.
    size_t NextInput(size_t from) const;
    // The last input position before `before`; nullopt when there is none.
    std::optional<size_t> PreviousInput(size_t before) const;

    // The shown text of a value: the literals in place, the value's
    // characters at the input positions (with or without its literals),
    // blanks where it has none or a refused one.
    std::string Shown(std::string_view value) const;
    // The control's text of a shown text: literals kept or left out as the
    // mask says, blanks as spaces.
    std::string Value(std::string_view shown) const;
    // Whether every required position of the shown text is filled.
    bool Complete(std::string_view shown) const;
    char Blank() const { return blank_; }

private:
    enum class Accepts { Literal, Letter, LetterOrDigit, Any, Digit, DigitOrSign };
    struct Slot {
        Accepts accepts = Accepts::Literal;
        bool required = false;
        char literal = ' ';
        int letterCase = 0;  // 1 upper, -1 lower
    };
    std::vector<Slot> slots_;
    bool keepLiterals_ = true;
    bool fillFromEnd_ = false;
    char blank_ = '_';
};
