// The vectorised, threaded matcher must answer exactly as the plain one kept
// beside the benchmark: every field, the scores bit for bit, on real captures
// and on frames no page would produce.

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <random>

#include "core/diagnostics/offline_stitch.h"
#include "core/image/png_codec.h"
#include "reference_matcher.h"
#include "core/stitch/matcher_internal.h"
#include "core/stitch/side_panels.h"
#include "test_support.h"

namespace fs = std::filesystem;

namespace tf {
namespace {

uint64_t bitsOf(double v) {
    uint64_t b;
    std::memcpy(&b, &v, sizeof b);
    return b;
}

void expectSameResult(const MatchResult& got, const MatchResult& want, const std::string& what) {
    EXPECT_EQ(got.overlap, want.overlap) << what;
    EXPECT_EQ(bitsOf(got.score), bitsOf(want.score)) << what << " score " << got.score << " vs " << want.score;
    EXPECT_EQ(got.matched, want.matched) << what;
    EXPECT_EQ(got.seam, want.seam) << what;
    EXPECT_EQ(bitsOf(got.seamScore), bitsOf(want.seamScore)) << what;
    EXPECT_EQ(got.identicalRows, want.identicalRows) << what;
}

// Both vector paths of the candidate scores, on every candidate of a pair.
void expectBothCostPathsAgree(const PixelImage& prev, const PixelImage& next, const std::string& what) {
    using namespace matcher_detail;
    Geometry g;
    if (!computeGeometry(prev, next, g)) return;
    const RowProfiles pa = computeRowProfiles(prev, g.x0, g.x1), pb = computeRowProfiles(next, g.x0, g.x1);
    int differing = 0;
    for (int32_t ov = g.minOverlap; ov <= g.maxOverlap; ++ov)
        differing += bitsOf(scoreOverlap(pa, pb, ov, g.topSkip, g.fixedBottom, true)) !=
                     bitsOf(scoreOverlap(pa, pb, ov, g.topSkip, g.fixedBottom, false));
    EXPECT_EQ(differing, 0) << what;
}

TEST(MatcherReference, AgreesOnEveryConsecutivePairOfTheCorpora) {
    int pairs = 0;
    for (const char* corpus : {"corpus", "corpus-panels", "corpus-hard"}) {
        for (const fs::directory_entry& page : fs::directory_iterator(test::testDataDir() / corpus)) {
            if (!fs::is_directory(page.path() / "frames")) continue;
            const std::vector<PixelImage> frames = test::loadFrames(page.path() / "frames");
            const SidePanels panels = detectCapturePanels(frames);
            int32_t expected = 0;
            for (size_t i = 1; i < frames.size(); ++i) {
                const std::string what = page.path().filename().string() + " pair " + std::to_string(i);
                // As the composer asks: the previous overlap as expectation.
                const MatchResult got = matchFramesBetweenPanels(frames[i - 1], frames[i], expected, kPriorTolerance, panels);
                expectSameResult(got,
                                 reference::matchFramesBetweenPanels(frames[i - 1], frames[i], expected, kPriorTolerance, panels),
                                 what);
                if (i == 1) expectBothCostPathsAgree(frames[0], frames[1], what);
                expected = got.overlap;
                ++pairs;
            }
        }
    }
    EXPECT_GT(pairs, 200);
}

// A tall fixed header over a real page, the second frame moved so far that
// only the second judgement (the whole header left out) accepts, over a few
// rows; with noise no row is identical in both frames. The decisions on such
// pairs rest on how many rows that judgement compared, which each matcher
// counts on its own.
TEST(MatcherReference, AgreesWhenOnlyTheSecondJudgementAccepts) {
    const PixelImage page = loadPng(test::testDataDir() / "corpus" / "py-tutorial-controlflow" / "truth.png");
    const PixelImage tiny = loadPng(test::testDataDir() / "corpus-hard" / "git-tiny-font" / "truth.png");
    struct Case {
        const PixelImage* page;
        int32_t shift;
    } cases[] = {{&page, 252}, {&page, 256}, {&tiny, 228}, {&tiny, 232}};
    std::mt19937 rng(7);
    for (const Case& c : cases) {
        PixelImage a = test::cropRows(*c.page, 600, 400), b = test::cropRows(*c.page, 600 + c.shift, 400);
        for (PixelImage* f : {&a, &b})
            for (int32_t y = 0; y < 120; ++y)
                for (int32_t x = 0; x < f->width; ++x) f->at(x, y) = (y % 50 < 4) ? 0xFFF0F0F0u : 0xFF2B3445u;
        const std::string what = "shift " + std::to_string(c.shift);
        expectSameResult(matchFrames(a, b, 0, kPriorTolerance), reference::matchFrames(a, b, 0, kPriorTolerance), what);
        for (PixelImage* f : {&a, &b})
            for (int32_t y = 120; y < f->height; ++y)
                for (int32_t x = 0; x < f->width; ++x) f->at(x, y) ^= rng() & 0x00010101u;
        expectSameResult(matchFrames(a, b, 0, kPriorTolerance), reference::matchFrames(a, b, 0, kPriorTolerance),
                         what + " noisy");
    }
}

PixelImage noise(int32_t w, int32_t h, std::mt19937& rng, uint32_t mask) {
    PixelImage img(w, h);
    for (uint32_t& px : img.pixels) px = rng() & mask;
    return img;
}

TEST(MatcherReference, AgreesOnRandomFrames) {
    std::mt19937 rng(15);
    struct Case {
        int32_t w, h;
    };
    // Odd widths and heights put bin edges and vector tails everywhere.
    const Case sizes[] = {{2, 33}, {3, 40}, {37, 61}, {130, 97}, {641, 200}, {1001, 333}};
    for (const Case& c : sizes) {
        for (int round = 0; round < 3; ++round) {
            const std::string what = std::to_string(c.w) + "x" + std::to_string(c.h) + " round " + std::to_string(round);
            // Noise, a few grey levels (ties everywhere), and a page scrolled by a random step.
            const PixelImage a = noise(c.w, c.h, rng, 0xFFFFFFFFu), b = noise(c.w, c.h + round, rng, 0xFFFFFFFFu);
            expectSameResult(matchFrames(a, b, 0, kPriorTolerance), reference::matchFrames(a, b, 0, kPriorTolerance), what + " noise");
            // Four rows at a time in the library: heights of every remainder leave a tail.
            EXPECT_EQ(matcher_detail::rowHashes(b, c.w / 3, c.w), reference::rowHashes(b, c.w / 3, c.w)) << what;
            const PixelImage g1 = noise(c.w, c.h, rng, 0x00C0C0C0u), g2 = noise(c.w, c.h, rng, 0x00C0C0C0u);
            expectSameResult(matchFrames(g1, g2, c.h / 2, kPriorTolerance), reference::matchFrames(g1, g2, c.h / 2, kPriorTolerance),
                             what + " grey levels");
            const PixelImage page = test::makeDocumentPage(c.w, c.h * 2, static_cast<uint32_t>(rng()));
            const int32_t step = 8 + static_cast<int32_t>(rng() % static_cast<uint32_t>(c.h));
            const PixelImage p = test::cropRows(page, 0, c.h), n = test::cropRows(page, std::min(step, c.h), c.h);
            expectSameResult(matchFrames(p, n, c.h - step, 1.5), reference::matchFrames(p, n, c.h - step, 1.5),
                             what + " page");
            expectBothCostPathsAgree(p, n, what + " page");
            expectBothCostPathsAgree(g1, g2, what + " grey levels");
            const SidePanels panels{c.w / 5, c.w / 7};
            expectSameResult(matchFramesBetweenPanels(p, n, 0, kPriorTolerance, panels),
                             reference::matchFramesBetweenPanels(p, n, 0, kPriorTolerance, panels), what + " panels");
        }
    }
}

}  // namespace
}  // namespace tf
