#include "core/capture/capture_pacing.h"

#include <algorithm>
#include <cstdlib>

#include "core/tuning.h"

namespace tf {

const char* watchName(Watch watch) {
    switch (watch) {
    case Watch::Rested: return "rested";
    case Watch::Unmoved: return "unmoved";
    case Watch::Restless: return "restless";
    case Watch::Watching: break;
    }
    return "watching";
}

SettleTracker::SettleTracker(uint32_t settleMs) : settleMs_(std::min(settleMs, kMaxSettleMs)) {}

void SettleTracker::begin(uint64_t t, bool learn) {
    inputAt_ = t;
    lastGrabAt_ = t;
    restSince_ = t;
    firstRestSince_ = kNotYet;
    moved_ = false;
    learn_ = learn;
    lengthened_ = false;
    changedAfterRest_ = false;
}

uint32_t SettleTracker::requiredRestMs() const { return learn_ ? std::max(settleMs_, kLearnRestMs) : settleMs_; }

uint32_t SettleTracker::boundMs() const { return kMotionWaitMs + std::max(kRestlessMs, 2 * requiredRestMs()); }

uint32_t SettleTracker::motionWaitMs() const {
    if (!startToMoveMs_) return kMotionWaitMs;
    const uint64_t scaled = uint64_t{*startToMoveMs_} * kStillWaitFactor;
    return static_cast<uint32_t>(std::clamp<uint64_t>(scaled, kMinMotionWaitMs, kMotionWaitMs));
}

Watch SettleTracker::feed(uint64_t t, bool equalsPrevious, bool moved) {
    lastGrabAt_ = t;
    if (!moved_) {
        if (!moved) return t - inputAt_ >= motionWaitMs() ? Watch::Unmoved : Watch::Watching;
        // The first grab that shows the motion may already show where it ends.
        moved_ = true;
        const auto start = static_cast<uint32_t>(std::min<uint64_t>(t - inputAt_, kMotionWaitMs));
        startToMoveMs_ = std::max(startToMoveMs_.value_or(0), start);
        restSince_ = t;
        return Watch::Watching;
    }
    if (equalsPrevious) {
        // Two grabs agree: the picture has come to rest, for now.
        if (firstRestSince_ == kNotYet) firstRestSince_ = restSince_;
        // Judged once it has been unchanged for a moment, and once as long has
        // passed since it first came to rest as late changes were seen to take.
        if (t - restSince_ >= std::min(kSettleStartMs, settleMs_) && t - firstRestSince_ >= requiredRestMs())
            return Watch::Rested;
    } else {
        // A change after the picture had come to rest: had the period been
        // this long, the change would have been seen before the picture was
        // judged. Learnt from the first such change of a probe only, so that
        // an animation that never stops does not push the period to its bound.
        if (firstRestSince_ != kNotYet && !changedAfterRest_) {
            changedAfterRest_ = true;
            const uint32_t rest = static_cast<uint32_t>(t - firstRestSince_);
            const uint32_t wanted = std::min(rest + std::max(kSettleMarginMs, rest / 5), kMaxSettleMs);
            if (wanted > settleMs_) {
                settleMs_ = wanted;
                lengthened_ = true;
            }
        }
        restSince_ = t;
    }
    return t - inputAt_ >= boundMs() ? Watch::Restless : Watch::Watching;
}

int32_t StepPlanner::inputsFor(int32_t baseOverlap, int32_t frameHeight) const {
    if (single_ || rowsPerInput_ <= 0) return 1;
    const int32_t wanted = baseOverlap - frameHeight / 2;
    return std::clamp(wanted / rowsPerInput_, 1, kMaxInputsPerProbe);
}

int32_t StepPlanner::expectedRows(int32_t inputs) const { return rowsPerInput_ > 0 ? inputs * rowsPerInput_ : 0; }

void StepPlanner::observe(int32_t inputs, int32_t rows) {
    if (rows <= 0) {
        // Nothing moved: the page may have ended; the still probes that tell
        // send one input each.
        single_ = true;
        return;
    }
    if (inputs == 1) {
        rowsPerInput_ = rows;
        single_ = false;
        return;
    }
    const int32_t expected = expectedRows(inputs);
    const int32_t tolerance = std::max(kExpectedMotionRows, expected / kExpectedMotionShareDivisor);
    if (std::abs(rows - expected) > tolerance) single_ = true;
}

void StepPlanner::forget() {
    rowsPerInput_ = 0;
    single_ = true;
}

}  // namespace tf
