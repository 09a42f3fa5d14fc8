#pragma once
// The matcher's parts, private to its own files (matcher.cpp and the files
// named after each job below), its tests and the reference matcher beside the
// benchmark, so that each rule can be pinned down on its own. Everything else
// uses matcher.h.

#include <cstdint>
#include <functional>
#include <vector>

#include "core/stitch/frame_bands.h"
#include "core/stitch/matcher.h"

namespace tf::matcher_detail {

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

// The rows [first, end) of next that scoreOverlap compares for an overlap:
// the skipped top rows (all but the last kCompareTopMarginRows of a short
// overlap) and the rows facing the unchanged bottom band left out.
struct ComparedSpan {
    int32_t first = 0;
    int32_t end = 0;
};
ComparedSpan comparedSpan(int32_t overlap, int32_t topSkip, int32_t fixedBottom);

// --- row profiles (row_profiles.cpp) ---

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

// --- candidate scores (candidate_scores.cpp) ---

// The costs are summed with AVX when the processor has it; allowAvx = false
// takes the SSE2 path every x86-64 processor has (the tests check both agree).
double scoreOverlap(const RowProfiles& prev, const RowProfiles& next, int32_t overlap, int32_t topSkip,
                    int32_t fixedBottom, bool allowAvx = true);

// A candidate's score from its summed cost and sample count per bin (kBins
// each): the trimmed mean of the mean costs of the bins with enough samples,
// kInvalidScore when too few samples or bins carry content.
double scoreOfBinCosts(const double* cost, const int32_t* count);

// --- pixel checks (pixel_checks.cpp) ---

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

// The accepted overlap, or a candidate of about the same score whose rows
// agree with the pixels where the chosen one's do not.
int32_t checkAgainstPixels(const PixelImage& prev, const PixelImage& next, const Geometry& g,
                           const std::vector<double>& scores, int32_t chosen, double chosenScore);

// Whether at least two rows r in [firstRow, endRow) of next disagree with prev
// under `overlap` (rows identical byte for byte are passed over quickly); when
// asked, also whether every row was identical byte for byte.
bool agreeingRowsDisagree(const PixelImage& prev, const PixelImage& next, int32_t overlap, int32_t firstRow,
                          int32_t endRow, int32_t x0, int32_t x1, bool* allIdentical = nullptr);

// Whether every row of `overlap` between the unchanged bands is identical byte
// for byte in both frames; false for an overlap outside the candidate range.
bool identicalBetweenBands(const PixelImage& prev, const PixelImage& next, const Geometry& g, int32_t overlap);

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

// --- decisions (match_decisions.cpp) ---

double scoreSeam(const PixelImage& prev, const PixelImage& next, int32_t overlap, int32_t seam, int32_t x0,
                 int32_t x1, int32_t columnStep);

// The least visible seam of the accepted `result.overlap`: sets result.seam and result.seamScore.
void searchSeam(const PixelImage& prev, const PixelImage& next, const Geometry& g, MatchResult& result);

// How the candidates are scored, one pass per top skip: `score` fills
// scores[ov - g.minOverlap] for every candidate overlap ov of the geometry,
// the first `topSkip` rows of next left out; `comparedRows` says how many rows
// of next that pass compared for one overlap. Each matcher counts its own, so
// that the decisions rest on what its scores really compared.
struct ScoreCandidates {
    std::function<void(int32_t topSkip, std::vector<double>& scores)> score;
    std::function<int32_t(int32_t topSkip, int32_t overlap)> comparedRows;
};

// What the matcher makes of the candidates' scores: the best one, or the best
// near `expectedOverlap` when it is within `priorTolerance`; a second search
// past the whole top band; the checks against the pixels and identical rows;
// the seam.
MatchResult matchOnScores(const PixelImage& prev, const PixelImage& next, const Geometry& g, int32_t expectedOverlap,
                          double priorTolerance, const ScoreCandidates& scoreCandidates);

}  // namespace tf::matcher_detail
