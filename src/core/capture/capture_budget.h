#pragma once
// The two limits that end a capture which the page alone would not end (an
// endless feed): the count of frames kept, and the size of the image they
// stitch into. Either ends the capture saved; the budget only says when.

#include <cstdint>

namespace tf {

// Which limit ended a capture before its page did.
enum class CaptureLimit : int32_t {
    None = 0,
    Frames = 1,  // the request's frame limit
    Pixels = 2,  // the request's limit on the stitched image's pixels
};

class CaptureBudget {
public:
    // At least one frame is always kept, whatever the limits say.
    CaptureBudget(int32_t maxFrames, int64_t maxPixels)
        : maxFrames_(maxFrames > 1 ? maxFrames : 1), maxPixels_(maxPixels > 0 ? maxPixels : 1) {}

    // True when a frame `width` wide that adds `newRows` rows below the image
    // so far may be kept: the first frame always, any other while the
    // estimated image stays within the pixel limit.
    bool admits(int32_t width, int32_t newRows) const;
    // Counts a kept frame (the first one with all its rows new).
    void keep(int32_t width, int32_t newRows);
    // The limit that leaves no room for another frame, None while there is
    // room. The frame count is told first when both are met at once, as it is
    // the limit a person set eyes on first.
    CaptureLimit met() const;

    int32_t frames() const { return frames_; }
    int64_t pixels() const { return pixels_; }
    int32_t maxFrames() const { return maxFrames_; }
    int64_t maxPixels() const { return maxPixels_; }

private:
    int32_t maxFrames_;
    int64_t maxPixels_;
    int32_t frames_ = 0;
    int64_t pixels_ = 0;
};

}  // namespace tf
