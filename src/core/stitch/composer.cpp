#include "core/stitch/composer.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <future>
#include <stdexcept>
#include <string>
#include <system_error>
#include <thread>

#include "core/stitch/small_shift.h"

namespace tf {

std::string formatPairLine(size_t pairNumber, const MatchResult& r) {
    char buffer[256];
    std::snprintf(buffer, sizeof buffer,
                  r.matched ? "pair %zu overlap=%d score=%.2f seam=%d seamScore=%.2f"
                            : "pair %zu failed overlap=%d score=%.2f seam=%d seamScore=%.2f",
                  pairNumber, r.overlap, r.score, r.seam, r.seamScore);
    return buffer;
}

namespace {

int32_t minimumWidth(const std::vector<PixelImage>& frames) {
    int32_t W = frames[0].width;
    for (const PixelImage& f : frames) W = std::min(W, f.width);
    return W;
}

std::string pairNote(size_t pairNumber, const std::string& what) {
    return "pair " + std::to_string(pairNumber) + " " + what;
}

}  // namespace

// The panel columns' colours below the first frame. A panel is shown once, as
// the first frame shows it; below that frame its columns hold the panel's own
// background instead of a slice of the panel from every later frame. The
// background is the panel's most common colour, except for the columns at its
// inner edge that show another one (usually the page's margin between panel
// and content), which keep their own.
std::vector<uint32_t> panelBackgrounds(size_t w, const PixelImage& first, const SidePanels& panels) {
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
    return fill;
}

// Canvas row y's panel columns: the first frame's, or the backgrounds below it.
void paintPanelRow(uint32_t* row, int64_t y, size_t w, const PixelImage& first, const SidePanels& panels,
                   const std::vector<uint32_t>& fill) {
    const int32_t W = static_cast<int32_t>(w);
    const int32_t left = std::min(panels.left, W);
    const int32_t right = std::min(panels.right, W - left);
    const uint32_t* src = y < first.height ? first.row(static_cast<int32_t>(y)) : fill.data();
    std::copy(src, src + left, row);
    std::copy(src + W - right, src + W, row + W - right);
}

// The seam row of `next` clamped into the overlap: the upper bound is tested first.
int32_t clampedSeam(const MatchResult& r, int32_t nextHeight) {
    const int32_t upper = std::min(nextHeight - 1, r.overlap - 1);
    return upper < r.seam ? upper : std::max(r.seam, 1);
}

// The capture controller accepted each pair with the side panels that pair
// showed; the capture's panels (a two-thirds majority) may differ, and then the
// pair's own are tried before it is refused. A pair the matcher cannot see,
// because the page moved fewer than kMatcherMinShiftRows rows (the last notch
// of a page), is joined by that shift when its rows agree at least as well as
// the matcher's answer. Every decision beyond the matcher's own becomes a note, written to
// the stitch log ahead of the pair line. Pure: the same frames and expectation
// give the same join on any thread.
PairJoin joinPair(const PixelImage& prev, const PixelImage& next, size_t pairNumber, int32_t expected,
                  const SidePanels& capturePanels, const SidePanels& ownPanels) {
    PairJoin join;
    SidePanels used = panelsForPair(capturePanels, ownPanels);
    MatchResult r = matchFramesBetweenPanels(prev, next, expected, kPriorTolerance, used);
    if (!r.matched && ownPanels != used) {
        MatchResult own = matchFramesBetweenPanels(prev, next, expected, kPriorTolerance, ownPanels);
        if (own.matched) {
            join.notes.push_back(pairNote(pairNumber, "ownPanels=" + std::to_string(ownPanels.left) + "," +
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
            join.notes.push_back(pairNote(pairNumber, "smallShift=" + std::to_string(shift)));
            join.result = few;
            return join;
        }
    }
    if (r.matched && r.identicalRows > 0)
        join.notes.push_back(pairNote(pairNumber, "identicalRows=" + std::to_string(r.identicalRows)));
    join.result = r;
    return join;
}

int32_t expectationAfter(int32_t prevHeight, const MatchResult& r) {
    // A shift of a few rows says nothing about the next pair's motion.
    return prevHeight - r.overlap >= kMatcherMinShiftRows ? r.overlap : 0;
}

bool pairMatchingInParallel() { return std::thread::hardware_concurrency() >= 2; }

void matchFramePairs(const std::vector<PixelImage>& frames, const SidePanels& capturePanels,
                     const std::vector<SidePanels>& pairPanels, bool parallel,
                     const std::function<void(size_t pair, const PairJoin& join)>& onPair) {
    const auto join = [&](size_t pair, int32_t expected) {
        const SidePanels& own = pair - 1 < pairPanels.size() ? pairPanels[pair - 1] : capturePanels;
        return joinPair(frames[pair - 1], frames[pair], pair, expected, capturePanels, own);
    };
    int32_t expected = 0;
    for (size_t i = 1; i < frames.size();) {
        // The first pair has no expectation to guess from: pair 2's would be
        // pair 1's own overlap.
        std::future<PairJoin> following;
        if (parallel && i >= 2 && i + 1 < frames.size()) {
            try {
                following = std::async(std::launch::async, join, i + 1, expected);
            } catch (const std::system_error&) {
                // No thread to be had: this round goes one pair at a time.
            }
        }
        // If anything below throws, the future's destructor waits for the
        // second thread, which only reads the frames.
        const PairJoin r = join(i, expected);
        onPair(i, r);
        if (!r.result.matched) return;
        const int32_t nextExpected = expectationAfter(frames[i - 1].height, r.result);
        if (following.valid() && nextExpected == expected) {
            // Pair i + 1 was matched with exactly the expectation it would get now.
            const PairJoin next = following.get();
            onPair(i + 1, next);
            if (!next.result.matched) return;
            expected = expectationAfter(frames[i].height, next.result);
            i += 2;
        } else {
            expected = nextExpected;
            i += 1;
        }
    }
}

CompositionPlan planComposition(const std::vector<PixelImage>& frames, const TextLog& log) {
    CompositionPlan plan;
    if (frames.empty()) return plan;

    const int32_t W = minimumWidth(frames);
    const size_t w = static_cast<size_t>(std::max(W, 0));
    const PixelImage& firstFrame = frames[0];
    int64_t canvasHeight = firstFrame.height;
    plan.width = W;
    plan.offsets.assign(frames.size(), 0);
    plan.seams.assign(frames.size(), 0);
    if (canvasHeight > 0) plan.spans.push_back({0, canvasHeight, 0, 0});

    // Fixed side panels are matched around and pasted once (see paintPanelRow).
    std::vector<SidePanels> pairPanels;
    for (size_t i = 1; i < frames.size(); ++i) pairPanels.push_back(detectSidePanels(frames[i - 1], frames[i]));
    plan.panels = capturePanelsOfPairs(pairPanels);
    if (plan.panels.any()) log.line("panels=" + std::to_string(plan.panels.left) + "," + std::to_string(plan.panels.right));

    int64_t offset = 0;
    matchFramePairs(frames, plan.panels, pairPanels, pairMatchingInParallel(), [&](size_t i, const PairJoin& join) {
        const MatchResult& r = join.result;
        const PixelImage& prev = frames[i - 1];
        const PixelImage& next = frames[i];
        for (const std::string& note : join.notes) {
            log.line(note);
            readPairLine(note, plan.joins);
        }
        const std::string pairLine = formatPairLine(i, r);
        log.line(pairLine);
        if (!r.matched) throw std::runtime_error("stitch failed");
        offset += prev.height - r.overlap;
        const int32_t s = clampedSeam(r, next.height);
        const int64_t cut = offset + s;
        if (cut < 0 || cut > canvasHeight) throw std::runtime_error("invalid seam");
        plan.offsets[i] = offset;
        plan.seams[i] = s;
        // The record is read from the pair's own lines, as it is read back from a log.
        readPairLine(pairLine, plan.joins);
        plan.joins.back().outputRow = cut;
        plan.joins.back().panelsPastedOnce = plan.panels.any();

        // Rows from the cut down are the new frame's; earlier frames keep what lies above it.
        while (!plan.spans.empty() && plan.spans.back().firstRow >= cut) plan.spans.pop_back();
        if (!plan.spans.empty()) plan.spans.back().endRow = std::min(plan.spans.back().endRow, cut);
        canvasHeight = offset + next.height;
        if (canvasHeight > cut) plan.spans.push_back({cut, canvasHeight, i, s});
    });

    if (canvasHeight > INT32_MAX) throw std::runtime_error("stitch failed");
    plan.height = static_cast<int32_t>(canvasHeight);
    if (plan.panels.any()) plan.panelFill = panelBackgrounds(w, firstFrame, plan.panels);

    plan.neededUntil.assign(frames.size(), 0);
    for (const RowSpan& span : plan.spans)
        plan.neededUntil[span.frame] = std::max(plan.neededUntil[span.frame], span.endRow);
    if (plan.panels.any())
        plan.neededUntil[0] = std::max<int64_t>(plan.neededUntil[0], std::min<int64_t>(firstFrame.height, plan.height));
    return plan;
}

void composeRows(const std::vector<PixelImage>& frames, const CompositionPlan& plan, int32_t firstRow, int32_t count,
                 uint32_t* out) {
    const size_t w = static_cast<size_t>(std::max(plan.width, 0));
    if (w == 0) return;
    // The spans are sorted and without gaps: find the first, then walk down.
    auto span = std::upper_bound(plan.spans.begin(), plan.spans.end(), static_cast<int64_t>(firstRow),
                                 [](int64_t y, const RowSpan& s) { return y < s.endRow; });
    for (int32_t k = 0; k < count; ++k) {
        const int64_t y = static_cast<int64_t>(firstRow) + k;
        while (span != plan.spans.end() && span->endRow <= y) ++span;
        if (span == plan.spans.end() || span->firstRow > y) throw std::logic_error("row outside the plan");
        uint32_t* row = out + static_cast<size_t>(k) * w;
        const int32_t source = span->sourceRow + static_cast<int32_t>(y - span->firstRow);
        std::memcpy(row, frames[span->frame].row(source), w * 4);
        if (plan.panels.any()) paintPanelRow(row, y, w, frames[0], plan.panels, plan.panelFill);
    }
}

PixelImage composeFrames(const std::vector<PixelImage>& frames, const TextLog& log) {
    const CompositionPlan plan = planComposition(frames, log);
    if (frames.empty()) return PixelImage{};

    // Pasted frame by frame, as the plan was made: each frame from its seam
    // down, over whatever earlier frames left below the cut.
    const size_t w = static_cast<size_t>(std::max(plan.width, 0));
    const PixelImage& firstFrame = frames[0];
    std::vector<uint32_t> canvas(w * static_cast<size_t>(std::max(firstFrame.height, 0)), 0u);
    for (int32_t y = 0; y < firstFrame.height && w > 0; ++y)
        std::memcpy(&canvas[static_cast<size_t>(y) * w], firstFrame.row(y), w * 4);
    for (size_t i = 1; i < frames.size(); ++i) {
        const PixelImage& next = frames[i];
        const int64_t offset = plan.offsets[i];
        canvas.resize(w * static_cast<size_t>(offset + next.height), 0u);
        for (int32_t y = plan.seams[i]; y < next.height && w > 0; ++y)
            std::memcpy(&canvas[static_cast<size_t>(offset + y) * w], next.row(y), w * 4);
    }

    if (plan.panels.any() && w > 0)
        for (int64_t y = 0; y < plan.height; ++y)
            paintPanelRow(&canvas[static_cast<size_t>(y) * w], y, w, firstFrame, plan.panels, plan.panelFill);
    PixelImage out;
    out.width = plan.width;
    out.height = plan.height;
    out.pixels = std::move(canvas);
    return out;
}

}  // namespace tf
