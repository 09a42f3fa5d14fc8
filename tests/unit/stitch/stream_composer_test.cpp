// The streaming composer against composeFrames: every real page of the
// corpora, downward and turned on its side, must give the same log and the
// same pixels, and the rows must leave the composer as the frames arrive.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <stdexcept>
#include <string>

#include "core/diagnostics/offline_stitch.h"
#include "core/image/png_codec.h"
#include "core/stitch/composer.h"
#include "core/stitch/live_stitch.h"
#include "core/stitch/orientation.h"
#include "core/stitch/row_store.h"
#include "core/stitch/stream_composer.h"
#include "core/stitch/streamed_png.h"
#include "test_support.h"

namespace fs = std::filesystem;

namespace tf {
namespace {

using test::cropRows;
using test::makeDocumentPage;

// What one composer made of a list of frames: the log, the image, or its refusal.
struct Outcome {
    std::string log;
    std::string error;
    PixelImage image;
    size_t replayedPairs = 0;
    size_t reloads = 0;
    StreamedImage streamed;  // what the streaming composer finished with
};

Outcome batch(const std::vector<PixelImage>& frames) {
    Outcome o;
    std::ostringstream text;
    try {
        o.image = composeFrames(frames, TextLog(&text));
    } catch (const std::runtime_error& e) {
        o.error = e.what();
    }
    o.log = text.str();
    return o;
}

PixelImage collect(RowStore& rows, const StreamedImage& image) {
    PixelImage out(image.width, image.height);
    StreamedRows source(rows, image);
    for (const RowBlock& block : pngRowBlocks(image.height)) {
        const uint32_t* block_rows = source.rows(block.firstRow, block.rows);
        std::copy(block_rows, block_rows + static_cast<size_t>(image.width) * static_cast<size_t>(block.rows),
                  out.row(block.firstRow));
    }
    return out;
}

Outcome streamed(const std::vector<PixelImage>& frames, RowStore& rows) {
    Outcome o;
    StreamComposer composer(rows, [&](size_t i) {
        ++o.reloads;
        return frames.at(i);
    });
    for (const PixelImage& f : frames) composer.add(f);
    std::ostringstream text;
    try {
        o.streamed = composer.finish(TextLog(&text));
        o.replayedPairs = o.streamed.replayedPairs;
        o.image = collect(rows, o.streamed);
    } catch (const std::runtime_error& e) {
        o.error = e.what();
    }
    o.log = text.str();
    return o;
}

// The frames through a stitch that joins them on its own thread, with the
// frames read back from its temporary file when the panels were guessed wrong.
Outcome live(const std::vector<PixelImage>& frames, const fs::path& folder, size_t waitingFrames) {
    Outcome o;
    LiveStitch stitch(folder, waitingFrames);
    for (const PixelImage& f : frames) stitch.add(f);
    std::ostringstream text;
    try {
        o.streamed = stitch.finish(TextLog(&text));
        o.replayedPairs = o.streamed.replayedPairs;
        o.image = collect(stitch.rows(), o.streamed);
    } catch (const std::runtime_error& e) {
        o.error = e.what();
    }
    o.log = text.str();
    return o;
}

void expectSame(const Outcome& expected, const Outcome& actual) {
    EXPECT_EQ(actual.log, expected.log);
    EXPECT_EQ(actual.error, expected.error);
    EXPECT_TRUE(test::imagesEqual(expected.image, actual.image));
}

class StreamCorpusCase : public testing::TestWithParam<std::string> {};

TEST_P(StreamCorpusCase, GivesComposeFramesLogAndPixelsDownwardAndSideways) {
    const std::vector<PixelImage> frames = test::loadFrames(test::testDataDir() / GetParam() / "frames");
    ASSERT_GE(frames.size(), 2u);
    const Outcome expected = batch(frames);
    EXPECT_TRUE(expected.error.empty()) << expected.error;
    test::ScratchDir dir;
    FileRowStore rows(dir.path());
    const Outcome down = streamed(frames, rows);
    expectSame(expected, down);
    if (down.reloads > 0) std::printf("  %s: the panels guessed proved wrong, %zu pairs matched again\n",
                                      GetParam().c_str(), down.replayedPairs);

    // Sideways: the frames as grabbed, turned downward, are these frames
    // again, so they stream to these rows; the file's rows are their columns.
    std::vector<PixelImage> turned;
    for (const PixelImage& f : frames) turned.push_back(transposed(f));
    turnFramesDownward(turned, ScrollDirection::Right);
    for (size_t i = 0; i < frames.size(); ++i) ASSERT_TRUE(test::imagesEqual(frames[i], turned[i])) << i;
    const fs::path file = dir / "wide.png";
    saveStreamedPng(rows, down.streamed, file, ScrollDirection::Right);
    EXPECT_TRUE(test::imagesEqual(transposed(expected.image), loadPng(file)));
}

INSTANTIATE_TEST_SUITE_P(RealPages, StreamCorpusCase, testing::ValuesIn(test::everyCorpusCase()),
                         [](const testing::TestParamInfo<std::string>& info) {
                             std::string name = info.param;
                             std::replace_if(name.begin(), name.end(), [](char c) { return c == '-' || c == '/'; }, '_');
                             return name;
                         });

// A table-of-contents-like panel: grey, with dark entries every 18 rows.
PixelImage panelColumn(int32_t width, int32_t height) {
    PixelImage p(width, height, 0xFFEEEEEEu);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 4; x < width - 4 - (y / 18 % 5) * (width / 10); ++x)
            if (y % 18 < 8) p.at(x, y) = 0xFF303060u;
    return p;
}

// Frames of a page with a left panel that scrolls with it until `fixedFrom`
// and stays put from that frame on, until frame `fixedUntil` scrolls it on again.
std::vector<PixelImage> panelCapture(const std::vector<int32_t>& offsets, size_t fixedFrom, size_t fixedUntil) {
    const PixelImage page = makeDocumentPage(900, 3600, 61);
    const PixelImage panel = panelColumn(300, 3600);
    std::vector<PixelImage> frames;
    for (size_t i = 0; i < offsets.size(); ++i) {
        PixelImage f = cropRows(page, offsets[i], 500);
        // Before it is fixed it scrolls with the page; afterwards it scrolls on from where it stood.
        const int32_t at = i < fixedFrom ? offsets[i]
                           : i < fixedUntil ? offsets[fixedFrom]
                                            : offsets[fixedFrom] + offsets[i] - offsets[fixedUntil - 1];
        const PixelImage side = cropRows(panel, at, 500);
        for (int32_t y = 0; y < f.height; ++y) std::copy(side.row(y), side.row(y) + side.width, f.row(y));
        frames.push_back(f);
    }
    return frames;
}

// The panel decision needs every pair: guessed wrong along the way, the pairs
// are joined again from the frames read back, and the result is the same.
TEST(StreamComposer, PanelsGuessedWrongAreJoinedAgainFromTheFramesReadBack) {
    const std::vector<int32_t> offsets = {0, 260, 520, 780, 1040, 1300};
    struct Case {
        const char* name;
        size_t fixedFrom, fixedUntil;
        bool panels;
        bool readBack;
    } cases[] = {
        // Pair 1 is matched without panels, as the only pair seen says.
        {"a panel that becomes fixed after the first notch", 1, 6, true, true},
        // Pair 3 is matched around the panel that two of three pairs saw.
        {"a panel fixed for the first two pairs only", 0, 3, false, true},
        // Pairs that saw it are matched around their own panel either way.
        {"a panel fixed for the first pair only", 0, 2, false, false},
        {"a panel fixed throughout", 0, 6, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<PixelImage> frames = panelCapture(offsets, c.fixedFrom, c.fixedUntil);
        const Outcome expected = batch(frames);
        ASSERT_TRUE(expected.error.empty()) << expected.error << expected.log;
        EXPECT_EQ(expected.log.rfind("panels=", 0) == 0, c.panels) << expected.log;
        MemoryRowStore rows;
        const Outcome got = streamed(frames, rows);
        expectSame(expected, got);
        EXPECT_EQ(got.reloads, c.readBack ? frames.size() : 0u);
    }
}

TEST(StreamComposer, RefusesWithTheSameLinesAndMessageAsComposeFrames) {
    const PixelImage page = makeDocumentPage(640, 1600, 41);
    std::vector<PixelImage> frames;
    for (int32_t o : {0, 200, 400, 600}) frames.push_back(cropRows(page, o, 520));
    frames[2] = cropRows(makeDocumentPage(640, 600, 777), 0, 520);
    const Outcome expected = batch(frames);
    ASSERT_EQ(expected.error, "stitch failed");
    MemoryRowStore rows;
    expectSame(expected, streamed(frames, rows));
}

TEST(StreamComposer, RowsLeaveAsFramesArriveAndOnlyTheUndecidedOnesWait) {
    const PixelImage page = makeDocumentPage(400, 6000, 5);
    MemoryRowStore rows;
    StreamComposer composer(rows, [](size_t) -> PixelImage { throw std::logic_error("no reload expected"); });
    std::vector<PixelImage> frames;
    for (int32_t o = 0; o + 500 <= 6000; o += 300) frames.push_back(cropRows(page, o, 500));
    for (size_t i = 0; i < frames.size(); ++i) {
        composer.add(frames[i]);
        // Everything above the newest frame's top is final and stored.
        EXPECT_EQ(rows.rowCount(), static_cast<int64_t>(i) * 300) << "after frame " << i;
    }
    const StreamedImage image = composer.finish();
    EXPECT_EQ(rows.rowCount(), image.height);
    EXPECT_TRUE(test::imagesEqual(composeFrames(frames), collect(rows, image)));
}

TEST(StreamComposer, EdgeListsAreThoseOfComposeFrames) {
    const PixelImage page = makeDocumentPage(640, 1400, 3);
    std::vector<PixelImage> narrower;
    for (int32_t o : {0, 210, 430}) narrower.push_back(cropRows(page, o, 480));
    narrower[1] = cropRows(makeDocumentPage(600, 1400, 3), 210, 480);  // 600 wide: the image is
    struct Case {
        const char* name;
        std::vector<PixelImage> frames;
    } cases[] = {
        {"no frames", {}},
        {"one frame", {cropRows(page, 0, 400)}},
        {"frames of two widths", narrower},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryRowStore rows;
        expectSame(batch(c.frames), streamed(c.frames, rows));
    }
}

// Joined while the capture runs: the same log, pixels and refusals as the
// whole list, whether the composer keeps up (one frame waiting at most) or
// not, and panels guessed wrong are joined again from the spilled frames.
TEST(LiveStitch, GivesComposeFramesLogPixelsAndRefusals) {
    const std::vector<int32_t> offsets = {0, 260, 520, 780, 1040, 1300};
    const PixelImage page = makeDocumentPage(640, 1600, 41);
    std::vector<PixelImage> refused;
    for (int32_t o : {0, 200, 400, 600}) refused.push_back(cropRows(page, o, 520));
    refused[2] = cropRows(makeDocumentPage(640, 600, 777), 0, 520);
    struct Case {
        const char* name;
        std::vector<PixelImage> frames;
        bool replays;
    } cases[] = {
        {"panels guessed wrong", panelCapture(offsets, 1, 6), true},
        {"panels fixed throughout", panelCapture(offsets, 0, 6), false},
        {"a pair that does not join", refused, false},
        {"one frame", {cropRows(page, 0, 400)}, false},
        {"no frames", {}, false},
    };
    for (const Case& c : cases) {
        for (const size_t waiting : {size_t{1}, kLiveStitchWaitingFrames}) {
            SCOPED_TRACE(std::string(c.name) + ", waiting " + std::to_string(waiting));
            test::ScratchDir dir;
            const Outcome got = live(c.frames, dir.path(), waiting);
            expectSame(batch(c.frames), got);
            EXPECT_EQ(got.replayedPairs > 0, c.replays);
            EXPECT_TRUE(test::entriesOf(dir.path()).empty()) << "temporary files were left behind";
        }
    }
}

TEST(LiveStitch, ARealPageWithSidePanelsComesOutAsTheWholeList) {
    const std::vector<PixelImage> frames = test::loadFrames(test::testDataDir() / "corpus-panels" / "py-json-sidebar" / "frames");
    ASSERT_GE(frames.size(), 2u);
    test::ScratchDir dir;
    expectSame(batch(frames), live(frames, dir.path(), kLiveStitchWaitingFrames));
}

// A stitch dropped before its end (a capture that failed) stops its thread
// at once and takes its temporary files with it; a failed folder is told.
TEST(LiveStitch, StopsWithoutFinishingAndRefusesAFolderThatTakesNoFile) {
    test::ScratchDir dir;
    const PixelImage page = makeDocumentPage(400, 3000, 9);
    {
        LiveStitch stitch(dir.path(), 1);
        for (int32_t o = 0; o + 500 <= 3000; o += 250) stitch.add(cropRows(page, o, 500));
        EXPECT_EQ(stitch.framesAdded(), 11u);
    }
    EXPECT_TRUE(test::entriesOf(dir.path()).empty());
    EXPECT_THROW(LiveStitch(dir / "missing"), std::runtime_error);
    LiveStitch once(dir.path());
    once.add(cropRows(page, 0, 500));
    EXPECT_NO_THROW(once.finish());
    EXPECT_THROW(once.finish(), std::logic_error);
    EXPECT_THROW(once.add(cropRows(page, 0, 500)), std::logic_error);
}

TEST(FrameSpill, FramesOfAnySizeReadBackInAnyOrder) {
    test::ScratchDir dir;
    const PixelImage page = makeDocumentPage(300, 900, 12);
    const std::vector<PixelImage> frames = {cropRows(page, 0, 200), cropRows(makeDocumentPage(120, 300, 4), 10, 90),
                                            PixelImage(), cropRows(page, 700, 200)};
    FrameSpill spill(dir.path());
    spill.append(frames[0]);
    spill.append(frames[1]);
    EXPECT_TRUE(test::imagesEqual(spill.read(0), frames[0]));
    spill.append(frames[2]);  // after a read: still appended at the end
    spill.append(frames[3]);
    ASSERT_EQ(spill.size(), 4u);
    for (const size_t i : {3u, 1u, 2u, 0u}) EXPECT_TRUE(test::imagesEqual(spill.read(i), frames[i])) << i;
    EXPECT_THROW(spill.read(4), std::logic_error);
}

TEST(RowStore, FileRowsReadBackAnywhereAndTheFileGoesWithTheStore) {
    test::ScratchDir dir;
    std::vector<uint32_t> pixels(7 * 10);
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<uint32_t>(i * 2654435761u);
    {
        FileRowStore rows(dir.path());
        rows.append(pixels.data(), 7, 4);
        std::vector<uint32_t> back(7 * 3);
        rows.read(1, 3, back.data());
        EXPECT_TRUE(std::equal(back.begin(), back.end(), pixels.begin() + 7));
        rows.append(pixels.data() + 28, 7, 6);  // after a read: still appended at the end
        std::vector<uint32_t> all(pixels.size());
        rows.read(0, 10, all.data());
        EXPECT_EQ(all, pixels);
        EXPECT_THROW(rows.read(8, 3, all.data()), std::logic_error);
        EXPECT_THROW(rows.append(pixels.data(), 6, 1), std::logic_error);
        rows.clear();
        EXPECT_EQ(rows.rowCount(), 0);
        rows.append(pixels.data() + 7, 7, 1);
        rows.read(0, 1, all.data());
        EXPECT_TRUE(std::equal(all.begin(), all.begin() + 7, pixels.begin() + 7));
        EXPECT_EQ(test::entriesOf(dir.path()).size(), 1u);
    }
    EXPECT_TRUE(test::entriesOf(dir.path()).empty()) << "the temporary rows were left behind";
    EXPECT_THROW(FileRowStore(dir / "missing"), std::runtime_error);
}

}  // namespace
}  // namespace tf
