#include "core/capture/capture_controller.h"

#include <optional>
#include <utility>

#include "core/capture/capture_rules.h"
#include "core/capture/capture_session.h"
#include "core/capture/probe_verdict.h"
#include "core/tuning.h"

namespace tf {

namespace {

class Controller {
public:
    Controller(CaptureHost& host, const CaptureRequest& request) : host_(host), session_(host, request) {}

    CaptureOutcome run();

private:
    // The search for the next frame to keep.
    struct Step {
        int32_t number = 1;        // of the frame sought, as the log counts it
        PixelImage pending;        // the furthest grab that moved, but not yet far enough
        bool hasPending = false;
        int32_t pendingOverlap = 0;
        int32_t stillCount = 0;    // probes in a row that showed no motion
        bool kept = false;         // a frame was kept in this step
    };

    CaptureEnding captureWithHiddenCursor();
    CaptureEnding scrollToTheEnd();
    void seekFrame(Step& step, CaptureEnding& ending);
    bool probe(Step& step, int32_t probeNumber, CaptureEnding& ending);
    std::optional<PixelImage> settledGrab();
    bool actOnVerdict(Step& step, int32_t probeNumber, PixelImage candidate, CaptureEnding& ending);

    void escapeCheck() {
        if ((host_.escapeKeyState() & kKeyDownOrPressed) != 0 && host_.uiState() == UiState::Capturing)
            session_.requestFinish();
    }
    // False when a finish was requested while waiting.
    bool waitWithEscape(uint32_t ms) {
        const uint64_t start = host_.tickCount();
        do {
            escapeCheck();
            if (session_.finishRequested()) return false;
            host_.sleep(kPollMs);
        } while (host_.tickCount() < start + ms);
        escapeCheck();
        return !session_.finishRequested();
    }
    void centreCursor() {
        const Rect& r = session_.rect();
        host_.setCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    }

    CaptureHost& host_;
    CaptureSession session_;
    int32_t wheelDelta_ = 0;
    int32_t stillLimit_ = 0;
    int32_t maxProbes_ = 0;
    int32_t stepMotion_ = 0;
};

// Hides the pointer for as long as it lives, so that the pointer stays out of
// the grabs, and shows it again as often as it was hidden, however the capture
// ends.
class HiddenCursor {
public:
    explicit HiddenCursor(CaptureHost& host) : host_(host) {
        if (!host_.cursorShowing()) return;
        while (hides_ < kMaxCursorHides) {
            ++hides_;
            if (host_.showCursor(false) < 0) break;
        }
    }
    ~HiddenCursor() {
        for (int32_t i = 0; i < hides_; ++i) host_.showCursor(true);
    }
    HiddenCursor(const HiddenCursor&) = delete;
    HiddenCursor& operator=(const HiddenCursor&) = delete;

private:
    CaptureHost& host_;
    int32_t hides_ = 0;
};

CaptureOutcome Controller::run() {
    CaptureOutcome out;
    if (!session_.begin()) return out;
    out.started = true;
    wheelDelta_ = wheelDeltaForLines(session_.wheelScrollLines());
    if (wheelDelta_ == 0) {
        // Before any other effect: nothing is grabbed or logged.
        out.failure = {CaptureError::WheelDisabled};
        session_.end({.reachedEnd = false, .finishedByUser = false, .failure = out.failure});
        return out;
    }
    const CaptureEnding ending = captureWithHiddenCursor();
    out.reachedEnd = ending.reachedEnd;
    out.finishedByUser = ending.finishedByUser;
    out.frameCount = session_.frames().size();
    out.failure = ending.failure;
    out.pageNeverMoved = ending.reachedEnd && !ending.failure.failed() && out.frameCount == 1;
    session_.end(ending);
    return out;
}

// From the first grab to the last probe, with the pointer parked over the
// rectangle (where the wheel input goes) and hidden.
CaptureEnding Controller::captureWithHiddenCursor() {
    const HiddenCursor hidden(host_);
    centreCursor();
    host_.sleep(kCursorParkWaitMs);
    session_.openLog(wheelDelta_);
    session_.keep(session_.grabDumped("initial"));
    return scrollToTheEnd();
}

// One step per frame sought, until the page ends, the user finishes, a probe
// fails or kMaxCaptureFrames - 1 steps are done.
CaptureEnding Controller::scrollToTheEnd() {
    stillLimit_ = stillProbeLimit(wheelDelta_);
    maxProbes_ = probeLimit(stillLimit_);
    CaptureEnding ending;
    for (int32_t number = 1; number < kMaxCaptureFrames; ++number) {
        Step step;
        step.number = number;
        seekFrame(step, ending);
        // A user stop keeps only the frames kept so far: the pending frame
        // and any candidate are dropped.
        if (ending.finishedByUser) return ending;
        if (ending.failure.failed() || ending.reachedEnd) break;
        // Probes ran out: keep the furthest grab that moved.
        if (!step.kept && step.hasPending) session_.keep(std::move(step.pending));
    }
    if (!ending.failure.failed() && session_.frames().size() >= static_cast<size_t>(kMaxCaptureFrames))
        ending.failure = {CaptureError::FrameLimit};
    return ending;
}

// Probes until the step is over or its probes run out.
void Controller::seekFrame(Step& step, CaptureEnding& ending) {
    for (int32_t probeNumber = 0; probeNumber < maxProbes_; ++probeNumber)
        if (probe(step, probeNumber, ending)) return;
}

// One probe: a notch at the rectangle's centre, the wheel wait, a settled grab
// and the verdict on it. True when the step is over; `ending` then tells
// whether the capture is over too.
bool Controller::probe(Step& step, int32_t probeNumber, CaptureEnding& ending) {
    escapeCheck();
    if (session_.finishRequested()) {
        ending.finishedByUser = true;
        return true;
    }
    // The user may have moved the mouse.
    centreCursor();
    if (host_.sendWheel(wheelDelta_) != 1) {
        ending.failure = {CaptureError::WheelInputFailed};
        return true;
    }
    std::optional<PixelImage> candidate;
    if (waitWithEscape(kWheelWaitMs)) candidate = settledGrab();
    if (!candidate) {
        ending.finishedByUser = true;
        return true;
    }
    return actOnVerdict(step, probeNumber, std::move(*candidate), ending);
}

// The grab after a notch, grabbed again until two grabs in a row agree or
// kSettleGrabs more were taken; empty when a finish was requested meanwhile.
std::optional<PixelImage> Controller::settledGrab() {
    PixelImage candidate = session_.grabDumped("candidate");
    for (int32_t i = 0; i < kSettleGrabs; ++i) {
        if (!waitWithEscape(kSettleWaitMs)) return std::nullopt;
        PixelImage settled = session_.grabDumped("settle");
        const bool same = framesNearlyIdentical(candidate, settled);
        candidate = std::move(settled);
        if (same) break;
    }
    return candidate;
}

// True when the verdict ends the step: a frame kept, the page ended or the
// overlap lost.
bool Controller::actOnVerdict(Step& step, int32_t probeNumber, PixelImage candidate, CaptureEnding& ending) {
    const ProbeVerdict v = classifyProbe(
        {session_.frames().back(), step.hasPending ? &step.pending : nullptr, step.pendingOverlap, stepMotion_},
        candidate);
    stepMotion_ = v.stepMotion;
    session_.recordProbe(step.number, probeNumber, v.action, v);
    switch (v.action) {
    case CaptureAction::NoMotion:
        if (++step.stillCount < stillLimit_) return false;
        // The page has ended; a pending frame is its last part.
        if (step.hasPending) session_.keep(std::move(step.pending));
        step.hasPending = false;
        ending.reachedEnd = true;
        return true;
    case CaptureAction::KeepScrolling:
        step.pending = std::move(candidate);
        step.hasPending = true;
        step.pendingOverlap = v.overlap;
        step.stillCount = 0;
        return false;
    case CaptureAction::AcceptFrame:
        session_.keep(std::move(candidate));
        step.kept = true;
        return true;
    case CaptureAction::LostOverlap:
        break;
    }
    ending.failure = {CaptureError::LostOverlap, v.overlap, v.score};
    return true;
}

}  // namespace

CaptureOutcome runCapture(CaptureHost& host, const CaptureRequest& request) {
    Controller controller(host, request);
    return controller.run();
}

}  // namespace tf
