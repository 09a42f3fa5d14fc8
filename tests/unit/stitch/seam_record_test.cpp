// The join records a stitch hands over, and the same records read back from
// an offline stitch's log.

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "core/diagnostics/offline_stitch.h"
#include "core/image/png_codec.h"
#include "core/review/stitch_log_seams.h"
#include "core/stitch/composer.h"
#include "core/stitch/orientation.h"
#include "core/stitch/seam_record.h"
#include "core/stitch/stitch_worker.h"
#include "recording_host.h"
#include "test_support.h"

namespace fs = std::filesystem;

namespace tf {
namespace {

using test::cropRows;
using test::makeDocumentPage;
using test::ScratchDir;

std::vector<PixelImage> framesAt(const PixelImage& page, std::initializer_list<int32_t> offsets, int32_t h) {
    std::vector<PixelImage> frames;
    for (int32_t o : offsets) frames.push_back(cropRows(page, o, h));
    return frames;
}

SeamRecord record(size_t pair, int32_t overlap, double score, int32_t seam, double seamScore) {
    SeamRecord r;
    r.pair = pair;
    r.overlap = overlap;
    r.score = score;
    r.seam = seam;
    r.seamScore = seamScore;
    return r;
}

TEST(SeamLines, NotesAndPairLinesMakeOneRecordPerPair) {
    SeamRecord shifted = record(2, 413, 0.0, 30, 0.5);
    shifted.smallShift = 7;
    shifted.ownPanels = true;
    SeamRecord identical = record(9, 90, 0.0, 17, 0.38);
    identical.identicalRows = 90;
    SeamRecord unknown = record(3, 200, 4.25, 60, 12.0);
    unknown.otherNote = "bars=1 fence=top";
    struct Case {
        const char* name;
        std::vector<std::string> lines;
        std::vector<SeamRecord> records;
    } cases[] = {
        {"plain pairs",
         {"pair 1 overlap=335 score=0.13 seam=40 seamScore=1.50", "pair 2 overlap=334 score=2.01 seam=8 seamScore=0.00"},
         {record(1, 335, 0.13, 40, 1.5), record(2, 334, 2.01, 8, 0.0)}},
        {"notes go to the pair line after them",
         {"pair 1 overlap=335 score=0.13 seam=40 seamScore=1.50", "pair 2 ownPanels=265,0", "pair 2 smallShift=7",
          "pair 2 overlap=413 score=0.00 seam=30 seamScore=0.50"},
         {record(1, 335, 0.13, 40, 1.5), shifted}},
        {"identical rows", {"pair 9 identicalRows=90", "pair 9 overlap=90 score=0.00 seam=17 seamScore=0.38"}, {identical}},
        {"an unknown note is kept whole",
         {"pair 3 bars=1", "pair 3 fence=top", "pair 3 overlap=200 score=4.25 seam=60 seamScore=12.00"},
         {unknown}},
        {"run lines and a failed pair are not a pair's",
         {"frames=3", "skipped=0", "panels=265,0", "pair 1 failed overlap=0 score=1000000000000000000.00 seam=0 "
                                                   "seamScore=1000000000000000000.00",
          "output=10x10", "exception"},
         {}},
        {"damaged pair lines are not read",
         {"pair 0 overlap=1 score=0.00 seam=1 seamScore=0.00", "pair x overlap=1 score=0.00 seam=1 seamScore=0.00",
          "pair 1 overlap=1 score=0.00 seam=1", "pair 1 overlap=1 score=0.00 seam=1 seamScore=0.00 more", "pair 1",
          "pair 1 "},
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<SeamRecord> records;
        for (const std::string& line : c.lines) readPairLine(line, records);
        EXPECT_EQ(records, c.records);
    }
}

TEST(SeamLog, LogsThatCannotPlaceTheirSeamsGiveNone) {
    const std::string good =
        "frames=3\r\nskipped=0\r\npair 1 overlap=250 score=0.00 seam=40 seamScore=0.00\r\n"
        "pair 2 overlap=220 score=0.00 seam=50 seamScore=0.00\r\noutput=500x730\r\n";
    ASSERT_TRUE(seamsFromStitchLog(good));
    const struct {
        const char* name;
        std::string log;
    } cases[] = {
        {"empty", ""},
        {"a failed run", "frames=0\r\nexception\r\n"},
        {"no output line", "frames=2\r\nskipped=0\r\npair 1 overlap=250 score=0.00 seam=40 seamScore=0.00\r\n"},
        {"a failed pair", "frames=2\r\nskipped=0\r\npair 1 failed overlap=0 score=1.00 seam=0 seamScore=1.00\r\n"
                          "output=500x400\r\n"},
        {"a pair missing", "frames=3\r\nskipped=0\r\npair 2 overlap=220 score=0.00 seam=50 seamScore=0.00\r\n"
                           "output=500x730\r\n"},
        {"more pairs than frames", "frames=2\r\nskipped=0\r\npair 1 overlap=250 score=0.00 seam=40 seamScore=0.00\r\n"
                                   "pair 2 overlap=220 score=0.00 seam=50 seamScore=0.00\r\noutput=500x730\r\n"},
        {"frames of different heights", "frames=3\r\nskipped=0\r\npair 1 overlap=250 score=0.00 seam=40 seamScore=0.00\r\n"
                                        "pair 2 overlap=220 score=0.00 seam=50 seamScore=0.00\r\noutput=500x731\r\n"},
        {"notes without their pair line", "frames=2\r\nskipped=0\r\npair 1 smallShift=3\r\noutput=500x403\r\n"},
        {"a damaged size", "frames=3\r\nskipped=0\r\npair 1 overlap=250 score=0.00 seam=40 seamScore=0.00\r\n"
                           "pair 2 overlap=220 score=0.00 seam=50 seamScore=0.00\r\noutput=500by730\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(seamsFromStitchLog(c.log));
    }
}

TEST(SeamLog, OneFrameHasNoSeams) {
    const auto seams = seamsFromStitchLog("frames=1\nskipped=0\noutput=700x400\n");
    ASSERT_TRUE(seams);
    EXPECT_TRUE(seams->seams.empty());
    EXPECT_EQ(seams->frameLength, 400);
}

TEST(SeamRecords, ThePlanRecordsEachPairAtItsCut) {
    const PixelImage page = makeDocumentPage(640, 1300, 31);
    std::ostringstream text;
    const std::vector<PixelImage> frames = framesAt(page, {0, 185, 371, 554, 612, 615}, 520);
    const CompositionPlan plan = planComposition(frames, TextLog(&text));
    ASSERT_EQ(plan.joins.size(), frames.size() - 1);
    for (size_t i = 1; i < frames.size(); ++i) {
        const SeamRecord& r = plan.joins[i - 1];
        EXPECT_EQ(r.pair, i);
        EXPECT_EQ(r.outputRow, plan.offsets[i] + plan.seams[i]);
        EXPECT_EQ(r.outputRow, seamOutputRow(plan.offsets[i], r.seam, r.overlap, 520));
        EXPECT_FALSE(r.panelsPastedOnce);
    }
    EXPECT_EQ(plan.joins.back().smallShift, 3);
    EXPECT_EQ(plan.joins.back().overlap, 517);
    // What the log says, read back, is the same record.
    std::vector<SeamRecord> fromLines;
    std::istringstream lines(text.str());
    for (std::string line; std::getline(lines, line);) readPairLine(line.substr(0, line.size() - 1), fromLines);
    ASSERT_EQ(fromLines.size(), plan.joins.size());
    for (size_t i = 0; i < fromLines.size(); ++i) {
        fromLines[i].outputRow = plan.joins[i].outputRow;
        EXPECT_EQ(fromLines[i], plan.joins[i]);
    }
}

using test::RecordingHost;

// A capture's records and those an offline stitch of its frames leaves in its
// log agree, downwards and sideways.
TEST(SeamRecords, TheOfflineLogRebuildsTheCapturesRecords) {
    const PixelImage page = makeDocumentPage(480, 1400, 12);
    for (const ScrollDirection direction : {ScrollDirection::Down, ScrollDirection::Right}) {
        SCOPED_TRACE(direction == ScrollDirection::Right ? "sideways" : "down");
        ScratchDir dir;
        fs::create_directories(dir / "frames");
        std::vector<PixelImage> frames = framesAt(page, {0, 170, 350, 520, 700, 705}, 420);
        // A sideways capture's frames are the downward ones turned on their side.
        turnFramesDownward(frames, direction);
        for (size_t i = 0; i < frames.size(); ++i)
            savePng(frames[i], dir / "frames" / ("000" + std::to_string(i) + ".png"));

        StitchJob job{TurnedFrames::turn(frames, direction), (dir / "out").wstring()};
        RecordingHost host;
        const auto result = runStitchAndSave(job, host);
        ASSERT_TRUE(result->succeeded);
        EXPECT_EQ(result->direction, direction);
        ASSERT_EQ(result->seams.size(), frames.size() - 1);
        EXPECT_EQ(result->seams.back().smallShift, 5);

        ASSERT_EQ(runOfflineStitch(dir / "frames", dir / "long.png", {}, direction), 0);
        const auto logged = seamsFromStitchLog(test::readFile(dir / "long.png.log.txt"));
        ASSERT_TRUE(logged);
        EXPECT_EQ(logged->direction, direction);
        EXPECT_EQ(logged->frameLength, 420);
        EXPECT_EQ(logged->width, result->imageWidth);
        EXPECT_EQ(logged->height, result->imageHeight);
        EXPECT_EQ(logged->seams, result->seams);
        // The review finds the same records beside the image, and none for
        // an image of another size or one without a log.
        const auto beside = seamsOfStitchedImage(dir / "long.png", logged->width, logged->height);
        ASSERT_TRUE(beside);
        EXPECT_EQ(beside->seams, result->seams);
        EXPECT_FALSE(seamsOfStitchedImage(dir / "long.png", logged->width, logged->height + 1));
        EXPECT_FALSE(seamsOfStitchedImage(dir / "other.png", logged->width, logged->height));
    }
}

}  // namespace
}  // namespace tf
