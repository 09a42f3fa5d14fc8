#pragma once
// The stitching boundary for captures that scroll sideways. The matcher, the
// side-panel rule and the composer only know content that moves up while the
// page scrolls down; a capture scrolled to the right is turned on its side
// before them (each frame transposed, so its columns become rows) and the
// composed image is turned back as it is written. A fixed column at the left
// then behaves like a fixed header and a fixed row at the top like a side panel.

#include <vector>

#include "core/stitch/composer.h"
#include "core/stitch/turned_frames.h"
#include "ground/pixel_image.h"
#include "ground/scroll_direction.h"
#include "ground/text_log.h"

namespace tf {

// Transposes every frame in place for a capture scrolled to the right, one
// frame at a time (the peak is one frame more); leaves a downward one alone.
void turnFramesDownward(std::vector<PixelImage>& frames, ScrollDirection direction);


struct ComposedSize {
    int32_t width = 0;
    int32_t height = 0;
};

// The size of the image a plan of downward-turned frames gives in `direction`.
ComposedSize composedSize(const CompositionPlan& plan, ScrollDirection direction);

// composeFrames for frames as they were grabbed in `direction`: the whole long
// image in memory, the right way round. Same lines, same exceptions.
PixelImage composeFrames(std::vector<PixelImage> frames, ScrollDirection direction, const TextLog& log = TextLog());

}  // namespace tf
