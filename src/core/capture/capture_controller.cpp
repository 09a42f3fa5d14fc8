#include "core/capture/capture_controller.h"

#include <optional>
#include <string>
#include <utility>

#include "core/capture/animated_rows.h"
#include "core/capture/capture_pacing.h"
#include "core/capture/capture_rules.h"
#include "core/capture/capture_session.h"
#include "core/capture/probe_verdict.h"
#include "core/tuning.h"

namespace tf {

namespace {

class Controller {
public:
    Controller(const CaptureHost& host, const CaptureRequest& request)
        : host_(host), session_(host.parts, request), startFromTop_(request.startFromTop) {}

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
        int32_t probeBudget = 0;   // probes this step may take; each route tried adds some
    };

    CaptureEnding captureWithHiddenCursor();
    CaptureEnding scrollToTheEnd();
    void seekFrame(Step& step, CaptureEnding& ending);
    bool probe(Step& step, int32_t probeNumber, CaptureEnding& ending);
    bool sendScrollStep(Step& step, CaptureEnding& ending);
    PixelImage firstFrame();
    std::optional<PixelImage> pacedGrab();
    bool pauseBetweenGrabs(uint64_t grabStartedAt);
    void sendToTopAndSettle();
    bool actOnVerdict(Step& step, int32_t probeNumber, int32_t inputs, PixelImage candidate,
                      CaptureEnding& ending);
    void recordPace(int32_t inputs);
    bool onNoMotion(Step& step, CaptureEnding& ending);
    bool tryNextRoute(Step& step);
    void confirmRoute() {
        if (routeConfirmed_) return;
        routeConfirmed_ = true;
        session_.setScrollMethod(route_.method);
    }

    void escapeCheck() {
        if ((host_.parts.keys.escapeKeyState() & kKeyDownOrPressed) != 0) session_.requestFinish();
    }
    // False when a finish was requested while waiting.
    bool waitWithEscape(uint32_t ms) {
        const uint64_t start = host_.clock.tickCount();
        do {
            escapeCheck();
            if (session_.finishRequested()) return false;
            host_.clock.sleep(kPollMs);
        } while (host_.clock.tickCount() < start + ms);
        escapeCheck();
        return !session_.finishRequested();
    }
    Point centre() const {
        const Rect& r = session_.rect();
        return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }
    void centreCursor() {
        const Point c = centre();
        host_.pointer.setCursorPos(c.x, c.y);
    }

    CaptureHost host_;
    CaptureSession session_;
    // The pace: how long a probe watches the area, and how many inputs it sends.
    SettleTracker tracker_{kSettleStartMs};
    StepPlanner planner_;
    AnimatedRows animated_;  // rows the motion and still tests leave out
    Watch lastWatch_ = Watch::Watching;
    bool settleLearnt_ = false;  // a probe has watched a motion to its end
    PixelImage lastSeen_;        // the last grab of the previous probe: the picture before the inputs
    int32_t wheelDelta_ = 0;
    int32_t stillLimit_ = 0;
    int32_t maxProbes_ = 0;
    int32_t stepMotion_ = 0;
    bool startFromTop_ = false;
    // How the page is scrolled: the wheel first; while nothing has moved yet,
    // the next route after each one that moved nothing; once something moved,
    // that route for the rest of the capture.
    ScrollRoute route_;
    bool routeConfirmed_ = false;
    int32_t messageTargets_ = 0;
};

// Hides the pointer for as long as it lives, so that the pointer stays out of
// the grabs, and shows it again as often as it was hidden, however the capture
// ends.
class HiddenCursor {
public:
    explicit HiddenCursor(CapturePointer& pointer) : host_(pointer) {
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
    CapturePointer& host_;
    int32_t hides_ = 0;
};

CaptureOutcome Controller::run() {
    CaptureOutcome out;
    if (!session_.begin()) return out;
    out.started = true;
    wheelDelta_ = wheelDeltaForLines(session_.wheelScrollLines());
    // The horizontal wheel scrolls right on a positive delta, the vertical
    // one down on a negative delta; the log records the delta first sent.
    if (session_.direction() == ScrollDirection::Right) wheelDelta_ = -wheelDelta_;
    route_.direction = session_.direction();
    if (wheelDelta_ == 0) {
        // Before any other effect: nothing is grabbed or logged.
        out.failure = {CaptureError::WheelDisabled};
        session_.end({.reachedEnd = false, .finishedByUser = false, .failure = out.failure});
        return out;
    }
    messageTargets_ = host_.scroll.findScrollTargets(centre());
    if (inputBlockedByIntegrity(host_.scroll.ownIntegrity(), host_.scroll.targetIntegrity())) {
        // The system would drop every input we send; say so before sending any.
        out.failure = {CaptureError::TargetElevated};
        session_.end({.reachedEnd = false, .finishedByUser = false, .failure = out.failure});
        return out;
    }
    const CaptureEnding ending = captureWithHiddenCursor();
    out.reachedEnd = ending.reachedEnd;
    out.finishedByUser = ending.finishedByUser;
    out.limit = ending.limit;
    out.frameCount = session_.keptCount();
    out.failure = ending.failure;
    out.pageNeverMoved = ending.reachedEnd && !ending.failure.failed() && out.frameCount == 1;
    session_.end(ending);
    return out;
}

// From the first grab to the last probe, with the pointer parked over the
// rectangle (where the wheel input goes) and hidden.
CaptureEnding Controller::captureWithHiddenCursor() {
    const HiddenCursor hidden(host_.pointer);
    centreCursor();
    if (startFromTop_ && messageTargets_ > 0) sendToTopAndSettle();
    session_.openLog(wheelDelta_, ScrollMethod::None);
    lastSeen_ = firstFrame();
    session_.keep(lastSeen_, 0);
    return scrollToTheEnd();
}

// The first frame as soon as the picture under the parked pointer rests: a
// hover effect the pointer started (a highlighted row, a link) has painted
// once two grabs in a row agree. A page that keeps changing is taken as it is
// after kCursorParkWaitMs. Only the frame kept is dumped, as "initial".
PixelImage Controller::firstFrame() {
    const uint64_t start = host_.clock.tickCount();
    host_.clock.sleep(kHoverPaintMs);
    PixelImage last = session_.grab();
    while (host_.clock.tickCount() - start < kCursorParkWaitMs) {
        host_.clock.sleep(kPollMs);
        PixelImage next = session_.grab();
        const bool same = framesNearlyIdentical(last, next);
        last = std::move(next);
        if (same) break;
    }
    session_.dumpAsGrabbed(session_.dumper(), "initial", last);
    return last;
}

// One step per frame sought, until the page ends, the user finishes, a probe
// fails or a limit is met: the frame limit by the last frame kept, the size
// limit by the frame that would pass it, which is not kept. At a limit the
// capture ends as a finish does, but with the last kept frame: nothing
// pending is left over.
CaptureEnding Controller::scrollToTheEnd() {
    stillLimit_ = stillProbeLimit(wheelDelta_);
    maxProbes_ = probeLimit(stillLimit_);
    CaptureEnding ending;
    for (int32_t number = 1; session_.limitMet() == CaptureLimit::None; ++number) {
        Step step;
        step.number = number;
        step.probeBudget = maxProbes_;
        seekFrame(step, ending);
        // A user stop keeps only the frames kept so far: the pending frame
        // and any candidate are dropped.
        if (ending.finishedByUser) return ending;
        if (ending.failure.failed() || ending.reachedEnd) break;
        // Probes ran out: keep the furthest grab that moved.
        if (!step.kept && step.hasPending) session_.keep(std::move(step.pending), step.pendingOverlap);
    }
    if (!ending.failure.failed() && !ending.reachedEnd) ending.limit = session_.limitMet();
    return ending;
}

// Probes until the step is over or its probes run out.
void Controller::seekFrame(Step& step, CaptureEnding& ending) {
    for (int32_t probeNumber = 0; probeNumber < step.probeBudget; ++probeNumber)
        if (probe(step, probeNumber, ending)) return;
}

// One probe: as many inputs as the planner asks for (one while a route is on
// trial), the grabs until the picture has come to rest, and the verdict on the
// last of them. True when the step is over; `ending` then tells whether the
// capture is over too.
bool Controller::probe(Step& step, int32_t probeNumber, CaptureEnding& ending) {
    escapeCheck();
    if (session_.finishRequested()) {
        ending.finishedByUser = true;
        return true;
    }
    const int32_t frameHeight = session_.lastKept().height;
    const int32_t inputs =
        routeConfirmed_ ? planner_.inputsFor(step.hasPending ? step.pendingOverlap : frameHeight, frameHeight) : 1;
    for (int32_t i = 0; i < inputs; ++i)
        if (!sendScrollStep(step, ending)) return true;
    std::optional<PixelImage> candidate = pacedGrab();
    if (!candidate) {
        ending.finishedByUser = true;
        return true;
    }
    return actOnVerdict(step, probeNumber, inputs, std::move(*candidate), ending);
}

// One step of the current route; false when the capture is over: the input
// was refused, or no route is left to try. A route on trial that cannot be
// delivered counts as one that moves nothing; one that moved the page before
// fails the capture as a refused wheel does, since the page is not at its end.
bool Controller::sendScrollStep(Step& step, CaptureEnding& ending) {
    while (route_.method != ScrollMethod::Wheel && route_.method != ScrollMethod::ShiftWheel) {
        if (host_.scroll.sendScrollStep(route_)) return true;
        if (routeConfirmed_) {
            ending.failure = {CaptureError::ScrollInputFailed};
            return false;
        }
        if (!tryNextRoute(step)) {
            ending.reachedEnd = true;
            return false;
        }
    }
    // The user may have moved the mouse.
    centreCursor();
    const uint32_t sent = route_.direction == ScrollDirection::Down
                              ? host_.scroll.sendWheel(wheelDelta_)
                              : host_.scroll.sendSidewaysWheel(route_.method == ScrollMethod::ShiftWheel ? -wheelDelta_ : wheelDelta_,
                                                        route_.method == ScrollMethod::ShiftWheel);
    if (sent != 1) {
        ending.failure = {CaptureError::WheelInputFailed};
        return false;
    }
    return true;
}

// Before the first frame: the page to its top, then grabs until the picture
// rests. None of these grabs is dumped, as none shows the captured span.
void Controller::sendToTopAndSettle() {
    host_.scroll.sendToTop();
    if (!waitWithEscape(kWheelWaitMs)) return;
    PixelImage last = session_.grab();
    for (int32_t i = 0; i < kTopSettleGrabs; ++i) {
        if (!waitWithEscape(kSettleWaitMs)) return;
        PixelImage next = session_.grab();
        const bool same = framesNearlyIdentical(last, next);
        last = std::move(next);
        if (same) return;
    }
}

// The grabs after the inputs, one after another, until the settle tracker
// judges the picture: moved and then at rest, unmoved, or restless; the last
// of them, or empty when a finish was requested meanwhile. The first probe
// that sees motion watches it at rest for longer, to learn the settle period.
std::optional<PixelImage> Controller::pacedGrab() {
    const uint64_t inputAt = host_.clock.tickCount();
    tracker_.begin(inputAt, !settleLearnt_);
    animated_.beginWatch(inputAt);
    PixelImage previous = lastSeen_;
    for (;;) {
        const uint64_t grabbedAt = host_.clock.tickCount();
        PixelImage grabbed = session_.grab();
        animated_.observe(previous, grabbed, grabbedAt);
        const bool equalsPrevious = framesNearlyIdentical(previous, grabbed);
        const bool moved = !framesNearlyIdenticalOutside(lastSeen_, grabbed, animated_.mask());
        lastWatch_ = tracker_.feed(grabbedAt, equalsPrevious, moved);
        previous = std::move(grabbed);
        if (lastWatch_ != Watch::Watching) break;
        if (!pauseBetweenGrabs(grabbedAt)) return std::nullopt;
    }
    if (lastWatch_ != Watch::Unmoved) settleLearnt_ = true;
    // Only the grab judged is dumped: one per probe line, and a picture half
    // painted or in motion, which no verdict saw, never reaches an offline stitch.
    session_.dumpAsGrabbed(session_.dumper(), "candidate", previous);
    lastSeen_ = previous;
    return previous;
}

// Keeps grabs kMinGrabIntervalMs apart and watches Esc between them; false
// when a finish was requested.
bool Controller::pauseBetweenGrabs(uint64_t grabStartedAt) {
    escapeCheck();
    if (session_.finishRequested()) return false;
    const uint64_t took = host_.clock.tickCount() - grabStartedAt;
    if (took < kMinGrabIntervalMs) host_.clock.sleep(static_cast<uint32_t>(kMinGrabIntervalMs - took));
    escapeCheck();
    return !session_.finishRequested();
}

// The pace of the probe just logged: the inputs sent, how long its picture
// was watched and how that ended, and the capture's settle period.
void Controller::recordPace(int32_t inputs) {
    std::string line = "inputs=" + std::to_string(inputs) + " watchedMs=" + std::to_string(tracker_.watchedMs()) +
                       " watch=" + watchName(lastWatch_) + " settleMs=" + std::to_string(tracker_.settleMs());
    if (tracker_.lengthened()) line += " settleLengthened=1";
    if (animated_.grew()) line += " animatedRows=" + std::to_string(animated_.count());
    session_.logLine(line);
}

// True when the verdict ends the step: a frame kept, the page ended or the
// overlap lost.
bool Controller::actOnVerdict(Step& step, int32_t probeNumber, int32_t inputs, PixelImage candidate,
                              CaptureEnding& ending) {
    const PixelImage& last = session_.lastKept();
    // The motion these inputs should make, once one input's is known.
    const int32_t expectedMotion = planner_.expectedRows(inputs) > 0 ? planner_.expectedRows(inputs) : stepMotion_;
    const ProbeVerdict v = classifyProbe(
        {last, step.hasPending ? &step.pending : nullptr, step.pendingOverlap, expectedMotion, &animated_.mask()},
        candidate);
    stepMotion_ = v.stepMotion;
    session_.recordProbe(step.number, probeNumber, v.action, v);
    recordPace(inputs);
    const bool moved = v.action == CaptureAction::KeepScrolling || v.action == CaptureAction::AcceptFrame;
    planner_.observe(inputs, moved ? (step.hasPending ? step.pendingOverlap : last.height) - v.overlap : 0);
    switch (v.action) {
    case CaptureAction::NoMotion:
        return onNoMotion(step, ending);
    case CaptureAction::KeepScrolling:
        confirmRoute();
        step.pending = std::move(candidate);
        step.hasPending = true;
        step.pendingOverlap = v.overlap;
        step.stillCount = 0;
        return false;
    case CaptureAction::AcceptFrame:
        confirmRoute();
        // Refused at the size limit: the step is over, and so is the capture.
        step.kept = session_.keep(std::move(candidate), v.overlap);
        return true;
    case CaptureAction::LostOverlap:
        if (!routeConfirmed_ && route_.method != ScrollMethod::Wheel && route_.method != ScrollMethod::ShiftWheel) {
            // A route on trial jumped further than the rectangle is high: it
            // cannot capture this page, and the first frame still is what the
            // page showed, so the capture ends as if nothing had moved.
            ending.reachedEnd = true;
            return true;
        }
        break;
    }
    ending.failure = {CaptureError::LostOverlap, v.overlap, v.score};
    return true;
}

// True when the page has ended: stillLimit_ probes in a row without motion on
// a route that moved the page before, or on every route there is to try.
bool Controller::onNoMotion(Step& step, CaptureEnding& ending) {
    if (++step.stillCount < stillLimit_) return false;
    if (!routeConfirmed_ && tryNextRoute(step)) return false;
    // The page has ended; a pending frame is its last part, unless the size
    // limit leaves no room for it: then the image stops short of the end.
    if (step.hasPending && !session_.keep(std::move(step.pending), step.pendingOverlap))
        ending.limit = session_.limitMet();
    step.hasPending = false;
    ending.reachedEnd = true;
    return true;
}

// Moves on to the route after the one that moved nothing, with as many more
// probes as it needs to show that; false when there is none.
bool Controller::tryNextRoute(Step& step) {
    route_ = nextScrollRoute(route_, messageTargets_);
    planner_.forget();
    if (route_.method == ScrollMethod::None) return false;
    step.stillCount = 0;
    step.probeBudget += stillLimit_;
    return true;
}

}  // namespace

CaptureOutcome runCapture(const CaptureHost& host, const CaptureRequest& request) {
    Controller controller(host, request);
    return controller.run();
}

}  // namespace tf
