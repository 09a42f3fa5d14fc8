#pragma once
// The frames a capture hands to the stitch: always turned so that their
// content moves up, the one way the matcher and the composer know.

#include <utility>
#include <vector>

#include "ground/pixel_image.h"
#include "ground/scroll_direction.h"

namespace tf {

// Frames whose content moves up, whichever way their page scrolled: a
// sideways capture's turned on their side, a downward one's as grabbed. Made
// only by turning (or by a loop that turned each grab), so nothing downstream
// has to ask whether they still need it.
class TurnedFrames {
public:
    TurnedFrames() = default;
    // Frames as they were grabbed in `direction`, turned here (see
    // turnFramesDownward).
    static TurnedFrames turn(std::vector<PixelImage> asGrabbed, ScrollDirection direction = ScrollDirection::Down);
    // Frames a capture loop turned one by one as it grabbed them.
    static TurnedFrames turnedByLoop(std::vector<PixelImage> turned, ScrollDirection direction) {
        return TurnedFrames(std::move(turned), direction);
    }
    std::vector<PixelImage>& frames() { return frames_; }
    const std::vector<PixelImage>& frames() const { return frames_; }
    // The way the content scrolled before it was turned.
    ScrollDirection direction() const { return direction_; }

private:
    TurnedFrames(std::vector<PixelImage> frames, ScrollDirection direction)
        : frames_(std::move(frames)), direction_(direction) {}
    std::vector<PixelImage> frames_;
    ScrollDirection direction_ = ScrollDirection::Down;
};

}  // namespace tf
