#include "system/ScreenPlacement.h"

WindowRect CentreOnScreen(ScreenSize screen, int width, int height) {
    return {(screen.width - width) / 2, (screen.height - height) / 2, width, height};
}
