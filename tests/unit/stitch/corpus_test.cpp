// Real documentation pages, captured in a browser: every case must come out as
// its true long image (or, were it ever to fail, be refused — never wrong).

#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>

#include "core/diagnostics/offline_stitch.h"
#include "core/image/png_codec.h"
#include "core/stitch/composer.h"
#include "core/stitch/side_panels.h"
#include "test_support.h"

namespace fs = std::filesystem;

namespace tf {
namespace {

// Pages under corpus/, and under corpus-hard/ the pages with one thing each
// that breaks scrolling capture in practice (fixed bars with blank rows beside
// them, sticky headings, a notch of 330 of 420 rows, 9-pixel text, an animated
// badge; see its README).
constexpr const char* kCorpusPages[] = {"corpus/debref-ch05",
                                        "corpus/git-tutorial-small-notch",
                                        "corpus/py-functions-small-rect",
                                        "corpus/py-tutorial-controlflow",
                                        "corpus/rust-strings-content",
                                        "corpus-hard/debref-animated-badge",
                                        "corpus-hard/debref-big-notch",
                                        "corpus-hard/git-fixed-header-footer",
                                        "corpus-hard/git-tiny-font",
                                        "corpus-hard/rust-sticky-headings"};

class CorpusCase : public testing::TestWithParam<const char*> {};

TEST_P(CorpusCase, StitchesToTheTruth) {
    const fs::path dir = test::testDataDir() / GetParam();
    const std::vector<PixelImage> frames = test::loadFrames(dir / "frames");
    ASSERT_GE(frames.size(), 2u);
    // These pages have no side panel: they must be joined exactly as without the panel rule.
    EXPECT_FALSE(detectCapturePanels(frames).any());
    const PixelImage truth = loadPng(dir / "truth.png");
    PixelImage out;
    try {
        out = composeFrames(frames);
    } catch (const std::runtime_error& e) {
        FAIL() << "refused: " << e.what();  // honest, but every case here stitches today
    }
    ASSERT_EQ(out.width, truth.width);
    ASSERT_EQ(out.height, truth.height);
    const double off = test::lumaDifferenceFraction(out, truth);
    EXPECT_LT(off, 0.005) << "share of pixels off: " << off;
    RecordProperty("off_fraction", std::to_string(off));
}

INSTANTIATE_TEST_SUITE_P(RealPages, CorpusCase,
                         testing::ValuesIn(kCorpusPages),
                         [](const testing::TestParamInfo<const char*>& info) {
                             std::string n = info.param;
                             for (char& c : n)
                                 if (c == '-' || c == '/') c = '_';
                             return n;
                         });

// The same real pages captured again in other ways: frames cut from the true
// long image at other rectangle heights and scroll distances, the last step
// stopping at the page end, however few rows it moves. Each must be joined
// into the whole page exactly or be refused; a joined image of the wrong size
// or content is a failure.
TEST(RealPagesRecut, JoinedExactlyOrRefused) {
    struct Cut {
        int32_t frameHeight;
        int32_t step;      // rows scrolled per grab
        int32_t lastStep;  // when set: the last grab moves this many rows
    };
    const Cut cuts[] = {{240, 120, 0}, {240, 190, 0}, {420, 90, 0}, {420, 300, 0},
                        {700, 260, 0}, {700, 560, 0}, {420, 300, 3}, {700, 260, 7}};
    int joined = 0, refused = 0;
    for (const char* page : kCorpusPages) {
        // The tallest pages are cut at 4000 rows, where their recaptured page
        // ends: enough for every kind of pair they hold, at half the time.
        const PixelImage full = loadPng(test::testDataDir() / page / "truth.png");
        const PixelImage truth = test::cropRows(full, 0, std::min(full.height, 4000));
        for (const Cut& cut : cuts) {
            SCOPED_TRACE(testing::Message() << page << ", frames of " << cut.frameHeight << " rows every "
                                            << cut.step << ", last " << cut.lastStep);
            if (truth.height < 2 * cut.frameHeight) continue;
            // The last grab moves by what is left of the page, also when that
            // is fewer rows than the matcher measures.
            const int32_t lastTop = truth.height - cut.frameHeight;
            std::vector<int32_t> tops;
            for (int32_t top = 0; top < lastTop - cut.lastStep; top += cut.step) tops.push_back(top);
            if (cut.lastStep > 0) tops.push_back(lastTop - cut.lastStep);
            tops.push_back(lastTop);
            std::vector<PixelImage> frames;
            for (int32_t top : tops) frames.push_back(test::cropRows(truth, top, cut.frameHeight));
            const PixelImage& expected = truth;
            PixelImage out;
            try {
                out = composeFrames(frames);
            } catch (const std::runtime_error&) {
                ++refused;
                continue;
            }
            ++joined;
            if (out.width != expected.width || out.height != expected.height) {
                ADD_FAILURE() << "joined into " << out.width << " x " << out.height << " instead of "
                              << expected.width << " x " << expected.height;
                continue;
            }
            EXPECT_LT(test::lumaDifferenceFraction(out, expected), 0.005);
        }
    }
    RecordProperty("joined", joined);
    RecordProperty("refused", refused);
    // Refusal is allowed, but these are ordinary pages: most cuts must join.
    EXPECT_GE(joined, 2 * (joined + refused) / 3) << joined << " joined, " << refused << " refused";
}

}  // namespace
}  // namespace tf
