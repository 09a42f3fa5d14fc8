#pragma once
// Joins the ordered frames of one capture into the long image.

#include <ostream>
#include <string_view>
#include <vector>

#include "image/pixel_image.h"
#include "stitch/matcher.h"
#include "stitch/text_log.h"

namespace tf {

// The composer's per-pair log lines (bounded to 256 characters).
std::string formatPairLine(size_t pairNumber, const MatchResult& r);

// Throws std::runtime_error("stitch failed") on a pair that does not match and
// std::runtime_error("invalid seam") when the cut would leave the canvas.
// Writes the detected panels and one line per pair to `log`.
PixelImage composeFrames(const std::vector<PixelImage>& frames, const TextLog& log = TextLog());

}  // namespace tf
