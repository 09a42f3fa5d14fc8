// The Windows side of the capture loops: the loops' host over the real input,
// clock and screen, the capture driver that owns what the overlay shows of a
// capture and its finish request, and the timer that drives a manual capture.

#include <windows.h>

#include <memory>
#include <optional>

#include "shell/app/app_globals_win32.h"
#include "core/app/control_ids.h"
#include "shell/app/page_driver_win32.h"
#include "core/capture/capture_controller.h"
#include "shell/capture/capture_globals_win32.h"
#include "core/capture/capture_log.h"
#include "core/capture/capture_rules.h"
#include "core/capture/manual_capture.h"
#include "shell/capture/screen_grab_win32.h"
#include "shell/capture/scroll_target_win32.h"
#include "core/settings/program_folder.h"
#include "shell/app/commands_win32.h"
#include "core/texts/capture_messages.h"

namespace tf {
namespace {

// Every part of a capture over the real system, on the GUI thread.
class WindowsCaptureHost final : public CapturePointer,
                                 public ScrollInput,
                                 public FinishKeys,
                                 public CaptureScreen,
                                 public WaitingClock,
                                 public CaptureSink {
public:
    // The latch and the record are the capture driver's and outlive the host.
    WindowsCaptureHost(Application& app, FinishLatch& finish, CaptureProgressRecord& progress,
                       ScrollDirection direction)
        : app_(app),
          finish_(finish),
          progress_(progress),
          scrollTarget_(direction == ScrollDirection::Right ? kHorizontalAxis : kVerticalAxis) {}

    CaptureHost automatic() { return {parts(), *this, *this, *this}; }
    ManualCaptureHost manual() { return {parts(), *this}; }

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
    uint32_t sendSidewaysWheel(int32_t delta, bool shifted) override {
        if (!shifted) {
            INPUT input{};
            input.type = INPUT_MOUSE;
            input.mi.mouseData = static_cast<DWORD>(delta);
            input.mi.dwFlags = MOUSEEVENTF_HWHEEL;
            return SendInput(1, &input, sizeof(INPUT));
        }
        // Shift down, the notch, Shift up in one call, so that no input of
        // the person's lands between them; all three or the notch failed.
        INPUT inputs[3]{};
        inputs[0].type = INPUT_KEYBOARD;
        inputs[0].ki.wVk = VK_SHIFT;
        inputs[1].type = INPUT_MOUSE;
        inputs[1].mi.mouseData = static_cast<DWORD>(delta);
        inputs[1].mi.dwFlags = MOUSEEVENTF_WHEEL;
        inputs[2] = inputs[0];
        inputs[2].ki.dwFlags = KEYEVENTF_KEYUP;
        const UINT sent = SendInput(3, inputs, sizeof(INPUT));
        if (sent == 1) {
            // Shift went down alone: never leave it held.
            SendInput(1, &inputs[2], sizeof(INPUT));
        }
        return sent == 3 ? 1 : 0;
    }
    int32_t findScrollTargets(Point at) override { return scrollTarget_.find(POINT{at.x, at.y}); }
    bool sendScrollStep(const ScrollRoute& route) override { return scrollTarget_.sendStep(route); }
    void sendToTop() override { scrollTarget_.sendToStart(); }
    IntegrityLevel ownIntegrity() override { return ownProcessIntegrity(); }
    IntegrityLevel targetIntegrity() override { return scrollTarget_.integrity(); }
    void sleep(uint32_t ms) override { Sleep(ms); }
    uint64_t tickCount() override { return GetTickCount64(); }
    uint16_t escapeKeyState() override { return static_cast<uint16_t>(GetAsyncKeyState(VK_ESCAPE)); }
    uint16_t enterKeyState() override { return static_cast<uint16_t>(GetAsyncKeyState(VK_RETURN)); }
    PixelImage grab(const Rect& rect) override { return grabScreenRect(rect); }
    std::filesystem::path createLogFolder() override {
        return createCaptureLogFolder(app_.settings.captureLoggingEnabled, executableFolder());
    }
    void progressChanged(const CaptureProgress& progress) override {
        progress_.frameCount = progress.frameCount;
        progress_.heightPx = progress.heightPx;
        progress_.strip = progress.strip;
        progress_.direction = progress.direction;
    }
    // The frames are handed over whole when the capture ends.
    void frameKept(size_t, const PixelImage&) override {}
    std::wstring failureText(const CaptureFailure& failure) override {
        return captureFailureText(failure, app_.settings.language);
    }
    void captureFailed(const CaptureFailure& failure) override {
        const std::wstring text = failureText(failure);
        failCaptureAndShowMain(app_, text.c_str(), captureFailureIsWarning(failure) ? MB_ICONWARNING : MB_ICONERROR);
    }
    void captureFinished(TurnedFrames frames) override { saveCapture(app_, std::move(frames)); }

private:
    CaptureParts parts() { return {*this, *this, *this, finish_}; }

    Application& app_;
    FinishLatch& finish_;
    CaptureProgressRecord& progress_;
    ScrollTarget scrollTarget_;
};

}  // namespace

// A manual capture between timer ticks. The host is declared first so that
// it outlives the capture that holds a reference to it.
struct ManualSession {
    WindowsCaptureHost host;
    ManualCapture capture;
    ManualSession(Application& app, FinishLatch& finish, CaptureProgressRecord& progress, const CaptureRequest& request)
        : host(app, finish, progress, request.direction), capture(host.manual(), request) {}
};

CaptureDriver::CaptureDriver() = default;
CaptureDriver::~CaptureDriver() = default;

namespace {

UINT_PTR manualTimer() { return static_cast<UINT_PTR>(TimerId::ManualCapture); }

// Shows what a start or a tick reported and arms the next tick. The timer is
// one-shot (killed when it fires, armed again here) so that a message box
// shown inside a tick, whose loop delivers WM_TIMER, cannot start a nested tick.
void followManualTick(Application& app, const ManualTick& t) {
    CaptureDriver& driver = app.capture;
    if (t.redraw && app.overlayWindow != nullptr && currentUiState(app) == UiState::Capturing) redrawOverlay(app);
    if (t.running && app.mainWindow != nullptr &&
        SetTimer(app.mainWindow, manualTimer(), kManualTickMs, nullptr) != 0) {
        return;
    }
    if (t.running) {
        // Without a timer nothing would ever look at the area again: save
        // what was kept rather than leave the overlay up for ever.
        driver.finish.request();
        followManualTick(app, driver.manual->capture.tick());
        return;
    }
    driver.progress.manualRunning = false;
    driver.progress.strip = ManualStrip::Following;
    driver.manual.reset();
}

}  // namespace

const CaptureProgressRecord& captureProgress(const Application& app) { return app.capture.progress; }

void requestCaptureFinish(Application& app) { app.capture.finish.request(); }

namespace {

std::optional<uint32_t> systemWheelSetting(UINT action) {
    UINT read = 3;
    if (!SystemParametersInfoW(action, 0, &read, 0)) return std::nullopt;
    return read;
}

}  // namespace

void runCaptureFromMainWindow(Application& app) {
    CaptureDriver& driver = app.capture;
    if (!captureMayStart(currentUiState(app), app.save.inProgress)) return;
    const CaptureRequest request{app.selection.captureRect, app.selection.captureRectValid, app.settings.startFromTop,
                                 app.selection.direction,
                                 {systemWheelSetting(SPI_GETWHEELSCROLLLINES), systemWheelSetting(SPI_GETWHEELSCROLLCHARS)}};
    if (app.settings.scrollMode == ScrollMode::Manual) {
        if (driver.manual) return;  // one capture at a time; the running one owns the overlay
        driver.lastKind = CaptureKind::PersonScrolled;
        driver.progress = CaptureProgressRecord{.manualRunning = true, .direction = request.direction};
        driver.manual =
            std::make_unique<ManualSession>(app, driver.finish, driver.progress, request);
        followManualTick(app, driver.manual->capture.start());
        return;
    }
    driver.progress = CaptureProgressRecord{.direction = request.direction};
    WindowsCaptureHost host(app, driver.finish, driver.progress, request.direction);
    const CaptureOutcome outcome = runCapture(host.automatic(), request);
    driver.lastKind = outcome.pageNeverMoved ? CaptureKind::NeverScrolled : CaptureKind::Scrolled;
}

void onManualCaptureTimer(Application& app) {
    CaptureDriver& driver = app.capture;
    if (app.mainWindow != nullptr) KillTimer(app.mainWindow, manualTimer());
    if (!driver.manual) return;
    followManualTick(app, driver.manual->capture.tick());
}

}  // namespace tf
