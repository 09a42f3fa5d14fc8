#include "core/capture/capture_controller.h"

#include <cmath>
#include <fstream>

#include "core/capture/capture_log.h"
#include "core/capture/capture_rules.h"
#include "core/capture/probe_verdict.h"
#include "core/tuning.h"

namespace tf {

std::atomic<uint32_t> capturedFrameCount{0};
std::atomic<int64_t> capturedHeightPx{0};

void resetCapturedProgress() {
    capturedFrameCount.exchange(0);
    capturedHeightPx.exchange(0);
}

namespace {

class Controller {
public:
    Controller(CaptureHost& host, const CaptureRequest& request) : host_(host), request_(request) {}

    CaptureOutcome run();

private:
    void escapeCheck() {
        if ((host_.escapeKeyState() & kKeyDownOrPressed) != 0 && host_.uiState() == UiState::Capturing)
            requestFinish();
    }
    // False when a finish was requested while waiting.
    bool waitWithEscape(uint32_t ms) {
        const uint64_t start = host_.tickCount();
        do {
            escapeCheck();
            if (finishRequested.load()) return false;
            host_.sleep(kPollMs);
        } while (host_.tickCount() < start + ms);
        escapeCheck();
        return !finishRequested.load();
    }
    PixelImage grab(const char* label) {
        return grabFrame(dumper_, label, [this] { return host_.grab(); });
    }
    void centreCursor() {
        const Rect& r = request_.rect;
        host_.setCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    }
    void append(PixelImage frame) {
        frames_.push_back(std::move(frame));
        publish();
    }
    void publish() {
        const uint32_t n = static_cast<uint32_t>(frames_.size());
        capturedFrameCount.exchange(n);
        capturedHeightPx.exchange(frames_.empty() ? 0 : static_cast<int64_t>(n) * frames_.front().height);
    }
    bool logOpen() const { return log_.is_open() && log_.good(); }

    CaptureHost& host_;
    const CaptureRequest& request_;
    std::vector<PixelImage> frames_;
    FrameDumper dumper_;
    std::ofstream log_;
};

CaptureOutcome Controller::run() {
    CaptureOutcome out;
    if (host_.saveInProgress() || host_.uiState() != UiState::Capturing || !request_.rectValid) return out;
    out.started = true;

    uint32_t wheelLines = 3;
    if (!host_.wheelScrollLines(wheelLines)) wheelLines = 3;
    const int32_t wheelDelta = wheelDeltaForLines(wheelLines);
    if (wheelDelta == 0) {
        out.failure = {CaptureError::WheelDisabled};
        host_.failCapture(out.failure);
        return out;
    }

    // Forget an Esc press made before the capture; a key still held counts.
    host_.escapeKeyState();
    clearFinishRequest();

    int32_t hiddenCursorCount = 0;
    if (host_.cursorShowing()) {
        while (hiddenCursorCount < kMaxCursorHides) {
            ++hiddenCursorCount;
            if (host_.showCursor(false) < 0) break;
        }
    }
    centreCursor();
    host_.sleep(180);

    const std::filesystem::path logFolder = host_.createLogFolder();
    if (!logFolder.empty()) {
        log_.open(logFolder / "capture.log.txt", std::ios::binary | std::ios::trunc);
        if (logOpen()) writeCaptureLogHeader(log_, wheelLines, wheelDelta);
    }
    dumper_.folder = logFolder;
    dumper_.sequence = 0;

    append(grab("initial"));

    const int32_t stillLimit = stillProbeLimit(wheelDelta);
    const int32_t maxProbes = probeLimit(stillLimit);
    CaptureFailure failure;
    bool reachedEnd = false;
    bool finishedByUser = false;
    int32_t stepMotion = 0;
    int32_t step = 1;

    for (;;) {
        PixelImage pending;
        bool hasPending = false;
        int32_t pendingOverlap = 0;
        int32_t stillCount = 0;
        bool addedThisStep = false;
        for (int32_t probe = 0; probe < maxProbes; ++probe) {
            escapeCheck();
            if (finishRequested.load()) {
                finishedByUser = true;
                goto finish;
            }
            centreCursor();
            if (host_.sendWheel(wheelDelta) != 1) {
                failure = {CaptureError::WheelInputFailed};
                break;
            }
            if (!waitWithEscape(kWheelWaitMs)) {
                finishedByUser = true;
                goto finish;
            }
            PixelImage candidate = grab("candidate");
            for (int32_t i = 0; i < kSettleGrabs; ++i) {
                if (!waitWithEscape(kSettleWaitMs)) {
                    finishedByUser = true;
                    goto finish;
                }
                PixelImage settled = grab("settle");
                const bool same = framesNearlyIdentical(candidate, settled);
                candidate = std::move(settled);
                if (same) break;
            }

            const PixelImage& last = frames_.back();
            const ProbeVerdict v =
                classifyProbe({last, hasPending ? &pending : nullptr, pendingOverlap, stepMotion}, candidate);
            const CaptureAction action = v.action;
            stepMotion = v.stepMotion;
            host_.probeClassified({step, probe, action, v.overlap, v.score, v.expected});
            if (logOpen()) writeProbeVerdictLog(log_, step, probe, action, v);

            if (action == CaptureAction::NoMotion) {
                if (++stillCount >= stillLimit) {
                    if (hasPending) append(std::move(pending));
                    hasPending = false;
                    reachedEnd = true;
                    break;
                }
            } else if (action == CaptureAction::KeepScrolling) {
                pending = std::move(candidate);
                hasPending = true;
                pendingOverlap = v.overlap;
                stillCount = 0;
            } else if (action == CaptureAction::AcceptFrame) {
                append(std::move(candidate));
                addedThisStep = true;
                break;
            } else {
                failure = {CaptureError::LostOverlap, v.overlap, v.score};
                break;
            }
        }
        if (failure.failed() || reachedEnd) break;
        // Probes ran out: keep the furthest grab that moved.
        if (!addedThisStep && hasPending) append(std::move(pending));
        if (++step >= kMaxCaptureFrames) break;
    }

    if (!failure.failed() && frames_.size() >= static_cast<size_t>(kMaxCaptureFrames)) {
        failure = {CaptureError::FrameLimit};
    }
    finishedByUser = false;

finish:
    if (logOpen()) {
        writeCaptureLogSummary(log_, frames_.size(), reachedEnd, finishedByUser,
                               failure.failed() ? host_.failureText(failure) : std::wstring());
        log_.flush();
    }
    for (int32_t i = 0; i < hiddenCursorCount; ++i) host_.showCursor(true);

    out.reachedEnd = reachedEnd;
    out.finishedByUser = finishedByUser;
    out.frameCount = frames_.size();
    out.failure = failure;
    out.pageNeverMoved = reachedEnd && !failure.failed() && frames_.size() == 1;
    if (failure.failed()) {
        host_.failCapture(failure);
        frames_.clear();
    } else {
        host_.startStitchAndSave(std::move(frames_));
    }
    return out;
}

}  // namespace

CaptureOutcome runCapture(CaptureHost& host, const CaptureRequest& request) {
    Controller controller(host, request);
    return controller.run();
}

}  // namespace tf
