#include <windows.h>

#include <atomic>

#include "system/MessagePump.h"

namespace {
std::atomic<DWORD> waitingThread{0};
}  // namespace

void ProcessOneMessage() {
    MSG message;
    if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
        return;
    }
    // Bounded, so a lost wake-up costs at most a moment.
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
}

void RegisterWaitingThread() { waitingThread = GetCurrentThreadId(); }

void WakeWaitingThread() {
    if (DWORD thread = waitingThread) PostThreadMessageA(thread, WM_NULL, 0, 0);
}
