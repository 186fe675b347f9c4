#pragma once
#include <cstdint>

#include "core/ProgressState.h"

// Where the next dialog appears: the first dialog is centred; a later dialog
// of the same size appears exactly where the user left the previous one; a
// dialog of another size is centred again.
class PlacementMemory {
public:
    // True: centre this dialog on the screen. False: place it at Left(), Top().
    bool ShouldCentre(int width, int height);
    // The position of a dialog that was on screen, when it goes away.
    void Remember(int left, int top) {
        left_ = left;
        top_ = top;
    }
    int Left() const { return left_; }
    int Top() const { return top_; }

private:
    int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    bool recentre_ = true;
};

// The range and position a progress bar can hold (32-bit values): from a
// maximum of 2^31 on, all three numbers are divided by 1024.
struct BarProgress {
    int64_t minimum = 0, maximum = 0, position = 0;
};
BarProgress ScaleForProgressBar(const ProgressSnapshot& progress);
