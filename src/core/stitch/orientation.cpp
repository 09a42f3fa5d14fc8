#include "core/stitch/orientation.h"

namespace tf {

void turnFramesDownward(std::vector<PixelImage>& frames, ScrollDirection direction) {
    if (direction != ScrollDirection::Right) return;
    for (PixelImage& frame : frames) frame = transposed(frame);
}

TurnedFrames TurnedFrames::turn(std::vector<PixelImage> asGrabbed, ScrollDirection direction) {
    turnFramesDownward(asGrabbed, direction);
    return TurnedFrames(std::move(asGrabbed), direction);
}

ComposedSize composedSize(const CompositionPlan& plan, ScrollDirection direction) {
    if (direction == ScrollDirection::Right) return {plan.height, plan.width};
    return {plan.width, plan.height};
}

PixelImage composeFrames(std::vector<PixelImage> frames, ScrollDirection direction, const TextLog& log) {
    turnFramesDownward(frames, direction);
    PixelImage downward = composeFrames(frames, log);
    if (direction != ScrollDirection::Right) return downward;
    frames.clear();
    return transposed(downward);
}

}  // namespace tf
