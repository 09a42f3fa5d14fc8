#include <gtest/gtest.h>

#include <random>
#include <tuple>

#include "core/image/png_codec.h"
#include "core/stitch/composer.h"
#include "core/stitch/matcher_internal.h"
#include "core/stitch/small_shift.h"
#include "test_support.h"

namespace tf {
namespace {

using namespace matcher_detail;
using test::cropRows;
using test::makeDocumentPage;

const MatchResult kUnmatchedNoOverlap{0, kInvalidScore, false, 0, kInvalidScore};

void fillRows(PixelImage& img, int32_t y0, int32_t y1, uint32_t colour) {
    for (int32_t y = y0; y < y1; ++y)
        for (int32_t x = 0; x < img.width; ++x) img.at(x, y) = colour;
}

// What every geometry must guarantee, from the smallest compared frames to
// tall ones, with and without side panels: the candidates and the column band
// lie inside the frames, the matcher leaves the small shifts to the small-shift
// test, the seam columns are sampled about 120 times, and the unchanged bands
// never reach past what the scans examine.
TEST(MatcherGeometry, StaysInsideTheFramesAndLeavesSmallShiftsOut) {
    struct Case {
        int32_t w, h;
        SidePanels panels;
    } cases[] = {
        {2, 33, {}},          {3, 40, {}},     {64, 41, {}},      {640, 520, {}},  {641, 519, {}},
        {1920, 1080, {}},     {300, 2000, {}}, {900, 500, {200, 0}}, {900, 500, {0, 150}}, {900, 500, {300, 200}},
        {900, 500, {450, 449}},  // leaves one column: no panels
    };
    for (const Case& c : cases) {
        for (bool blank : {true, false}) {
            SCOPED_TRACE(testing::Message() << c.w << "x" << c.h << " panels " << c.panels.left << ","
                                            << c.panels.right << (blank ? " blank" : " page"));
            const PixelImage page = test::makeDocumentPage(c.w, c.h + 100, 23);
            const PixelImage a = blank ? PixelImage(c.w, c.h, 0xFFFFFFFFu) : cropRows(page, 0, c.h);
            const PixelImage b = blank ? a : cropRows(page, 60, c.h);
            Geometry g;
            ASSERT_TRUE(computeGeometry(a, b, g, c.panels));
            EXPECT_GE(g.minOverlap, 32);
            EXPECT_GE(g.minOverlap, c.h * 12 / 100);
            EXPECT_LT(g.minOverlap, g.maxOverlap);
            EXPECT_LE(g.maxOverlap, c.h);
            if (c.h > 40) {
                EXPECT_EQ(g.maxOverlap, c.h - kMatcherMinShiftRows);
            }

            const ColumnSpan span = contentSpan(a, b, c.panels);
            EXPECT_LE(span.left, g.x0);
            EXPECT_LT(g.x0, g.x1);
            EXPECT_LE(g.x1, span.left + span.width);
            EXPECT_LE(span.left + span.width, c.w);
            EXPECT_GE(g.columnStep, 1);
            const int32_t seamSamples = (g.x1 - g.x0 + g.columnStep - 1) / g.columnStep;
            if (g.x1 - g.x0 >= 120) {
                EXPECT_GE(seamSamples, 120);
                EXPECT_LT(seamSamples, 240);
            }

            // Identical frames are unchanged everywhere: the bands reach as far as the scans look.
            EXPECT_LE(g.fixedTop, std::min(c.h / 3, 160));
            EXPECT_LE(g.fixedBottom, std::min(c.h / 4, 140));
            if (blank) {
                EXPECT_EQ(g.fixedTop, std::min(c.h / 3, 160));
                EXPECT_EQ(g.fixedBottom, std::min(c.h / 4, 140));
            }
            EXPECT_GE(g.topSkip, std::min(g.fixedTop / 2, 120));
            EXPECT_LE(g.topSkip, 120);
        }
    }
}

TEST(MatcherGeometry, UsesTheSmallerFrame) {
    const PixelImage a(700, 600), b(640, 520);
    Geometry g;
    ASSERT_TRUE(computeGeometry(a, b, g));
    EXPECT_EQ(g.W, 640);
    EXPECT_EQ(g.H, 520);
}

TEST(Matcher, UniformFrames) {
    const PixelImage white(640, 520, 0xFFFFFFFFu), black(640, 520, 0xFF000000u);
    struct Case {
        const PixelImage* frame;
        int32_t expected;
        MatchResult result;
    } cases[] = {
        {&white, 0, {512, kInvalidScore, false, 0, kInvalidScore}},
        {&white, 300, kUnmatchedNoOverlap},
        // Dark bins are content: every candidate costs 0 and the largest overlap
        // wins (inside the window the smallest: 300 - 80). But rows that look
        // the same one row up or down cannot place the frames: refused.
        {&black, 0, {512, 0.0, false, 0, kInvalidScore}},
        {&black, 300, {220, 0.0, false, 0, kInvalidScore}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        EXPECT_EQ(matchFrames(*c.frame, *c.frame, c.expected, kPriorTolerance), c.result);
    }
}

TEST(Matcher, FramesTooSmallToCompareAreRefusedWithoutReadingOutside) {
    const std::tuple<int32_t, int32_t, int32_t, int32_t> sizes[] = {
        {640, 32, 640, 32}, {640, 520, 640, 32}, {1, 520, 640, 520}, {1, 40, 1, 40}, {0, 0, 0, 0}, {640, 0, 640, 520},
    };
    for (auto [w1, h1, w2, h2] : sizes) {
        SCOPED_TRACE(testing::Message() << w1 << "x" << h1 << " / " << w2 << "x" << h2);
        const PixelImage a(w1, h1, 0xFF000000u), b(w2, h2, 0xFF000000u);
        EXPECT_EQ(matchFrames(a, b, 0, kPriorTolerance), kUnmatchedNoOverlap);
        EXPECT_EQ(matchFrames(a, b, 100, 1.5), kUnmatchedNoOverlap);
    }
    // The smallest frames that are compared at all: 33 rows, 2 columns. One sampled
    // column fills one bin only, so there is no usable evidence, but the candidate
    // range (32..33) is searched inside the frames.
    const PixelImage a(2, 33, 0xFF000000u);
    EXPECT_EQ(matchFrames(a, a, 0, kPriorTolerance), (MatchResult{33, kInvalidScore, false, 0, kInvalidScore}));
    const PixelImage wide(64, 33, 0xFF000000u);
    EXPECT_EQ(matchFrames(wide, wide, 0, kPriorTolerance).overlap, 33);
}

TEST(Matcher, FindsTheShiftOfAScrolledDocument) {
    const PixelImage page = makeDocumentPage(640, 2000, 7);
    for (int32_t shift : {8, 20, 60, 150, 185, 300, 400}) {
        SCOPED_TRACE(shift);
        const PixelImage a = cropRows(page, 100, 520), b = cropRows(page, 100 + shift, 520);
        const MatchResult r = matchFrames(a, b, 0, kPriorTolerance);
        ASSERT_TRUE(r.matched);
        EXPECT_EQ(r.overlap, 520 - shift);
        EXPECT_LT(r.score, 1.0);
        EXPECT_GE(r.seam, 8);
        EXPECT_LT(r.seam, r.overlap);
    }
}

// Every shift is measured by exactly one of the two: the matcher from
// kMatcherMinShiftRows on, the small-shift test below; and a pair is joined at
// its true overlap either way.
TEST(Matcher, ShiftsBelowTheMatchersAreLeftToTheSmallShiftTest) {
    const PixelImage page = makeDocumentPage(640, 1200, 3);
    for (int32_t shift = 1; shift <= kMatcherMinShiftRows + 4; ++shift) {
        SCOPED_TRACE(shift);
        const PixelImage a = cropRows(page, 0, 520), b = cropRows(page, shift, 520);
        const MatchResult r = matchFrames(a, b, 0, kPriorTolerance);
        EXPECT_LE(r.overlap, 520 - kMatcherMinShiftRows);
        const bool small = shift <= kSmallShiftMaxRows;
        EXPECT_EQ(smallShiftRows(a, b), small ? shift : 0);
        if (!small) {
            EXPECT_TRUE(r.matched);
            EXPECT_EQ(r.overlap, 520 - shift);
        }
        const PairJoin join = joinPair(a, b, 1, 0, {}, {});
        ASSERT_TRUE(join.result.matched);
        EXPECT_EQ(join.result.overlap, 520 - shift);
    }
}

TEST(Matcher, UnrelatedContentIsNotMatched) {
    const PixelImage a = cropRows(makeDocumentPage(640, 600, 1), 0, 520);
    const PixelImage b = cropRows(makeDocumentPage(640, 600, 99), 0, 520);
    const MatchResult r = matchFrames(a, b, 0, kPriorTolerance);
    EXPECT_FALSE(r.matched);
    EXPECT_GT(r.score, kAcceptScore);
    EXPECT_EQ(r.seam, 0);
    EXPECT_EQ(r.seamScore, kInvalidScore);
}

TEST(Matcher, FixedToolbarIsExcludedAndTheSeamStaysBelowIt) {
    const PixelImage page = makeDocumentPage(640, 2000, 11);
    for (int32_t shift : {40, 120, 250}) {
        SCOPED_TRACE(shift);
        PixelImage a = cropRows(page, 0, 520), b = cropRows(page, shift, 520);
        for (PixelImage* f : {&a, &b}) {
            fillRows(*f, 0, 34, 0xFFE0E0E0u);
            fillRows(*f, 12, 14, 0xFF404040u);
        }
        // Rows blank in both frames just below the toolbar count as unchanged too.
        const int32_t fixedTop = detectFixedTop(a, b);
        EXPECT_GE(fixedTop, 34);
        EXPECT_LE(fixedTop, 40);
        const MatchResult r = matchFrames(a, b, 0, kPriorTolerance);
        ASSERT_TRUE(r.matched);
        EXPECT_EQ(r.overlap, 520 - shift);
        EXPECT_GE(r.seam, std::max(46, fixedTop + 12));
    }
}

// A header taller than a tenth of the frame: half of it is skipped by the
// first judgement, and the rows left over face scrolled content.
TEST(Matcher, TallFixedHeaderIsLeftOutBeforeAnOverlapIsRefused) {
    int32_t retried = 0;
    for (uint32_t seed : {5u, 7u, 11u, 13u}) {
        const PixelImage page = makeDocumentPage(360, 900, seed);
        for (int32_t shift : {60, 100, 150}) {
            SCOPED_TRACE(testing::Message() << "seed " << seed << ", shift " << shift);
            PixelImage a = cropRows(page, 0, 260), b = cropRows(page, shift, 260);
            for (PixelImage* f : {&a, &b}) {
                fillRows(*f, 0, 40, 0xFF2B3445u);
                fillRows(*f, 14, 18, 0xFFF0F0F0u);
                fillRows(*f, 24, 26, 0xFFF0F0F0u);
            }
            Geometry g;
            ASSERT_TRUE(computeGeometry(a, b, g));
            ASSERT_GE(g.fixedTop, 40);
            ASSERT_LT(g.topSkip, g.fixedTop);
            const RowProfiles pa = computeRowProfiles(a, g.x0, g.x1), pb = computeRowProfiles(b, g.x0, g.x1);
            if (scoreOverlap(pa, pb, 260 - shift, g.topSkip, g.fixedBottom) > kAcceptScore) ++retried;

            const MatchResult r = matchFrames(a, b, 0, kPriorTolerance);
            ASSERT_TRUE(r.matched) << r.score;
            EXPECT_EQ(r.overlap, 260 - shift);
            EXPECT_GE(r.seam, g.fixedTop + 12);
        }
    }
    // The cases must include some that the first judgement alone refuses.
    EXPECT_GT(retried, 0);
}

// The second judgement leaves the whole header out, and on a short overlap
// only the rows below it are compared. Frames repainted with a little noise
// (no row identical byte for byte) give no identical rows to back an answer
// compared over so few rows: it is refused, while the same frames without
// the noise are joined on their identical rows.
TEST(Matcher, SecondJudgementOverAFewRowsNeedsIdenticalRows) {
    int32_t cases = 0;
    uint32_t seed = 0;  // of the noise
    for (const char* name : {"corpus/py-tutorial-controlflow", "corpus/rust-strings-content", "corpus-hard/git-tiny-font"}) {
        const PixelImage page = loadPng(test::testDataDir() / name / "truth.png");
        for (int32_t shift = 224; shift <= 264; shift += 4) {
            ++seed;
            SCOPED_TRACE(testing::Message() << name << ", shift " << shift);
            PixelImage a = cropRows(page, 600, 400), b = cropRows(page, 600 + shift, 400);
            for (PixelImage* f : {&a, &b}) {
                fillRows(*f, 0, 120, 0xFF2B3445u);
                fillRows(*f, 30, 34, 0xFFF0F0F0u);
                fillRows(*f, 80, 82, 0xFFF0F0F0u);
            }
            Geometry g;
            ASSERT_TRUE(computeGeometry(a, b, g));
            // Only overlaps that the first judgement counts as compared over
            // enough rows and the second compares over too few.
            const int32_t overlap = 400 - shift;
            const ComparedSpan firstPass = comparedSpan(overlap, g.topSkip, g.fixedBottom);
            const ComparedSpan secondPass = comparedSpan(overlap, g.fixedTop, g.fixedBottom);
            if (firstPass.end - firstPass.first < kMinComparedRows || secondPass.end - secondPass.first >= kMinComparedRows ||
                secondPass.end - secondPass.first < kMinIdenticalRows)
                continue;
            ++cases;
            const MatchResult exact = matchFrames(a, b, 0, kPriorTolerance);
            std::mt19937 rng(seed + static_cast<uint32_t>(shift));
            for (PixelImage* f : {&a, &b})
                for (int32_t y = g.fixedTop; y < f->height; ++y)
                    for (int32_t x = 0; x < f->width; ++x) f->at(x, y) ^= rng() & 0x00010101u;
            const MatchResult noisy = matchFrames(a, b, 0, kPriorTolerance);
            EXPECT_TRUE(exact.matched);
            EXPECT_EQ(exact.overlap, overlap);
            EXPECT_FALSE(noisy.matched) << noisy.overlap << " " << noisy.score;
        }
    }
    EXPECT_GT(cases, 3);
}

// Blank rows above the content are unchanged too; a refused pair stays
// refused when they are left out.
TEST(Matcher, UnrelatedFramesUnderAHeaderStayRefused) {
    for (uint32_t seed : {1u, 2u, 3u}) {
        PixelImage a = cropRows(makeDocumentPage(360, 600, seed), 0, 260);
        PixelImage b = cropRows(makeDocumentPage(360, 600, seed + 50), 0, 260);
        for (PixelImage* f : {&a, &b}) fillRows(*f, 0, 60, 0xFF2B3445u);
        EXPECT_FALSE(matchFrames(a, b, 0, kPriorTolerance).matched) << seed;
    }
}

TEST(MatcherPixelCheck, RowsDisagreeOnAWordButNotOnACaret) {
    const PixelImage page = makeDocumentPage(400, 200, 3);
    struct Case {
        const char* what;
        int32_t x0, x1;  // columns painted in the second row, on white
        uint32_t colour;
        bool disagree;
    } cases[] = {
        {"same row", 0, 0, 0xFF000000u, false},
        {"a 2-pixel caret", 100, 102, 0xFF000000u, false},
        {"a 4-pixel change at the allowance", 100, 104, 0xFF000000u, false},
        {"a word", 100, 140, 0xFF000000u, true},
        {"a faint grey word (luma 200)", 100, 140, 0xFFC8C8C8u, true},
        {"a tint (luma 225)", 100, 140, 0xFFE1E1E1u, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PixelImage a = cropRows(page, 0, 40), b = cropRows(page, 0, 40);
        ASSERT_EQ(a.at(100, 10), 0xFFFFFFFFu);
        for (int32_t x = c.x0; x < c.x1; ++x) b.at(x, 10) = c.colour;
        EXPECT_EQ(rowsDisagree(a, 10, b, 10, 0, 400), c.disagree);
        const std::vector<uint64_t> ha = rowHashes(a, 0, 400), hb = rowHashes(b, 0, 400);
        EXPECT_EQ(ha[10] == hb[10], c.x1 == c.x0);
        EXPECT_EQ(disagreeingRows(a, ha, b, hb, 40, 0, 40, 0, 400, 1000), c.disagree ? 1 : 0);
    }
}

TEST(Matcher, BlinkingToolbarRowsDoNotEndTheFixedBand) {
    const PixelImage page = makeDocumentPage(640, 1200, 5);
    PixelImage a = cropRows(page, 0, 520), b = cropRows(page, 100, 520);
    for (PixelImage* f : {&a, &b}) fillRows(*f, 0, 34, 0xFFF3F3F3u);
    fillRows(a, 5, 11, 0xFF000000u);  // rows 5-10 differ between the frames
    EXPECT_EQ(detectFixedTop(a, b), 34);
    EXPECT_EQ(matchFrames(a, b, 0, kPriorTolerance).overlap, 420);
}

TEST(Matcher, FixedFooterIsFoundFromTheBottom) {
    const PixelImage page = makeDocumentPage(640, 1200, 8);
    PixelImage a = cropRows(page, 0, 520), b = cropRows(page, 150, 520);
    for (PixelImage* f : {&a, &b}) {
        fillRows(*f, 480, 520, 0xFF202020u);
        fillRows(*f, 495, 500, 0xFFFFFFFFu);
    }
    EXPECT_EQ(detectFixedBottom(a, b), 40);
    const MatchResult r = matchFrames(a, b, 0, kPriorTolerance);
    ASSERT_TRUE(r.matched);
    EXPECT_EQ(r.overlap, 370);
    EXPECT_LE(r.seam, 370 - 40 - 12);
}

TEST(Matcher, TallerPreviousFrameMatchesAtItsBottom) {
    const PixelImage page = makeDocumentPage(640, 2000, 4);
    const PixelImage a = cropRows(page, 0, 700);  // rows 0..699
    const PixelImage b = cropRows(page, 500, 520);  // rows 500..1019: 200 rows shared
    const MatchResult r = matchFrames(a, b, 0, kPriorTolerance);
    ASSERT_TRUE(r.matched);
    EXPECT_EQ(r.overlap, 200);
}

TEST(Matcher, ExpectationPrefersConsistentMotionOnlyWithinTolerance) {
    // A page that repeats every 92 rows: several overlaps fit equally well, and the
    // expectation decides between them.
    PixelImage tile = makeDocumentPage(640, 92, 21);
    PixelImage page(640, 2000);
    for (int32_t y = 0; y < page.height; ++y) std::copy(tile.row(y % 92), tile.row(y % 92) + 640, page.row(y));
    const PixelImage a = cropRows(page, 0, 520), b = cropRows(page, 100, 520);
    const MatchResult global = matchFrames(a, b, 0, kPriorTolerance);
    ASSERT_TRUE(global.matched);
    EXPECT_EQ(global.overlap, 512);  // 8-row shift, the largest overlap of the family
    const MatchResult nearExpected = matchFrames(a, b, 420, kPriorTolerance);
    ASSERT_TRUE(nearExpected.matched);
    EXPECT_EQ((520 - nearExpected.overlap) % 92, 8);
    EXPECT_LE(std::abs(nearExpected.overlap - 420), 80);
    EXPECT_EQ(nearExpected.overlap, 420);
}

TEST(Matcher, MuchBetterGlobalBestOutsideTheWindowIsKept) {
    const PixelImage page = makeDocumentPage(640, 2000, 13);
    const PixelImage a = cropRows(page, 0, 520), b = cropRows(page, 60, 520);
    // The window 100..260 holds only wrong overlaps, far worse than the true 460.
    const MatchResult r = matchFrames(a, b, 180, kPriorTolerance);
    ASSERT_TRUE(r.matched);
    EXPECT_EQ(r.overlap, 460);
}

// Short overlaps on real pages, where blank rows at the frame edges count as
// unchanged bands and leave the row profiles a few rows to compare: the rows
// that are identical in both frames place the frames, and where nothing can
// (a flat stretch wider than the overlap) the pair is refused, never guessed.
TEST(Matcher, ShortOverlapsOnRealPagesJoinOnIdenticalRowsOrAreRefused) {
    struct Case {
        const char* page;
        int32_t frameHeight, top, step;
        int32_t overlap;  // 0: must be refused
    } cases[] = {
        {"corpus-hard/debref-big-notch", 420, 2640, 330, 90},   // refused before
        {"corpus-hard/rust-sticky-headings", 240, 1330, 190, 50},  // 84 before, from 10 compared rows
        {"corpus/py-tutorial-controlflow", 240, 570, 190, 50},     // 51 before, a row off
        {"corpus/py-tutorial-controlflow", 240, 1140, 190, 0},     // 83 blank rows: any shift fits
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.page << " at " << c.top);
        const PixelImage truth = loadPng(test::testDataDir() / c.page / "truth.png");
        const PixelImage a = cropRows(truth, c.top, c.frameHeight), b = cropRows(truth, c.top + c.step, c.frameHeight);
        const MatchResult r = matchFrames(a, b, c.frameHeight - c.step, kPriorTolerance);
        if (c.overlap == 0) {
            EXPECT_FALSE(r.matched) << r.overlap;
            continue;
        }
        ASSERT_TRUE(r.matched);
        EXPECT_EQ(r.overlap, c.overlap);
        EXPECT_GT(r.identicalRows, 0);
        EXPECT_EQ(r.score, 0.0);
    }
}

// A flat colour band as the whole overlap, one row taller in both frames than
// the overlap: the next larger overlap fits as well as the true one, and any
// answer is a guess. Here the true overlap is the smallest candidate, so only
// the larger neighbour can show it; frames tall enough that the profiles
// compared plenty of rows.
TEST(Matcher, FlatBandOneRowWiderThanTheSmallestOverlapIsRefused) {
    const int32_t H = 1400;
    const PixelImage page = makeDocumentPage(240, 3 * H, 29);
    PixelImage a = cropRows(page, 0, H), b = cropRows(page, H, H);
    Geometry g;
    ASSERT_TRUE(computeGeometry(a, b, g));
    const int32_t overlap = g.minOverlap;
    // The band: prev's last overlap + 1 rows, next's first overlap + 1 rows.
    fillRows(a, H - overlap - 1, H, 0xFF808080u);
    fillRows(b, 0, overlap + 1, 0xFF808080u);
    ASSERT_TRUE(computeGeometry(a, b, g));
    ASSERT_EQ(g.minOverlap, overlap);
    ASSERT_GE(comparedSpan(overlap, g.topSkip, g.fixedBottom).end - comparedSpan(overlap, g.topSkip, g.fixedBottom).first,
              kMinComparedRows);
    // The expectation makes the smallest of the equal candidates the answer.
    const MatchResult r = matchFrames(a, b, overlap + 40, kPriorTolerance);
    EXPECT_FALSE(r.matched) << r.overlap;
    // Without the extra row the band places the frames.
    fillRows(a, H - overlap - 1, H - overlap, 0xFFFFFFFFu);
    fillRows(b, overlap, overlap + 1, 0xFFFFFFFFu);
    const MatchResult placed = matchFrames(a, b, overlap + 40, kPriorTolerance);
    EXPECT_TRUE(placed.matched);
    EXPECT_EQ(placed.overlap, overlap);
}

// Identical rows decide only when one overlap has them: a page that repeats
// a strip of text every 40 rows has several, and the rows say nothing.
TEST(Matcher, IdenticalRowsOfRepeatedContentDecideNothing) {
    using namespace matcher_detail;
    const PixelImage truth = loadPng(test::testDataDir() / "corpus-hard" / "debref-big-notch" / "truth.png");
    auto identicalOverlap = [](const PixelImage& a, const PixelImage& b) {
        Geometry g;
        if (!computeGeometry(a, b, g)) return -1;
        return findIdenticalOverlap(a, b, g, rowHashes(a, g.x0, g.x1), rowHashes(b, g.x0, g.x1)).overlap;
    };
    EXPECT_EQ(identicalOverlap(cropRows(truth, 2640, 420), cropRows(truth, 2970, 420)), 90);
    PixelImage repeated(truth.width, 1200);
    for (int32_t y = 0; y < repeated.height; ++y)
        std::copy(truth.row(2700 + y % 40), truth.row(2700 + y % 40) + truth.width, repeated.row(y));
    EXPECT_EQ(identicalOverlap(cropRows(repeated, 0, 420), cropRows(repeated, 330, 420)), 0);
}

TEST(Matcher, SeamSearchPrefersFlatAgreeingRowsAndKeepsTheSmallerRowOnTies) {
    const PixelImage black(640, 520, 0xFF000000u);
    // All seam costs are equal: the first examined row, 12 below the
    // unchanged top band, wins.
    EXPECT_EQ(matchSmallShift(black, black, 1).seam, detectFixedTop(black, black) + 12);
    const PixelImage page = makeDocumentPage(640, 2000, 17);
    const PixelImage a = cropRows(page, 0, 520), b = cropRows(page, 200, 520);
    const MatchResult r = matchFrames(a, b, 0, kPriorTolerance);
    ASSERT_TRUE(r.matched);
    // The join falls where both sides are calm: its cost is no worse than any other row's.
    Geometry g;
    ASSERT_TRUE(computeGeometry(a, b, g));
    for (int32_t s = 8; s < r.overlap - 12; s += 2)
        EXPECT_GE(scoreSeam(a, b, r.overlap, s, g.x0, g.x1, g.columnStep) + 1e-12, r.seamScore) << s;
}

TEST(MatcherScoring, CandidatesNeedContentInEnoughBins) {
    PixelImage a(640, 520, 0xFFFFFFFFu);
    // Content in a narrow column only: fewer than four bins carry content.
    for (int32_t y = 0; y < 520; ++y)
        for (int32_t x = 300; x < 330; ++x) a.at(x, y) = (y % 7 < 3) ? 0xFF000000u : 0xFFFFFFFFu;
    const RowProfiles p = computeRowProfiles(a, 38, 576);
    EXPECT_EQ(scoreOverlap(p, p, 300, 52, 0), kInvalidScore);
}

TEST(MatcherProfiles, InkAndEdgesPerBin) {
    PixelImage img(100, 3, 0xFFFFFFFFu);
    for (int32_t x = 0; x < 100; ++x) img.at(x, 1) = 0xFF000000u;
    const RowProfiles p = computeRowProfiles(img, 0, 96);
    EXPECT_EQ(p.rows, 3);
    EXPECT_FLOAT_EQ(p.ink[0 * kBins + 0], 0.0f);
    EXPECT_FLOAT_EQ(p.edge[0 * kBins + 0], 0.0f);  // row 0 is compared with itself
    EXPECT_FLOAT_EQ(p.ink[1 * kBins + 5], 255.0f);
    EXPECT_FLOAT_EQ(p.edge[1 * kBins + 5], 255.0f);
    EXPECT_FLOAT_EQ(p.edge[2 * kBins + 23], 255.0f);
    EXPECT_FLOAT_EQ(p.ink[2 * kBins + 23], 0.0f);
}

}  // namespace
}  // namespace tf
