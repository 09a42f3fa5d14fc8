// The review window in-process: what its controls, image and seam marks tell
// UI Automation, in both languages, and that Enter saves once however often
// it is pressed while the save runs.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "core/image/png_codec.h"
#include "shell/review/review_window_win32.h"
#include "test_support.h"
#include "uia_client_win32.h"

namespace fs = std::filesystem;

namespace tf {
namespace {

class TestHost final : public ReviewHost {
public:
    UiLanguage language() const override { return lang; }
    bool copyAfterCapture() const override { return false; }
    void copyImageFile(const fs::path&) override {}
    void reviewClosed() override { ++closed; }
    UiLanguage lang = UiLanguage::English;
    int closed = 0;
};

void pumpUntil(const std::function<bool()>& done, DWORD ms = 10000) {
    const ULONGLONG end = GetTickCount64() + ms;
    MSG msg;
    while (!done() && GetTickCount64() < end) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(5);
    }
}

SeamRecord seam(size_t pair, int64_t row, int32_t overlap, double score, int32_t smallShift = 0) {
    SeamRecord r;
    r.pair = pair;
    r.outputRow = row;
    r.overlap = overlap;
    r.seam = overlap / 2;
    r.score = score;
    r.smallShift = smallShift;
    return r;
}

class ReviewWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        capture = dir / "tallyframe-20261209-120000.png";
        // Large enough that its save takes a while: a second Enter finds it running.
        savePng(test::makeDocumentPage(width, height), capture);
    }
    bool open() {
        ReviewCapture c{capture, {seam(1, 300, 120, 5.0), seam(2, 600, 90, 0.25, 3)}, ScrollDirection::Down};
        if (!window.open(nullptr, std::move(c))) return false;
        pumpUntil([&] { return window.imageComplete(); });
        return window.imageComplete();
    }
    HWND child(const wchar_t* cls, int index = 0) const {
        HWND w = nullptr;
        for (int i = 0; i <= index; ++i) w = FindWindowExW(window.frame(), w, cls, nullptr);
        return w;
    }
    HWND control(ReviewControl id, HWND parent = nullptr) const {
        return GetDlgItem(parent != nullptr ? parent : window.frame(), static_cast<int>(id));
    }

    static constexpr int32_t width = 1600, height = 6000;
    test::ScratchDir dir;
    fs::path capture;
    TestHost host;
    ReviewWindow window{GetModuleHandleW(nullptr), host};
};

TEST_F(ReviewWindowTest, ControlsImageAndSeamMarksHaveNamesAndIdsInBothLanguages) {
    test::UiaClient client;
    if (client.nodeFromHandle == nullptr || client.getPropertyValue == nullptr || client.nodeRelease == nullptr) {
        GTEST_SKIP() << "no flat UI Automation client functions here";
    }
    const struct {
        UiLanguage lang;
        const wchar_t *save, *cut, *fallbackStart, *thinStart;
    } cases[] = {
        {UiLanguage::English, L"Save trimmed", L"Cut at this seam", L"Fallback: Frames 2 and 3: overlap 90 px",
         L"Thin evidence: Frames 1 and 2: overlap 120 px"},
        {UiLanguage::ChineseSimplified, L"保存裁剪结果", L"在此拼接处裁剪", L"后备规则：第 2 与第 3 帧：重叠 90 px",
         L"依据不足：第 1 与第 2 帧：重叠 120 px"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.lang));
        host.lang = c.lang;
        ASSERT_TRUE(open());
        HWND canvas = control(ReviewControl::Canvas);
        ASSERT_NE(canvas, nullptr);
        EXPECT_EQ(client.stringOf(control(ReviewControl::SaveTrimmed), kUiaAutomationIdPropertyId), L"SaveTrimmedButton");
        EXPECT_EQ(client.stringOf(control(ReviewControl::SaveTrimmed), kUiaNamePropertyId), c.save);
        EXPECT_EQ(client.stringOf(control(ReviewControl::CutAtSeam), kUiaAutomationIdPropertyId), L"CutAtSeamButton");
        EXPECT_EQ(client.stringOf(control(ReviewControl::CutAtSeam), kUiaNamePropertyId), c.cut);
        EXPECT_EQ(client.stringOf(canvas, kUiaAutomationIdPropertyId), L"ReviewImage");
        // The image's name gives its size.
        EXPECT_NE(client.stringOf(canvas, kUiaNamePropertyId).find(L"1600"), std::wstring::npos);
        EXPECT_NE(client.stringOf(canvas, kUiaNamePropertyId).find(L"6000"), std::wstring::npos);
        // One mark per seam, in the seams' order, each saying its pair, overlap and kind.
        const auto firstMark = static_cast<ReviewControl>(static_cast<int>(ReviewControl::FirstSeamMark));
        const auto secondMark = static_cast<ReviewControl>(static_cast<int>(ReviewControl::FirstSeamMark) + 1);
        HWND one = control(firstMark, canvas), two = control(secondMark, canvas);
        ASSERT_NE(one, nullptr);
        ASSERT_NE(two, nullptr);
        EXPECT_EQ(client.stringOf(one, kUiaAutomationIdPropertyId), L"SeamMark1");
        EXPECT_EQ(client.stringOf(two, kUiaAutomationIdPropertyId), L"SeamMark2");
        EXPECT_EQ(client.stringOf(one, kUiaNamePropertyId).rfind(c.thinStart, 0), 0u) << client.stringOf(one, kUiaNamePropertyId);
        EXPECT_EQ(client.stringOf(two, kUiaNamePropertyId).rfind(c.fallbackStart, 0), 0u) << client.stringOf(two, kUiaNamePropertyId);
        window.close();
        pumpUntil([&] { return !window.isOpen(); });
    }
}

TEST_F(ReviewWindowTest, EnterSavesOnceWhileTheSaveRunsAndTheOriginalStays) {
    ASSERT_TRUE(open());
    const std::string before = test::readFile(capture);
    HWND canvas = control(ReviewControl::Canvas);
    SendMessageW(canvas, WM_KEYDOWN, 'T', 0);
    for (int i = 0; i < 2; ++i) SendMessageW(canvas, WM_KEYDOWN, VK_DOWN, 0);
    // The first press starts the save; the others find it running.
    SendMessageW(canvas, WM_KEYDOWN, VK_RETURN, 0);
    ASSERT_TRUE(window.saving());
    for (int i = 0; i < 2; ++i) SendMessageW(canvas, WM_KEYDOWN, VK_RETURN, 0);
    // The worker may end before its answer is handled; presses in that gap must not start a second save.
    // No message is pumped while waiting, so the answer stays in the queue.
    const fs::path trimmed = dir / "tallyframe-20261209-120000-trimmed.png";
    for (int waited = 0; !fs::exists(trimmed) && waited < 60000; waited += 20) Sleep(20);
    Sleep(200);
    for (int i = 0; i < 2; ++i) SendMessageW(canvas, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_TRUE(window.saving());
    EXPECT_FALSE(IsWindowEnabled(control(ReviewControl::SaveTrimmed)));
    pumpUntil([&] { return !window.isOpen(); }, 60000);
    EXPECT_FALSE(window.isOpen());
    EXPECT_EQ(host.closed, 1);
    const PixelImage saved = loadPng(dir / "tallyframe-20261209-120000-trimmed.png");
    EXPECT_EQ(saved.width, width);
    EXPECT_EQ(saved.height, height - 2);
    EXPECT_FALSE(fs::exists(dir / "tallyframe-20261209-120000-trimmed-2.png"));
    EXPECT_EQ(test::readFile(capture), before);
}

}  // namespace
}  // namespace tf
