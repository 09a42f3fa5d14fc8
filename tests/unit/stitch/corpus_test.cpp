// Real documentation pages, captured in a browser: every case must come out as
// its true long image (or, were it ever to fail, be refused — never wrong).

#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>

#include "diagnostics/offline_stitch.h"
#include "image/png_codec.h"
#include "stitch/composer.h"
#include "stitch/side_panels.h"
#include "test_support.h"

namespace fs = std::filesystem;

namespace tf {
namespace {

constexpr const char* kCorpusPages[] = {"debref-ch05", "git-tutorial-small-notch", "py-functions-small-rect",
                                        "py-tutorial-controlflow", "rust-strings-content"};

class CorpusCase : public testing::TestWithParam<const char*> {};

TEST_P(CorpusCase, StitchesToTheTruth) {
    const fs::path dir = test::testDataDir() / "corpus" / GetParam();
    std::vector<PixelImage> frames;
    for (const fs::path& p : listFrameFiles(dir / "frames")) frames.push_back(loadPng(p));
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
                                 if (c == '-') c = '_';
                             return n;
                         });

// The same real pages captured again in other ways: frames cut from the true
// long image at other rectangle heights and scroll distances, the last step
// stopping at the page end. Each must be joined into the page exactly or be
// refused; a joined image of the wrong size or content is a failure.
TEST(RealPagesRecut, JoinedExactlyOrRefused) {
    struct Cut {
        int32_t frameHeight;
        int32_t step;  // rows scrolled per grab
    };
    const Cut cuts[] = {{240, 120}, {240, 190}, {420, 90}, {420, 300}, {700, 260}, {700, 560}};
    int joined = 0, refused = 0;
    for (const char* page : kCorpusPages) {
        const PixelImage truth = loadPng(test::testDataDir() / "corpus" / page / "truth.png");
        for (const Cut& cut : cuts) {
            SCOPED_TRACE(testing::Message() << page << ", frames of " << cut.frameHeight << " rows every "
                                            << cut.step);
            if (truth.height < 2 * cut.frameHeight) continue;
            // The last grab moves by what is left of the page; a rest under 8
            // rows is a grab the capture keeps out (it shows no motion to match).
            std::vector<PixelImage> frames;
            int32_t top = 0;
            for (; top + cut.frameHeight <= truth.height; top += cut.step)
                frames.push_back(test::cropRows(truth, top, cut.frameHeight));
            int32_t lastTop = top - cut.step;
            if (truth.height - cut.frameHeight - lastTop >= 8) {
                lastTop = truth.height - cut.frameHeight;
                frames.push_back(test::cropRows(truth, lastTop, cut.frameHeight));
            }
            const PixelImage expected = test::cropRows(truth, 0, lastTop + cut.frameHeight);
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
