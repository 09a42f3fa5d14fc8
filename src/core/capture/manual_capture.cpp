#include "core/capture/manual_capture.h"

#include <algorithm>
#include <cstdlib>

#include "core/capture/capture_rules.h"
#include "core/stitch/matcher.h"
#include "core/stitch/side_panels.h"
#include "core/stitch/small_shift.h"
#include "core/tuning.h"

namespace tf {
namespace {

bool rowIsBlank(const PixelImage& image, int32_t y, int32_t columnStep) {
    const uint32_t* row = image.row(y);
    const uint32_t first = row[0] & 0xFFFFFFu;
    for (int32_t x = columnStep; x < image.width; x += columnStep)
        if ((row[x] & 0xFFFFFFu) != first) return false;
    return true;
}

bool rowsAgree(const PixelImage& a, const PixelImage& b, int32_t y, int32_t columnStep) {
    const uint32_t* ra = a.row(y);
    const uint32_t* rb = b.row(y);
    uint64_t sum = 0;
    uint64_t count = 0;
    for (int32_t x = 0; x < a.width; x += columnStep, ++count)
        for (int shift = 0; shift <= 16; shift += 8)
            sum += static_cast<uint64_t>(std::abs(static_cast<int>((ra[x] >> shift) & 0xFFu) -
                                                  static_cast<int>((rb[x] >> shift) & 0xFFu)));
    return count > 0 && sum / count < kStillMeanDifference;
}

// Whether `after` shows the page at the place of `before`, with only rows
// that were blank in `before` changed: content that painted late, which the
// matcher cannot tell from a jump because it never compares frames unshifted.
bool samePlaceRepainted(const PixelImage& before, const PixelImage& after) {
    if (before.width != after.width || before.height != after.height || before.width < 1) return false;
    const int32_t columnStep = std::max(before.width / 128, 1);
    int32_t contentRows = 0;
    int32_t disagreeing = 0;
    for (int32_t y = 0; y < before.height; ++y) {
        if (rowIsBlank(before, y, columnStep)) continue;
        ++contentRows;
        if (!rowsAgree(before, after, y, columnStep)) ++disagreeing;
    }
    // A caret or a spinner may change a row or two of a tall frame.
    return contentRows >= kRepaintMinContentRows && disagreeing <= contentRows / 100;
}

// The automatic loop moves the page by a notch, so its overlaps are large; a
// person can leave any overlap, and a join of a few dozen rows of a page with
// repeating rows (tables, lists) can match at the wrong place with a small
// but non-zero mismatch. An overlap under a quarter of the frame is trusted
// only when its rows agree (nearly) exactly; otherwise the strip asks the
// person to scroll back a little, which gives a picture that overlaps well.

bool trustedOverlap(const PixelImage& frame, int32_t overlap, double score) {
    return overlap >= std::max(frame.height / 4, 1) || score <= kExactMatchScore;
}

bool overlapsFromBelow(const PixelImage& upper, const PixelImage& lower) {
    if (movedByFewRows(upper, lower)) return true;
    const MatchResult m = matchFramesBetweenPanels(upper, lower, 0, kPriorTolerance, detectSidePanels(upper, lower));
    return m.matched && trustedOverlap(lower, m.overlap, m.score);
}

}  // namespace

ManualCapture::ManualCapture(const ManualCaptureHost& host, const CaptureRequest& request)
    : host_(host), session_(host.parts, request) {}

ManualTick ManualCapture::start() {
    if (running_ || outcome_.end != ManualCaptureEnd::NotStarted) return status();
    if (!session_.begin()) return status();
    // Enter finishes a manual capture too: forget a press made before it.
    host_.parts.keys.enterKeyState();
    // The header keeps the automatic loop's layout; a delta of 0 says that no
    // wheel input was sent.
    session_.openLog(0, ScrollMethod::Person);

    PixelImage first = session_.grab();
    ++outcome_.grabs;
    previousGrab_ = first;
    lastJudged_ = first;
    restSince_ = host_.clock.tickCount();
    running_ = true;
    outcome_.end = ManualCaptureEnd::Running;
    append(std::move(first), 0, "initial");
    shownCount_ = 0;  // the first report always asks for a redraw
    return status();
}

ManualTick ManualCapture::tick() {
    if (!running_) return status();
    // A finish requested by the overlay (a display change) must not judge a
    // picture of a screen that changed under the rectangle.
    if (session_.finishRequested()) {
        finish();
        return status();
    }

    PixelImage grab = session_.grab();
    ++outcome_.grabs;
    const uint64_t now = host_.clock.tickCount();
    // While nothing moves, every grab equals the picture judged last: two
    // sparse comparisons per tick and no matcher.
    if (!framesNearlyIdentical(previousGrab_, grab)) restSince_ = now;
    if (framesNearlyIdentical(lastJudged_, grab)) {
        changing_ = false;
    } else {
        if (!changing_) changingSince_ = now;
        changing_ = true;
        const bool rested = now - restSince_ >= kManualRestMs;
        if (rested || now - changingSince_ >= kManualMovingMs) {
            decideDirection(grab);
            judge(grab, rested);
            lastJudged_ = grab;
            changing_ = false;
        }
    }
    previousGrab_ = std::move(grab);

    if (running_ && hasPending_ && now - pendingSince_ >= kManualPauseMs) keepPending();
    if (running_ && finishKeyPressed()) finish();
    return status();
}

// Until the first motion, a picture that does not follow the first frame the
// way the capture looks is also looked at turned on its side; when it follows
// that way, the capture turns, so the rest of it runs as a downward one. A
// later motion the other way then misses the last frame, as scrolling back does.
void ManualCapture::decideDirection(PixelImage& picture) {
    if (directionDecided_ || session_.keptCount() != 1 || hasPending_) return;
    const auto follows = [](const PixelImage& first, const PixelImage& next, int32_t motion) {
        const ProbeVerdict v = classifyProbe({first, nullptr, 0, motion}, next);
        return (v.action == CaptureAction::KeepScrolling || v.action == CaptureAction::AcceptFrame) &&
               trustedOverlap(first, v.overlap, v.score);
    };
    const PixelImage& first = session_.lastKept();
    if (follows(first, picture, stepMotion_)) {
        directionDecided_ = true;
        return;
    }
    PixelImage turned = transposed(picture);
    if (!follows(transposed(first), turned, 0)) return;
    directionDecided_ = true;
    session_.changeDirection(session_.direction() == ScrollDirection::Right ? ScrollDirection::Down
                                                                            : ScrollDirection::Right);
    picture = std::move(turned);
}

void ManualCapture::judge(const PixelImage& picture, bool rested) {
    ++outcome_.verdicts;
    for (;;) {
        const PixelImage& last = session_.lastKept();
        const ProbeVerdict v =
            classifyProbe({last, hasPending_ ? &pending_ : nullptr, pendingOverlap_, stepMotion_}, picture);
        stepMotion_ = v.stepMotion;
        // Only a picture the verdict cannot place is asked whether it is the
        // last frame repainted, so that motion is never taken for paint.
        const bool unplaced = v.action == CaptureAction::LostOverlap ||
                              (v.action == CaptureAction::NoMotion && !framesNearlyIdentical(last, picture));
        if (unplaced && samePlaceRepainted(last, picture)) {
            // The last frame was kept before the page had painted it: keep the
            // painted picture in its place (the same place, so the same overlaps).
            record(CaptureAction::NoMotion, ProbeVerdict{CaptureAction::NoMotion, 0, kInvalidScore, 0, stepMotion_});
            session_.showStrip(ManualStrip::Following);
            FrameDumper again{session_.dumper().folder, lastKeptDump_};
            session_.dumpAsGrabbed(again, session_.keptCount() == 1 ? "initial" : "candidate", picture);
            session_.replaceLast(picture);
            return;
        }
        const bool untrusted = (v.action == CaptureAction::KeepScrolling || v.action == CaptureAction::AcceptFrame) &&
                               !trustedOverlap(last, v.overlap, v.score);
        const bool lost = v.action == CaptureAction::LostOverlap || untrusted;
        if (lost && hasPending_) {
            // A burst from a pending frame: keep the pending frame, which the
            // picture may still overlap, and judge the picture against it.
            record(CaptureAction::LostOverlap, v);
            keepPending();
            if (!running_) return;
            continue;
        }
        CaptureAction action = lost ? CaptureAction::LostOverlap : v.action;
        // The matcher looks for the picture below the last frame only; a
        // picture above it (the person scrolled back up) is not lost, only
        // ignored. Likewise a picture between the last and the pending frame.
        if (action == CaptureAction::LostOverlap && showsEarlierContent(picture)) action = CaptureAction::NoMotion;
        if (action == CaptureAction::KeepScrolling && hasPending_ && v.overlap > pendingOverlap_)
            action = CaptureAction::NoMotion;
        // A picture caught in motion may not have painted its new rows yet: it
        // waits as the pending frame, which a picture at rest replaces.
        if (action == CaptureAction::AcceptFrame && !rested) action = CaptureAction::KeepScrolling;
        record(action, v);
        session_.showStrip(action == CaptureAction::LostOverlap ? ManualStrip::ScrolledTooFar : ManualStrip::Following);
        if (action == CaptureAction::KeepScrolling) {
            pending_ = picture;
            hasPending_ = true;
            pendingOverlap_ = v.overlap;
            pendingSince_ = host_.clock.tickCount();
        } else if (action == CaptureAction::AcceptFrame) {
            hasPending_ = false;
            pending_ = PixelImage();
            append(picture, v.overlap, "candidate");
        }
        return;
    }
}

bool ManualCapture::showsEarlierContent(const PixelImage& picture) const {
    if (overlapsFromBelow(picture, session_.lastKept())) return true;
    // More than a frame up, the picture may still meet the frame kept before.
    if (const PixelImage* before = session_.keptBeforeLast()) {
        if (framesNearlyIdentical(*before, picture) || overlapsFromBelow(picture, *before)) return true;
    }
    return false;
}

void ManualCapture::record(CaptureAction action, const ProbeVerdict& v) {
    session_.recordProbe(step_, probe_, action, v);
    ++probe_;
}

void ManualCapture::append(PixelImage frame, int32_t overlap, const char* dumpLabel) {
    // A frame the size limit refuses ends the capture without it.
    if (!session_.keep(std::move(frame), overlap)) {
        stopAtLimit();
        return;
    }
    // Only kept frames are dumped: the grabs of a manual capture go up as
    // well as down, and --stitch joins the dumps in order.
    lastKeptDump_ = session_.dumper().sequence;
    session_.dumpAsGrabbed(session_.dumper(), dumpLabel, session_.lastKept());
    const size_t kept = session_.keptCount();
    if (kept > 1) {
        // A new step: the frame kept is the one sought.
        ++step_;
        probe_ = 0;
    }
    if (session_.limitMet() != CaptureLimit::None) stopAtLimit();
}

void ManualCapture::keepPending() {
    hasPending_ = false;
    append(std::move(pending_), pendingOverlap_, "candidate");
    pending_ = PixelImage();
}

void ManualCapture::finish() {
    // The person finishes where the scrolling ended: a pending frame is the
    // end of the page they wanted, so it is kept (an automatic capture stopped
    // by Esc drops it, as its next notch would have gone on).
    if (hasPending_) {
        keepPending();
        if (!running_) return;
    }
    running_ = false;
    outcome_.end = ManualCaptureEnd::Finished;
    outcome_.frameCount = session_.keptCount();
    session_.end({.reachedEnd = false, .finishedByUser = true, .failure = CaptureFailure{}});
}

// A limit ends the capture as a finish does: what was kept is saved. The
// frame that met it, or was refused at it, is the last one, so nothing is pending.
void ManualCapture::stopAtLimit() {
    running_ = false;
    hasPending_ = false;
    pending_ = PixelImage();
    outcome_.end = ManualCaptureEnd::AtLimit;
    outcome_.limit = session_.limitMet();
    outcome_.frameCount = session_.keptCount();
    session_.end({.reachedEnd = false, .finishedByUser = false, .limit = outcome_.limit, .failure = CaptureFailure{}});
}

bool ManualCapture::finishKeyPressed() {
    // Both keys are read on every tick, so that neither keeps an old press.
    const uint16_t keys = host_.parts.keys.escapeKeyState() | host_.parts.keys.enterKeyState();
    if ((keys & kKeyDownOrPressed) != 0) session_.requestFinish();
    return session_.finishRequested();
}

ManualTick ManualCapture::status() {
    ManualTick t;
    t.running = running_;
    t.strip = session_.progress().strip;
    t.frameCount = static_cast<uint32_t>(outcome_.end == ManualCaptureEnd::Running ? session_.keptCount()
                                                                                    : outcome_.frameCount);
    t.redraw = running_ && (t.frameCount != shownCount_ || t.strip != shownStrip_);
    shownCount_ = t.frameCount;
    shownStrip_ = t.strip;
    return t;
}

}  // namespace tf
