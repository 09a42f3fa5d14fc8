#pragma once
// Side panels: columns at the left or right edge (a table of contents, a folder
// list) that stay put while the content between them scrolls. Left in the
// picture, every frame would paste its own copy of the panel below its seam.

#include <cstdint>
#include <vector>

#include "ground/pixel_image.h"

namespace tf {

struct SidePanels {
    int32_t left = 0;   // width of the left panel in pixels, 0 for none
    int32_t right = 0;  // width of the right panel in pixels, 0 for none
    bool any() const { return left > 0 || right > 0; }
    bool operator==(const SidePanels&) const = default;
};

inline constexpr int32_t kMinPanelWidth = 24;
inline constexpr double kMaxPanelShare = 0.45;

// The panels of one pair of consecutive frames, from pixels alone.
SidePanels detectSidePanels(const PixelImage& prev, const PixelImage& next);

// The panels shared by every consecutive pair of a capture's frames.
SidePanels detectCapturePanels(const std::vector<PixelImage>& frames);

// The same from the panels each pair saw (detectSidePanels of pair i - 1, i).
SidePanels capturePanelsOfPairs(const std::vector<SidePanels>& pairPanels);

// The panels a pair is matched around: the capture's when it has any, or else
// the pair's own, so that a pair is never compared over a panel that the
// capture controller left out when it accepted the pair.
SidePanels panelsForPair(const SidePanels& capture, const SidePanels& pair);

// The most common colour of the columns [x0, x1) of an image.
uint32_t dominantColour(const PixelImage& image, int32_t x0, int32_t x1);

}  // namespace tf
