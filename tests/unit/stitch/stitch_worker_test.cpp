#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "image/png_codec.h"
#include "stitch/stitch_worker.h"
#include "test_support.h"

namespace tf {
namespace {

namespace fs = std::filesystem;
using test::cropRows;
using test::makeDocumentPage;
using test::ScratchDir;

// Records what the worker tells the GUI thread, in order; each tick call
// advances a fake clock so the measured durations are known.
class RecordingHost : public StitchWorkerHost {
public:
    std::vector<std::string> events;
    uint64_t now = 1000;
    uint64_t tickCount() override {
        now += 7;
        return now;
    }
    std::wstring timestamp() override { return L"20261207-084712"; }
    void storeSavingStage(int32_t stage) override { events.push_back("stage" + std::to_string(stage)); }
    void postOverlayRedraw() override { events.push_back("redraw"); }
};

std::vector<PixelImage> framesOfPage(const PixelImage& page, int32_t height, int32_t stride) {
    std::vector<PixelImage> frames;
    for (int32_t top = 0; top + height <= page.height; top += stride) frames.push_back(cropRows(page, top, height));
    return frames;
}

TEST(StitchWorker, ComposesWritesAndReportsStagesInOrder) {
    ScratchDir dir;
    const PixelImage page = makeDocumentPage(320, 900, 4);
    StitchJob job{framesOfPage(page, 300, 150), (dir.path() / "a" / "b").wstring()};
    const uint32_t frameCount = static_cast<uint32_t>(job.frames.size());
    RecordingHost host;

    auto result = runStitchAndSave(job, host);

    ASSERT_TRUE(result->succeeded);
    EXPECT_EQ(host.events, (std::vector<std::string>{"stage1", "redraw", "stage2", "redraw"}));
    EXPECT_EQ(result->frameCount, frameCount);
    EXPECT_EQ(result->imageWidth, 320);
    EXPECT_EQ(result->imageHeight, 900);
    EXPECT_EQ(result->stitchMs, 7u);
    EXPECT_EQ(result->saveMs, 7u);
    const fs::path expected = dir.path() / "a" / "b" / "tallyframe-20261207-084712.png";
    EXPECT_EQ(fs::path(result->savedPath), expected);
    EXPECT_TRUE(job.frames.empty());
    EXPECT_TRUE(test::imagesEqual(page, loadPng(expected)));
}

TEST(StitchWorker, FolderWithTrailingSeparatorGetsOneSeparator) {
    ScratchDir dir;
    const PixelImage page = makeDocumentPage(200, 400, 2);
    std::wstring folder = dir.path().wstring();
    folder += fs::path::preferred_separator;
    StitchJob job{{cropRows(page, 0, 300), cropRows(page, 100, 300)}, folder};
    RecordingHost host;
    auto result = runStitchAndSave(job, host);
    ASSERT_TRUE(result->succeeded);
    EXPECT_EQ(result->savedPath, folder + L"tallyframe-20261207-084712.png");
}

TEST(StitchWorker, SecondImageInTheSameSecondReplacesTheFirst) {
    ScratchDir dir;
    const PixelImage a = makeDocumentPage(200, 300, 5), b = makeDocumentPage(200, 300, 6);
    RecordingHost host;
    StitchJob first{{a}, dir.path().wstring()}, second{{b}, dir.path().wstring()};
    ASSERT_TRUE(runStitchAndSave(first, host)->succeeded);
    auto result = runStitchAndSave(second, host);
    ASSERT_TRUE(result->succeeded);
    EXPECT_TRUE(test::imagesEqual(b, loadPng(result->savedPath)));
}

struct FailureCase {
    const char* name;
    bool unmatchedFrames;
    bool folderBlocked;
    std::vector<std::string> events;
    bool pathSet;
    bool sizesSet;
};

TEST(StitchWorker, EveryFailureEndsWithOneUnsuccessfulResult) {
    const std::vector<FailureCase> cases = {
        {"frames that do not match", true, false, {}, false, false},
        {"folder that cannot be created", false, true, {"stage1", "redraw"}, false, true},
    };
    for (const FailureCase& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchDir dir;
        test::writeFile(dir / "file", "x");  // a file where a folder is needed
        std::vector<PixelImage> frames;
        if (c.unmatchedFrames) {
            frames = {makeDocumentPage(300, 300, 1), makeDocumentPage(300, 300, 99)};
        } else {
            frames = framesOfPage(makeDocumentPage(300, 600, 3), 300, 150);
        }
        const fs::path folder = c.folderBlocked ? dir / "file" / "sub" : dir / "out";
        StitchJob job{frames, folder.wstring()};
        RecordingHost host;
        auto result = runStitchAndSave(job, host);
        EXPECT_FALSE(result->succeeded);
        EXPECT_EQ(host.events, c.events);
        EXPECT_EQ(result->frameCount, frames.size());
        EXPECT_EQ(!result->savedPath.empty(), c.pathSet);
        EXPECT_EQ(result->imageWidth != 0, c.sizesSet);
        EXPECT_EQ(result->imageHeight != 0, c.sizesSet);
        EXPECT_FALSE(fs::exists(dir / "out"));
    }
}

TEST(StitchWorker, AFileThatCannotBeWrittenKeepsItsPath) {
    ScratchDir dir;
    fs::create_directories(dir / "tallyframe-20261207-084712.png");  // a folder in the file's place
    StitchJob job{{makeDocumentPage(200, 300, 8)}, dir.path().wstring()};
    RecordingHost host;
    auto result = runStitchAndSave(job, host);
    EXPECT_FALSE(result->succeeded);
    EXPECT_EQ(host.events, (std::vector<std::string>{"stage1", "redraw", "stage2", "redraw"}));
    EXPECT_EQ(fs::path(result->savedPath), dir / "tallyframe-20261207-084712.png");
    EXPECT_EQ(result->imageHeight, 300);
}

}  // namespace
}  // namespace tf
