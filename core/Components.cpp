#include "core/Components.h"

#include "core/EngineMessages.h"
#include "core/StartupValues.h"
#include "core/ScriptError.h"
#include "core/VariableStore.h"
#include "system/DigitGrouping.h"
#include "system/DiskSpace.h"
#include "system/Files.h"
#include "system/Paths.h"
#include "system/TextUtils.h"

namespace {

struct ComponentList {
    std::vector<std::string> names;
    std::vector<std::string> states;
    std::vector<std::string> descriptions;
    std::vector<bool> required;      // parallel to names
    std::vector<std::string> sizes;  // alternating name, decimal size
    int64_t baseline = 0;
};

ComponentList& List() {
    static ComponentList list;
    return list;
}

// Position of the name's entry in the size table, or npos.
size_t SizeEntry(const std::string& name) {
    const auto& sizes = List().sizes;
    for (size_t i = 0; i + 1 < sizes.size(); i += 2)
        if (SameText(sizes[i], name)) return i;
    return std::string::npos;
}

// Defines TARGETDIR, ALLUSERS and STARTMENU from the lines there are; false
// when the file ends before all three.
bool DefineInstanceVariables(const std::vector<std::string>& lines, size_t first) {
    static const char* const kNames[] = {"TARGETDIR", "ALLUSERS", "STARTMENU"};
    size_t k = 0;
    for (; k < 3 && first + k < lines.size(); ++k) DefineVariable(kNames[k], lines[first + k], "LoadComponents");
    return k == 3;
}

// The lines up to the next "$"; complete is false when the file ends first.
std::vector<std::string> ReadSection(const std::vector<std::string>& lines, size_t& pos, bool& complete) {
    std::vector<std::string> out;
    while (pos < lines.size() && lines[pos] != "$") out.push_back(lines[pos++]);
    if (pos < lines.size())
        ++pos;  // the "$"
    else
        complete = false;
    return out;
}

}  // namespace

int ComponentIndex(const std::string& name) {
    const auto& names = List().names;
    for (size_t i = 0; i < names.size(); ++i)
        if (SameText(names[i], name)) return static_cast<int>(i);
    return -1;
}

bool ComponentExists(const std::string& name) { return ComponentIndex(name) >= 0; }

void DefineComponent(const std::string& name, const std::string& description, bool selected, bool required) {
    auto& l = List();
    selected = selected || required;
    int index = ComponentIndex(name);
    if (index < 0) {
        l.names.push_back(name);
        l.states.push_back(BoolToText(selected));
        index = static_cast<int>(l.names.size()) - 1;
    } else {
        l.states[static_cast<size_t>(index)] = BoolToText(selected);
    }
    if (l.descriptions.size() <= static_cast<size_t>(index)) l.descriptions.resize(static_cast<size_t>(index) + 1);
    l.descriptions[static_cast<size_t>(index)] = description;
    if (l.required.size() <= static_cast<size_t>(index)) l.required.resize(static_cast<size_t>(index) + 1);
    l.required[static_cast<size_t>(index)] = required;
    if (SizeEntry(name) == std::string::npos) {
        l.sizes.push_back(name);
        l.sizes.push_back("0");
    }
}

void SetComponentState(const std::string& name, bool selected) { SetComponentStateAt(ComponentIndex(name), selected); }

void SetComponentStateAt(int index, bool selected) {
    auto& states = List().states;
    if (index >= 0 && static_cast<size_t>(index) < states.size()) states[static_cast<size_t>(index)] = BoolToText(selected);
}

bool IsComponentRequiredAt(int index) {
    const auto& required = List().required;
    return index >= 0 && static_cast<size_t>(index) < required.size() && required[static_cast<size_t>(index)];
}

bool IsComponentSelected(const std::string& name) {
    const int index = ComponentIndex(name);
    return index >= 0 && TextToBool(List().states[static_cast<size_t>(index)]);
}

std::string ComponentDescription(const std::string& name) {
    const int index = ComponentIndex(name);
    const auto& d = List().descriptions;
    return index >= 0 && static_cast<size_t>(index) < d.size() ? d[static_cast<size_t>(index)] : std::string();
}

int64_t ComponentSize(const std::string& name) {
    if (!ComponentExists(name)) return 0;
    const size_t entry = SizeEntry(name);
    if (entry == std::string::npos) return 0;
    return ParseInt64(List().sizes[entry + 1]).value_or(0);
}

void SetComponentSize(const std::string& name, int64_t bytes) {
    if (!ComponentExists(name)) return;
    auto& sizes = List().sizes;
    const size_t entry = SizeEntry(name);
    if (entry != std::string::npos) {
        sizes[entry + 1] = std::to_string(bytes);
    } else {
        sizes.push_back(name);
        sizes.push_back(std::to_string(bytes));
    }
}

void ClearComponents() {
    auto& l = List();
    l.names.clear();
    l.states.clear();
    l.descriptions.clear();
    l.required.clear();
}

std::vector<std::string> ComponentNames() { return List().names; }
std::vector<std::string> ComponentStates() { return List().states; }

void LoadComponentSizes(const std::vector<std::string>& alternating) { List().sizes = alternating; }

void SetInstalledSizeBaseline(int64_t bytes) { List().baseline = bytes; }
int64_t InstalledSizeBaseline() { return List().baseline; }

int64_t RequiredSpace() {
    int64_t sum = 0;
    for (const auto& name : List().names)
        if (IsComponentSelected(name)) sum += ComponentSize(name);
    return sum - List().baseline;
}

int64_t FreeSpaceOnTarget() {
    const std::string target = VariableExists("TARGETDIR") ? GetVariable("TARGETDIR") : std::string();
    if (target.empty()) return -1;
    // The drive of the target: its first three characters ("C:\"), or the
    // target itself for network and host paths.
    const std::string drive = target.size() >= 3 && target[1] == ':' ? target.substr(0, 3) : target;
    auto space = QueryDiskSpace(drive);
    return space ? space->freeToUser : 0;
}

int64_t SpaceLeftAfterInstall() { return FreeSpaceOnTarget() - RequiredSpace(); }

std::string FormatSize(int64_t bytes) {
    const bool negative = bytes < 0;
    const uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(bytes) : static_cast<uint64_t>(bytes);
    std::string number;
    EngineMessage unit;
    if (negative || bytes < 1048576) {
        number = GroupDigits(magnitude);
        unit = EngineMessage::Bytes;
    } else if (bytes < 1073741824) {
        number = GroupDigits(magnitude / 1024);
        unit = EngineMessage::Kilobytes;
    } else {
        number = GroupDigits(magnitude / 1048576);
        unit = EngineMessage::Megabytes;
    }
    return (negative ? "-" : "") + number + " " + EngineText(unit);
}

bool LoadComponentFile(const std::string& path, bool merge) {
    const auto text = ReadFileText(path);
    if (!text) return false;
    const auto lines = SplitLines(*text);
    size_t pos = 0;
    bool complete = true;
    const auto names = ReadSection(lines, pos, complete);
    const auto states = ReadSection(lines, pos, complete);
    if (merge) {
        // Saved names in order, so that a later duplicate's state wins.
        for (size_t i = 0; i < names.size() && i < states.size(); ++i) {
            const int index = ComponentIndex(names[i]);
            if (index >= 0) SetComponentStateAt(index, TextToBool(states[i]));
        }
        complete = complete && states.size() >= names.size();
    } else {
        auto& l = List();
        for (size_t i = 0; i < names.size(); ++i) {
            l.names.push_back(names[i]);
            l.states.push_back(BoolToText(i < states.size() && TextToBool(states[i])));
        }
    }
    complete = DefineInstanceVariables(lines, pos) && complete;
    if (merge && !complete) throw ScriptError("The feature selection file " + path + " ends too early");
    return true;
}

void SaveComponentFile(const std::string& path, bool selectionsOnly) {
    const auto& l = List();
    std::vector<std::string> lines = l.names;
    lines.push_back("$");
    lines.insert(lines.end(), l.states.begin(), l.states.end());
    lines.push_back("$");
    for (const char* name : {"TARGETDIR", "ALLUSERS", "STARTMENU"})
        lines.push_back(VariableExists(name) ? GetVariable(name) : std::string());
    if (!selectionsOnly) {
        const std::string data = Startup().dataFolder;
        lines.push_back(ShortPathName(data).value_or(data));
    }
    if (!WriteFileText(path, JoinCrLf(lines))) throw ScriptError("Cannot write the component file " + path);
}
