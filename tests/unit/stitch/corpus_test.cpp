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
                         testing::Values("debref-ch05", "git-tutorial-small-notch", "py-functions-small-rect",
                                         "py-tutorial-controlflow", "rust-strings-content"),
                         [](const testing::TestParamInfo<const char*>& info) {
                             std::string n = info.param;
                             for (char& c : n)
                                 if (c == '-') c = '_';
                             return n;
                         });

}  // namespace
}  // namespace tf
