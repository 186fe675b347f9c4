#pragma once
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "script/Script.h"

// Builds a Script command by command, the way the payload reader fills it:
// ids "{CMD-n}", one parameter list holding every command's id and parameters.
class ScriptBuilder {
public:
    ScriptBuilder& Add(const std::string& name, const std::vector<std::string>& parameters = {}) {
        return Append(name, parameters, "");
    }
    ScriptBuilder& Commented(const std::string& name, const std::vector<std::string>& parameters = {}) {
        return Append(name, parameters, "C");
    }
    const Script& script() const { return script_; }

    // An installer package for the run: session start ends a run whose
    // package is missing, so the tests give it an (empty) one.
    static std::string PackagePath() {
        static const std::string path = [] {
            const auto p = std::filesystem::temp_directory_path() / "orvanta-test-setup.msi";
            std::ofstream(p, std::ios::app).close();
            return p.string();
        }();
        return path;
    }

private:
    ScriptBuilder& Append(const std::string& name, const std::vector<std::string>& parameters, const char* flag) {
        if (script_.ParameterBlocks.empty()) script_.ParameterBlocks.emplace_back();
        const std::string id = "{CMD-" + std::to_string(script_.size()) + "}";
        script_.CommandNames.push_back(name);
        script_.CommandIds.push_back(id);
        script_.CommandFlags.push_back(flag);
        script_.CommandMediaFolders.emplace_back();
        auto& list = script_.ParameterBlocks.front();
        list.push_back(id);
        list.insert(list.end(), parameters.begin(), parameters.end());
        // Room for every parameter a command may read.
        for (size_t i = parameters.size(); i < 8; ++i) list.emplace_back();
        return *this;
    }
    Script script_;
};
