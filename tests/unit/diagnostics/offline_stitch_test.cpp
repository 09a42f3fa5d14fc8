#include <gtest/gtest.h>

#ifdef _WIN32
#include <objbase.h>
#endif

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "core/diagnostics/offline_stitch.h"
#include "core/image/png_codec.h"
#include "core/stitch/composer.h"
#include "test_support.h"

namespace fs = std::filesystem;

namespace tf {
namespace {

using test::cropRows;
using test::imagesEqual;
using test::makeDocumentPage;
using test::readFile;
using test::ScratchDir;

std::string logOf(const fs::path& output) {
    fs::path log = output;
    log += ".log.txt";
    return readFile(log);
}

// Frames of one page cut at the given offsets, saved under the given names.
PixelImage writeFrames(const fs::path& folder, const std::vector<std::string>& names,
                       const std::vector<int32_t>& offsets, int32_t height = 400) {
    const PixelImage page = makeDocumentPage(500, 2000, 51);
    for (size_t i = 0; i < names.size(); ++i) savePng(cropRows(page, offsets[i], height), folder / names[i]);
    return cropRows(page, 0, offsets.back() + height);
}

TEST(OfflineStitchFiles, ExtensionAndOrderRules) {
    ScratchDir dir;
    for (const char* name : {"0002-c.png", "0000-a.png", "0001-b.png", "10000-x.png", "1001-y.png", "a.PNG",
                             "FRAME.PNG", "b.Png", "a.png.bak", "a.pngx", "notes.txt", "png", ".png"})
        test::writeFile(dir / name, "x");
    fs::create_directories(dir / "x.png");
    fs::create_directories(dir / "old");
    test::writeFile(dir / "old" / "0003-d.png", "x");
    std::vector<std::string> names;
    for (const fs::path& p : listFrameFiles(dir.path())) names.push_back(p.filename().string());
    // Letter case does not matter: many programs write ".PNG".
    EXPECT_EQ(names, (std::vector<std::string>{"0000-a.png", "0001-b.png", "0002-c.png", "10000-x.png", "1001-y.png",
                                               "FRAME.PNG", "a.PNG", "b.Png"}));
}

TEST(OfflineStitch, JoinsTheFramesAndLogsEachStep) {
    ScratchDir dir;
    fs::create_directories(dir / "frames");
    const PixelImage truth = writeFrames(dir / "frames", {"0000-a.png", "0001-b.png", "0002-c.png"}, {0, 150, 330});
    const fs::path out = dir / "out.png";
    ASSERT_EQ(runOfflineStitch(dir / "frames", out), 0);
    EXPECT_TRUE(imagesEqual(truth, loadPng(out)));
    const std::string log = logOf(out);
    EXPECT_EQ(log.rfind("frames=3\r\nskipped=0\r\npair 1 overlap=250 score=", 0), 0u) << log;
    EXPECT_NE(log.find("\r\npair 2 overlap=220 score="), std::string::npos) << log;
    EXPECT_EQ(log.substr(log.size() - 18), "\r\noutput=500x730\r\n");
    EXPECT_EQ(log.find('\n', 0), log.find("\r\n", 0) + 1);  // every line ends in CR LF
}

TEST(OfflineStitch, LogIsRewrittenFromEmpty) {
    ScratchDir dir;
    fs::create_directories(dir / "frames");
    writeFrames(dir / "frames", {"0.png", "1.png"}, {0, 100});
    test::writeFile(dir / "out.png.log.txt", std::string(5000, 'z'));
    ASSERT_EQ(runOfflineStitch(dir / "frames", dir / "out.png"), 0);
    EXPECT_EQ(logOf(dir / "out.png").find('z'), std::string::npos);
}

TEST(OfflineStitch, FailuresEndWithExceptionAndExitCodeOne) {
    ScratchDir dir;
    struct Case {
        const char* name;
        std::function<void(const fs::path& frames)> prepare;
        std::string expectedLogStart;
        bool outputExpected;
    } cases[] = {
        {"missing folder", [](const fs::path&) {}, "exception\r\n", false},
        {"no png files",
         [](const fs::path& f) {
             fs::create_directories(f);
             test::writeFile(f / "readme.txt", "x");
         },
         "frames=0\r\nexception\r\n", false},
        {"undecodable frame",
         [](const fs::path& f) {
             fs::create_directories(f);
             writeFrames(f, {"0.png"}, {0});
             test::writeFile(f / "1.png", "garbage");
         },
         "exception\r\n", false},
        {"unrelated frames",
         [](const fs::path& f) {
             fs::create_directories(f);
             writeFrames(f, {"0.png", "1.png"}, {0, 100});
             savePng(cropRows(makeDocumentPage(500, 500, 999), 0, 400), f / "2.png");
         },
         "frames=3\r\nskipped=0\r\npair 1 overlap=300", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path frames = dir / (std::string("f-") + c.name);
        const fs::path out = dir / (std::string(c.name) + ".png");
        c.prepare(frames);
        EXPECT_EQ(runOfflineStitch(frames, out), 1);
        const std::string log = logOf(out);
        EXPECT_EQ(log.rfind(c.expectedLogStart, 0), 0u) << log;
        EXPECT_EQ(log.substr(log.size() - 11), "exception\r\n") << log;
        EXPECT_EQ(fs::exists(out), c.outputExpected);
        }
    // The failing pair is named before the exception line.
    const std::string unrelated = logOf(dir / "unrelated frames.png");
    EXPECT_NE(unrelated.find("\r\npair 2 failed overlap="), std::string::npos) << unrelated;
}

TEST(OfflineStitch, UnwritableOutputKeepsThePairLines) {
    ScratchDir dir;
    fs::create_directories(dir / "frames");
    writeFrames(dir / "frames", {"0.png", "1.png"}, {0, 100});
    fs::create_directories(dir / "out.png");  // a folder where the image should go
    EXPECT_EQ(runOfflineStitch(dir / "frames", dir / "out.png"), 1);
    const std::string log = logOf(dir / "out.png");
    EXPECT_EQ(log.rfind("frames=2\r\nskipped=0\r\npair 1 overlap=300", 0), 0u) << log;
    EXPECT_EQ(log.substr(log.size() - 11), "exception\r\n");
}

TEST(OfflineStitch, LogThatCannotBeOpenedDoesNotChangeTheOutcome) {
    ScratchDir dir;
    fs::create_directories(dir / "frames");
    writeFrames(dir / "frames", {"0.png", "1.png"}, {0, 100});
    fs::create_directories(dir / "out.png.log.txt");  // the log path is taken by a folder
    EXPECT_EQ(runOfflineStitch(dir / "frames", dir / "out.png"), 0);
    EXPECT_TRUE(fs::exists(dir / "out.png"));
    EXPECT_EQ(runOfflineStitch(dir / "nowhere", dir / "out.png"), 1);
}

TEST(OfflineStitch, UnmovedGrabsAreDroppedAndAFewRowsOfMotionIsJoined) {
    // A capture's dump folder: every candidate followed by identical settle grabs,
    // and a last notch that moved the page by only 3 rows.
    ScratchDir dir;
    fs::create_directories(dir / "frames");
    const PixelImage truth = writeFrames(dir / "frames",
                                         {"0000-initial.png", "0001-candidate.png", "0002-settle.png",
                                          "0003-candidate.png", "0004-settle.png", "0005-settle.png",
                                          "0006-candidate.png", "0007-settle.png"},
                                         {0, 180, 180, 360, 360, 360, 363, 363});
    const fs::path out = dir / "out.png";
    ASSERT_EQ(runOfflineStitch(dir / "frames", out), 0);
    // Every row of the page, the last 3 included.
    EXPECT_TRUE(imagesEqual(cropRows(truth, 0, 763), loadPng(out)));
    const std::string log = logOf(out);
    EXPECT_EQ(log.rfind("frames=8\r\nskipped=4\r\npair 1 overlap=220 ", 0), 0u) << log;
    EXPECT_NE(log.find("\r\npair 2 overlap=220 "), std::string::npos) << log;
    EXPECT_NE(log.find("\r\npair 3 smallShift=3\r\npair 3 overlap=397 score=0.00 "), std::string::npos) << log;
}

TEST(OfflineStitch, GrabsMovedByAFewRowsAreKeptAndJoined) {
    std::vector<PixelImage> frames;
    const PixelImage page = makeDocumentPage(500, 2000, 52);
    for (int32_t o : {0, 5, 10, 10, 15, 20, 21, 25}) frames.push_back(cropRows(page, o, 400));
    EXPECT_EQ(dropUnmovedFrames(frames), 1u);  // only the repeated 10
    ASSERT_EQ(frames.size(), 7u);
    EXPECT_TRUE(imagesEqual(cropRows(page, 0, 425), composeFrames(frames)));
    std::vector<PixelImage> none;
    EXPECT_EQ(dropUnmovedFrames(none), 0u);
}

TEST(OfflineStitch, AnOutputThatIsOneOfTheFramesIsRefused) {
    ScratchDir dir;
    fs::create_directories(dir / "frames" / "sub");
    writeFrames(dir / "frames", {"0.png", "1.png", "2.png"}, {0, 100, 200});
    const std::string frame1 = readFile(dir / "frames" / "1.png");
    struct Case {
        const char* name;
        fs::path output;
    };
    std::vector<Case> cases = {
        {"the same path", dir / "frames" / "1.png"},
        {"through ./", dir / "frames" / "." / "1.png"},
        {"through ..", dir / "frames" / "sub" / ".." / "1.png"},
        {"another name of a frame's file", dir / "linked-frame.png"},
    };
    fs::create_hard_link(dir / "frames" / "1.png", dir / "linked-frame.png");
#ifdef _WIN32
    cases.push_back({"another case", dir / "FRAMES" / "1.PNG"});
#endif
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(runOfflineStitch(dir / "frames", c.output), 1);
        EXPECT_EQ(logOf(c.output), "exception\r\n");
        EXPECT_EQ(readFile(dir / "frames" / "1.png"), frame1);
        fs::remove(fs::path(c.output.native() + fs::path(".log.txt").native()));
    }
    // Nothing but the frames is left.
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir / "frames")) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"0.png", "1.png", "2.png", "sub"}));
}

TEST(OfflineStitch, EarlierOutputInsideTheFolderIsReadAsAFrameButNeverReplaced) {
    ScratchDir dir;
    fs::create_directories(dir / "frames");
    writeFrames(dir / "frames", {"0.png", "1.png"}, {0, 100});
    const fs::path out = dir / "frames" / "9-out.png";
    ASSERT_EQ(runOfflineStitch(dir / "frames", out), 0);  // not there yet: not a frame
    const std::string first = readFile(out);
    EXPECT_EQ(runOfflineStitch(dir / "frames", out), 1);  // now it is one
    EXPECT_EQ(logOf(out), "exception\r\n");
    EXPECT_EQ(readFile(out), first);
}

// What the run tells the user, line by line.
struct Told {
    std::vector<std::string> lines;
    UserMessages sink() {
        return [this](std::string_view line) { lines.emplace_back(line); };
    }
};

TEST(OfflineStitch, EveryFailureSaysWhyInOneLine) {
    ScratchDir dir;
    fs::create_directories(dir / "frames");
    writeFrames(dir / "frames", {"0.png", "1.png"}, {0, 100});
    test::writeFile(dir / "afile", "x");
    fs::create_directories(dir / "folder.png");
    struct Case {
        const char* name;
        fs::path frames, output;
        const char* reason;  // part of the line
    } cases[] = {
        {"missing frames folder", dir / "nowhere", dir / "a.png", "listing the frames folder"},
        {"output folder missing, so is the log's", dir / "frames", dir / "missing" / "sub" / "out.png", "open png failed"},
        {"parent is a file", dir / "frames", dir / "afile" / "out.png", "open png failed"},
        {"output is a folder", dir / "frames", dir / "folder.png", "is not a regular file"},
        {"name too long", dir / "frames", dir / (std::string(260, 'n') + ".png"), "open png failed"},
    };
    for (const Case& c : cases) {
        Told told;
        EXPECT_EQ(runOfflineStitch(c.frames, c.output, told.sink()), 1) << c.name;
        ASSERT_FALSE(told.lines.empty()) << c.name;
        EXPECT_NE(told.lines[0].find(c.reason), std::string::npos) << c.name << ": " << told.lines[0];
        for (const std::string& line : told.lines) EXPECT_EQ(line.find('\n'), std::string::npos) << line;
    }
    Told quiet;
    EXPECT_EQ(runOfflineStitch(dir / "frames", dir / "good.png", quiet.sink()), 0);
    EXPECT_TRUE(quiet.lines.empty());
}

TEST(OfflineStitch, ALogNotOursToWriteIsLeftAloneAndTheRunGoesOn) {
    ScratchDir dir;
    fs::create_directories(dir / "frames");
    writeFrames(dir / "frames", {"0.png", "1.png"}, {0, 100});
    const std::string frame0 = readFile(dir / "frames" / "0.png");
    // Wine cannot make symbolic links; the other cases still run there.
    std::error_code noLinks;
    fs::create_symlink(dir / "frames" / "0.png", dir / "link.png.log.txt", noLinks);
    fs::create_hard_link(dir / "frames" / "1.png", dir / "hard.png.log.txt");
    test::writeFile(dir / "readonly.png.log.txt", "old");
    fs::permissions(dir / "readonly.png.log.txt", fs::perms::owner_read);
    std::vector<const char*> outputs = {"hard.png", "readonly.png"};
    if (!noLinks) outputs.push_back("link.png");
    for (const char* output : outputs) {
        Told told;
        EXPECT_EQ(runOfflineStitch(dir / "frames", dir / output, told.sink()), 0) << output;
        EXPECT_TRUE(fs::exists(dir / output)) << output;
        ASSERT_EQ(told.lines.size(), 1u) << output;
        EXPECT_NE(told.lines[0].find("was not written"), std::string::npos) << told.lines[0];
    }
    EXPECT_EQ(readFile(dir / "frames" / "0.png"), frame0);
    if (!noLinks) {
        EXPECT_TRUE(fs::is_symlink(dir / "link.png.log.txt"));
    }
    EXPECT_TRUE(imagesEqual(loadPng(dir / "frames" / "1.png"), loadPng(dir / "hard.png.log.txt")));
    EXPECT_EQ(readFile(dir / "readonly.png.log.txt"), "old");
}

TEST(OfflineStitch, FramesPastTheDecodedCapAreRefusedBeforeAnyIsDecoded) {
    // Nine frames of 11000 x 11000 declare about 4.1 GiB of pixels; headers
    // alone, so that a decoder would refuse each of them with another message.
    ScratchDir dir;
    fs::create_directories(dir / "frames");
    const std::string ihdrOnly = [] {
        std::string ihdr = std::string("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR", 16);
        for (uint32_t v : {11000u, 11000u})
            for (int s = 24; s >= 0; s -= 8) ihdr.push_back(static_cast<char>((v >> s) & 0xFF));
        return ihdr + std::string("\x08\x06\0\0\0\0\0\0\0", 9);
    }();
    for (int i = 0; i < 9; ++i) test::writeFile(dir / "frames" / (std::to_string(10 + i) + ".png"), ihdrOnly);
    Told told;
    EXPECT_EQ(runOfflineStitch(dir / "frames", dir / "out.png", told.sink()), 1);
    ASSERT_EQ(told.lines.size(), 1u);
    EXPECT_NE(told.lines[0].find("more than the 4096 MiB a stitch may hold"), std::string::npos) << told.lines[0];
    EXPECT_EQ(logOf(dir / "out.png"), "exception\r\n");
}

// A run as a process would make it: on Windows the PNG codec needs COM.
void stitchOnItsOwnThread(const fs::path& frames, const fs::path& output) {
#ifdef _WIN32
    const HRESULT com = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
#endif
    runOfflineStitch(frames, output);
#ifdef _WIN32
    if (SUCCEEDED(com)) CoUninitialize();
#endif
}

TEST(OfflineStitch, ConcurrentRunsLeaveOneRunsWholeLog) {
    ScratchDir dir;
    fs::create_directories(dir / "few");
    fs::create_directories(dir / "many");
    writeFrames(dir / "few", {"0.png", "1.png"}, {0, 100});
    writeFrames(dir / "many", {"0.png", "1.png", "2.png", "3.png"}, {0, 100, 220, 300});
    ASSERT_EQ(runOfflineStitch(dir / "few", dir / "few.png"), 0);
    ASSERT_EQ(runOfflineStitch(dir / "many", dir / "many.png"), 0);
    const std::string fewLog = logOf(dir / "few.png"), manyLog = logOf(dir / "many.png");
    for (int round = 0; round < 4; ++round) {
        std::thread a([&] { stitchOnItsOwnThread(dir / "few", dir / "out.png"); });
        std::thread b([&] { stitchOnItsOwnThread(dir / "many", dir / "out.png"); });
        a.join();
        b.join();
        const std::string log = logOf(dir / "out.png");
        EXPECT_TRUE(log == fewLog || log == manyLog) << log;
    }
}

TEST(SameFile, IdentityWhenBothExistSpellingOtherwise) {
    ScratchDir dir;
    fs::create_directories(dir / "a" / "b");
    test::writeFile(dir / "a" / "f.png", "x");
    test::writeFile(dir / "a" / "g.png", "x");
    EXPECT_TRUE(isSameFile(dir / "a" / "f.png", dir / "a" / "b" / ".." / "f.png"));
    EXPECT_FALSE(isSameFile(dir / "a" / "f.png", dir / "a" / "g.png"));  // equal bytes, two files
    EXPECT_TRUE(isSameFile(dir / "a" / "new.png", dir / "a" / "." / "new.png"));
    EXPECT_TRUE(isSameFile(dir / "a" / "new.png", dir / "a" / "b" / ".." / "new.png"));
    EXPECT_FALSE(isSameFile(dir / "a" / "new.png", dir / "a" / "f.png"));
    EXPECT_FALSE(isSameFile(dir / "a" / "new.png", dir / "a" / "b" / "new.png"));
}

}  // namespace
}  // namespace tf

namespace tf {
namespace {

// `--stitch` streams the frames; its file and its log must be those of the
// whole-list composer it replaced, byte for byte: on a plain real page, and
// on one whose side panel the stream first guessed wrong.
TEST(OfflineStitch, StreamedFileAndLogAreThoseOfTheWholeListComposer) {
    for (const char* page : {"corpus/debref-ch05", "corpus-panels/py-json-sidebar"}) {
        SCOPED_TRACE(page);
        const fs::path frames = test::testDataDir() / page / "frames";
        ScratchDir dir;
        ASSERT_EQ(runOfflineStitch(frames, dir / "streamed.png"), 0) << logOf(dir / "streamed.png");

        std::vector<PixelImage> all;
        for (const fs::path& f : listFrameFiles(frames)) all.push_back(loadPng(f));
        std::ostringstream composerLog;
        const PixelImage whole = composeFrames(all, TextLog(&composerLog));
        savePng(whole, dir / "whole.png");
        EXPECT_EQ(readFile(dir / "streamed.png"), readFile(dir / "whole.png"));
        EXPECT_EQ(logOf(dir / "streamed.png"), "frames=" + std::to_string(all.size()) + "\r\nskipped=0\r\n" +
                                                   composerLog.str() + "output=" + std::to_string(whole.width) +
                                                   "x" + std::to_string(whole.height) + "\r\n");
        // The temporary rows went with the run.
        EXPECT_EQ(test::entriesOf(dir.path()),
                  (std::vector<std::string>{"streamed.png", "streamed.png.log.txt", "whole.png"}));
    }
}

}  // namespace
}  // namespace tf
