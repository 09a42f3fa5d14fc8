// The Windows side of the capture loops: where their results go on the GUI
// thread, the capture driver that owns what the overlay shows of a capture
// and its finish request, the timer that drives a manual capture and the
// worker thread that runs an automatic one.

#include <windows.h>

#include <cwchar>
#include <memory>
#include <utility>

#include "shell/app/app_globals_win32.h"
#include "core/app/control_ids.h"
#include "shell/app/page_driver_win32.h"
#include "core/capture/capture_controller.h"
#include "shell/capture/automatic_capture_win32.h"
#include "shell/capture/capture_globals_win32.h"
#include "core/capture/capture_rules.h"
#include "core/capture/manual_capture.h"
#include "shell/capture/system_capture_win32.h"
#include "shell/app/commands_win32.h"
#include "core/texts/capture_messages.h"
#include "core/texts/texts.h"

namespace tf {
namespace {

void showFailure(Application& app, const CaptureFailure& failure) {
    const std::wstring text = captureFailureText(failure, app.settings.language);
    failCaptureAndShowMain(app, text.c_str(), captureFailureIsWarning(failure) ? MB_ICONWARNING : MB_ICONERROR);
}

void copyProgress(CaptureProgressRecord& record, const CaptureProgress& progress) {
    record.frameCount = progress.frameCount;
    record.heightPx = progress.heightPx;
    record.strip = progress.strip;
    record.direction = progress.direction;
}

void redrawWhileCapturing(Application& app) {
    if (app.overlayWindow != nullptr && currentUiState(app) == UiState::Capturing) redrawOverlay(app);
}

// A manual capture's results, on the GUI thread that runs its ticks.
class WindowsCaptureSink final : public CaptureSink {
public:
    explicit WindowsCaptureSink(Application& app) : app_(app) {}
    void progressChanged(const CaptureProgress& progress) override { copyProgress(app_.capture.progress, progress); }
    // The frames are handed over whole when the capture ends.
    void frameKept(size_t, const PixelImage&) override {}
    std::wstring failureText(const CaptureFailure& failure) override {
        return captureFailureText(failure, app_.settings.language);
    }
    void captureFailed(const CaptureFailure& failure) override { showFailure(app_, failure); }
    void captureFinished(TurnedFrames frames) override { saveCapture(app_, std::move(frames)); }

private:
    Application& app_;
};

void endAutomaticCapture(Application& app, AutomaticCaptureEnd end);

// What the overlay and the main window make of an automatic capture's worker.
class OverlayShowsAutomatic final : public AutomaticCaptureWatcher {
public:
    explicit OverlayShowsAutomatic(Application& app) : app_(app) {}
    void progressChanged(const CaptureProgress& progress) override {
        copyProgress(app_.capture.progress, progress);
        redrawWhileCapturing(app_);
    }
    void progressTick() override { redrawWhileCapturing(app_); }
    void captureEnded(AutomaticCaptureEnd end) override { endAutomaticCapture(app_, std::move(end)); }

private:
    Application& app_;
};

}  // namespace

// A manual capture between timer ticks. The parts are declared first so that
// they outlive the capture that holds references to them.
struct ManualSession {
    SystemCapture system;
    WindowsCaptureSink sink;
    CaptureRequest request;
    ManualCapture capture;
    ManualSession(Application& app, FinishLatch& finish, const CaptureRequest& request)
        : system(app.settings.captureLoggingEnabled, request.direction),
          sink(app),
          request(request),
          capture(ManualCaptureHost{{system, system, sink, finish}, system}, request) {}
};

// An automatic capture on its worker; the watcher outlives the capture.
struct AutomaticSession {
    OverlayShowsAutomatic watcher;
    AutomaticCapture capture;
    int32_t maxFrames;
    AutomaticSession(Application& app, int32_t maxFrames)
        : watcher(app), capture(app.instance, watcher, app.capture.finish), maxFrames(maxFrames) {}
};

CaptureDriver::CaptureDriver() = default;
CaptureDriver::~CaptureDriver() = default;

namespace {

UINT_PTR manualTimer() { return static_cast<UINT_PTR>(TimerId::ManualCapture); }

// The end-to-end tests reach the limit with a few frames rather than with
// minutes of scrolling; the variable can only lower it.
int32_t captureFrameLimit() {
    wchar_t value[16] = {};
    const DWORD n = GetEnvironmentVariableW(L"TALLYFRAME_TEST_FRAME_LIMIT", value, 16);
    if (n == 0 || n >= 16) return kMaxCaptureFrames;
    const long limit = std::wcstol(value, nullptr, 10);
    return limit >= 2 && limit < kMaxCaptureFrames ? static_cast<int32_t>(limit) : kMaxCaptureFrames;
}

// Shows what a start or a tick reported and arms the next tick. The timer is
// one-shot (killed when it fires, armed again here) so that a message box
// shown inside a tick, whose loop delivers WM_TIMER, cannot start a nested tick.
void followManualTick(Application& app, const ManualTick& t) {
    CaptureDriver& driver = app.capture;
    if (t.redraw) redrawWhileCapturing(app);
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
    driver.lastStoppedAtLimit =
        driver.manual->capture.outcome().end == ManualCaptureEnd::FrameLimit ? driver.manual->request.maxFrames : 0;
    driver.manual.reset();
}

// The worker has been joined: the relay goes first, so that a message box
// shown below cannot deliver anything more of this capture.
void endAutomaticCapture(Application& app, AutomaticCaptureEnd end) {
    CaptureDriver& driver = app.capture;
    const int32_t maxFrames = driver.automatic ? driver.automatic->maxFrames : 0;
    driver.automatic.reset();
    driver.lastKind = end.outcome.pageNeverMoved ? CaptureKind::NeverScrolled : CaptureKind::Scrolled;
    driver.lastStoppedAtLimit = end.outcome.stoppedAtLimit ? maxFrames : 0;
    if (end.frames) {
        saveCapture(app, std::move(*end.frames));
    } else if (end.failure.failed()) {
        showFailure(app, end.failure);
    } else if (end.outcome.started) {
        // The worker stopped in the middle (memory ran out): nothing was kept.
        failCaptureAndShowMain(app, tr(app.settings.language, texts::stitchFailedMessage), MB_ICONERROR);
    } else {
        failCaptureAndShowMain(app);
    }
}

}  // namespace

const CaptureProgressRecord& captureProgress(const Application& app) { return app.capture.progress; }

void requestCaptureFinish(Application& app) { app.capture.finish.request(); }

bool captureRunning(const Application& app) { return app.capture.automatic != nullptr || app.capture.manual != nullptr; }

void runCaptureFromMainWindow(Application& app) {
    CaptureDriver& driver = app.capture;
    // One capture at a time; the running one owns the overlay.
    if (!captureMayStart(currentUiState(app), app.save.inProgress) || captureRunning(app)) return;
    const CaptureRequest request{app.selection.captureRect, app.selection.captureRectValid, app.settings.startFromTop,
                                 app.selection.direction, systemWheelSettings(), captureFrameLimit()};
    driver.lastStoppedAtLimit = 0;
    if (app.settings.scrollMode == ScrollMode::Manual) {
        driver.lastKind = CaptureKind::PersonScrolled;
        driver.progress = CaptureProgressRecord{.manualRunning = true, .direction = request.direction};
        driver.manual = std::make_unique<ManualSession>(app, driver.finish, request);
        followManualTick(app, driver.manual->capture.start());
        return;
    }
    driver.progress = CaptureProgressRecord{.direction = request.direction};
    auto session = std::make_unique<AutomaticSession>(app, request.maxFrames);
    if (!session->capture.start(request, app.settings.captureLoggingEnabled, app.settings.language)) {
        failCaptureAndShowMain(app, tr(app.settings.language, texts::overlayFailedMessage), MB_ICONERROR);
        return;
    }
    driver.automatic = std::move(session);
}

void onManualCaptureTimer(Application& app) {
    CaptureDriver& driver = app.capture;
    if (app.mainWindow != nullptr) KillTimer(app.mainWindow, manualTimer());
    if (!driver.manual) return;
    followManualTick(app, driver.manual->capture.tick());
}

}  // namespace tf
