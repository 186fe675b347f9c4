#include "dialogs/DialogPlacement.h"

bool PlacementMemory::ShouldCentre(int width, int height) {
    if (width != width_ || height != height_) recentre_ = true;
    const bool centre = recentre_;
    if (centre) {
        width_ = width;
        height_ = height;
    }
    recentre_ = false;
    return centre;
}

BarProgress ScaleForProgressBar(const ProgressSnapshot& progress) {
    constexpr int64_t kBarLimit = int64_t{1} << 31;
    if (progress.maximum < kBarLimit) return {progress.minimum, progress.maximum, progress.position};
    return {progress.minimum / 1024, progress.maximum / 1024, progress.position / 1024};
}
