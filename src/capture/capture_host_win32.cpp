// The Windows side of the capture loop and of the stitch-and-save worker: the
// controller's host over the real input, clock and screen, and the thread that
// composes and saves.

#include <windows.h>
#include <objbase.h>

#include <exception>
#include <memory>
#include <system_error>
#include <thread>

#include "app/app_globals_win32.h"
#include "app/app_window_win32.h"
#include "capture/capture_controller.h"
#include "capture/capture_globals_win32.h"
#include "capture/capture_log.h"
#include "capture/screen_grab_win32.h"
#include "settings/settings.h"
#include "settings/texts.h"
#include "settings/settings_store.h"
#include "stitch/stitch_worker.h"

namespace tf {
namespace {

constexpr UINT kSavingAnimationMs = 80;

class WindowsCaptureHost : public CaptureHost {
public:
    bool wheelScrollLines(uint32_t& lines) override {
        UINT value = 3;
        if (!SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &value, 0)) return false;
        lines = value;
        return true;
    }
    bool cursorShowing() override {
        CURSORINFO info{};
        info.cbSize = sizeof info;
        return GetCursorInfo(&info) && (info.flags & CURSOR_SHOWING) != 0;
    }
    int32_t showCursor(bool show) override { return ShowCursor(show ? TRUE : FALSE); }
    void setCursorPos(int32_t x, int32_t y) override { SetCursorPos(x, y); }
    uint32_t sendWheel(int32_t delta) override {
        INPUT input{};
        input.type = INPUT_MOUSE;
        input.mi.mouseData = static_cast<DWORD>(delta);
        input.mi.dwFlags = MOUSEEVENTF_WHEEL;
        return SendInput(1, &input, sizeof(INPUT));
    }
    void sleep(uint32_t ms) override { Sleep(ms); }
    uint64_t tickCount() override { return GetTickCount64(); }
    uint16_t escapeKeyState() override { return static_cast<uint16_t>(GetAsyncKeyState(VK_ESCAPE)); }
    PixelImage grab() override { return grabScreenRect(captureRect); }
    std::filesystem::path createLogFolder() override { return createCaptureLogFolder(); }
    bool saveInProgress() override { return tf::saveInProgress; }
    UiState uiState() override { return currentUiState(); }
    void setUiState(UiState to) override { tf::setUiState(to); }
    void closeOverlay() override { tf::closeOverlay(); }
    void showMainWindow() override {
        showAndActivateMain();
        if (mainWindow != nullptr) InvalidateRect(mainWindow, nullptr, FALSE);
    }
    void messageBox(const std::wstring& text, MessageIcon icon) override {
        MessageBoxW(mainWindow, text.c_str(), tr(texts::productName),
                    icon == MessageIcon::Warning ? MB_ICONWARNING : MB_ICONERROR);
    }
    void startStitchAndSave(std::vector<PixelImage> frames) override { tf::startStitchAndSave(std::move(frames)); }
};

class WindowsWorkerHost : public StitchWorkerHost {
public:
    uint64_t tickCount() override { return GetTickCount64(); }
    std::wstring timestamp() override { return localTimestamp(); }
    void storeSavingStage(int32_t stage) override { savingStage.exchange(stage); }
    void postOverlayRedraw() override { PostMessageW(mainWindow, WM_APP_OVERLAY_REDRAW, 0, 0); }
};

void stitchThread(std::unique_ptr<StitchJob> job) {
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);  // the PNG writer needs COM here
    WindowsWorkerHost host;
    std::unique_ptr<StitchResult> result;
    try {
        result = runStitchAndSave(*job, host);
    } catch (const std::exception&) {
        // Only an allocation of the result itself can get here; a null
        // result reads as a failure on the other side.
    }
    job.reset();
    CoUninitialize();
    if (PostMessageW(mainWindow, WM_APP_STITCH_DONE, 0, reinterpret_cast<LPARAM>(result.get()))) result.release();
}

}  // namespace

void runCaptureFromMainWindow() {
    WindowsCaptureHost host;
    runCapture(host, CaptureRequest{captureRect, captureRectValid, settings.language});
}

void startStitchAndSave(std::vector<PixelImage> frames) {
    saveInProgress = true;
    savingStartTick = GetTickCount64();
    savingStage.exchange(0);
    if (mainWindow != nullptr) {
        EnableWindow(GetDlgItem(mainWindow, 1), FALSE);
        ShowWindow(GetDlgItem(mainWindow, 2), SW_HIDE);
        ShowWindow(GetDlgItem(mainWindow, 3), SW_HIDE);
        InvalidateRect(mainWindow, nullptr, FALSE);
    }
    setUiState(UiState::Saving);
    if (overlayWindow != nullptr) redrawOverlay();
    if (mainWindow != nullptr) SetTimer(mainWindow, TIMER_SAVING_ANIMATION, kSavingAnimationMs, nullptr);

    const std::wstring folder = !settings.captureFolder.empty() ? settings.captureFolder : defaultCaptureFolder();
    auto job = std::make_unique<StitchJob>();
    job->frames = std::move(frames);
    job->outputFolder = folder;
    try {
        std::thread(stitchThread, std::move(job)).detach();
    } catch (const std::system_error&) {
        // No worker: report the failure the way a failed worker would, so the
        // window leaves Saving with the stitching error message.
        if (!PostMessageW(mainWindow, WM_APP_STITCH_DONE, 0, 0)) {
            saveInProgress = false;
            if (mainWindow != nullptr) {
                KillTimer(mainWindow, TIMER_SAVING_ANIMATION);
                EnableWindow(GetDlgItem(mainWindow, 1), TRUE);
            }
            closeOverlay();
            setUiState(UiState::Failed);
            showAndActivateMain();
        }
    }
}

}  // namespace tf
