#include "stitch/composer.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>

#include "diagnostics/text_output.h"
#include "stitch/small_shift.h"

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

namespace {

// A panel is shown once, as the first frame shows it; below that frame its
// columns hold the panel's own background instead of a slice of the panel from
// every later frame. The background is the panel's most common colour, except
// for the columns at its inner edge that show another one (usually the page's
// margin between panel and content), which keep their own.
void paintPanelsOnce(std::vector<uint32_t>& canvas, size_t w, int64_t height, const PixelImage& first,
                     const SidePanels& panels) {
    const int32_t W = static_cast<int32_t>(w);
    const int32_t left = std::min(panels.left, W);
    const int32_t right = std::min(panels.right, W - left);
    std::vector<uint32_t> fill(w, 0u);
    auto backgrounds = [&](int32_t from, int32_t to, int32_t innerFirst, int32_t innerStep) {
        if (from >= to) return;
        const uint32_t panelColour = dominantColour(first, from, to);
        for (int32_t x = from; x < to; ++x) fill[static_cast<size_t>(x)] = panelColour;
        for (int32_t x = innerFirst; x >= from && x < to; x += innerStep) {
            const uint32_t own = dominantColour(first, x, x + 1);
            if (own == panelColour) break;
            fill[static_cast<size_t>(x)] = own;
        }
    };
    backgrounds(0, left, left - 1, -1);
    backgrounds(W - right, W, W - right, +1);
    for (int64_t y = 0; y < height; ++y) {
        uint32_t* row = &canvas[static_cast<size_t>(y) * w];
        const uint32_t* src = y < first.height ? first.row(static_cast<int32_t>(y)) : fill.data();
        std::copy(src, src + left, row);
        std::copy(src + W - right, src + W, row + W - right);
    }
}

std::string pairNote(size_t pairNumber, const std::string& what) {
    return "pair " + std::to_string(pairNumber) + " " + what;
}

// How one pair is joined. The capture controller accepted the pair with the
// side panels that pair showed; the capture's panels (a two-thirds majority)
// may differ, and then the pair's own are tried before it is refused. A pair
// the matcher cannot see, because the page moved fewer than 8 rows (the last
// notch of a page), is joined by that shift when its rows agree at least as
// well as the matcher's answer. Every decision beyond the matcher's own gets
// a line of the stitch log ahead of the pair line.
MatchResult joinPair(const PixelImage& prev, const PixelImage& next, size_t pairNumber, int32_t expected,
                     const SidePanels& capturePanels, const SidePanels& ownPanels) {
    SidePanels used = panelsForPair(capturePanels, ownPanels);
    MatchResult r = matchFramesBetweenPanels(prev, next, expected, 0.7, used);
    if (!r.matched && ownPanels != used) {
        MatchResult own = matchFramesBetweenPanels(prev, next, expected, 0.7, ownPanels);
        if (own.matched) {
            writeStitchLogLine(pairNote(pairNumber, "ownPanels=" + std::to_string(ownPanels.left) + "," +
                                                        std::to_string(ownPanels.right)));
            r = own;
            used = ownPanels;
        }
    }
    const int32_t shift = smallShiftRows(prev, next, used);
    if (shift > 0) {
        const MatchResult few = matchSmallShift(prev, next, shift, used);
        if (few.matched && (!r.matched || disagreeingOverlapRows(prev, next, few.overlap, used) <
                                              disagreeingOverlapRows(prev, next, r.overlap, used))) {
            writeStitchLogLine(pairNote(pairNumber, "smallShift=" + std::to_string(shift)));
            return few;
        }
    }
    if (r.matched && r.identicalRows > 0)
        writeStitchLogLine(pairNote(pairNumber, "identicalRows=" + std::to_string(r.identicalRows)));
    return r;
}

}  // namespace

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

    // Fixed side panels are matched around and pasted once (see below).
    std::vector<SidePanels> pairPanels;
    for (size_t i = 1; i < frames.size(); ++i) pairPanels.push_back(detectSidePanels(frames[i - 1], frames[i]));
    const SidePanels panels = capturePanelsOfPairs(pairPanels);
    if (panels.any()) writeStitchLogLine("panels=" + std::to_string(panels.left) + "," + std::to_string(panels.right));

    int64_t offset = 0;
    int32_t expected = 0;
    for (size_t i = 1; i < frames.size(); ++i) {
        const PixelImage& prev = frames[i - 1];
        const PixelImage& next = frames[i];
        const MatchResult r = joinPair(prev, next, i, expected, panels, pairPanels[i - 1]);
        writeStitchLogLine(formatPairLine(i, r));
        if (!r.matched) throw std::runtime_error("stitch failed");
        // A shift of a few rows says nothing about the next pair's motion.
        expected = prev.height - r.overlap >= 8 ? r.overlap : 0;
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
    if (panels.any()) paintPanelsOnce(canvas, w, canvasHeight, firstFrame, panels);
    PixelImage out;
    out.width = W;
    out.height = static_cast<int32_t>(canvasHeight);
    out.pixels = std::move(canvas);
    return out;
}

}  // namespace tf
