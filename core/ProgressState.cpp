#include "core/ProgressState.h"

#include <atomic>
#include <mutex>

namespace {
struct SharedProgress {
    std::mutex lock;
    ProgressSnapshot state;
    std::atomic<bool> longOperation{false};
    std::atomic<bool> cancelRequested{false};
    std::atomic<WindowHandle> ownerWindow{0};
};

SharedProgress& Shared() {
    static SharedProgress shared;
    return shared;
}
}  // namespace

void SetProgress(const std::string& text, int64_t minimum, int64_t maximum, int64_t position) {
    if (text == kKeepProgress) return;
    auto& shared = Shared();
    std::lock_guard<std::mutex> guard(shared.lock);
    shared.state.text = text;
    if (position == -1) return;
    shared.state.minimum = minimum;
    shared.state.maximum = maximum;
    shared.state.position = position;
}

void SetProgressRange(int64_t minimum, int64_t maximum) {
    auto& shared = Shared();
    std::lock_guard<std::mutex> guard(shared.lock);
    shared.state.minimum = minimum;
    shared.state.maximum = maximum;
}

ProgressSnapshot ReadProgress() {
    auto& shared = Shared();
    std::lock_guard<std::mutex> guard(shared.lock);
    return shared.state;
}

void SetLongOperation(bool running) { Shared().longOperation = running; }
bool LongOperationRunning() { return Shared().longOperation; }

void SetCancelRequested(bool requested) { Shared().cancelRequested = requested; }
int CancelState() { return Shared().cancelRequested ? -1 : 1; }

void SetProgressOwnerWindow(WindowHandle window) { Shared().ownerWindow = window; }
WindowHandle ProgressOwnerWindow() { return Shared().ownerWindow; }
