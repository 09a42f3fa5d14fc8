#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/capture/capture_log.h"
#include "core/image/png_codec.h"
#include "core/settings/program_folder.h"
#include "test_support.h"

namespace fs = std::filesystem;

namespace tf {
namespace {

bool isTimestamp(const std::wstring& s) {
    if (s.size() != 15 || s[8] != L'-') return false;
    for (size_t i = 0; i < s.size(); ++i)
        if (i != 8 && (s[i] < L'0' || s[i] > L'9')) return false;
    return true;
}

std::wstring expectedStamp(std::time_t t) {
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &t);
#else
    localtime_r(&t, &local);
#endif
    wchar_t buffer[32];
    std::wcsftime(buffer, 32, L"%Y%m%d-%H%M%S", &local);
    return buffer;
}

TEST(CaptureLogTimestamp, LocalTimeInFifteenCharacters) {
    const std::time_t before = std::time(nullptr);
    const std::wstring stamp = localTimestamp();
    const std::time_t after = std::time(nullptr);
    EXPECT_TRUE(isTimestamp(stamp)) << std::string(stamp.begin(), stamp.end());
    EXPECT_TRUE(stamp == expectedStamp(before) || stamp == expectedStamp(after));
}

TEST(CaptureLogFolder, NamedByTimestampAndTick) {
    test::ScratchDir dir;
    const fs::path root = dir / "deep" / "tally_frame_log";
    const fs::path folder = createCaptureLogFolderIn(root, 93284015);
    ASSERT_FALSE(folder.empty());
    EXPECT_TRUE(fs::is_directory(folder));
    EXPECT_EQ(folder.parent_path(), root);
    const std::wstring name = folder.filename().wstring();
    ASSERT_EQ(name.size(), 15u + 1u + 8u);
    EXPECT_TRUE(isTimestamp(name.substr(0, 15)));
    EXPECT_EQ(name.substr(15), L"-93284015");
}

TEST(CaptureLogFolder, SameMillisecondGetsItsOwnFolder) {
    test::ScratchDir dir;
    const fs::path first = createCaptureLogFolderIn(dir.path(), 500);
    const fs::path second = createCaptureLogFolderIn(dir.path(), 500);
    ASSERT_FALSE(first.empty());
    ASSERT_FALSE(second.empty());
    EXPECT_NE(first, second);
    EXPECT_TRUE(fs::is_directory(second));
}

TEST(CaptureLogFolder, FailureGivesEmptyPath) {
    test::ScratchDir dir;
    test::writeFile(dir / "file", "x");
    EXPECT_TRUE(createCaptureLogFolderIn(dir / "file", 1).empty());
    EXPECT_TRUE(createCaptureLogFolderIn(dir / "file" / "below", 1).empty());
}

TEST(CaptureLogFolder, OffCreatesNothing) {
    const fs::path root = executableFolder() / "tally_frame_log";
    const bool existed = fs::exists(root);
    EXPECT_TRUE(createCaptureLogFolder(false, executableFolder()).empty());
    EXPECT_EQ(fs::exists(root), existed);
}

TEST(CaptureLogFolder, OnTwiceInOneSecondGivesTwoFolders) {
    const fs::path a = createCaptureLogFolder(true, executableFolder());
    const fs::path b = createCaptureLogFolder(true, executableFolder());
    ASSERT_FALSE(a.empty());
    ASSERT_FALSE(b.empty());
    EXPECT_NE(a, b);
    EXPECT_TRUE(fs::is_directory(a));
    EXPECT_TRUE(fs::is_directory(b));
    EXPECT_EQ(a.parent_path(), executableFolder() / "tally_frame_log");
    std::error_code ec;
    fs::remove(a, ec);
    fs::remove(b, ec);
    fs::remove(a.parent_path(), ec);  // left alone when other logs are in it
}

TEST(FrameDump, Names) {
    struct Case { int32_t sequence; const char* label; const char* name; };
    const Case cases[] = {
        {0, "initial", "0000-initial.png"},   {1, "candidate", "0001-candidate.png"},
        {2, "settle", "0002-settle.png"},     {9999, "settle", "9999-settle.png"},
        {10000, "candidate", "10000-candidate.png"},
    };
    for (const Case& c : cases) EXPECT_EQ(frameDumpName(c.sequence, c.label), c.name);
    // The name is formatted into 96 characters: a long label is cut, never overrun.
    const std::string longLabel(200, 'a');
    EXPECT_EQ(frameDumpName(7, longLabel.c_str()), "0007-" + std::string(90, 'a'));
}

TEST(FrameDump, EveryGrabCountsAndIsDumped) {
    test::ScratchDir dir;
    FrameDumper dumper{dir.path(), 0};
    int grabs = 0;
    auto grab = [&grabs] { return PixelImage(3, 2, 0xFF000000u + static_cast<uint32_t>(++grabs)); };
    const PixelImage first = grabFrame(dumper, "initial", grab);
    grabFrame(dumper, "candidate", grab);
    grabFrame(dumper, "settle", grab);
    EXPECT_EQ(grabs, 3);
    EXPECT_EQ(dumper.sequence, 3);
    EXPECT_EQ(first.pixels[0], 0xFF000001u);
    EXPECT_TRUE(test::imagesEqual(first, loadPng(dir / "0000-initial.png")));
    EXPECT_TRUE(fs::exists(dir / "0001-candidate.png"));
    EXPECT_TRUE(test::imagesEqual(PixelImage(3, 2, 0xFF000003u), loadPng(dir / "0002-settle.png")));
    size_t files = 0;
    for (const auto& e : fs::directory_iterator(dir.path())) files += e.is_regular_file() ? 1 : 0;
    EXPECT_EQ(files, 3u);
}

TEST(FrameDump, NoFolderOrBrokenFolderStillCounts) {
    FrameDumper off;
    grabFrame(off, "initial", [] { return PixelImage(2, 2, 0xFFFFFFFFu); });
    EXPECT_EQ(off.sequence, 1);

    test::ScratchDir dir;
    FrameDumper broken{dir / "missing" / "folder", 41};
    const PixelImage img = grabFrame(broken, "settle", [] { return PixelImage(2, 2, 0xFF00FF00u); });
    EXPECT_EQ(broken.sequence, 42);
    EXPECT_EQ(img.width, 2);
    EXPECT_FALSE(fs::exists(dir / "missing"));
}

std::string written(void (*write)(std::ostream&)) {
    std::ostringstream out(std::ios::binary);
    write(out);
    return out.str();
}

TEST(CaptureLogLines, ByteForByte) {
    struct Case { std::string got, want; };
    const Case cases[] = {
        {written([](std::ostream& o) { writeCaptureLogHeader(o, 3, -120, ScrollMethod::Wheel); }),
         "wheelScrollLines=3 wheelDelta=-120 scrollMethod=wheel\r\n"},
        {written([](std::ostream& o) { writeCaptureLogHeader(o, 0xFFFFFFFFu, -30, ScrollMethod::ScrollBarMessage); }),
         "wheelScrollLines=4294967295 wheelDelta=-30 scrollMethod=scrollBarMessage\r\n"},
        {written([](std::ostream& o) { writeCaptureLogHeader(o, 3, -120, ScrollMethod::ArrowKey); }),
         "wheelScrollLines=3 wheelDelta=-120 scrollMethod=arrowKey\r\n"},
        {written([](std::ostream& o) { writeCaptureLogHeader(o, 3, -120, ScrollMethod::PageKey); }),
         "wheelScrollLines=3 wheelDelta=-120 scrollMethod=pageKey\r\n"},
        {written([](std::ostream& o) { writeCaptureLogHeader(o, 3, 0, ScrollMethod::Person); }),
         "wheelScrollLines=3 wheelDelta=0 scrollMethod=person\r\n"},
        {written([](std::ostream& o) { writeCaptureLogHeader(o, 3, -120, ScrollMethod::None); }),
         "wheelScrollLines=3 wheelDelta=-120 scrollMethod=none\r\n"},
        {written([](std::ostream& o) { writeCaptureLogProbe(o, 1, 0, 2, 612, 0.412, 0); }),
         "acceptedFrame=1 probe=0 action=2 overlap=612 score=0.412 prior=0\r\n"},
        {written([](std::ostream& o) { writeCaptureLogProbe(o, 2, 1, 0, 0, 1e18, 0); }),
         "acceptedFrame=2 probe=1 action=0 overlap=0 score=1e+18 prior=0\r\n"},
        {written([](std::ostream& o) { writeCaptureLogProbe(o, 7, 23, 1, 401, 0.7345123, 377); }),
         "acceptedFrame=7 probe=23 action=1 overlap=401 score=0.734512 prior=377\r\n"},
        {written([](std::ostream& o) { writeCaptureLogProbe(o, 3, 4, 3, -5, 12.5, -1); }),
         "acceptedFrame=3 probe=4 action=3 overlap=-5 score=12.5 prior=-1\r\n"},
        {written([](std::ostream& o) { writeCaptureLogSummary(o, 2, true, false, L""); }),
         "acceptedFrames=2 reachedEnd=1 finishRequested=0 error=\r\n"},
        {written([](std::ostream& o) {
             writeCaptureLogSummary(o, 5, false, true,
                                    L"The next frame no longer overlapped the previous frame (12 px candidate "
                                    L"overlap, score 44.10).");
         }),
         "acceptedFrames=5 reachedEnd=0 finishRequested=1 error=The next frame no longer overlapped the previous "
         "frame (12 px candidate overlap, score 44.10).\r\n"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.got, c.want);
}

TEST(CaptureLogLines, ChineseErrorTextIsKeptAsUtf8) {
    const std::string line = written([](std::ostream& o) {
        writeCaptureLogSummary(o, 1, false, false, L"无法发送滚轮输入，截图已停止。");
    });
    EXPECT_EQ(line,
              "acceptedFrames=1 reachedEnd=0 finishRequested=0 error="
              "\xE6\x97\xA0\xE6\xB3\x95\xE5\x8F\x91\xE9\x80\x81\xE6\xBB\x9A\xE8\xBD\xAE\xE8\xBE\x93\xE5\x85\xA5"
              "\xEF\xBC\x8C\xE6\x88\xAA\xE5\x9B\xBE\xE5\xB7\xB2\xE5\x81\x9C\xE6\xAD\xA2\xE3\x80\x82\r\n");
}

TEST(CaptureLogLines, BrokenStreamWritesNothing) {
    std::ostringstream out(std::ios::binary);
    out.setstate(std::ios::failbit);
    writeCaptureLogHeader(out, 3, -120, ScrollMethod::Wheel);
    writeCaptureLogProbe(out, 1, 0, 2, 1, 1.0, 0);
    writeCaptureLogSummary(out, 1, true, false, L"");
    EXPECT_EQ(out.str(), "");

    std::ofstream never;  // a log that could not be opened
    writeCaptureLogHeader(never, 3, -120, ScrollMethod::Wheel);
    EXPECT_FALSE(never.is_open());
}

TEST(CaptureLogLines, ScoreFormat) {
    struct Case { double v; const char* s; };
    const Case cases[] = {{0.734512, "0.734512"}, {12.5, "12.5"}, {1e18, "1e+18"}, {0, "0"},
                          {123456789.0, "1.23457e+08"}, {0.0001, "0.0001"}, {0.00001, "1e-05"}, {-3.25, "-3.25"}};
    for (const Case& c : cases) EXPECT_EQ(formatScore(c.v), c.s);
}

}  // namespace
}  // namespace tf
