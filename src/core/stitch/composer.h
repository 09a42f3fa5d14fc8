#pragma once
// Joins the ordered frames of one capture into the long image.

#include <functional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "ground/pixel_image.h"
#include "core/stitch/matcher.h"
#include "core/stitch/seam_record.h"
#include "core/stitch/side_panels.h"
#include "ground/text_log.h"

namespace tf {

// The composer's per-pair log lines (bounded to 256 characters).
std::string formatPairLine(size_t pairNumber, const MatchResult& r);

// Throws std::runtime_error("stitch failed") on a pair that does not match and
// std::runtime_error("invalid seam") when the cut would leave the canvas.
// Writes the detected panels and one line per pair to `log`.
PixelImage composeFrames(const std::vector<PixelImage>& frames, const TextLog& log = TextLog());

// One pair's join: the result and the decisions beyond the matcher's own, as
// stitch-log lines that go ahead of the pair line.
struct PairJoin {
    MatchResult result;
    std::vector<std::string> notes;
};

// Joins pair `pairNumber` (frames prev, next) as composing does, around the
// capture's panels or, where they refuse the pair, the pair's own.
PairJoin joinPair(const PixelImage& prev, const PixelImage& next, size_t pairNumber, int32_t expected,
                  const SidePanels& capturePanels, const SidePanels& ownPanels);

// The expectation the pair after this one is matched with.
int32_t expectationAfter(int32_t prevHeight, const MatchResult& r);

// Joins every consecutive pair as composing does: pair i (frames i - 1 and i)
// with the expectation left by pair i - 1, and hands each join to
// `onPair(i, join)` in pair order on the calling thread. `pairPanels[i - 1]`
// are the panels pair i showed (the capture's when the list is shorter).
// Stops after the first pair that does not match, or when onPair throws. With
// `parallel`, pair i + 1 is joined on a second thread meanwhile, guessing that
// it gets the expectation pair i got (a steady scroll); a guess that proves
// wrong is joined again, so the results are those of the plain order.
void matchFramePairs(const std::vector<PixelImage>& frames, const SidePanels& capturePanels,
                     const std::vector<SidePanels>& pairPanels, bool parallel,
                     const std::function<void(size_t pair, const PairJoin& join)>& onPair);

// Whether a second core is there to match pairs on.
bool pairMatchingInParallel();

// Canvas rows [firstRow, endRow) of the long image are rows sourceRow, ... of frame `frame`.
struct RowSpan {
    int64_t firstRow = 0;
    int64_t endRow = 0;
    size_t frame = 0;
    int32_t sourceRow = 0;
};

// Where every row of the long image comes from, decided before any pixel is
// copied: what composeFrames would build, as a list of row spans.
struct CompositionPlan {
    int32_t width = 0;
    int32_t height = 0;
    SidePanels panels;
    // Below the first frame, the panel columns show these colours instead.
    std::vector<uint32_t> panelFill;
    std::vector<int64_t> offsets;  // canvas row of each frame's row 0
    std::vector<int32_t> seams;    // first row each frame pastes (0 for the first)
    std::vector<RowSpan> spans;    // top to bottom, without gaps
    // Last canvas row (exclusive) that needs each frame; 0 for frames nothing shows.
    std::vector<int64_t> neededUntil;
    // One per pair, in pair order: what its log lines say and its cut row.
    std::vector<SeamRecord> joins;
};

// Matches the frames and writes the pair lines exactly as composeFrames does,
// with the same exceptions at the same points, but copies no pixels.
CompositionPlan planComposition(const std::vector<PixelImage>& frames, const TextLog& log = TextLog());

// The colours the panel columns of a `w` wide image show below the first frame.
std::vector<uint32_t> panelBackgrounds(size_t w, const PixelImage& first, const SidePanels& panels);

// Image row y's panel columns: the first frame's, or `fill` below it.
void paintPanelRow(uint32_t* row, int64_t y, size_t w, const PixelImage& first, const SidePanels& panels,
                   const std::vector<uint32_t>& fill);

// The row of `next` from which a matched pair pastes it.
int32_t clampedSeam(const MatchResult& r, int32_t nextHeight);

// Rows [firstRow, firstRow + count) of the planned image into `out` (count × width pixels).
void composeRows(const std::vector<PixelImage>& frames, const CompositionPlan& plan, int32_t firstRow,
                 int32_t count, uint32_t* out);

}  // namespace tf
