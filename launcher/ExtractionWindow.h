#pragma once
#include <cstdint>

// The small window that shows an extraction taking longer than half a
// second, with its Cancel button; never shown in a silent run. Lives on the
// extracting thread: Update pumps its messages.
class ExtractionWindow {
public:
    explicit ExtractionWindow(bool silent);
    ~ExtractionWindow();
    ExtractionWindow(const ExtractionWindow&) = delete;
    ExtractionWindow& operator=(const ExtractionWindow&) = delete;
    // Shows the share done (once half a second has passed); false once the
    // user asked to cancel.
    bool Update(uint64_t done, uint64_t total);
    // Takes the window off the screen before a message about the extraction.
    void Close();

private:
    bool silent_;
    uint32_t started_;
    void* window_ = nullptr;  // HWND
    int shownPercent_ = -1;
};
