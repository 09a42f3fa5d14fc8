// The long image written block by block straight from the frames must be the
// image composeFrames builds, and the pairs matched on two threads must be the
// pairs matched one after the other.

#include <gtest/gtest.h>

#ifdef __linux__
#include <sys/resource.h>

#include <csignal>
#endif

#include <filesystem>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/diagnostics/offline_stitch.h"
#include "core/image/png_codec.h"
#include "core/stitch/composed_png.h"
#include "core/stitch/composer.h"
#include "test_support.h"

namespace fs = std::filesystem;

namespace tf {
namespace {

using test::cropRows;
using test::imagesEqual;
using test::makeDocumentPage;
using test::ScratchDir;

struct FrameSet {
    std::string name;
    std::vector<PixelImage> frames;
};

std::vector<PixelImage> framesAt(const PixelImage& page, const std::vector<int32_t>& tops, int32_t h) {
    std::vector<PixelImage> frames;
    for (int32_t top : tops) frames.push_back(cropRows(page, top, h));
    return frames;
}

std::vector<PixelImage> corpusFrames(const std::string& folder) {
    return test::loadFrames(test::testDataDir() / folder / "frames");
}

// Steady and uneven scrolls (the second thread's guess right and wrong),
// frames of several widths and heights, a page that only joins right with
// the expectation, and real captures with and without side panels.
std::vector<FrameSet> frameSets() {
    std::vector<FrameSet> sets;
    const PixelImage page = makeDocumentPage(640, 3000, 17);
    sets.push_back({"steady scroll", framesAt(page, {0, 300, 600, 900, 1200, 1500, 1800}, 520)});
    sets.push_back({"uneven scroll", framesAt(page, {0, 185, 371, 554, 612, 900, 1111, 1290}, 520)});
    std::vector<PixelImage> mixed = framesAt(page, {0, 250, 500, 750}, 700);
    PixelImage wider(700, 700, 0xFF336699u);  // the others set the width
    for (int32_t y = 0; y < wider.height; ++y) std::copy(mixed[1].row(y), mixed[1].row(y) + 640, wider.row(y));
    mixed[1] = std::move(wider);
    mixed[3] = cropRows(page, 750, 613);                                // shorter last frame
    sets.push_back({"mixed sizes", std::move(mixed)});
    const PixelImage tile = makeDocumentPage(640, 92, 23);
    PixelImage repeating(640, 1800);
    for (int32_t y = 0; y < repeating.height; ++y)
        std::copy(tile.row(y % 92), tile.row(y % 92) + 640, repeating.row(y));
    sets.push_back({"repeating page", framesAt(repeating, {0, 8, 16, 24}, 520)});
    sets.push_back({"corpus debref-ch05", corpusFrames("corpus/debref-ch05")});
    sets.push_back({"corpus py-functions-small-rect", corpusFrames("corpus/py-functions-small-rect")});
    sets.push_back({"corpus-panels py-json-sidebar", corpusFrames("corpus-panels/py-json-sidebar")});
    return sets;
}

// The pairs as composing once matched them: one by one, each with the
// previous overlap as expectation, up to the first that fails.
std::vector<MatchResult> pairsOneByOne(const std::vector<PixelImage>& frames, const SidePanels& panels,
                                       const std::vector<SidePanels>& pairPanels) {
    std::vector<MatchResult> results;
    int32_t expected = 0;
    for (size_t i = 1; i < frames.size(); ++i) {
        results.push_back(joinPair(frames[i - 1], frames[i], i, expected, panels, pairPanels[i - 1]).result);
        if (!results.back().matched) break;
        expected = expectationAfter(frames[i - 1].height, results.back());
    }
    return results;
}

std::vector<MatchResult> pairsOf(const std::vector<PixelImage>& frames, const SidePanels& panels,
                                 const std::vector<SidePanels>& pairPanels, bool parallel) {
    std::vector<MatchResult> results;
    matchFramePairs(frames, panels, pairPanels, parallel, [&](size_t pair, const PairJoin& join) {
        EXPECT_EQ(pair, results.size() + 1) << "pairs out of order";
        results.push_back(join.result);
    });
    return results;
}

void expectSameResults(const std::vector<MatchResult>& expected, const std::vector<MatchResult>& actual) {
    ASSERT_EQ(expected.size(), actual.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE("pair " + std::to_string(i + 1));
        EXPECT_EQ(expected[i].overlap, actual[i].overlap);
        EXPECT_EQ(expected[i].score, actual[i].score);  // bit for bit, not nearly
        EXPECT_EQ(expected[i].matched, actual[i].matched);
        EXPECT_EQ(expected[i].seam, actual[i].seam);
        EXPECT_EQ(expected[i].seamScore, actual[i].seamScore);
    }
}

TEST(PairMatching, BothThreadsGiveTheResultsOfTheOneByOneOrder) {
    std::vector<FrameSet> sets = frameSets();
    // A pair that fails in the middle ends the matching there, guessed or not.
    FrameSet failing{"unrelated fourth frame", framesAt(makeDocumentPage(640, 1600, 41), {0, 200, 400, 600, 800}, 520)};
    failing.frames[3] = cropRows(makeDocumentPage(640, 600, 777), 0, 520);
    sets.push_back(std::move(failing));
    for (const FrameSet& set : sets) {
        SCOPED_TRACE(set.name);
        std::vector<SidePanels> pairPanels;
        for (size_t i = 1; i < set.frames.size(); ++i)
            pairPanels.push_back(detectSidePanels(set.frames[i - 1], set.frames[i]));
        const SidePanels panels = capturePanelsOfPairs(pairPanels);
        const std::vector<MatchResult> reference = pairsOneByOne(set.frames, panels, pairPanels);
        expectSameResults(reference, pairsOf(set.frames, panels, pairPanels, false));
        expectSameResults(reference, pairsOf(set.frames, panels, pairPanels, true));
    }
}

TEST(PairMatching, AThrowingReceiverStopsTheMatching) {
    const std::vector<PixelImage> frames = framesAt(makeDocumentPage(320, 1400, 5), {0, 150, 300, 450, 600}, 300);
    size_t seen = 0;
    EXPECT_THROW(matchFramePairs(frames, SidePanels{}, {}, true,
                                 [&](size_t pair, const PairJoin&) {
                                     ++seen;
                                     if (pair == 2) throw std::runtime_error("invalid seam");
                                 }),
                 std::runtime_error);
    EXPECT_EQ(seen, 2u);
}

// Collects the lines a composition writes to its log.
class CapturedLog {
public:
    TextLog sink() { return TextLog(&out_); }
    std::string text() const { return out_.str(); }

private:
    std::ostringstream out_;
};

TEST(ComposedPng, StreamedFileDecodesToTheComposedImageAndReleasesEveryFrame) {
    size_t withPanels = 0;
    for (const FrameSet& set : frameSets()) {
        SCOPED_TRACE(set.name);
        ScratchDir dir;
        std::string composedLog, plannedLog;
        PixelImage composed;
        {
            CapturedLog log;
            composed = composeFrames(set.frames, log.sink());
            composedLog = log.text();
        }
        std::vector<PixelImage> frames = set.frames;
        CompositionPlan plan;
        {
            CapturedLog log;
            plan = planComposition(frames, log.sink());
            plannedLog = log.text();
        }
        EXPECT_EQ(plannedLog, composedLog);
        withPanels += plan.panels.any() ? 1 : 0;
        ASSERT_EQ(plan.width, composed.width);
        ASSERT_EQ(plan.height, composed.height);
        saveComposedPng(frames, plan, dir / "long.png");
        EXPECT_TRUE(imagesEqual(composed, loadPng(dir / "long.png")));
        for (const PixelImage& f : frames) EXPECT_TRUE(f.pixels.empty()) << "a frame was kept";
    }
    EXPECT_GE(withPanels, 1u) << "the panel columns were not exercised";
}

TEST(ComposedPng, RowsAnyBlockAtATimeAreTheComposedRows) {
    // Blocks that start inside a frame's rows and end inside another's.
    const std::vector<PixelImage> frames = framesAt(makeDocumentPage(300, 2000, 12), {0, 170, 333, 500, 720}, 400);
    const PixelImage composed = composeFrames(frames);
    const CompositionPlan plan = planComposition(frames);
    for (const int32_t block : {1, 7, 256, 1000}) {
        SCOPED_TRACE("block of " + std::to_string(block));
        PixelImage rows(plan.width, plan.height);
        for (int32_t y = 0; y < plan.height; y += block)
            composeRows(frames, plan, y, std::min(block, plan.height - y), rows.row(y));
        EXPECT_TRUE(imagesEqual(composed, rows));
    }
}

TEST(ComposedPng, FailuresOfPlanningAreThoseOfComposing) {
    std::vector<PixelImage> frames = framesAt(makeDocumentPage(640, 1600, 41), {0, 200, 400, 600}, 520);
    frames[3] = cropRows(makeDocumentPage(640, 600, 777), 0, 520);
    std::string composedLog, plannedLog, composedError, plannedError;
    {
        CapturedLog log;
        try {
            composeFrames(frames, log.sink());
        } catch (const std::runtime_error& e) {
            composedError = e.what();
        }
        composedLog = log.text();
    }
    {
        CapturedLog log;
        try {
            planComposition(frames, log.sink());
        } catch (const std::runtime_error& e) {
            plannedError = e.what();
        }
        plannedLog = log.text();
    }
    EXPECT_EQ(composedError, "stitch failed");
    EXPECT_EQ(plannedError, composedError);
    EXPECT_EQ(plannedLog, composedLog);
    // No frames: an empty plan, which no PNG can hold.
    const CompositionPlan empty = planComposition({});
    EXPECT_EQ(empty.width, 0);
    EXPECT_EQ(empty.height, 0);
    ScratchDir dir;
    std::vector<PixelImage> none;
    EXPECT_THROW(saveComposedPng(none, empty, dir / "x.png"), std::runtime_error);
    EXPECT_TRUE(fs::is_empty(dir.path()));
}

// Gives its rows until `failAt`, then throws as an allocation might.
class FailingRows : public PngRowSource {
public:
    FailingRows(const PixelImage& image, int32_t failAt) : image_(image), failAt_(failAt) {}
    const uint32_t* rows(int32_t firstRow, int32_t count) override {
        if (firstRow + count > failAt_) throw std::runtime_error("rows ran out");
        return image_.row(firstRow);
    }

private:
    const PixelImage& image_;
    int32_t failAt_;
};

TEST(ComposedPng, AFailureInTheMiddleOfTheRowsLeavesNoFileAndKeepsAnOldOne) {
    const PixelImage image = makeDocumentPage(200, 1000, 3);
    for (const bool earlier : {false, true}) {
        SCOPED_TRACE(earlier ? "over an earlier file" : "into an empty folder");
        ScratchDir dir;
        if (earlier) test::writeFile(dir / "out.png", "earlier");
        FailingRows rows(image, 600);
        try {
            savePng(image.width, image.height, rows, dir / "out.png");
            FAIL() << "no exception";
        } catch (const std::runtime_error& e) {
            EXPECT_STREQ(e.what(), "rows ran out");
        }
        size_t entries = 0;
        for (const auto& e : fs::directory_iterator(dir.path())) {
            ++entries;
            EXPECT_EQ(e.path().filename(), "out.png") << "left behind";
        }
        EXPECT_EQ(entries, earlier ? 1u : 0u);
        if (earlier) {
            EXPECT_EQ(test::readFile(dir / "out.png"), "earlier");
        }
    }
}

#ifdef __linux__
// The process may write files of at most `bytes`; writes beyond fail with
// EFBIG instead of the signal that would end the test.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &old_);
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = old_;
        limit.rlim_cur = bytes;
        set_ = ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
    bool set() const { return set_; }

private:
    rlimit old_{};
    void (*oldHandler_)(int) = nullptr;
    bool set_ = false;
};

std::string saveError(const std::function<void()>& save) {
    try {
        save();
    } catch (const std::runtime_error& e) {
        return e.what();
    }
    return "no exception";
}

TEST(ComposedPng, AWriteThatFailsMidwayRaisesWhatSavingTheWholeImageRaises) {
    // Noise does not compress: the file passes the limit after a few blocks.
    const int32_t w = 400, h = 300, step = 200;
    PixelImage page(w, step * 4 + h);
    uint32_t x = 12345;
    for (uint32_t& px : page.pixels) px = (x = x * 1664525u + 1013904223u) | 0xFF000000u;
    const std::vector<PixelImage> frames = framesAt(page, {0, step, 2 * step, 3 * step, 4 * step}, h);
    const PixelImage composed = composeFrames(frames);
    ScratchDir dir;
    std::string whole, streamed;
    {
        FileSizeLimit limit(256 * 1024);
        if (!limit.set()) GTEST_SKIP() << "no file size limit can be set here";
        whole = saveError([&] { savePng(composed, dir / "whole.png"); });
        std::vector<PixelImage> copy = frames;
        const CompositionPlan plan = planComposition(copy);
        streamed = saveError([&] { saveComposedPng(copy, plan, dir / "streamed.png"); });
    }
    EXPECT_EQ(whole, "write pixels failed");
    EXPECT_EQ(streamed, whole);
    EXPECT_TRUE(fs::is_empty(dir.path())) << "a file or temporary file was left";
}
#endif

}  // namespace
}  // namespace tf
