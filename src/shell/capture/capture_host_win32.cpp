// The Windows side of the capture loops: where their results go on the GUI
// thread, the capture driver that owns what the overlay shows of a capture
// and its finish request, the timer that drives a manual capture and the
// worker thread that runs an automatic one.

#include <windows.h>

#include <cwchar>
#include <memory>
#include <utility>

#include "core/app/control_ids.h"
#include "core/capture/capture_controller.h"
#include "shell/capture/automatic_capture_win32.h"
#include "shell/capture/capture_globals_win32.h"
#include "core/capture/capture_rules.h"
#include "core/capture/manual_capture.h"
#include "shell/capture/system_capture_win32.h"
#include "core/texts/capture_messages.h"
#include "core/texts/texts.h"

namespace tf {
namespace {

void showFailure(CaptureArea& area, const CaptureFailure& failure) {
    const std::wstring text = captureFailureText(failure, area.shell.settings().language);
    area.shell.failCapture(text.c_str(), captureFailureIsWarning(failure) ? MB_ICONWARNING : MB_ICONERROR);
}

void copyProgress(CaptureProgressRecord& record, const CaptureProgress& progress) {
    record.frameCount = progress.frameCount;
    record.heightPx = progress.heightPx;
    record.strip = progress.strip;
    record.direction = progress.direction;
}

void redrawWhileCapturing(CaptureArea& area) {
    if (area.overlayWindow != nullptr && area.shell.uiState() == UiState::Capturing) redrawOverlay(area);
}

// A manual capture's results, on the GUI thread that runs its ticks.
class WindowsCaptureSink final : public CaptureSink {
public:
    explicit WindowsCaptureSink(CaptureArea& area) : area_(area), feed_(liveStitchFolder()) {}
    void progressChanged(const CaptureProgress& progress) override { copyProgress(area_.driver.progress, progress); }
    // Only the frames handed on matter: they are joined as they come.
    void frameKept(size_t, const PixelImage&) override {}
    void frameHandedOn(PixelImage frame) override { feed_.add(std::move(frame)); }
    std::wstring failureText(const CaptureFailure& failure) override {
        return captureFailureText(failure, area_.shell.settings().language);
    }
    void captureFailed(const CaptureFailure& failure) override {
        feed_.take();  // its temporary files go now
        showFailure(area_, failure);
    }
    void captureFinished(ScrollDirection direction) override {
        area_.shell.saveCapture({feed_.take(), direction});
    }

private:
    CaptureArea& area_;
    LiveStitchFeed feed_;
};

void endAutomaticCapture(CaptureArea& area, AutomaticCaptureEnd end);

// What the overlay and the main window make of an automatic capture's worker.
class OverlayShowsAutomatic final : public AutomaticCaptureWatcher {
public:
    explicit OverlayShowsAutomatic(CaptureArea& area) : area_(area) {}
    void progressChanged(const CaptureProgress& progress) override {
        copyProgress(area_.driver.progress, progress);
        redrawWhileCapturing(area_);
    }
    void progressTick() override { redrawWhileCapturing(area_); }
    void captureEnded(AutomaticCaptureEnd end) override { endAutomaticCapture(area_, std::move(end)); }

private:
    CaptureArea& area_;
};

}  // namespace

// A manual capture between timer ticks. The parts are declared first so that
// they outlive the capture that holds references to them.
struct ManualSession {
    SystemCapture system;
    WindowsCaptureSink sink;
    CaptureRequest request;
    ManualCapture capture;
    ManualSession(CaptureArea& area, FinishLatch& finish, const CaptureRequest& request)
        : system(area.shell.settings().captureLoggingEnabled, request.direction),
          sink(area),
          request(request),
          capture(ManualCaptureHost{{system, system, sink, finish}, system}, request) {}
};

// An automatic capture on its worker; the watcher outlives the capture.
struct AutomaticSession {
    OverlayShowsAutomatic watcher;
    AutomaticCapture capture;
    int32_t maxFrames;
    AutomaticSession(CaptureArea& area, int32_t maxFrames)
        : watcher(area), capture(area.instance, watcher, area.driver.finish), maxFrames(maxFrames) {}
};

CaptureDriver::CaptureDriver() = default;
CaptureDriver::~CaptureDriver() = default;

namespace {

UINT_PTR manualTimer() { return static_cast<UINT_PTR>(TimerId::ManualCapture); }

// The end-to-end tests reach the limits with a few frames rather than with
// minutes of scrolling; the variables can only lower them.
int64_t loweredLimit(const wchar_t* variable, int64_t lowest, int64_t limit) {
    wchar_t value[24] = {};
    const DWORD n = GetEnvironmentVariableW(variable, value, 24);
    if (n == 0 || n >= 24) return limit;
    const long long lowered = std::wcstoll(value, nullptr, 10);
    return lowered >= lowest && lowered < limit ? lowered : limit;
}

int32_t captureFrameLimit() {
    return static_cast<int32_t>(loweredLimit(L"TALLYFRAME_TEST_FRAME_LIMIT", 2, kMaxCaptureFrames));
}

int64_t capturePixelLimit() { return loweredLimit(L"TALLYFRAME_TEST_PIXEL_LIMIT", 1, kMaxCapturePixels); }

// Shows what a start or a tick reported and arms the next tick. The timer is
// one-shot (killed when it fires, armed again here) so that a message box
// shown inside a tick, whose loop delivers WM_TIMER, cannot start a nested tick.
void followManualTick(CaptureArea& area, const ManualTick& t) {
    CaptureDriver& driver = area.driver;
    if (t.redraw) redrawWhileCapturing(area);
    if (t.running && area.shell.mainWindow() != nullptr &&
        SetTimer(area.shell.mainWindow(), manualTimer(), kManualTickMs, nullptr) != 0) {
        return;
    }
    if (t.running) {
        // Without a timer nothing would ever look at the area again: save
        // what was kept rather than leave the overlay up for ever.
        driver.finish.request();
        followManualTick(area, driver.manual->capture.tick());
        return;
    }
    driver.progress.manualRunning = false;
    driver.progress.strip = ManualStrip::Following;
    driver.lastLimit = driver.manual->capture.outcome().limit;
    driver.lastFrameLimit = driver.manual->request.maxFrames;
    driver.manual.reset();
}

// The worker has been joined: the relay goes first, so that a message box
// shown below cannot deliver anything more of this capture.
void endAutomaticCapture(CaptureArea& area, AutomaticCaptureEnd end) {
    CaptureDriver& driver = area.driver;
    driver.lastFrameLimit = driver.automatic ? driver.automatic->maxFrames : 0;
    driver.automatic.reset();
    driver.lastKind = end.outcome.pageNeverMoved ? CaptureKind::NeverScrolled : CaptureKind::Scrolled;
    driver.lastLimit = end.outcome.limit;
    if (end.stitch) {
        area.shell.saveCapture(std::move(*end.stitch));
    } else if (end.failure.failed()) {
        showFailure(area, end.failure);
    } else if (end.outcome.started) {
        // The worker stopped in the middle (memory ran out): nothing was kept.
        area.shell.failCapture(tr(area.shell.settings().language, texts::stitchFailedMessage), MB_ICONERROR);
    } else {
        area.shell.failCapture(nullptr, MB_ICONERROR);
    }
}

}  // namespace

const CaptureProgressRecord& captureProgress(const CaptureArea& area) { return area.driver.progress; }

void requestCaptureFinish(CaptureArea& area) { area.driver.finish.request(); }

bool captureRunning(const CaptureArea& area) { return area.driver.automatic != nullptr || area.driver.manual != nullptr; }

void startCapture(CaptureArea& area) {
    CaptureDriver& driver = area.driver;
    // One capture at a time; the running one owns the overlay.
    if (!captureMayStart(area.shell.uiState(), area.shell.saveInProgress()) || captureRunning(area)) return;
    const Settings& settings = area.shell.settings();
    const CaptureRequest request{area.selection.captureRect, area.selection.captureRectValid, settings.startFromTop,
                                 area.selection.direction, systemWheelSettings(), captureFrameLimit(),
                                 capturePixelLimit()};
    driver.lastLimit = CaptureLimit::None;
    if (settings.scrollMode == ScrollMode::Manual) {
        driver.lastKind = CaptureKind::PersonScrolled;
        driver.progress = CaptureProgressRecord{.manualRunning = true, .direction = request.direction};
        driver.manual = std::make_unique<ManualSession>(area, driver.finish, request);
        followManualTick(area, driver.manual->capture.start());
        return;
    }
    driver.progress = CaptureProgressRecord{.direction = request.direction};
    auto session = std::make_unique<AutomaticSession>(area, request.maxFrames);
    if (!session->capture.start(request, settings.captureLoggingEnabled, settings.language)) {
        area.shell.failCapture(tr(settings.language, texts::overlayFailedMessage), MB_ICONERROR);
        return;
    }
    driver.automatic = std::move(session);
}

void onManualCaptureTimer(CaptureArea& area) {
    CaptureDriver& driver = area.driver;
    if (area.shell.mainWindow() != nullptr) KillTimer(area.shell.mainWindow(), manualTimer());
    if (!driver.manual) return;
    followManualTick(area, driver.manual->capture.tick());
}

}  // namespace tf
