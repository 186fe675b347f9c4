// Input masks of masked edits: what each position takes, shown and stored texts.
#include "dialogs/EditMask.h"

#include <algorithm>
#include <cctype>

namespace {

bool IsLetter(char c) { return std::isalpha(static_cast<unsigned char>(c)) || static_cast<unsigned char>(c) >= 0xC0; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

EditMask::EditMask(std::string_view designed) {
    // The mask runs to the first ";" that no "\" makes a literal.
    size_t end = 0;
    for (; end < designed.size() && designed[end] != ';'; ++end)
        if (designed[end] == '\\') ++end;
    const std::string_view mask = designed.substr(0, std::min(end, designed.size()));
    if (end < designed.size()) {
        const std::string_view fields = designed.substr(end + 1);
        keepLiterals_ = fields.empty() || fields[0] != '0';
        if (const size_t separator = fields.find(';'); separator != std::string_view::npos && separator + 1 < fields.size())
            blank_ = fields[separator + 1];
    }
    int letterCase = 0;
    for (size_t i = 0; i < mask.size(); ++i) {
        const char c = mask[i];
        Slot slot;
        slot.letterCase = letterCase;
        switch (c) {
            case '!': fillFromEnd_ = true; continue;
            case '>': letterCase = 1; continue;
            case '<':
                if (i + 1 < mask.size() && mask[i + 1] == '>') ++i, letterCase = 0;
                else letterCase = -1;
                continue;
            case '\\':
                if (++i >= mask.size()) continue;
                slot.literal = mask[i];
                break;
            case 'L': case 'l': slot.accepts = Accepts::Letter; break;
            case 'A': case 'a': slot.accepts = Accepts::LetterOrDigit; break;
            case 'C': case 'c': slot.accepts = Accepts::Any; break;
            case '0': case '9': slot.accepts = Accepts::Digit; break;
            case '#': slot.accepts = Accepts::DigitOrSign; break;
            case '_': slot.literal = ' '; break;
            default: slot.literal = c; break;
        }
        slot.required = c == 'L' || c == 'A' || c == 'C' || c == '0';
        slots_.push_back(slot);
    }
}

bool EditMask::IsInput(size_t position) const {
    return position < slots_.size() && slots_[position].accepts != Accepts::Literal;
}

bool EditMask::Required(size_t position) const { return IsInput(position) && slots_[position].required; }

std::optional<char> EditMask::Accept(size_t position, char typed) const {
    if (!IsInput(position)) return std::nullopt;
    const Slot& slot = slots_[position];
    bool fits = false;
    switch (slot.accepts) {
        case Accepts::Letter: fits = IsLetter(typed); break;
        case Accepts::LetterOrDigit: fits = IsLetter(typed) || IsDigit(typed); break;
        case Accepts::Any: fits = static_cast<unsigned char>(typed) >= ' '; break;
        case Accepts::Digit: fits = IsDigit(typed); break;
        case Accepts::DigitOrSign: fits = IsDigit(typed) || typed == '+' || typed == '-'; break;
        case Accepts::Literal: break;
    }
    if (!fits) return std::nullopt;
    const auto u = static_cast<unsigned char>(typed);
    if (slot.letterCase > 0) return static_cast<char>(std::toupper(u));
    if (slot.letterCase < 0) return static_cast<char>(std::tolower(u));
    return typed;
}

size_t EditMask::NextInput(size_t from) const {
    while (from < slots_.size() && !IsInput(from)) ++from;
    return std::min(from, slots_.size());
}

std::optional<size_t> EditMask::PreviousInput(size_t before) const {
    for (size_t i = std::min(before, slots_.size()); i-- > 0;)
        if (IsInput(i)) return i;
    return std::nullopt;
}

std::string EditMask::Shown(std::string_view value) const {
    std::string shown;
    for (const Slot& slot : slots_) shown += slot.accepts == Accepts::Literal ? slot.literal : blank_;
    std::vector<size_t> inputs;
    for (size_t i = 0; i < slots_.size(); ++i)
        if (IsInput(i)) inputs.push_back(i);
    // A value with its literals lines up with the mask; one without fills the input positions in turn.
    std::string characters;
    if (value.size() == slots_.size()) {
        for (size_t i : inputs) characters += value[i];
    } else {
        characters = value.substr(0, std::min(value.size(), inputs.size()));
    }
    const size_t first = fillFromEnd_ ? inputs.size() - characters.size() : 0;
    for (size_t k = 0; k < characters.size(); ++k)
        if (auto accepted = Accept(inputs[first + k], characters[k])) shown[inputs[first + k]] = *accepted;
    return shown;
}

std::string EditMask::Value(std::string_view shown) const {
    std::string value;
    for (size_t i = 0; i < slots_.size(); ++i) {
        const char c = i < shown.size() ? shown[i] : blank_;
        if (!IsInput(i)) {
            if (keepLiterals_) value += slots_[i].literal;
        } else {
            value += c == blank_ ? ' ' : c;
        }
    }
    return value;
}

bool EditMask::Complete(std::string_view shown) const {
    for (size_t i = 0; i < slots_.size(); ++i)
        if (Required(i) && (i >= shown.size() || shown[i] == blank_ || !Accept(i, shown[i]))) return false;
    return true;
}
