// The Windows side of the capture loops: the controllers' host over the real
// input, clock and screen, and the timer that drives a manual capture.

#include <windows.h>

#include <memory>

#include "shell/app/app_globals_win32.h"
#include "core/app/control_ids.h"
#include "shell/app/page_driver_win32.h"
#include "core/capture/capture_controller.h"
#include "shell/capture/capture_globals_win32.h"
#include "core/capture/capture_log.h"
#include "core/capture/capture_rules.h"
#include "core/capture/manual_capture.h"
#include "shell/capture/screen_grab_win32.h"
#include "core/settings/program_folder.h"
#include "shell/save/save_session_win32.h"
#include "core/texts/capture_messages.h"

namespace tf {
namespace {

class WindowsCaptureHost : public ManualCaptureHost {
public:
    explicit WindowsCaptureHost(Application& app) : app_(app) {}
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
    uint16_t enterKeyState() override { return static_cast<uint16_t>(GetAsyncKeyState(VK_RETURN)); }
    PixelImage grab() override { return grabScreenRect(app_.selection.captureRect); }
    std::filesystem::path createLogFolder() override {
        return createCaptureLogFolder(app_.settings.captureLoggingEnabled, executableFolder());
    }
    bool saveInProgress() override { return app_.save.inProgress; }
    UiState uiState() override { return currentUiState(app_); }
    std::wstring failureText(const CaptureFailure& failure) override {
        return captureFailureText(failure, app_.settings.language);
    }
    void failCapture(const CaptureFailure& failure) override {
        const std::wstring text = failureText(failure);
        failCaptureAndShowMain(app_, text.c_str(), captureFailureIsWarning(failure) ? MB_ICONWARNING : MB_ICONERROR);
    }
    void startStitchAndSave(std::vector<PixelImage> frames) override { tf::startStitchAndSave(app_, std::move(frames)); }

private:
    Application& app_;
};

// A manual capture between timer ticks. The host is declared first so that
// it outlives the capture that holds a reference to it.
struct ManualSession {
    WindowsCaptureHost host;
    ManualCapture capture;
    ManualSession(Application& app, const CaptureRequest& request) : host(app), capture(host, request) {}
};

std::unique_ptr<ManualSession> manualSession;

UINT_PTR manualTimer() { return static_cast<UINT_PTR>(TimerId::ManualCapture); }

// Shows what a start or a tick reported and arms the next tick. The timer is
// one-shot (killed when it fires, armed again here) so that a message box
// shown inside a tick, whose loop delivers WM_TIMER, cannot start a nested tick.
void followManualTick(Application& app, const ManualTick& t) {
    if (t.redraw) {
        manualStrip = t.strip;
        if (app.overlayWindow != nullptr && currentUiState(app) == UiState::Capturing) redrawOverlay(app);
    }
    if (t.running && app.mainWindow != nullptr &&
        SetTimer(app.mainWindow, manualTimer(), kManualTickMs, nullptr) != 0) {
        return;
    }
    if (t.running) {
        // Without a timer nothing would ever look at the area again: save
        // what was kept rather than leave the overlay up for ever.
        requestFinish();
        followManualTick(app, manualSession->capture.tick());
        return;
    }
    manualCaptureRunning = false;
    manualStrip = ManualStrip::Following;
    manualSession.reset();
}

}  // namespace

bool manualCaptureRunning = false;
CaptureKind lastCaptureKind = CaptureKind::Scrolled;
ManualStrip manualStrip = ManualStrip::Following;

void runCaptureFromMainWindow(Application& app) {
    const CaptureRequest request{app.selection.captureRect, app.selection.captureRectValid};
    if (app.settings.scrollMode == ScrollMode::Manual) {
        if (manualSession) return;  // one capture at a time; the running one owns the overlay
        lastCaptureKind = CaptureKind::PersonScrolled;
        manualSession = std::make_unique<ManualSession>(app, request);
        manualCaptureRunning = true;
        manualStrip = ManualStrip::Following;
        followManualTick(app, manualSession->capture.start());
        return;
    }
    WindowsCaptureHost host(app);
    const CaptureOutcome outcome = runCapture(host, request);
    lastCaptureKind = outcome.pageNeverMoved ? CaptureKind::NeverScrolled : CaptureKind::Scrolled;
}

void onManualCaptureTimer(Application& app) {
    if (app.mainWindow != nullptr) KillTimer(app.mainWindow, manualTimer());
    if (!manualSession) return;
    followManualTick(app, manualSession->capture.tick());
}

}  // namespace tf
