#pragma once
// How far did the content move between two consecutive frames, how sure is
// that answer, and where should the two be joined?

#include <cstdint>
#include <functional>
#include <vector>

#include "ground/pixel_image.h"
#include "core/stitch/side_panels.h"

namespace tf {

struct MatchResult {
    int32_t overlap = 0;     // prev's last `overlap` rows equal next's first `overlap` rows
    double score = 1e18;     // mismatch of that overlap; lower is better
    bool matched = false;    // overlap accepted and a seam searched
    int32_t seam = 0;        // row of next at which next takes over from prev
    double seamScore = 1e18; // visibility of the join at `seam`
    // When the overlap was taken from rows that are identical in both frames
    // (the row profiles had too little to compare): how many rows those were;
    // 0 when the profiles decided.
    int32_t identicalRows = 0;

    bool operator==(const MatchResult&) const = default;
};

inline constexpr double kInvalidScore = 1e18;
inline constexpr double kAcceptScore = 18.0;

MatchResult matchFrames(const PixelImage& prev, const PixelImage& next, int32_t expectedOverlap,
                        double priorTolerance);

// The same, judged only on the content between fixed side panels: the column
// band is laid over the columns between them. Without panels it is matchFrames.
MatchResult matchFramesBetweenPanels(const PixelImage& prev, const PixelImage& next, int32_t expectedOverlap,
                                     double priorTolerance, const SidePanels& panels);

// The join of two frames that `smallShiftRows` found moved by `shiftRows`
// (1..7) rows: overlap prev.height - shiftRows with a seam chosen as for any
// accepted overlap. Not matched when the frames cannot be joined that way.
MatchResult matchSmallShift(const PixelImage& prev, const PixelImage& next, int32_t shiftRows,
                            const SidePanels& panels = {});

// Rows of the overlap, between the unchanged bands, that show different
// content in the two frames (as the pixel check counts them).
int32_t disagreeingOverlapRows(const PixelImage& prev, const PixelImage& next, int32_t overlap,
                               const SidePanels& panels = {});

// The pieces below are exposed so that the tests can pin each rule down on its own.
namespace matcher_detail {

inline constexpr int kBins = 24;

struct Geometry {
    int32_t W = 0, H = 0;
    int32_t minOverlap = 0, maxOverlap = 0;
    int32_t x0 = 0, x1 = 0, columnStep = 1;
    int32_t fixedTop = 0, fixedBottom = 0, topSkip = 0;
};

// False when the frames are too small to be compared safely (fewer than 33
// rows or 2 columns); the geometry is then left unfilled.
bool computeGeometry(const PixelImage& prev, const PixelImage& next, Geometry& g, const SidePanels& panels = {});

// The columns whose rows the fixed-band scans compare: [left, left + width).
struct ColumnSpan {
    int32_t left = 0;
    int32_t width = 0;
};
ColumnSpan contentSpan(const PixelImage& prev, const PixelImage& next, const SidePanels& panels);

int32_t detectFixedTop(const PixelImage& prev, const PixelImage& next);
int32_t detectFixedBottom(const PixelImage& prev, const PixelImage& next);
int32_t detectFixedTop(const PixelImage& prev, const PixelImage& next, ColumnSpan span);
int32_t detectFixedBottom(const PixelImage& prev, const PixelImage& next, ColumnSpan span);

// Row profiles of a whole frame, stored flat: row y, bin b at [y * kBins + b].
struct RowProfiles {
    int32_t rows = 0;
    std::vector<float> ink;
    std::vector<float> edge;
    // max(ink, 1.5 * edge) per bin: half of the content test, computed once per row.
    std::vector<float> content;
    // Per row, bit b set when content[b] reaches the content threshold: a pair
    // of rows with no such bin on either side adds nothing to any candidate.
    std::vector<uint32_t> contentBins;
};

RowProfiles computeRowProfiles(const PixelImage& image, int32_t x0, int32_t x1);

// The costs are summed with AVX when the processor has it; allowAvx = false
// takes the SSE2 path every x86-64 processor has (the tests check both agree).
double scoreOverlap(const RowProfiles& prev, const RowProfiles& next, int32_t overlap, int32_t topSkip,
                    int32_t fixedBottom, bool allowAvx = true);

// Row fingerprints of the columns [x0, x1): equal rows have equal hashes.
std::vector<uint64_t> rowHashes(const PixelImage& image, int32_t x0, int32_t x1);

// Whether two rows show different content: more than 1 % (at least 2) of the
// columns differ by a luma of 40 or more.
bool rowsDisagree(const PixelImage& prev, int32_t prevRow, const PixelImage& next, int32_t nextRow, int32_t x0,
                  int32_t x1);

// Rows r in [firstRow, endRow) of next that disagree with prev under `overlap`;
// counting stops once it exceeds stopAbove.
int32_t disagreeingRows(const PixelImage& prev, const std::vector<uint64_t>& prevHashes, const PixelImage& next,
                        const std::vector<uint64_t>& nextHashes, int32_t overlap, int32_t firstRow, int32_t endRow,
                        int32_t x0, int32_t x1, int32_t stopAbove);

// Candidates scoring within this of the chosen overlap are checked against the pixels.
inline constexpr double kPixelCheckTolerance = 0.7;

// The accepted overlap, or a candidate of about the same score whose rows
// agree with the pixels where the chosen one's do not.
int32_t checkAgainstPixels(const PixelImage& prev, const PixelImage& next, const Geometry& g,
                           const std::vector<double>& scores, int32_t chosen, double chosenScore);

// A profile score above this is accepted only after the pixels were asked
// whether another overlap has identical rows.
inline constexpr double kConvincingScore = 2.0;
// Identical rows must cover at least this many rows of an overlap, with at
// least kMinIdenticalContentRows of them showing something.
inline constexpr int32_t kMinIdenticalRows = 16;
inline constexpr int32_t kMinIdenticalContentRows = 6;
// A profile answer compared over fewer rows than this rests on little evidence.
inline constexpr int32_t kMinComparedRows = 32;

// Whether at least two rows r in [firstRow, endRow) of next disagree with prev
// under `overlap` (rows identical byte for byte are passed over quickly); when
// asked, also whether every row was identical byte for byte.
bool agreeingRowsDisagree(const PixelImage& prev, const PixelImage& next, int32_t overlap, int32_t firstRow,
                          int32_t endRow, int32_t x0, int32_t x1, bool* allIdentical = nullptr);

// The rows of next that scoreOverlap compares for an overlap.
int32_t comparedRows(const Geometry& g, int32_t overlap);

struct IdenticalOverlap {
    int32_t overlap = 0;  // 0: none, or more than one
    int32_t rows = 0;     // rows compared (between the unchanged bands)
};

// The one overlap whose rows between the unchanged bands are identical in both
// frames, with enough identical rows that show content; none when no overlap
// or several qualify.
IdenticalOverlap findIdenticalOverlap(const PixelImage& prev, const PixelImage& next, const Geometry& g,
                                      const std::vector<uint64_t>& prevHashes,
                                      const std::vector<uint64_t>& nextHashes);

double scoreSeam(const PixelImage& prev, const PixelImage& next, int32_t overlap, int32_t seam, int32_t x0,
                 int32_t x1, int32_t columnStep);

// The least visible seam of the accepted `result.overlap`: sets result.seam and result.seamScore.
void searchSeam(const PixelImage& prev, const PixelImage& next, const Geometry& g, MatchResult& result);

// Fills scores[ov - g.minOverlap] for every candidate overlap ov of the
// geometry, the first `topSkip` rows of next left out.
using ScoreCandidates = std::function<void(int32_t topSkip, std::vector<double>& scores)>;

// What the matcher makes of the candidates' scores: the best one, or the best
// near `expectedOverlap` when it is within `priorTolerance`; a second search
// past the whole top band; the checks against the pixels and identical rows;
// the seam.
MatchResult matchOnScores(const PixelImage& prev, const PixelImage& next, const Geometry& g, int32_t expectedOverlap,
                          double priorTolerance, const ScoreCandidates& scoreCandidates);

}  // namespace matcher_detail
}  // namespace tf
