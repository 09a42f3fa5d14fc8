// A capture scrolled to the right is a downward capture turned on its side:
// every real page of the corpora, its frames transposed, must be joined with
// the same overlaps, seams and decisions, into the transposed long image.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <stdexcept>
#include <string>

#include "core/diagnostics/offline_stitch.h"
#include "core/image/png_codec.h"
#include "core/stitch/composed_png.h"
#include "core/stitch/composer.h"
#include "core/stitch/orientation.h"
#include "test_support.h"

namespace fs = std::filesystem;

namespace tf {
namespace {

// A case's folder as a test name: letters, digits and underscores only.
std::string testName(std::string folder) {
    std::replace_if(folder.begin(), folder.end(), [](char c) { return c == '-' || c == '/'; }, '_');
    return folder;
}

std::vector<PixelImage> eachTransposed(const std::vector<PixelImage>& frames) {
    std::vector<PixelImage> out;
    for (const PixelImage& f : frames) out.push_back(transposed(f));
    return out;
}

// Every row a row source hands out, in the encoder's blocks, as one image.
PixelImage collectRows(PngRowSource& source, int32_t width, int32_t height) {
    PixelImage out(width, height);
    for (const RowBlock& block : pngRowBlocks(height)) {
        const uint32_t* rows = source.rows(block.firstRow, block.rows);
        std::copy(rows, rows + static_cast<size_t>(width) * static_cast<size_t>(block.rows), out.row(block.firstRow));
    }
    return out;
}

struct Planned {
    CompositionPlan plan;
    std::string log;
};

Planned plan(const std::vector<PixelImage>& frames) {
    std::ostringstream text;
    Planned p{planComposition(frames, TextLog(&text)), {}};
    p.log = text.str();
    return p;
}

class SidewaysCorpusCase : public testing::TestWithParam<std::string> {};

TEST_P(SidewaysCorpusCase, JoinsAsTheDownwardCaptureDoesAndGivesItsTranspose) {
    const std::vector<PixelImage> frames = test::loadFrames(test::testDataDir() / GetParam() / "frames");
    ASSERT_GE(frames.size(), 2u);
    const Planned down = plan(frames);

    std::vector<PixelImage> turned = eachTransposed(frames);  // as grabbed while scrolling right
    turnFramesDownward(turned, ScrollDirection::Right);
    const Planned sideways = plan(turned);

    // The log holds every pair's overlap, score and seam, and the panel and
    // small-shift decisions: the same lines mean the same answers.
    EXPECT_EQ(sideways.log, down.log);
    EXPECT_EQ(sideways.plan.offsets, down.plan.offsets);
    EXPECT_EQ(sideways.plan.seams, down.plan.seams);
    EXPECT_EQ(sideways.plan.panels, down.plan.panels);
    EXPECT_EQ(sideways.plan.panelFill, down.plan.panelFill);
    EXPECT_EQ(sideways.plan.neededUntil, down.plan.neededUntil);

    const ComposedSize size = composedSize(sideways.plan, ScrollDirection::Right);
    EXPECT_EQ(size.width, down.plan.height);
    EXPECT_EQ(size.height, down.plan.width);
    // The downward image from its plan (the corpus tests check it against
    // composeFrames); matching once more here would only cost time.
    std::vector<PixelImage> downFrames = frames;
    ComposedRows downRows(downFrames, down.plan);
    const PixelImage downImage = collectRows(downRows, down.plan.width, down.plan.height);
    ComposedColumns columns(turned, sideways.plan);
    const PixelImage sidewaysImage = collectRows(columns, size.width, size.height);
    EXPECT_TRUE(test::imagesEqual(transposed(downImage), sidewaysImage));
    // Every row needed every frame; after the last one none is held.
    for (const PixelImage& f : turned) EXPECT_TRUE(f.pixels.empty());
}

INSTANTIATE_TEST_SUITE_P(RealPages, SidewaysCorpusCase, testing::ValuesIn(test::everyCorpusCase()),
                         [](const testing::TestParamInfo<std::string>& info) { return testName(info.param); });

// Real pages scrolled to the right by wheel notches (tests/data/sideways):
// joined with the direction right, each must come out as its true wide image.
class SidewaysRealPage : public testing::TestWithParam<const char*> {};

TEST_P(SidewaysRealPage, StitchesToTheTruth) {
    const fs::path dir = test::testDataDir() / "sideways" / GetParam();
    std::vector<PixelImage> frames = test::loadFrames(dir / "frames");
    ASSERT_GE(frames.size(), 3u);
    const PixelImage truth = loadPng(dir / "truth.png");
    // Frames are the whole viewport: as tall as the truth, narrower than it.
    EXPECT_EQ(frames[0].height, truth.height);
    EXPECT_LT(frames[0].width, truth.width);
    PixelImage out;
    try {
        out = composeFrames(std::move(frames), ScrollDirection::Right);
    } catch (const std::runtime_error& e) {
        FAIL() << "refused: " << e.what();
    }
    EXPECT_TRUE(test::stitchedAsTruth(out, truth));
}

INSTANTIATE_TEST_SUITE_P(RealPages, SidewaysRealPage,
                         testing::Values("debref-ch02-wide-table", "debref-ch02-long-code"),
                         [](const testing::TestParamInfo<const char*>& info) { return testName(info.param); });

TEST(Sideways, InMemoryAndWrittenImagesAgree) {
    test::ScratchDir dir;
    const PixelImage wide = transposed(test::makeDocumentPage(180, 900, 3));
    std::vector<PixelImage> frames;
    for (int32_t top : {0, 170, 340, 500}) frames.push_back(transposed(test::cropRows(transposed(wide), top, 400)));

    std::ostringstream text;
    const PixelImage inMemory = composeFrames(frames, ScrollDirection::Right, TextLog(&text));
    EXPECT_TRUE(test::imagesEqual(wide, inMemory));
    EXPECT_NE(text.str().find("pair 3 overlap=240"), std::string::npos) << text.str();

    std::vector<PixelImage> turned = frames;
    turnFramesDownward(turned, ScrollDirection::Right);
    const CompositionPlan p = planComposition(turned);
    saveComposedPng(turned, p, dir / "wide.png", ScrollDirection::Right);
    EXPECT_TRUE(test::imagesEqual(wide, loadPng(dir / "wide.png")));
    for (const PixelImage& f : turned) EXPECT_TRUE(f.pixels.empty());
}

TEST(Sideways, AFailedWriteStillLetsTheFramesGoAndLeavesNoFile) {
    test::ScratchDir dir;
    const PixelImage page = test::makeDocumentPage(200, 500, 4);
    std::vector<PixelImage> turned = {test::cropRows(page, 0, 300), test::cropRows(page, 200, 300)};
    const CompositionPlan p = planComposition(turned);
    EXPECT_THROW(saveComposedPng(turned, p, dir / "missing" / "wide.png", ScrollDirection::Right), std::runtime_error);
    for (const PixelImage& f : turned) EXPECT_TRUE(f.pixels.empty());
    EXPECT_FALSE(fs::exists(dir / "missing"));
}

TEST(Sideways, AnImageTooWideForTheEncoderIsRefusedBeforeAnyFile) {
    test::ScratchDir dir;
    // A plan 300 rows wide and 5 million rows long turns into a file 5 million
    // pixels wide: one 256-row block of it would pass the encoder's 4 GiB.
    std::vector<PixelImage> turned = {test::makeDocumentPage(300, 400, 2)};
    CompositionPlan p;
    p.width = 300;
    p.height = 5'000'000;
    try {
        saveComposedPng(turned, p, dir / "wide.png", ScrollDirection::Right);
        ADD_FAILURE() << "no refusal";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "frame size failed");
    }
    EXPECT_TRUE(fs::is_empty(dir.path()));
    EXPECT_TRUE(turned[0].pixels.empty());
}

TEST(Sideways, ADownwardCaptureIsLeftAsItIs) {
    const PixelImage page = test::makeDocumentPage(120, 300, 6);
    std::vector<PixelImage> frames = {page};
    turnFramesDownward(frames, ScrollDirection::Down);
    EXPECT_TRUE(test::imagesEqual(page, frames[0]));
    const CompositionPlan p = planComposition(frames);
    const ComposedSize size = composedSize(p, ScrollDirection::Down);
    EXPECT_EQ(size.width, 120);
    EXPECT_EQ(size.height, 300);
    EXPECT_TRUE(test::imagesEqual(page, composeFrames(frames, ScrollDirection::Down)));
}

}  // namespace
}  // namespace tf
