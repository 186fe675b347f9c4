#pragma once
#include <cstdint>
#include <string>

#include "system/MessageBox.h"

// The progress shared between the dialog on screen and the long operations
// (worker threads and the installer's message handler). Text and numbers are
// read and written under one lock; the flags are single values with one
// writer each.

struct ProgressSnapshot {
    std::string text;
    int64_t minimum = 0;
    int64_t maximum = 0;
    int64_t position = 0;
};

// The text that stands for "keep the stored text and numbers".
inline constexpr const char* kKeepProgress = "$ZOLT$";

// Stores the progress. With the text kKeepProgress nothing changes; a
// position of -1 stores only the text.
void SetProgress(const std::string& text, int64_t minimum, int64_t maximum, int64_t position);
// Stores only the numbers given, leaving the text alone.
void SetProgressRange(int64_t minimum, int64_t maximum);
ProgressSnapshot ReadProgress();

// Set while a long operation runs, so the dialog timers refresh the display.
void SetLongOperation(bool running);
bool LongOperationRunning();

// The user's cancel request from the dialog on screen: CancelState() is -1
// when cancel was requested, else 1.
void SetCancelRequested(bool requested);
int CancelState();

// Window of the dialog on screen, 0 when none; owner of the boxes that long
// operations show.
void SetProgressOwnerWindow(WindowHandle window);
WindowHandle ProgressOwnerWindow();
