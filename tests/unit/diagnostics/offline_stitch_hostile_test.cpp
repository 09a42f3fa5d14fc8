// A frames folder is input a person copies around: whatever stands in it, the
// stitch neither waits nor fills the memory, never writes over the program's
// own files, and says in one line what it did not use and why.

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "core/diagnostics/offline_stitch.h"
#include "core/image/png_codec.h"
#include "test_support.h"

namespace fs = std::filesystem;

namespace tf {
namespace {

using test::ScratchDir;

struct Told {
    std::vector<std::string> lines;
    UserMessages sink() {
        return [this](std::string_view l) { lines.emplace_back(l); };
    }
    std::string all() const {
        std::string text;
        for (const std::string& l : lines) text += l + "|";
        return text;
    }
};

// Four frames of a page that scrolled right.
void writeSidewaysFrames(const fs::path& folder) {
    fs::create_directories(folder);
    const PixelImage tall = test::makeDocumentPage(300, 2000, 23);
    const int32_t lefts[] = {0, 160, 330, 480};
    for (int i = 0; i < 4; ++i)
        savePng(transposed(test::cropRows(tall, lefts[i], 400)), folder / ("000" + std::to_string(i) + ".png"));
}

void writeDownFrames(const fs::path& folder, int32_t count = 3) {
    fs::create_directories(folder);
    const PixelImage page = test::makeDocumentPage(500, 2000, 51);
    for (int32_t i = 0; i < count; ++i)
        savePng(test::cropRows(page, i * 150, 400), folder / ("000" + std::to_string(i) + ".png"));
}

TEST(OfflineStitchHostile, WhatIsNoCaptureLogIsIgnoredAndTheDirectionAskedForCounts) {
    struct Case {
        const char* name;
        std::function<void(const fs::path& log)> make;
        const char* why;
    };
    std::vector<Case> cases = {
        {"a folder", [](const fs::path& l) { fs::create_directories(l); }, "is a folder, not a regular file"},
        {"a huge file",
         [](const fs::path& l) {
             test::writeFile(l, "");
             fs::resize_file(l, uint64_t{3} << 30);
         },
         "is 3072 MiB, more than the 16 MiB"},
        {"some text", [](const fs::path& l) { test::writeFile(l, "hello world\n"); }, "does not begin with"},
        {"UTF-16", [](const fs::path& l) { test::writeFile(l, std::string("\xFF\xFEw\0h\0", 6)); }, "UTF-16"},
        {"one endless line", [](const fs::path& l) { test::writeFile(l, std::string(1 << 20, 'w')); },
         "longer than any capture log header"},
    };
#ifndef _WIN32
    cases.push_back({"a FIFO without a writer", [](const fs::path& l) { ASSERT_EQ(mkfifo(l.c_str(), 0600), 0); },
                     "is a FIFO, not a regular file"});
    cases.push_back({"a link to /dev/zero", [](const fs::path& l) { fs::create_symlink("/dev/zero", l); },
                     "is a link to a character device"});
#endif
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchDir dir;
        writeSidewaysFrames(dir / "frames");
        c.make(dir / "frames" / "capture.log.txt");
        Told told;
        EXPECT_EQ(runOfflineStitch(dir / "frames", dir / "wide.png", told.sink(), ScrollDirection::Right), 0)
            << told.all();
        ASSERT_EQ(told.lines.size(), 1u) << told.all();
        EXPECT_EQ(told.lines[0].rfind("the capture log " + displayPath(dir / "frames" / "capture.log.txt") +
                                          " is ignored: it ",
                                      0),
                  0u)
            << told.lines[0];
        EXPECT_NE(told.lines[0].find(c.why), std::string::npos) << told.lines[0];
        EXPECT_EQ(loadPng(dir / "wide.png").width, 880);
    }
}

TEST(OfflineStitchHostile, AHeaderThatContradictsItselfIsRefused) {
    ScratchDir dir;
    writeSidewaysFrames(dir / "frames");
    test::writeFile(dir / "frames" / "capture.log.txt", "wheelScrollLines=3 direction=right direction=down\r\n");
    Told told;
    EXPECT_EQ(runOfflineStitch(dir / "frames", dir / "wide.png", told.sink(), ScrollDirection::Right), 1);
    ASSERT_EQ(told.lines.size(), 1u);
    EXPECT_NE(told.lines[0].find("records two directions in its header, right and down"), std::string::npos)
        << told.lines[0];
    EXPECT_FALSE(fs::exists(dir / "wide.png"));
}

TEST(OfflineStitchHostile, TheCaptureLogIsNeverAnOutputNorAnOutputsLog) {
    ScratchDir dir;
    writeDownFrames(dir / "frames");
    const std::string header = "wheelScrollLines=3 wheelDelta=-120 scrollMethod=wheel\r\n";
    const fs::path log = dir / "frames" / "capture.log.txt";
    std::vector<std::pair<fs::path, const char*>> outputs = {
        {log, "the output "},
        {dir / "frames" / "." / "capture.log.txt", "the output "},
        {dir / "frames" / "capture", "the output's log "},
    };
#ifdef _WIN32
    outputs.push_back({dir / "FRAMES" / "Capture.Log.TXT", "the output "});
#endif
    for (const bool logThere : {true, false}) {
        for (const auto& [output, what] : outputs) {
            SCOPED_TRACE(output.string());
            if (logThere) test::writeFile(log, header);
            else fs::remove(log);
            Told told;
            EXPECT_EQ(runOfflineStitch(dir / "frames", output, told.sink()), 1);
            ASSERT_EQ(told.lines.size(), 1u) << told.all();
            EXPECT_EQ(told.lines[0].rfind(std::string("--stitch refused: ") + what, 0), 0u) << told.lines[0];
            EXPECT_NE(told.lines[0].find("would replace the frames folder's capture log"), std::string::npos);
            if (logThere) {
                EXPECT_EQ(test::readFile(log), header);
            } else {
                EXPECT_FALSE(fs::exists(log));
            }
            // Nothing else was written either.
            if (output.filename() != "capture") {
                EXPECT_FALSE(fs::exists(fs::path(output.native() + fs::path(".log.txt").native())));
            }
        }
    }
    // A name that merely begins like it is an ordinary output.
    EXPECT_EQ(runOfflineStitch(dir / "frames", dir / "capture.log.png"), 0);
}

TEST(OfflineStitchHostile, AFrameOfAnotherSizeIsNamedAndNothingIsCropped) {
    ScratchDir dir;
    writeDownFrames(dir / "frames");
    savePng(test::cropRows(test::makeDocumentPage(500, 2000, 51), 450, 300), dir / "frames" / "0003.png");
    Told told;
    EXPECT_EQ(runOfflineStitch(dir / "frames", dir / "out.png", told.sink()), 1);
    ASSERT_EQ(told.lines.size(), 1u);
    EXPECT_NE(told.lines[0].find("the frame " + displayPath(dir / "frames" / "0003.png") + " is 500x300, but " +
                                 displayPath(dir / "frames" / "0000.png") + " is 500x400"),
              std::string::npos)
        << told.lines[0];
    EXPECT_NE(told.lines[0].find("nothing was stitched"), std::string::npos);
    EXPECT_FALSE(fs::exists(dir / "out.png"));

    // An earlier output left among the frames is named as such.
    fs::remove(dir / "frames" / "0003.png");
    ASSERT_EQ(runOfflineStitch(dir / "frames", dir / "frames" / "long.png"), 0);
    Told again;
    EXPECT_EQ(runOfflineStitch(dir / "frames", dir / "other.png", again.sink()), 1);
    ASSERT_EQ(again.lines.size(), 1u);
    EXPECT_NE(again.lines[0].find("looks like an earlier output: long.png.log.txt is beside it"), std::string::npos)
        << again.lines[0];
}

// The sizes are read from the headers before any frame is decoded: a frame of
// another size is refused even when a frame before it could not be decoded,
// so a folder holding an earlier output is turned away without reading (and
// holding) the frames ahead of it.
TEST(OfflineStitchHostile, AFrameOfAnotherSizeIsRefusedBeforeAnyFrameIsDecoded) {
    ScratchDir dir;
    writeDownFrames(dir / "frames");
    // 0001.png keeps its header (same size) but loses its pixel data.
    const fs::path damaged = dir / "frames" / "0001.png";
    fs::resize_file(damaged, 60);
    savePng(test::cropRows(test::makeDocumentPage(500, 2000, 51), 450, 300), dir / "frames" / "0003.png");
    Told told;
    EXPECT_EQ(runOfflineStitch(dir / "frames", dir / "out.png", told.sink()), 1);
    ASSERT_EQ(told.lines.size(), 1u);
    EXPECT_NE(told.lines[0].find("failed while reading the frames: the frame " +
                                 displayPath(dir / "frames" / "0003.png") + " is 500x300"),
              std::string::npos)
        << told.lines[0];
    EXPECT_FALSE(fs::exists(dir / "out.png"));
}

TEST(OfflineStitchHostile, APairThatDoesNotJoinIsNamedWithTheLogToLookIn) {
    ScratchDir dir;
    writeDownFrames(dir / "frames");
    Told told;
    // Frames that scrolled down do not join sideways.
    EXPECT_EQ(runOfflineStitch(dir / "frames", dir / "out.png", told.sink(), ScrollDirection::Right), 1);
    ASSERT_EQ(told.lines.size(), 1u);
    EXPECT_NE(told.lines[0].find("the frames 0000.png and 0001.png do not join right: "), std::string::npos)
        << told.lines[0];
    EXPECT_NE(told.lines[0].find("; every pair is in " + displayPath(dir / "out.png.log.txt")), std::string::npos)
        << told.lines[0];
}

TEST(OfflineStitchHostile, PathsAreShownWithTheirControlCharactersEscaped) {
    EXPECT_EQ(displayPath("a\nb\rc\td\x01" "e\x7f" "f"), "a\\nb\\rc\\td\\x01e\\x7ff");
    EXPECT_EQ(displayPath("plain/name.png"), "plain/name.png");
#ifndef _WIN32
    ScratchDir dir;
    writeDownFrames(dir / "frames", 2);
    test::writeFile(dir / "frames" / "0001.png\ntallyframe: forged.png", "not a png");
    Told told;
    EXPECT_EQ(runOfflineStitch(dir / "frames", dir / "out.png", told.sink()), 1);
    ASSERT_EQ(told.lines.size(), 1u);
    EXPECT_EQ(told.lines[0].find('\n'), std::string::npos);
    EXPECT_NE(told.lines[0].find("0001.png\\ntallyframe: forged.png"), std::string::npos) << told.lines[0];
#endif
}

TEST(OfflineStitchHostile, AnOutputThatCannotBeWrittenSaysWhy) {
    ScratchDir dir;
    writeDownFrames(dir / "frames", 2);
    test::writeFile(dir / "afile", "x");
    const struct {
        fs::path output;
        const char* why;
    } cases[] = {
        {dir / "missing" / "out.png", "the folder " /* ... does not exist */},
        {dir / "afile" / "out.png", " is not a folder"},
        {dir / (std::string(300, 'n') + ".png"), "its name is too long"},
    };
    for (const auto& c : cases) {
        Told told;
        EXPECT_EQ(runOfflineStitch(dir / "frames", c.output, told.sink()), 1);
        ASSERT_FALSE(told.lines.empty());
        EXPECT_NE(told.lines[0].find(c.why), std::string::npos) << told.lines[0];
    }
    Told missing;
    runOfflineStitch(dir / "frames", dir / "missing" / "out.png", missing.sink());
    EXPECT_NE(missing.lines.at(0).find("missing does not exist"), std::string::npos) << missing.lines[0];
}

#ifndef _WIN32
TEST(OfflineStitchHostile, AFrameTheUserMayNotReadSaysSo) {
    if (geteuid() == 0) GTEST_SKIP() << "root reads every file";
    ScratchDir dir;
    writeDownFrames(dir / "frames", 2);
    fs::permissions(dir / "frames" / "0001.png", fs::perms::none);
    Told told;
    EXPECT_EQ(runOfflineStitch(dir / "frames", dir / "out.png", told.sink()), 1);
    ASSERT_EQ(told.lines.size(), 1u);
    EXPECT_NE(told.lines[0].find("png decoder failed: it cannot be read: permission denied"), std::string::npos)
        << told.lines[0];
}
#endif

}  // namespace
}  // namespace tf
