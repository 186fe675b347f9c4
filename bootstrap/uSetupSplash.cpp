#include "bootstrap/uSetupSplash.h"

#include <algorithm>

WindowRect PlaceBesideSplash(const WindowRect& splash, ScreenSize screen, int width, int height) {
    WindowRect placed{splash.left + splash.width / 2 + 50, splash.top + splash.height + 25, width, height};
    placed.top = std::min(placed.top, screen.height - height - 45);
    placed.left = std::min(placed.left, screen.width - width - 25);
    return placed;
}
