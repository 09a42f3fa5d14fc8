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
#include "core/settings/settings.h"
#include "core/settings/settings_store.h"
#include "core/stitch/stitch_worker.h"
#include "platform/win32/win32_handles.h"

namespace tf {

bool saveInProgress = false;
std::wstring savedImagePath;
CaptureStats lastCaptureStats;
std::atomic<int32_t> savingStage{0};
uint64_t savingStartTick = 0;

namespace {

constexpr UINT kSavingAnimationMs = 80;

class WindowsWorkerHost : public StitchWorkerHost {
public:
    explicit WindowsWorkerHost(HWND target) : target_(target) {}
    uint64_t tickCount() override { return GetTickCount64(); }
    std::wstring timestamp() override { return localTimestamp(); }
    void storeSavingStage(int32_t stage) override { savingStage.exchange(stage); }
    void postOverlayRedraw() override { PostMessageW(target_, WM_APP_OVERLAY_REDRAW, 0, 0); }

private:
    HWND target_;
};

// The worker's window is given when it starts: it never reads mainWindow,
// which the GUI thread clears when the window goes.
void stitchThread(std::unique_ptr<StitchJob> job, HWND target) {
    std::unique_ptr<StitchResult> result;
    {
        const ComApartment com(COINIT_MULTITHREADED);  // the PNG writer needs COM here
        if (com) {
            WindowsWorkerHost host(target);
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

void startStitchAndSave(std::vector<PixelImage> frames) {
    saveInProgress = true;
    savingStartTick = GetTickCount64();
    savingStage.exchange(0);
    if (mainWindow != nullptr) {
        EnableWindow(controlSlot(ControlId::StartCapture), FALSE);
        ShowWindow(controlSlot(ControlId::OpenImage), SW_HIDE);
        ShowWindow(controlSlot(ControlId::CaptureAnother), SW_HIDE);
        InvalidateRect(mainWindow, nullptr, FALSE);
    }
    setUiState(UiState::Saving);
    if (overlayWindow != nullptr) redrawOverlay();
    if (mainWindow != nullptr) {
        SetTimer(mainWindow, static_cast<UINT_PTR>(TimerId::SavingAnimation), kSavingAnimationMs, nullptr);
    }

    const std::wstring folder = !settings.captureFolder.empty() ? settings.captureFolder : defaultCaptureFolder();
    auto job = std::make_unique<StitchJob>();
    job->frames = std::move(frames);
    job->outputFolder = folder;
    try {
        std::thread(stitchThread, std::move(job), mainWindow).detach();
    } catch (const std::system_error&) {
        // No worker: report the failure the way a failed worker would, so the
        // window leaves Saving with the stitching error message.
        if (!PostMessageW(mainWindow, WM_APP_STITCH_DONE, 0, 0)) {
            saveInProgress = false;
            if (mainWindow != nullptr) {
                KillTimer(mainWindow, static_cast<UINT_PTR>(TimerId::SavingAnimation));
                EnableWindow(controlSlot(ControlId::StartCapture), TRUE);
            }
            failCaptureAndShowMain();
        }
    }
}

void endSaving() { saveInProgress = false; }

void keepSavedCapture(const StitchResult& result) {
    savedImagePath = result.savedPath;
    lastCaptureStats.frameCount = result.frameCount;
    lastCaptureStats.width = static_cast<uint64_t>(std::max<int64_t>(0, result.imageWidth));
    lastCaptureStats.height = static_cast<uint64_t>(std::max<int64_t>(0, result.imageHeight));
    lastCaptureStats.stitchMs = result.stitchMs;
    lastCaptureStats.saveMs = result.saveMs;
}

void forgetSavedCapture() {
    savedImagePath.clear();
    lastCaptureStats.stitchMs = 0;
    lastCaptureStats.saveMs = 0;
}

}  // namespace tf
