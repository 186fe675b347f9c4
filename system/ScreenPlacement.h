#pragma once

// Window rectangles on the screen, for the windows the engine places itself
// (start-up windows, the language and retry dialogs, the wizard).
struct WindowRect {
    int left = 0, top = 0, width = 0, height = 0;
};
struct ScreenSize {
    int width = 0, height = 0;
};

WindowRect CentreOnScreen(ScreenSize screen, int width, int height);
