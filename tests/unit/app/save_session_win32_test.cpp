// The save's lifecycle as its watcher sees it: what is told, in which order,
// and what the session says of itself at each call; and the saving
// animation's ticks, with a clock that may read earlier than the start.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "shell/save/save_session_win32.h"

namespace tf {
namespace {

constexpr UINT kDone = WM_APP + 41;
constexpr UINT kRedraw = WM_APP + 42;

// Each call as "name saving" or "name idle", by what the session said then.
class RecordingWatcher final : public SaveWatcher {
public:
    explicit RecordingWatcher(const SaveSession& save) : save_(save) {}
    void savingStarted() override { note("started"); }
    void savingFailedToStart() override { note("failedToStart"); }
    bool savingStageShown() const override { return shown; }
    void showSavingStage(bool last) override { note(last ? "showLast" : "show"); }
    void stopSavingAnimation() override { note("stop"); }
    void savingEnded(const StitchResult* result) override {
        note(result == nullptr ? "endedFailed" : "endedSaved");
        pathAtEnd = save_.savedImagePath();
    }
    std::vector<std::string> calls;
    std::wstring pathAtEnd;
    bool shown = true;

private:
    void note(const std::string& name) { calls.push_back(name + (save_.inProgress() ? " saving" : " idle")); }
    const SaveSession& save_;
};

std::unique_ptr<SaveJob> launchedJob;

void keepJob(std::unique_ptr<SaveJob> job, const SaveReplies&, std::shared_ptr<std::atomic<int32_t>>) {
    launchedJob = std::move(job);
}

void failToLaunch(std::unique_ptr<SaveJob>, const SaveReplies&, std::shared_ptr<std::atomic<int32_t>>) {
    throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
}

// No stitch behind it: the tests here never reach the worker.
CapturedStitch sidewaysCapture() { return CapturedStitch{nullptr, ScrollDirection::Right}; }

// A window that only receives messages, to take the done message.
struct MessageWindow {
    MessageWindow()
        : handle(CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr)) {}
    ~MessageWindow() { DestroyWindow(handle); }
    HWND handle;
};

TEST(SaveSession, StartTellsTheWatcherInOrderAndHandsTheWorkerItsJob) {
    MessageWindow window;
    ASSERT_NE(window.handle, nullptr);
    struct Case {
        const char* name;
        SaveWorkerLauncher launcher;
        HWND replyTo;
        std::vector<std::string> calls;
        bool doneMessagePosted;
    } cases[] = {
        {"worker started", &keepJob, window.handle, {"started saving"}, false},
        {"no worker, the window takes the failure", &failToLaunch, window.handle, {"started saving"}, true},
        {"no worker and no window", &failToLaunch, nullptr, {"started saving", "failedToStart idle"}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        launchedJob.reset();
        SaveSession save(c.launcher);
        RecordingWatcher watcher(save);
        save.start(sidewaysCapture(), L"C:\\shots", 4000, {c.replyTo, kDone, kRedraw}, watcher);
        EXPECT_EQ(watcher.calls, c.calls);
        EXPECT_EQ(save.inProgress(), c.calls.size() == 1);
        EXPECT_NE(save.startTick(), 0u);
        MSG msg{};
        const bool posted = PeekMessageW(&msg, window.handle, kDone, kDone, PM_REMOVE) != 0;
        EXPECT_EQ(posted, c.doneMessagePosted);
        if (posted) {
            EXPECT_EQ(msg.lParam, 0);  // no result: read as a failed save
        }
        if (c.launcher == &keepJob) {
            ASSERT_NE(launchedJob, nullptr);
            EXPECT_EQ(launchedJob->capture.direction, ScrollDirection::Right);
            EXPECT_EQ(launchedJob->outputFolder, L"C:\\shots");
            EXPECT_EQ(launchedJob->splitLength, 4000);
        }
    }
    launchedJob.reset();
}

TEST(SaveSession, TheResultEndsTheSaveBeforeTheWatcherHearsOfIt) {
    struct Case {
        const char* name;
        bool hasResult, succeeded;
        const char* ended;
        std::wstring keptPath;
    } cases[] = {
        {"saved", true, true, "endedSaved idle", L"C:\\shots\\a.png"},
        {"worker failed", true, false, "endedFailed idle", L""},
        {"no result", false, false, "endedFailed idle", L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SaveSession save(&keepJob);
        RecordingWatcher watcher(save);
        save.start(sidewaysCapture(), L"C:\\shots", 0, {nullptr, kDone, kRedraw}, watcher);
        std::unique_ptr<StitchResult> result;
        if (c.hasResult) {
            result = std::make_unique<StitchResult>();
            result->succeeded = c.succeeded;
            result->savedPath = L"C:\\shots\\a.png";
            result->frameCount = 2;
            result->imageWidth = 4;
            result->imageHeight = -1;  // never shown as a huge height
            result->stitchMs = 5;
        }
        save.finish(std::move(result), watcher);
        EXPECT_EQ(watcher.calls, (std::vector<std::string>{"started saving", c.ended}));
        EXPECT_EQ(watcher.pathAtEnd, c.keptPath);
        EXPECT_EQ(save.lastCaptureStats().frameCount, c.succeeded ? 2u : 0u);
        EXPECT_EQ(save.lastCaptureStats().height, 0u);
        EXPECT_EQ(save.lastCaptureStats().stitchMs, c.succeeded ? 5u : 0u);

        save.forgetSavedCapture();
        EXPECT_TRUE(save.savedImagePath().empty());
        EXPECT_EQ(save.lastCaptureStats().stitchMs, 0u);
    }
    launchedJob.reset();
}

TEST(SaveSession, AnimationTicksShowTheStageInItsWindowOfTime) {
    struct Case {
        const char* name;
        int64_t sinceStart;  // ms; negative: the clock reads earlier than the start
        bool shown, reducedMotion;
        std::vector<std::string> calls;
    } cases[] = {
        {"clock behind the start", -1, true, false, {}},
        {"too early for the stage", 100, true, false, {}},
        {"the stage is drawn", 400, true, false, {"show saving"}},
        {"the last frame", 800, true, false, {"showLast saving"}},
        {"reduced motion draws once", 400, true, true, {"showLast saving"}},
        {"nothing shows the stage", 400, false, false, {"stop saving"}},
        {"nothing shows it, clock behind", -1, false, false, {"stop saving"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SaveSession save(&keepJob);
        RecordingWatcher watcher(save);
        save.start(sidewaysCapture(), L"C:\\shots", 0, {nullptr, kDone, kRedraw}, watcher);
        watcher.calls.clear();
        watcher.shown = c.shown;
        save.onAnimationTick(save.startTick() + static_cast<uint64_t>(c.sinceStart), c.reducedMotion, watcher);
        EXPECT_EQ(watcher.calls, c.calls);
    }
    launchedJob.reset();
}

}  // namespace
}  // namespace tf
