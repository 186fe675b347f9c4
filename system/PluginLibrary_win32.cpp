#include "system/PluginLibrary.h"

#include <windows.h>

#include <vector>

#include "system/GuardedCall.h"
#include "system/LoadedLibrary.h"

namespace {

using ProgressCallback = int32_t(__stdcall*)(int32_t position, const char* text);
using RunTimeExecuteEntry = int32_t(__stdcall*)(int32_t window, const char* variables, const char* parameters,
                                                ProgressCallback progress, int32_t* reserved, char* buffer);

// The call in progress, for the callback (one plug-in call at a time).
const PluginCall* gCurrentCall = nullptr;

int32_t __stdcall ReportProgress(int32_t position, const char* text) {
    try {
        const PluginCall* call = gCurrentCall;
        if (!call || !call->progress) return 1;
        return call->progress(position, text ? text : "") ? 1 : 0;
    } catch (...) {
        return 1;
    }
}

struct EntryCall {
    RunTimeExecuteEntry entry;
    const PluginCall* call;
    int32_t* reserved;
    char* buffer;
    int32_t result = -1;
};

void CallEntry(void* argument) {
    auto& c = *static_cast<EntryCall*>(argument);
    c.result = c.entry(static_cast<int32_t>(c.call->window), c.call->variables.c_str(), c.call->parameters.c_str(),
                       ReportProgress, c.reserved, c.buffer);
}

class CurrentCallScope {
public:
    explicit CurrentCallScope(const PluginCall& call) { gCurrentCall = &call; }
    ~CurrentCallScope() { gCurrentCall = nullptr; }
    CurrentCallScope(const CurrentCallScope&) = delete;
    CurrentCallScope& operator=(const CurrentCallScope&) = delete;
};

}  // namespace

std::optional<std::string> CallRunTimeExecute(const PluginCall& call) {
    const LoadedLibrary library(call.libraryPath);
    const auto entry = library.Find<RunTimeExecuteEntry>("RunTimeExecute");
    if (!entry) return std::nullopt;
    CurrentCallScope current(call);
    int32_t reserved = 0;
    EntryCall length{entry, &call, &reserved, nullptr};
    if (!CallGuarded(CallEntry, &length) || length.result < 0) return std::nullopt;
    std::vector<char> buffer(static_cast<size_t>(length.result) + 1, '\0');
    EntryCall fill{entry, &call, &reserved, buffer.data()};
    if (!CallGuarded(CallEntry, &fill) || fill.result < 0) return std::nullopt;
    // The library writes at most the length it announced; the last byte stays zero.
    buffer.back() = '\0';
    return std::string(buffer.data());
}
