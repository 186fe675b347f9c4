#include "script/Script.h"

#include "core/ScriptError.h"
#include "system/TextUtils.h"

std::string GetParameter(const std::vector<std::vector<std::string>>& blocks, const std::string& id, size_t n) {
    std::string result;
    for (const auto& list : blocks) {
        for (size_t i = 0; i < list.size(); ++i) {
            if (list[i] != id) continue;
            if (i + n >= list.size())
                throw ScriptError("List index out of bounds (" + std::to_string(i + n) + ")");
            result = list[i + n];
            break;
        }
    }
    return result;
}

void CommandHeaderTable::Load(const std::vector<std::string>& alternating) {
    byNumber_.clear();
    for (size_t i = 0; i + 1 < alternating.size(); i += 2)
        byNumber_.try_emplace(alternating[i + 1], alternating[i]);
}

std::string CommandHeaderTable::Get(size_t commandNumber) const {
    auto it = byNumber_.find(std::to_string(commandNumber));
    if (it != byNumber_.end()) return it->second;
    if (headerPass_) return {};
    throw ScriptError("Unable to obtain command headers. Please rebuild your project.");
}

void LabelTable::Build(const Script& script) {
    labels_.clear();
    for (size_t n = 0; n < script.size(); ++n)
        if (script.CommandNames[n] == "Label")
            Add(GetParameter(script.ParameterBlocks, script.CommandIds[n], 1), n);
}

void LabelTable::Add(const std::string& name, size_t commandNumber) {
    labels_.emplace_back(UpperAscii(name), commandNumber);
}

bool LabelTable::Contains(const std::string& name) const {
    const std::string key = UpperAscii(name);
    for (const auto& [label, number] : labels_)
        if (label == key) return true;
    return false;
}

size_t LabelTable::Find(const std::string& name) const {
    const std::string key = UpperAscii(name);
    for (const auto& [label, number] : labels_)
        if (label == key) return number;
    throw ScriptError("LABEL undefined: " + name);
}
