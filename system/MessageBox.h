#pragma once
#include <cstdint>
#include <string>

// Message boxes of the engine. The Windows side calls MessageBoxA; the host
// side records the boxes and answers with a programmed button, so tests can
// read what a user would have seen.

using WindowHandle = uintptr_t;  // an HWND, 0 for none

// MessageBoxA style bits used by the engine.
enum : unsigned {
    kMbOk = 0x0, kMbOkCancel = 0x1, kMbAbortRetryIgnore = 0x2, kMbYesNoCancel = 0x3,
    kMbYesNo = 0x4, kMbRetryCancel = 0x5,
    kMbIconError = 0x10, kMbIconQuestion = 0x20, kMbIconWarning = 0x30, kMbIconInformation = 0x40,
    kMbDefaultButton2 = 0x100,
};
// Button answers (IDOK ... IDNO).
enum : int { kIdOk = 1, kIdCancel = 2, kIdAbort = 3, kIdRetry = 4, kIdIgnore = 5, kIdYes = 6, kIdNo = 7 };

int ShowMessageBox(WindowHandle owner, const std::string& text, const std::string& caption, unsigned style);

// The product caption of the engine's own boxes.
inline const char* kProductCaption = "Orvanta";
