#include "core/capture/capture_budget.h"

#include <algorithm>

namespace tf {

namespace {

int64_t addedPixels(int32_t width, int32_t rows) {
    return static_cast<int64_t>(std::max(width, 0)) * std::max(rows, 0);
}

}  // namespace

bool CaptureBudget::admits(int32_t width, int32_t newRows) const {
    if (frames_ == 0) return true;
    if (frames_ >= maxFrames_) return false;
    return pixels_ + addedPixels(width, newRows) <= maxPixels_;
}

void CaptureBudget::keep(int32_t width, int32_t newRows) {
    pixels_ += addedPixels(width, newRows);
    ++frames_;
}

CaptureLimit CaptureBudget::met() const {
    if (frames_ >= maxFrames_) return CaptureLimit::Frames;
    // Every frame kept after the first adds a row at least.
    if (frames_ > 0 && pixels_ >= maxPixels_) return CaptureLimit::Pixels;
    return CaptureLimit::None;
}

}  // namespace tf
