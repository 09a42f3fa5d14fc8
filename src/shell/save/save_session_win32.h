#pragma once
// One save at a time, from the capture's stitch to the saved file: the
// stitch-and-save worker thread, and the SaveSession that runs it and says
// what the windows show about it. The save knows the windows that show it
// only through a SaveWatcher and the messages it is told to post.

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "core/stitch/stitch_job.h"

namespace tf {

// The numbers of the last saved image, for the result page.
struct CaptureStats {
    uint32_t frameCount = 0;
    uint64_t width = 0, height = 0, stitchMs = 0, saveMs = 0;
    uint64_t length = 0;      // along the way it scrolled: the height, or sideways the width
    uint32_t partCount = 0;   // files it was saved in when split, else 0
    int32_t partLength = 0;   // rows (columns) per part when split
};

// Where the worker answers: `doneMessage` carries its StitchResult in the
// LPARAM (the receiver owns it; null when the save failed), `redrawMessage`
// asks for the overlay to show the next stage. A null window hears nothing.
struct SaveReplies {
    HWND window = nullptr;
    UINT doneMessage = 0;
    UINT redrawMessage = 0;
};

// What the save asks of and tells the windows that show it, on the GUI thread.
class SaveWatcher {
public:
    // The session is in Saving; the worker starts next.
    virtual void savingStarted() = 0;
    // No worker could be started and no result will arrive.
    virtual void savingFailedToStart() = 0;
    // Whether the saving stage is on screen; its animation stops when not.
    virtual bool savingStageShown() const = 0;
    // Draws the saving stage again; `last` ends its animation with it.
    virtual void showSavingStage(bool last) = 0;
    virtual void stopSavingAnimation() = 0;
    // The worker's answer arrived, null when the save failed; the session no
    // longer saves and has kept a successful save's path and numbers.
    virtual void savingEnded(const StitchResult* result) = 0;

protected:
    ~SaveWatcher() = default;
};

// What the worker is given: it owns the capture's stitch from here on.
struct SaveJob {
    CapturedStitch capture;
    std::wstring outputFolder;   // capture folder, or the default one
    // Rows (columns, sideways) per saved part for an image longer than that;
    // 0 saves one file however long the image.
    int32_t splitLength = 0;
};

// Starts the worker thread on a job; throws std::system_error when no thread
// can be made. The worker writes the stage it reached into `stage`.
using SaveWorkerLauncher = void (*)(std::unique_ptr<SaveJob> job, const SaveReplies& replies,
                                    std::shared_ptr<std::atomic<int32_t>> stage);
void launchSaveWorkerThread(std::unique_ptr<SaveJob> job, const SaveReplies& replies,
                            std::shared_ptr<std::atomic<int32_t>> stage);

class SaveSession {
public:
    explicit SaveSession(SaveWorkerLauncher launcher = &launchSaveWorkerThread) : launcher_(launcher) {}
    SaveSession(const SaveSession&) = delete;
    SaveSession& operator=(const SaveSession&) = delete;

    // Takes the capture's stitch over, enters Saving and starts the worker,
    // which finishes the stitch, writes into `folder` (in parts of `splitLength` rows when that is
    // not 0) and answers through `replies`.
    void start(CapturedStitch capture, std::wstring folder, int32_t splitLength, const SaveReplies& replies,
               SaveWatcher& watcher);
    // The saving animation's timer fired at `now` (GetTickCount64).
    void onAnimationTick(uint64_t now, bool reducedMotion, SaveWatcher& watcher);
    // The done message arrived with the worker's result (null: it failed).
    void finish(std::unique_ptr<StitchResult> result, SaveWatcher& watcher);
    // A new rectangle was chosen: the last image is forgotten.
    void forgetSavedCapture();

    // From start to the result's arrival.
    bool inProgress() const { return inProgress_; }
    // The last saved image; empty until a save succeeds and after a new selection.
    const std::wstring& savedImagePath() const { return savedImagePath_; }
    const CaptureStats& lastCaptureStats() const { return lastCaptureStats_; }
    uint64_t startTick() const { return startTick_; }
    int32_t stage() const { return stage_->load(); }

    // For tests that stage a page or a refusal: a save counts as running (or
    // not) with no worker behind it and no result coming.
    void stageInProgressForTests(bool running) { inProgress_ = running; }

private:
    SaveWorkerLauncher launcher_;
    bool inProgress_ = false;
    std::wstring savedImagePath_;
    CaptureStats lastCaptureStats_;  // the new selection zeroes the two times
    // Written by the worker thread, which holds its own reference: the
    // stage outlives the application if a worker is still finishing.
    std::shared_ptr<std::atomic<int32_t>> stage_ = std::make_shared<std::atomic<int32_t>>(0);
    uint64_t startTick_ = 0;
};

}  // namespace tf
