// A tall image saved in parts: the parts stacked are exactly the image, and
// the folder gets every part or none.

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/image/png_codec.h"
#include "core/image/png_parts.h"
#include "core/stitch/live_stitch.h"
#include "core/stitch/stitch_worker.h"
#include "recording_host.h"
#include "test_support.h"

namespace tf {
namespace {

namespace fs = std::filesystem;
using test::cropRows;
using test::makeDocumentPage;
using test::ScratchDir;

using test::RecordingHost;

TEST(PartRanges, CutEveryPartLengthRowsWithTheRestLast) {
    const struct Case {
        int64_t length;
        int32_t partLength;
        std::vector<PartRange> ranges;
    } cases[] = {
        {900, 0, {{0, 900}}},
        {900, 900, {{0, 900}}},
        {900, 901, {{0, 900}}},
        {900, 899, {{0, 899}, {899, 1}}},
        {900, 300, {{0, 300}, {300, 300}, {600, 300}}},
        {900, 256, {{0, 256}, {256, 256}, {512, 256}, {768, 132}}},
        {70000, 32000, {{0, 32000}, {32000, 32000}, {64000, 6000}}},
        {0, 300, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.length << " by " << c.partLength);
        EXPECT_EQ(partRanges(c.length, c.partLength), c.ranges);
    }
}

TEST(PartRanges, NamesSortInOrder) {
    EXPECT_EQ(partFileName(L"shot", 1, 3), fs::path(L"shot-part01.png"));
    EXPECT_EQ(partFileName(L"shot", 12, 12), fs::path(L"shot-part12.png"));
    EXPECT_EQ(partFileName(L"shot", 7, 120), fs::path(L"shot-part007.png"));
}

// The parts of `result`, loaded and stacked the way the image runs.
PixelImage stackedParts(const StitchResult& result, ScrollDirection direction) {
    std::vector<PixelImage> parts;
    int32_t length = 0;
    for (const std::wstring& p : result.partPaths) {
        PixelImage part = loadPng(p);
        if (direction == ScrollDirection::Right) part = transposed(part);
        length += part.height;
        parts.push_back(std::move(part));
    }
    if (parts.empty()) return {};
    PixelImage whole(parts.front().width, length);
    int32_t y = 0;
    for (const PixelImage& part : parts) {
        if (part.width != whole.width) return {};
        for (int32_t r = 0; r < part.height; ++r, ++y) std::copy(part.row(r), part.row(r) + part.width, whole.row(y));
    }
    return whole;
}

// The frames saved by the stitch after the capture, or joined while it ran.
std::unique_ptr<StitchResult> savedSplit(bool live, const std::vector<PixelImage>& frames, ScrollDirection direction,
                                         const fs::path& folder, const fs::path& scratch, int32_t splitLength) {
    RecordingHost host(L"20261210-050000");
    if (!live) {
        StitchJob job{TurnedFrames::turnedByLoop(frames, direction), folder.wstring(), splitLength};
        return runStitchAndSave(job, host);
    }
    LiveStitch stitch(scratch);
    for (const PixelImage& f : frames) stitch.add(f);
    return runLiveStitchAndSave(stitch, direction, folder.wstring(), splitLength, host);
}

TEST(SplitSave, PartsStackedAreExactlyTheWholeImageEitherWayRoundEitherStitch) {
    const PixelImage page = makeDocumentPage(200, 900, 6);
    for (const bool live : {false, true}) {
        for (const ScrollDirection direction : {ScrollDirection::Down, ScrollDirection::Right}) {
            SCOPED_TRACE(testing::Message() << (live ? "live " : "after ")
                                            << (direction == ScrollDirection::Down ? "down" : "sideways"));
            ScratchDir dir, scratch;
            std::vector<PixelImage> frames;
            for (int32_t top : {0, 200, 400, 600}) frames.push_back(cropRows(page, top, 300));
            const auto result = savedSplit(live, frames, direction, dir.path(), scratch.path(), 256);
            ASSERT_TRUE(result->succeeded);
            ASSERT_EQ(result->partPaths.size(), 4u);
            EXPECT_EQ(result->splitLength, 256);
            EXPECT_EQ(result->savedPath, result->partPaths.front());
            for (size_t i = 0; i < 4; ++i)
                EXPECT_EQ(fs::path(result->partPaths[i]),
                          dir.path() / partFileName(L"tallyframe-20261210-050000", i + 1, 4));
            EXPECT_EQ(test::entriesOf(dir.path()).size(), 4u);  // no temporary file left behind
            const PixelImage stacked = stackedParts(*result, direction);
            EXPECT_TRUE(test::imagesEqual(page, stacked));
            EXPECT_EQ(loadPng(result->partPaths.back()).width, direction == ScrollDirection::Right ? 132 : 200);
            EXPECT_TRUE(test::entriesOf(scratch.path()).empty());  // the live stitch's rows and frames went
        }
    }
}

TEST(SplitSave, AnImageNoLongerThanAPartIsOneFileOfTheUsualNameEitherStitch) {
    const PixelImage page = makeDocumentPage(200, 500, 3);
    for (const bool live : {false, true}) {
        SCOPED_TRACE(live ? "live" : "after");
        ScratchDir dir, scratch;
        const auto result =
            savedSplit(live, {cropRows(page, 0, 300), cropRows(page, 200, 300)}, ScrollDirection::Down, dir.path(),
                       scratch.path(), 500);
        ASSERT_TRUE(result->succeeded);
        EXPECT_TRUE(result->partPaths.empty());
        EXPECT_EQ(result->splitLength, 0);
        EXPECT_EQ(fs::path(result->savedPath), dir.path() / "tallyframe-20261210-050000.png");
        EXPECT_TRUE(test::imagesEqual(page, loadPng(result->savedPath)));
    }
}

// Rows from an image, failing at a given row: a save that breaks midway.
class ImageRowsFailingAt : public PngRowSource {
public:
    ImageRowsFailingAt(const PixelImage& image, int32_t failAt) : image_(image), failAt_(failAt) {}
    const uint32_t* rows(int32_t firstRow, int32_t count) override {
        if (failAt_ >= 0 && firstRow + count > failAt_) throw std::runtime_error("read failed");
        return image_.row(firstRow);
    }

private:
    const PixelImage& image_;
    int32_t failAt_;
};

TEST(SplitSave, AFailureInAnyPartLeavesNoPartBehind) {
    ScratchDir dir;
    const PixelImage part = makeDocumentPage(64, 40, 2);
    ImageRowsFailingAt good(part, -1), alsoGood(part, -1), broken(part, 20);
    EXPECT_THROW(savePngPartsAsNew({{64, 40, &good}, {64, 40, &alsoGood}, {64, 40, &broken}}, dir.path(), L"shot"),
                 std::runtime_error);
    EXPECT_TRUE(test::entriesOf(dir.path()).empty());
}

TEST(SplitSave, ATakenPartNameMovesTheWholeSetToTheNextNumber) {
    ScratchDir dir;
    test::writeFile(dir.path() / "shot-part02.png", "someone else's");
    const PixelImage part = makeDocumentPage(64, 40, 2);
    ImageRowsFailingAt first(part, -1), second(part, -1);
    const std::vector<fs::path> paths = savePngPartsAsNew({{64, 40, &first}, {64, 40, &second}}, dir.path(), L"shot");
    EXPECT_EQ(paths, (std::vector<fs::path>{dir.path() / "shot-2-part01.png", dir.path() / "shot-2-part02.png"}));
    EXPECT_EQ(test::readFile(dir.path() / "shot-part02.png"), "someone else's");
    EXPECT_EQ(test::entriesOf(dir.path()), (std::vector<std::string>{"shot-2-part01.png", "shot-2-part02.png", "shot-part02.png"}));
    for (const fs::path& p : paths) EXPECT_TRUE(test::imagesEqual(part, loadPng(p)));
}

}  // namespace
}  // namespace tf
