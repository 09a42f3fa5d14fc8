#pragma once
// Joins the ordered frames of one capture into the long image.

#include <ostream>
#include <string_view>
#include <vector>

#include "image/pixel_image.h"
#include "stitch/matcher.h"

namespace tf {

// Set only by the offline stitch mode while it runs; null otherwise.
extern std::ostream* stitchLog;

// Writes one line to stitchLog when it is set and healthy; otherwise nothing.
void writeStitchLogLine(std::string_view line);

// The composer's per-pair log lines (bounded to 256 characters).
std::string formatPairLine(size_t pairNumber, const MatchResult& r);

// Throws std::runtime_error("stitch failed") on a pair that does not match and
// std::runtime_error("invalid seam") when the cut would leave the canvas.
PixelImage composeFrames(const std::vector<PixelImage>& frames);

}  // namespace tf
