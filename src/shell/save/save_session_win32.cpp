#include "shell/save/save_session_win32.h"

#include <objbase.h>

#include <algorithm>
#include <exception>
#include <memory>
#include <system_error>
#include <thread>

#include "core/capture/capture_log.h"
#include "core/stitch/stitch_worker.h"
#include "platform/win32/win32_handles.h"

namespace tf {

namespace {

class WindowsWorkerHost : public StitchWorkerHost {
public:
    WindowsWorkerHost(const SaveReplies& replies, std::shared_ptr<std::atomic<int32_t>> stage)
        : replies_(replies), stage_(std::move(stage)) {}
    uint64_t tickCount() override { return GetTickCount64(); }
    std::wstring timestamp() override { return localTimestamp(); }
    void storeSavingStage(int32_t stage) override { stage_->exchange(stage); }
    void postOverlayRedraw() override { PostMessageW(replies_.window, replies_.redrawMessage, 0, 0); }

private:
    SaveReplies replies_;
    std::shared_ptr<std::atomic<int32_t>> stage_;
};

// The worker's window and stage are given when it starts: it never reads the
// session, which the GUI thread may change or free while it runs.
void stitchThread(std::unique_ptr<SaveJob> job, SaveReplies replies, std::shared_ptr<std::atomic<int32_t>> stage) {
    std::unique_ptr<StitchResult> result;
    {
        const ComApartment com(COINIT_MULTITHREADED);  // the PNG writer needs COM here
        if (com) {
            WindowsWorkerHost host(replies, std::move(stage));
            try {
                // Without a stitch there is nothing to save: a failed result.
                result = job->capture.stitch
                             ? runLiveStitchAndSave(*job->capture.stitch, job->capture.direction, job->outputFolder,
                                                    job->splitLength, host)
                             : std::make_unique<StitchResult>();
            } catch (const std::exception&) {
                // Only an allocation of the result itself can get here; a null
                // result reads as a failure on the other side.
            }
        }
        job.reset();
    }
    // A null window would make the post a message to this thread, which ends
    // here and would leave the result behind.
    if (replies.window != nullptr &&
        PostMessageW(replies.window, replies.doneMessage, 0, reinterpret_cast<LPARAM>(result.get()))) {
        result.release();
    }
}

// The overlay shows the stage from this long into the save, and the
// animation needs no more frames after the other.
constexpr uint64_t kSavingStageShownAfterMs = 300;
constexpr uint64_t kSavingAnimationEndsAfterMs = 760;

}  // namespace

void launchSaveWorkerThread(std::unique_ptr<SaveJob> job, const SaveReplies& replies,
                            std::shared_ptr<std::atomic<int32_t>> stage) {
    std::thread(stitchThread, std::move(job), replies, std::move(stage)).detach();
}

void SaveSession::start(CapturedStitch capture, std::wstring folder, int32_t splitLength, const SaveReplies& replies,
                        SaveWatcher& watcher) {
    inProgress_ = true;
    startTick_ = GetTickCount64();
    stage_->exchange(0);
    watcher.savingStarted();

    auto job = std::make_unique<SaveJob>();
    job->capture = std::move(capture);
    job->outputFolder = std::move(folder);
    job->splitLength = splitLength;
    try {
        launcher_(std::move(job), replies, stage_);
    } catch (const std::system_error&) {
        // No worker: report the failure the way a failed worker would, so the
        // window leaves Saving with the stitching error message.
        if (replies.window == nullptr || !PostMessageW(replies.window, replies.doneMessage, 0, 0)) {
            inProgress_ = false;
            watcher.savingFailedToStart();
        }
    }
}

void SaveSession::onAnimationTick(uint64_t now, bool reducedMotion, SaveWatcher& watcher) {
    // A clock that reads earlier than the start (another core's count) is no
    // time gone, not most of the counter's range.
    const uint64_t elapsed = startTick_ == 0 || now < startTick_ ? 0 : now - startTick_;
    if (!watcher.savingStageShown()) {
        watcher.stopSavingAnimation();
        return;
    }
    if (elapsed < kSavingStageShownAfterMs) return;
    watcher.showSavingStage(elapsed > kSavingAnimationEndsAfterMs || reducedMotion);
}

void SaveSession::finish(std::unique_ptr<StitchResult> result, SaveWatcher& watcher) {
    inProgress_ = false;
    const bool succeeded = result && result->succeeded;
    if (succeeded) {
        savedImagePath_ = result->savedPath;
        lastCaptureStats_.frameCount = result->frameCount;
        lastCaptureStats_.width = static_cast<uint64_t>(std::max<int64_t>(0, result->imageWidth));
        lastCaptureStats_.height = static_cast<uint64_t>(std::max<int64_t>(0, result->imageHeight));
        lastCaptureStats_.stitchMs = result->stitchMs;
        lastCaptureStats_.saveMs = result->saveMs;
        lastCaptureStats_.length =
            result->direction == ScrollDirection::Right ? lastCaptureStats_.width : lastCaptureStats_.height;
        lastCaptureStats_.partCount = static_cast<uint32_t>(result->partPaths.size());
        lastCaptureStats_.partLength = result->partPaths.empty() ? 0 : static_cast<int32_t>(result->splitLength);
    }
    watcher.savingEnded(succeeded ? result.get() : nullptr);
}

void SaveSession::forgetSavedCapture() {
    savedImagePath_.clear();
    lastCaptureStats_.stitchMs = 0;
    lastCaptureStats_.saveMs = 0;
}

}  // namespace tf
