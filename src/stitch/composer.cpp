#include "stitch/composer.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>

#include "diagnostics/text_output.h"

namespace tf {

std::ostream* stitchLog = nullptr;

void writeStitchLogLine(std::string_view line) {
    if (stitchLog == nullptr || stitchLog->fail() || stitchLog->bad()) return;
    writeTextLine(*stitchLog, line);
}

std::string formatPairLine(size_t pairNumber, const MatchResult& r) {
    char buffer[256];
    std::snprintf(buffer, sizeof buffer,
                  r.matched ? "pair %zu overlap=%d score=%.2f seam=%d seamScore=%.2f"
                            : "pair %zu failed overlap=%d score=%.2f seam=%d seamScore=%.2f",
                  pairNumber, r.overlap, r.score, r.seam, r.seamScore);
    return buffer;
}

PixelImage composeFrames(const std::vector<PixelImage>& frames) {
    if (frames.empty()) return PixelImage{};

    int32_t W = frames[0].width;
    for (const PixelImage& f : frames) W = std::min(W, f.width);
    const size_t w = static_cast<size_t>(std::max(W, 0));

    const PixelImage& firstFrame = frames[0];
    std::vector<uint32_t> canvas(w * static_cast<size_t>(std::max(firstFrame.height, 0)), 0u);
    int64_t canvasHeight = firstFrame.height;
    for (int32_t y = 0; y < firstFrame.height && w > 0; ++y)
        std::memcpy(&canvas[static_cast<size_t>(y) * w], firstFrame.row(y), w * 4);

    int64_t offset = 0;
    int32_t expected = 0;
    for (size_t i = 1; i < frames.size(); ++i) {
        const PixelImage& prev = frames[i - 1];
        const PixelImage& next = frames[i];
        const MatchResult r = matchFrames(prev, next, expected, 0.7);
        writeStitchLogLine(formatPairLine(i, r));
        if (!r.matched) throw std::runtime_error("stitch failed");
        expected = r.overlap;
        offset += prev.height - r.overlap;

        const int32_t upper = std::min(next.height - 1, r.overlap - 1);
        const int32_t s = upper < r.seam ? upper : std::max(r.seam, 1);
        const int64_t cut = offset + s;
        if (cut < 0 || cut > canvasHeight) throw std::runtime_error("invalid seam");

        const int64_t newHeight = offset + next.height;
        canvas.resize(w * static_cast<size_t>(newHeight), 0u);
        for (int32_t y = s; y < next.height && w > 0; ++y)
            std::memcpy(&canvas[static_cast<size_t>(offset + y) * w], next.row(y), w * 4);
        canvasHeight = newHeight;
    }

    if (canvasHeight > INT32_MAX) throw std::runtime_error("stitch failed");
    PixelImage out;
    out.width = W;
    out.height = static_cast<int32_t>(canvasHeight);
    out.pixels = std::move(canvas);
    return out;
}

}  // namespace tf
