#pragma once
#include <string>
#include <vector>

#include "system/MessageBox.h"

// Host side of the message boxes: what was shown, and the next answers.
struct ShownMessageBox {
    WindowHandle owner;
    std::string text;
    std::string caption;
    unsigned style;
};

struct HostMessageBoxes {
    std::vector<ShownMessageBox> shown;
    std::vector<int> answers;  // consumed front to back; kIdOk when empty
    void Reset() { shown.clear(); answers.clear(); }
};

HostMessageBoxes& HostBoxes();
