// A plug-in library for setups: what docs/plugins.md describes, in working
// form. Its parameter text is a list of steps separated by ";":
//   set NAME=value   changes the variable, or adds it at the end
//   remove NAME      leaves the variable out of the returned list
//   progress N       reports N steps of progress (a tenth of a second
//                    each); when the engine answers "stop", adds
//                    PLUGINCANCELLED=TRUE and ends the steps
//   fail             returns -1: the engine keeps its variables
//   fail copy        announces the result's length, then returns -1 on the
//                    buffer call: the engine keeps its variables as well
//   raise            raises a system exception out of the entry
// The variables come and go as one comma text of name, value, name, value…
#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "system/CommaText.h"

namespace {

using ProgressCallback = int32_t(__stdcall*)(int32_t position, const char* text);
using Variables = std::vector<std::pair<std::string, std::string>>;

Variables ReadVariables(const char* text) {
    const std::vector<std::string> items = FromCommaText(text ? text : "");
    Variables variables;
    for (size_t i = 0; i < items.size(); i += 2)
        variables.emplace_back(items[i], i + 1 < items.size() ? items[i + 1] : std::string());
    return variables;
}

std::string WriteVariables(const Variables& variables) {
    std::vector<std::string> items;
    for (const auto& [name, value] : variables) {
        items.push_back(name);
        items.push_back(value);
    }
    return ToCommaText(items);
}

bool SameName(const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) == 0; }

void SetVariable(Variables& variables, const std::string& name, const std::string& value) {
    for (auto& entry : variables)
        if (SameName(entry.first, name)) {
            entry.second = value;
            return;
        }
    variables.emplace_back(name, value);
}

void RemoveVariable(Variables& variables, const std::string& name) {
    for (auto it = variables.begin(); it != variables.end();)
        it = SameName(it->first, name) ? variables.erase(it) : it + 1;
}

std::vector<std::string> Steps(const std::string& parameters) {
    std::vector<std::string> steps;
    size_t start = 0;
    while (start <= parameters.size()) {
        size_t end = parameters.find(';', start);
        if (end == std::string::npos) end = parameters.size();
        if (end > start) steps.push_back(parameters.substr(start, end - start));
        start = end + 1;
    }
    return steps;
}

void ReportProgress(Variables& variables, int count, ProgressCallback progress) {
    for (int step = 1; step <= count; ++step) {
        Sleep(100);
        const std::string text = "Sample plug-in: step " + std::to_string(step) + " of " + std::to_string(count);
        if (progress && progress(step * 100 / count, text.c_str()) == 0) {
            SetVariable(variables, "PLUGINCANCELLED", "TRUE");
            return;
        }
    }
}

// The result text of one run; false when the plug-in fails.
bool Run(const char* variablesText, const char* parameters, ProgressCallback progress, std::string& result,
         bool& failCopy) {
    Variables variables = ReadVariables(variablesText);
    for (const std::string& step : Steps(parameters ? parameters : "")) {
        if (step.rfind("set ", 0) == 0) {
            const size_t equals = step.find('=');
            if (equals == std::string::npos) return false;
            SetVariable(variables, step.substr(4, equals - 4), step.substr(equals + 1));
        } else if (step.rfind("remove ", 0) == 0) {
            RemoveVariable(variables, step.substr(7));
        } else if (step.rfind("progress ", 0) == 0) {
            ReportProgress(variables, std::atoi(step.c_str() + 9), progress);
        } else if (step == "fail") {
            return false;
        } else if (step == "fail copy") {
            failCopy = true;
        } else if (step == "raise") {
            RaiseException(0x0EEDFADE, EXCEPTION_NONCONTINUABLE, 0, nullptr);
        } else {
            return false;
        }
    }
    result = WriteVariables(variables);
    return true;
}

// Kept between the length call and the buffer call: the steps run once.
std::string gResult;
bool gFailCopy = false;

}  // namespace

// First call: buffer null, returns the length of the result text (-1 on
// failure). Second call: copies the result text and its zero into buffer.
extern "C" __declspec(dllexport) int32_t __stdcall RunTimeExecute(int32_t window, const char* variables,
                                                                  const char* parameters, ProgressCallback progress,
                                                                  int32_t* reserved, char* buffer) {
    if (buffer) {
        if (gFailCopy) return -1;
        std::memcpy(buffer, gResult.c_str(), gResult.size() + 1);
        return static_cast<int32_t>(gResult.size());
    }
    try {
        gFailCopy = false;
        if (!Run(variables, parameters, progress, gResult, gFailCopy)) return -1;
    } catch (...) {
        return -1;
    }
    return static_cast<int32_t>(gResult.size());
}
