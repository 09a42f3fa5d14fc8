// The automatic capture on its worker thread, against the real screen: the
// GUI thread hears of the progress while the loop runs, the worker is always
// joined, the pointer is shown again on the GUI thread, and destroying a
// running capture ends it without hanging.

#include <gtest/gtest.h>
#include <windows.h>

#include <optional>
#include <vector>

#include "shell/capture/automatic_capture_win32.h"

namespace tf {
namespace {

class RecordingWatcher final : public AutomaticCaptureWatcher {
public:
    std::vector<CaptureProgress> progress;
    int32_t ticks = 0;
    std::optional<AutomaticCaptureEnd> end;
    DWORD endThread = 0;
    void progressChanged(const CaptureProgress& p) override { progress.push_back(p); }
    void progressTick() override { ++ticks; }
    void captureEnded(AutomaticCaptureEnd e) override {
        endThread = GetCurrentThreadId();
        end = std::move(e);
    }
};

// Runs the GUI thread's messages until `done` or the time is up.
template <typename Done>
bool pumpUntil(Done done, DWORD ms) {
    const ULONGLONG until = GetTickCount64() + ms;
    while (!done()) {
        if (GetTickCount64() > until) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        MSG m;
        while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&m);
            DispatchMessageW(&m);
        }
    }
    return true;
}

// An empty corner of the desktop: nothing scrolls there, so the page ends
// after the still probes.
CaptureRequest stillArea() { return CaptureRequest{Rect{0, 0, 96, 96}, true}; }

int32_t cursorCount() {
    ShowCursor(FALSE);
    return ShowCursor(TRUE);
}

TEST(AutomaticCapture, ReportsProgressToTheGuiThreadAndEndsJoined) {
    const int32_t countBefore = cursorCount();
    RecordingWatcher watcher;
    FinishLatch finish;
    finish.request();  // an old request: the capture forgets it
    AutomaticCapture capture(GetModuleHandleW(nullptr), watcher, finish);
    ASSERT_TRUE(capture.start(stillArea(), false, UiLanguage::English));
    EXPECT_TRUE(capture.running());
    ASSERT_TRUE(pumpUntil([&] { return watcher.end.has_value(); }, 30000));

    EXPECT_FALSE(capture.running());
    EXPECT_EQ(watcher.endThread, GetCurrentThreadId());
    ASSERT_FALSE(watcher.progress.empty());
    EXPECT_EQ(watcher.progress.front().frameCount, 1u);
    EXPECT_EQ(watcher.progress.front().heightPx, 96);
    // Three still probes take more than a second: the overlay was told to
    // redraw several times meanwhile.
    EXPECT_GE(watcher.ticks, 4);
    EXPECT_TRUE(watcher.end->outcome.started);
    EXPECT_TRUE(watcher.end->outcome.reachedEnd);
    EXPECT_FALSE(watcher.end->abandoned);
    ASSERT_TRUE(watcher.end->stitch.has_value());
    ASSERT_NE(watcher.end->stitch->stitch, nullptr);
    EXPECT_EQ(watcher.end->stitch->stitch->framesAdded(), 1u);
    // Hidden on the GUI thread for the capture, shown again as often.
    EXPECT_EQ(cursorCount(), countBefore);
}

TEST(AutomaticCapture, ARequestWithoutAnAreaEndsAbandoned) {
    RecordingWatcher watcher;
    FinishLatch finish;
    AutomaticCapture capture(GetModuleHandleW(nullptr), watcher, finish);
    ASSERT_TRUE(capture.start(CaptureRequest{}, false, UiLanguage::English));
    ASSERT_TRUE(pumpUntil([&] { return watcher.end.has_value(); }, 10000));
    EXPECT_FALSE(watcher.end->outcome.started);
    EXPECT_TRUE(watcher.end->abandoned);
    EXPECT_FALSE(watcher.end->stitch.has_value());
    EXPECT_TRUE(watcher.progress.empty());
}

TEST(AutomaticCapture, FinishRequestEndsItAndKeepsTheFirstFrame) {
    RecordingWatcher watcher;
    FinishLatch finish;
    AutomaticCapture capture(GetModuleHandleW(nullptr), watcher, finish);
    ASSERT_TRUE(capture.start(stillArea(), false, UiLanguage::English));
    ASSERT_TRUE(pumpUntil([&] { return !watcher.progress.empty(); }, 10000));
    finish.request();  // as the overlay does on a display change
    ASSERT_TRUE(pumpUntil([&] { return watcher.end.has_value(); }, 5000));
    EXPECT_TRUE(watcher.end->outcome.finishedByUser);
    ASSERT_TRUE(watcher.end->stitch.has_value());
    ASSERT_NE(watcher.end->stitch->stitch, nullptr);
    EXPECT_EQ(watcher.end->stitch->stitch->framesAdded(), 1u);
}

TEST(AutomaticCapture, DestroyedWhileRunningItStopsTheWorkerAndShowsThePointer) {
    const int32_t countBefore = cursorCount();
    RecordingWatcher watcher;
    FinishLatch finish;
    {
        AutomaticCapture capture(GetModuleHandleW(nullptr), watcher, finish);
        ASSERT_TRUE(capture.start(stillArea(), false, UiLanguage::English));
        ASSERT_TRUE(pumpUntil([&] { return !watcher.progress.empty(); }, 10000));
        // The destructor must answer the worker's ShowCursor while it waits.
    }
    EXPECT_TRUE(finish.requested());
    EXPECT_FALSE(watcher.end.has_value());  // nobody is told of a capture torn down
    EXPECT_EQ(cursorCount(), countBefore);
}

}  // namespace
}  // namespace tf
