#pragma once
#include <cstddef>
#include <string>
#include <vector>

// Every command kind a setup script may use, with its parameters and one
// line of help each: the authoring tool's reference for `orvanta check`,
// `orvanta commands` and docs/commands.md. The help texts live here, in the
// tool only, so that the engine binary stays small; a host test keeps the
// names in step with the engine's command table.

enum class ParameterKind { Variable, Text, Path, Flag, Integer, Enumeration, Guid };

// One accepted value of an enumeration and what it means; a word, when it
// has one, may be written in the project source instead of the value.
struct EnumerationValue {
    const char* value;
    const char* meaning;
    const char* word = nullptr;
};

struct ParameterEntry {
    const char* name;
    ParameterKind kind;
    int translationSlot = 0;  // 0: not translated; else the slot of its translations
    std::vector<EnumerationValue> values = {};  // for enumerations
    // The engine reads the value as written: a $NAME$ in it is never
    // expanded (every flag, the comparison of a condition, names the engine
    // looks up before the script runs).
    bool asWritten = false;
};

struct CommandEntry {
    const char* name;
    const char* family;  // the heading it is listed under
    const char* help;
    std::vector<ParameterEntry> parameters;
    // The parameters the engine reads (a command needs at least these lines);
    // the rest are read by the authoring tool only and may be left off.
    size_t required;
    // Carried out by the interpreter itself, not through the command table.
    bool control = false;
    // Takes any parameter lines ("Ignore" keeps a switched-off command's).
    bool anyParameters = false;
};

const std::vector<CommandEntry>& CommandCatalogue();
// The kind of that exact (case-sensitive) name, or nullptr.
const CommandEntry* FindCommand(const std::string& name);
// The catalogue's name closest to a misspelt one (letter case, blanks and a
// few edits), or empty when none is near.
std::string ClosestCommandName(const std::string& name);

// The value a source text stands for: the enumeration's value for one of its
// words (letter case ignored), otherwise the text itself.
std::string ValueForWord(const ParameterEntry& parameter, const std::string& text);
// The word of a value, or the value itself when it has none.
std::string WordForValue(const ParameterEntry& parameter, const std::string& value);

const char* ParameterKindName(ParameterKind kind);
// Whether the value holds a $NAME$ reference.
bool HoldsReference(const std::string& value);
// Whether a written value is acceptable for the parameter: values holding a
// $NAME$ reference and empty values are not judged here.
bool ValueFitsParameter(const ParameterEntry& parameter, const std::string& value);
// What the parameter accepts, for messages ("a flag: TRUE or FALSE").
std::string AcceptedValues(const ParameterEntry& parameter);
