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

// What the worker is given: it owns the stitch from here on.
struct SaveJob {
    CapturedStitch capture;
    std::wstring outputFolder;
    int32_t splitLength = 0;
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
    if (PostMessageW(replies.window, replies.doneMessage, 0, reinterpret_cast<LPARAM>(result.get()))) {
        result.release();
    }
}

}  // namespace

void startStitchAndSave(SaveSession& save, CapturedStitch capture, std::wstring folder, int32_t splitLength,
                        const SaveReplies& replies,
                        SaveWatcher& watcher) {
    save.inProgress = true;
    save.startTick = GetTickCount64();
    save.stage->exchange(0);
    watcher.savingStarted();

    auto job = std::make_unique<SaveJob>();
    job->capture = std::move(capture);
    job->outputFolder = std::move(folder);
    job->splitLength = splitLength;
    try {
        std::thread(stitchThread, std::move(job), replies, save.stage).detach();
    } catch (const std::system_error&) {
        // No worker: report the failure the way a failed worker would, so the
        // window leaves Saving with the stitching error message.
        if (!PostMessageW(replies.window, replies.doneMessage, 0, 0)) {
            save.inProgress = false;
            watcher.savingFailedToStart();
        }
    }
}

void endSaving(SaveSession& save) { save.inProgress = false; }

void keepSavedCapture(SaveSession& save, const StitchResult& result) {
    save.savedImagePath = result.savedPath;
    CaptureStats& stats = save.lastCaptureStats;
    stats.frameCount = result.frameCount;
    stats.width = static_cast<uint64_t>(std::max<int64_t>(0, result.imageWidth));
    stats.height = static_cast<uint64_t>(std::max<int64_t>(0, result.imageHeight));
    stats.stitchMs = result.stitchMs;
    stats.saveMs = result.saveMs;
    stats.length = result.direction == ScrollDirection::Right ? stats.width : stats.height;
    stats.partCount = static_cast<uint32_t>(result.partPaths.size());
    stats.partLength = 0;
    if (!result.partPaths.empty()) stats.partLength = static_cast<int32_t>(result.splitLength);
}

void forgetSavedCapture(SaveSession& save) {
    save.savedImagePath.clear();
    save.lastCaptureStats.stitchMs = 0;
    save.lastCaptureStats.saveMs = 0;
}

}  // namespace tf
