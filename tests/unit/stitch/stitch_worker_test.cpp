#include <gtest/gtest.h>

#ifdef __linux__
#include <sys/mount.h>
#endif
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <filesystem>
#include <string>
#include <vector>

#include "core/image/atomic_file.h"
#include "core/image/png_codec.h"
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

std::vector<PixelImage> framesOfPage(const PixelImage& page, int32_t height, int32_t stride) {
    std::vector<PixelImage> frames;
    for (int32_t top = 0; top + height <= page.height; top += stride) frames.push_back(cropRows(page, top, height));
    return frames;
}

TEST(StitchWorker, ComposesWritesAndReportsStagesInOrder) {
    ScratchDir dir;
    const PixelImage page = makeDocumentPage(320, 900, 4);
    StitchJob job{TurnedFrames::turn(framesOfPage(page, 300, 150)), (dir.path() / "a" / "b").wstring()};
    const uint32_t frameCount = static_cast<uint32_t>(job.frames.frames().size());
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
    EXPECT_TRUE(job.frames.frames().empty());
    EXPECT_TRUE(test::imagesEqual(page, loadPng(expected)));
}

TEST(StitchWorker, ASidewaysCaptureIsWrittenWideTheRightWayRound) {
    ScratchDir dir;
    // A page scrolled to the right: the frames are columns of the wide page.
    const PixelImage wide = transposed(makeDocumentPage(240, 1000, 11));
    // As grabbed (an offline stitch), or already turned as a capture's loop
    // hands them over: the same wide image either way.
    for (const bool turned : {false, true}) {
        SCOPED_TRACE(turned ? "handed turned" : "as grabbed");
        std::vector<PixelImage> frames;
        for (int32_t left : {0, 150, 300, 450, 600}) {
            PixelImage columns = cropRows(transposed(wide), left, 400);
            frames.push_back(turned ? std::move(columns) : transposed(columns));
        }
        StitchJob job{turned ? TurnedFrames::turnedByLoop(frames, ScrollDirection::Right)
                             : TurnedFrames::turn(frames, ScrollDirection::Right),
                      dir.path().wstring()};
        RecordingHost host;

        auto result = runStitchAndSave(job, host);

        ASSERT_TRUE(result->succeeded);
        EXPECT_EQ(result->imageWidth, 1000);
        EXPECT_EQ(result->imageHeight, 240);
        EXPECT_TRUE(job.frames.frames().empty());
        EXPECT_TRUE(test::imagesEqual(wide, loadPng(result->savedPath)));
        fs::remove(result->savedPath);
    }
}

// A capture stitched while it ran ends in the file, the numbers and the
// seams the stitch after the end gives, downward and sideways.
TEST(StitchWorker, AStitchJoinedDuringTheCaptureSavesWhatTheWholeListSaves) {
    const PixelImage page = makeDocumentPage(320, 1300, 8);
    for (const ScrollDirection direction : {ScrollDirection::Down, ScrollDirection::Right}) {
        SCOPED_TRACE(direction == ScrollDirection::Down ? "down" : "sideways");
        ScratchDir dir;
        const std::vector<PixelImage> frames = framesOfPage(page, 300, 140);
        StitchJob job{TurnedFrames::turnedByLoop(frames, direction), (dir.path() / "whole").wstring()};
        RecordingHost host;
        const auto whole = runStitchAndSave(job, host);
        ASSERT_TRUE(whole->succeeded);

        RecordingHost liveHost;
        std::unique_ptr<StitchResult> live;
        {
            LiveStitch stitch(dir.path());
            for (const PixelImage& f : frames) stitch.add(f);
            live = runLiveStitchAndSave(stitch, direction, (dir.path() / "live").wstring(), 0, liveHost);
        }
        ASSERT_TRUE(live->succeeded);
        EXPECT_EQ(liveHost.events, host.events);
        EXPECT_EQ(live->frameCount, whole->frameCount);
        EXPECT_EQ(live->imageWidth, whole->imageWidth);
        EXPECT_EQ(live->imageHeight, whole->imageHeight);
        EXPECT_EQ(live->direction, direction);
        EXPECT_EQ(live->seams.size(), whole->seams.size());
        for (size_t i = 0; i < live->seams.size() && i < whole->seams.size(); ++i)
            EXPECT_TRUE(live->seams[i] == whole->seams[i]) << "seam " << i;
        EXPECT_EQ(fs::path(live->savedPath), dir / "live" / "tallyframe-20261207-084712.png");
        EXPECT_TRUE(test::imagesEqual(loadPng(whole->savedPath), loadPng(live->savedPath)));
        // The rows and frames that waited beside the file are gone.
        EXPECT_EQ(test::entriesOf(dir.path()).size(), 2u);
    }
}

// A stitch that cannot join is a failed save with nothing written.
TEST(StitchWorker, AStitchThatDoesNotJoinSavesNothing) {
    ScratchDir dir;
    RecordingHost host;
    LiveStitch stitch(dir.path());
    stitch.add(cropRows(makeDocumentPage(320, 900, 1), 0, 300));
    stitch.add(cropRows(makeDocumentPage(320, 900, 2), 0, 300));
    const auto result = runLiveStitchAndSave(stitch, ScrollDirection::Down, (dir.path() / "out").wstring(), 0, host);
    EXPECT_FALSE(result->succeeded);
    EXPECT_FALSE(fs::exists(dir.path() / "out" / "tallyframe-20261207-084712.png"));
}

// A capture's frames reach a stitch made at the first of them; a capture that
// handed none on, or a folder that takes no temporary file, leaves nothing to save.
TEST(LiveStitchFeed, MakesTheStitchAtTheFirstFrameOrNone) {
    const PixelImage page = makeDocumentPage(320, 900, 4);
    ScratchDir dir;
    {
        LiveStitchFeed feed(dir.path());
        EXPECT_TRUE(test::entriesOf(dir.path()).empty());
        for (const PixelImage& f : framesOfPage(page, 300, 150)) feed.add(f);
        std::unique_ptr<LiveStitch> stitch = feed.take();
        ASSERT_NE(stitch, nullptr);
        EXPECT_EQ(stitch->framesAdded(), 5u);
        EXPECT_EQ(feed.take(), nullptr);
        RecordingHost host;
        const auto result = runLiveStitchAndSave(*stitch, ScrollDirection::Down, (dir / "out").wstring(), 0, host);
        ASSERT_TRUE(result->succeeded);
        EXPECT_TRUE(test::imagesEqual(page, loadPng(result->savedPath)));
    }
    EXPECT_EQ(test::entriesOf(dir.path()), std::vector<std::string>{"out"});  // the temporary files went
    EXPECT_EQ(LiveStitchFeed(dir.path()).take(), nullptr);
    LiveStitchFeed nowhere(dir / "missing");
    nowhere.add(cropRows(page, 0, 300));
    EXPECT_EQ(nowhere.take(), nullptr);
    EXPECT_FALSE(liveStitchFolder().empty());
}

TEST(StitchWorker, FolderWithTrailingSeparatorGetsOneSeparator) {
    ScratchDir dir;
    const PixelImage page = makeDocumentPage(200, 400, 2);
    std::wstring folder = dir.path().wstring();
    folder += fs::path::preferred_separator;
    StitchJob job{TurnedFrames::turn({cropRows(page, 0, 300), cropRows(page, 100, 300)}), folder};
    RecordingHost host;
    auto result = runStitchAndSave(job, host);
    ASSERT_TRUE(result->succeeded);
    EXPECT_EQ(result->savedPath, folder + L"tallyframe-20261207-084712.png");
}

TEST(StitchWorker, ImagesFinishedInTheSameSecondAreNumberedNotReplaced) {
    ScratchDir dir;
    const PixelImage a = makeDocumentPage(200, 300, 5), b = makeDocumentPage(200, 300, 6), c = makeDocumentPage(200, 300, 7);
    RecordingHost host;
    StitchJob first{TurnedFrames::turn({a}), dir.path().wstring()}, second{TurnedFrames::turn({b}), dir.path().wstring()},
        third{TurnedFrames::turn({c}), dir.path().wstring()};
    auto r1 = runStitchAndSave(first, host);
    auto r2 = runStitchAndSave(second, host);
    auto r3 = runStitchAndSave(third, host);
    ASSERT_TRUE(r1->succeeded && r2->succeeded && r3->succeeded);
    EXPECT_EQ(fs::path(r1->savedPath), dir / "tallyframe-20261207-084712.png");
    EXPECT_EQ(fs::path(r2->savedPath), dir / "tallyframe-20261207-084712-2.png");
    EXPECT_EQ(fs::path(r3->savedPath), dir / "tallyframe-20261207-084712-3.png");
    EXPECT_TRUE(test::imagesEqual(a, loadPng(r1->savedPath)));
    EXPECT_TRUE(test::imagesEqual(b, loadPng(r2->savedPath)));
    EXPECT_TRUE(test::imagesEqual(c, loadPng(r3->savedPath)));
    size_t entries = 0;
    for (const auto& e : fs::directory_iterator(dir.path())) entries += e.is_regular_file() ? 1 : 100;
    EXPECT_EQ(entries, 3u);  // no temporary file left behind
}

#ifndef _WIN32
TEST(StitchWorker, SpecialFilesAtTheNameAreSkippedAndAKilledSavesFileIsRemoved) {
    ScratchDir dir;
    ASSERT_EQ(::mkfifo((dir / "tallyframe-20261207-084712.png").c_str(), 0644), 0);
    fs::create_symlink("/dev/null", dir / "tallyframe-20261207-084712-2.png");
    test::writeFile(dir / ".tallyframe-00000000deadbeef.tmp", "left by a killed save");
    const PixelImage page = makeDocumentPage(200, 300, 8);
    StitchJob job{TurnedFrames::turn({page}), dir.path().wstring()};
    RecordingHost host;
    auto result = runStitchAndSave(job, host);
    ASSERT_TRUE(result->succeeded);
    EXPECT_EQ(fs::path(result->savedPath), dir / "tallyframe-20261207-084712-3.png");
    EXPECT_TRUE(test::imagesEqual(page, loadPng(result->savedPath)));
    EXPECT_EQ(fs::status(dir / "tallyframe-20261207-084712.png").type(), fs::file_type::fifo);
    EXPECT_TRUE(fs::is_symlink(dir / "tallyframe-20261207-084712-2.png"));
    EXPECT_FALSE(fs::exists(dir / ".tallyframe-00000000deadbeef.tmp"));
}
#endif

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
        StitchJob job{TurnedFrames::turn(frames), folder.wstring()};
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

TEST(StitchWorker, ANameTakenByAFolderIsSkipped) {
    ScratchDir dir;
    fs::create_directories(dir / "tallyframe-20261207-084712.png");
    StitchJob job{TurnedFrames::turn({makeDocumentPage(200, 300, 8)}), dir.path().wstring()};
    RecordingHost host;
    auto result = runStitchAndSave(job, host);
    ASSERT_TRUE(result->succeeded);
    EXPECT_EQ(fs::path(result->savedPath), dir / "tallyframe-20261207-084712-2.png");
    EXPECT_TRUE(fs::is_empty(dir / "tallyframe-20261207-084712.png"));
}

TEST(StitchWorker, AFileThatCannotBeWrittenKeepsItsPath) {
    ScratchDir dir;
    // Every name the file could take is taken already.
    for (unsigned n = 1; n <= kMaxNumberedNames; ++n)
        test::writeFile(dir.path() / numberedFileName("tallyframe-20261207-084712", n, ".png"), "mine");
    StitchJob job{TurnedFrames::turn({makeDocumentPage(200, 300, 8)}), dir.path().wstring()};
    RecordingHost host;
    auto result = runStitchAndSave(job, host);
    EXPECT_FALSE(result->succeeded);
    EXPECT_EQ(host.events, (std::vector<std::string>{"stage1", "redraw", "stage2", "redraw"}));
    EXPECT_EQ(fs::path(result->savedPath), dir / "tallyframe-20261207-084712.png");
    EXPECT_EQ(result->imageHeight, 300);
    EXPECT_EQ(test::readFile(dir / "tallyframe-20261207-084712.png"), "mine");
    size_t entries = 0;
    for (const auto& e : fs::directory_iterator(dir.path())) entries += test::readFile(e.path()) == "mine" ? 1 : 100;
    EXPECT_EQ(entries, kMaxNumberedNames);
}

#ifdef __linux__
// A small tmpfs fills up during the save. Needs the right to mount (root, as
// in CI); skipped with a message elsewhere.
class SmallDisk {
public:
    explicit SmallDisk(const fs::path& at) : at_(at) {
        fs::create_directories(at_);
        mounted_ = ::mount("tmpfs", at_.c_str(), "tmpfs", 0, "size=300k") == 0;
    }
    ~SmallDisk() {
        if (mounted_) ::umount(at_.c_str());
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;
    bool mounted() const { return mounted_; }

private:
    fs::path at_;
    bool mounted_ = false;
};

TEST(StitchWorker, AFullDiskLeavesNothingAndKeepsAnEarlierImage) {
    ScratchDir dir;
    SmallDisk disk(dir / "small");
    if (!disk.mounted()) GTEST_SKIP() << "mounting a small tmpfs is not permitted here (needs root)";
    const fs::path folder = dir / "small";
    PixelImage noise(400, 400);  // does not compress: about 640 KB of PNG
    uint32_t x = 12345;
    for (uint32_t& px : noise.pixels) px = (x = x * 1664525u + 1013904223u);
    for (const bool earlier : {true, false}) {
        SCOPED_TRACE(earlier ? "with an earlier capture of that name" : "into an empty folder");
        const fs::path taken = folder / "tallyframe-20261207-084712.png";
        if (earlier) test::writeFile(taken, "an earlier capture");
        StitchJob job{TurnedFrames::turn({noise}), folder.wstring()};
        RecordingHost host;
        auto result = runStitchAndSave(job, host);
        EXPECT_FALSE(result->succeeded);
        EXPECT_EQ(host.events, (std::vector<std::string>{"stage1", "redraw", "stage2", "redraw"}));
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename().string());
        EXPECT_EQ(names, earlier ? std::vector<std::string>{taken.filename().string()} : std::vector<std::string>{});
        if (earlier) {
            EXPECT_EQ(test::readFile(taken), "an earlier capture");
        }
        fs::remove(taken);
    }
}
#endif

}  // namespace
}  // namespace tf
