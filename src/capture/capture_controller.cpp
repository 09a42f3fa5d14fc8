#include "capture/capture_controller.h"

#include <cmath>
#include <fstream>

#include "capture/capture_log.h"
#include "capture/capture_rules.h"
#include "stitch/matcher.h"
#include "stitch/side_panels.h"
#include "stitch/small_shift.h"

namespace tf {

std::atomic<uint32_t> capturedFrameCount{0};
std::atomic<int64_t> capturedHeightPx{0};

void resetCapturedProgress() {
    capturedFrameCount.exchange(0);
    capturedHeightPx.exchange(0);
}

namespace {

constexpr uint16_t kKeyDownOrPressed = 0x8001;
constexpr uint32_t kPollMs = 15;
constexpr uint32_t kWheelWaitMs = 300;
constexpr uint32_t kSettleWaitMs = 80;
constexpr int32_t kSettleGrabs = 5;
// ShowCursor keeps a counter; a host that never reports it negative must not
// keep the loop going for ever.
constexpr int32_t kMaxCursorHides = 64;

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
            CaptureAction action;
            int32_t overlap = 0;
            double score = kInvalidScore;
            int32_t expected = 0;
            int32_t identicalRows = 0;
            const bool stillVsLast = framesNearlyIdentical(last, candidate);
            const bool stillVsPending = hasPending && framesNearlyIdentical(pending, candidate);
            // Motion of a few rows, which the matcher cannot see and the sparse
            // still test may miss, is measured against the furthest grab of
            // this step: it is real motion (a page's last notch, or a page that
            // moves that little with every notch) and its rows must be kept.
            const PixelImage& reference = hasPending ? pending : last;
            const int32_t fewRows = hasPending && stillVsLast
                                        ? 0
                                        : smallShiftRows(reference, candidate, detectSidePanels(reference, candidate));
            if (fewRows > 0) {
                overlap = (hasPending ? pendingOverlap : last.height) - fewRows;
                score = 0.0;
                action = overlap > keepScrollingOverlapLimit(last.height) ? CaptureAction::KeepScrolling
                                                                          : CaptureAction::AcceptFrame;
            } else if (stillVsLast) {
                action = CaptureAction::NoMotion;
            } else if (!stillVsPending && hasPending && movedByFewRows(last, candidate)) {
                // Back within a few rows of the last kept frame: nothing new to keep.
                action = CaptureAction::NoMotion;
            } else {
                double tolerance = 0.7;
                if (stepMotion > 0) {
                    tolerance = 1.5;
                    const int32_t base = hasPending ? pendingOverlap : last.height;
                    if (last.height > 1 && base > 0)
                        expected = std::min(std::max(base - stepMotion, 1), last.height - 1);
                }
                // A side panel that stays put (a table of contents) is left out of the comparison.
                const MatchResult result = matchFramesBetweenPanels(last, candidate, expected, tolerance,
                                                                    detectSidePanels(last, candidate));
                overlap = result.overlap;
                score = result.score;
                identicalRows = result.identicalRows;
                if (stillVsPending) {
                    action = CaptureAction::NoMotion;
                } else if (!result.matched) {
                    action = CaptureAction::LostOverlap;
                } else if (overlap > keepScrollingOverlapLimit(last.height)) {
                    action = CaptureAction::KeepScrolling;
                } else {
                    action = CaptureAction::AcceptFrame;
                }
            }
            host_.probeClassified({step, probe, action, overlap, score, expected});
            if (logOpen()) {
                writeCaptureLogProbe(log_, step, probe, static_cast<int32_t>(action), overlap, score, expected);
                if (fewRows > 0) writeCaptureLogLine(log_, "smallShift=" + std::to_string(fewRows));
                if (identicalRows > 0 && action != CaptureAction::NoMotion)
                    writeCaptureLogLine(log_, "identicalRows=" + std::to_string(identicalRows));
            }

            if (action == CaptureAction::KeepScrolling || action == CaptureAction::AcceptFrame) {
                const int32_t m = (last.height - overlap) - (hasPending ? last.height - pendingOverlap : 0);
                if (m > 0) stepMotion = m;
            }

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
                pendingOverlap = overlap;
                stillCount = 0;
            } else if (action == CaptureAction::AcceptFrame) {
                append(std::move(candidate));
                addedThisStep = true;
                break;
            } else {
                failure = {CaptureError::LostOverlap, overlap, score};
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
