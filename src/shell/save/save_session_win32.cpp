#include "shell/save/save_session_win32.h"

#include <objbase.h>

#include <algorithm>
#include <exception>
#include <memory>
#include <system_error>
#include <thread>

#include "shell/app/app_globals_win32.h"
#include "shell/app/control_table_win32.h"
#include "shell/app/page_driver_win32.h"
#include "core/capture/capture_log.h"
#include "core/settings/settings_store.h"
#include "core/stitch/stitch_worker.h"
#include "platform/win32/win32_handles.h"

namespace tf {

namespace {

constexpr UINT kSavingAnimationMs = 80;

class WindowsWorkerHost : public StitchWorkerHost {
public:
    WindowsWorkerHost(HWND target, std::shared_ptr<std::atomic<int32_t>> stage)
        : target_(target), stage_(std::move(stage)) {}
    uint64_t tickCount() override { return GetTickCount64(); }
    std::wstring timestamp() override { return localTimestamp(); }
    void storeSavingStage(int32_t stage) override { stage_->exchange(stage); }
    void postOverlayRedraw() override { PostMessageW(target_, WM_APP_OVERLAY_REDRAW, 0, 0); }

private:
    HWND target_;
    std::shared_ptr<std::atomic<int32_t>> stage_;
};

// The worker's window and stage are given when it starts: it never reads the
// application, whose window handle the GUI thread clears when the window goes.
void stitchThread(std::unique_ptr<StitchJob> job, HWND target, std::shared_ptr<std::atomic<int32_t>> stage) {
    std::unique_ptr<StitchResult> result;
    {
        const ComApartment com(COINIT_MULTITHREADED);  // the PNG writer needs COM here
        if (com) {
            WindowsWorkerHost host(target, std::move(stage));
            try {
                result = runStitchAndSave(*job, host);
            } catch (const std::exception&) {
                // Only an allocation of the result itself can get here; a null
                // result reads as a failure on the other side.
            }
        }
        job.reset();
    }
    if (PostMessageW(target, WM_APP_STITCH_DONE, 0, reinterpret_cast<LPARAM>(result.get()))) result.release();
}

}  // namespace

void startStitchAndSave(Application& app, std::vector<PixelImage> frames, ScrollDirection direction) {
    SaveSession& save = app.save;
    const HWND mainWindow = app.mainWindow;
    save.inProgress = true;
    save.startTick = GetTickCount64();
    save.stage->exchange(0);
    if (mainWindow != nullptr) {
        EnableWindow(controlSlot(app, ControlId::StartCapture), FALSE);
        ShowWindow(controlSlot(app, ControlId::OpenImage), SW_HIDE);
        ShowWindow(controlSlot(app, ControlId::CaptureAnother), SW_HIDE);
        InvalidateRect(mainWindow, nullptr, FALSE);
    }
    setUiState(app, UiState::Saving);
    if (app.overlayWindow != nullptr) redrawOverlay(app);
    if (mainWindow != nullptr) {
        SetTimer(mainWindow, static_cast<UINT_PTR>(TimerId::SavingAnimation), kSavingAnimationMs, nullptr);
    }

    const Settings& settings = app.settings;
    const std::wstring folder = !settings.captureFolder.empty() ? settings.captureFolder : defaultCaptureFolder();
    auto job = std::make_unique<StitchJob>();
    job->frames = std::move(frames);
    job->direction = direction;
    job->turnedDownward = true;  // a capture's frames come as its loop holds them
    job->outputFolder = folder;
    try {
        std::thread(stitchThread, std::move(job), mainWindow, save.stage).detach();
    } catch (const std::system_error&) {
        // No worker: report the failure the way a failed worker would, so the
        // window leaves Saving with the stitching error message.
        if (!PostMessageW(mainWindow, WM_APP_STITCH_DONE, 0, 0)) {
            save.inProgress = false;
            if (mainWindow != nullptr) {
                KillTimer(mainWindow, static_cast<UINT_PTR>(TimerId::SavingAnimation));
                EnableWindow(controlSlot(app, ControlId::StartCapture), TRUE);
            }
            failCaptureAndShowMain(app);
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
}

void forgetSavedCapture(SaveSession& save) {
    save.savedImagePath.clear();
    save.lastCaptureStats.stitchMs = 0;
    save.lastCaptureStats.saveMs = 0;
}

}  // namespace tf
