#pragma once
// uSetupSplash: the splash picture and the "preparing" window of start-up.
#include <memory>
#include <string>

#include "system/MessageBox.h"
#include "system/ScreenPlacement.h"

// The two start-up windows: the splash picture and the "preparing" window with
// its progress bar, shown while the support files unpack and the dialogs load.

// Client size of the preparing window.
constexpr int kPreparingClientWidth = 385;
constexpr int kPreparingClientHeight = 89;

// Below and right of the splash's centre, pulled back so that it keeps 45
// pixels above the screen's bottom edge and 25 from its right edge.
WindowRect PlaceBesideSplash(const WindowRect& splash, ScreenSize screen, int width, int height);

class StartupWindows {
public:
    // Shows the splash when the picture file loads, then the preparing window
    // (beside the splash, or centred without it).
    explicit StartupWindows(const std::string& splashPicture);
    // Hides and frees both windows.
    ~StartupWindows();
    StartupWindows(const StartupWindows&) = delete;
    StartupWindows& operator=(const StartupWindows&) = delete;

    WindowHandle PreparingWindow() const;
    // Progress range 0 to count, position 1.
    void SetProgressRange(int count);
    // Advances the progress by one and repaints both windows.
    void Step();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};
