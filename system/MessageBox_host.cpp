#include "system/HostMessageBoxes.h"

HostMessageBoxes& HostBoxes() {
    static HostMessageBoxes boxes;
    return boxes;
}

int ShowMessageBox(WindowHandle owner, const std::string& text, const std::string& caption, unsigned style) {
    auto& boxes = HostBoxes();
    boxes.shown.push_back({owner, text, caption, style});
    if (boxes.answers.empty()) return kIdOk;
    int answer = boxes.answers.front();
    boxes.answers.erase(boxes.answers.begin());
    return answer;
}
