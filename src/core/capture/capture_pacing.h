#pragma once
// The pace of the automatic capture: how long it looks at the area after each
// scroll input, and how many inputs it sends at once. The loop grabs as often
// as grabbing allows and tells the settle tracker what each grab showed; the
// tracker says when the picture has moved and then stayed the same long
// enough to be judged. The step planner turns the motion measured so far into
// the number of inputs of the next probe. Both are plain state machines over
// times and rows, so their rules are tested without a screen.

#include <cstdint>
#include <optional>

namespace tf {

// What the watch of one probe has concluded so far.
enum class Watch : int32_t {
    Watching = 0,
    Rested = 1,     // moved, then unchanged for the settle period
    Unmoved = 2,    // nothing changed within the motion wait: judge it as it is
    Restless = 3,   // it kept changing: judged after the bounded wait, as it is
};

// "rested", "unmoved", "restless" ("watching" for a watch not concluded).
const char* watchName(Watch watch);

// The settle period is how long after a picture first came to rest it may
// still change (content painted late, smooth scrolling that ends slowly); a
// picture is judged once that long has passed since it first came to rest,
// and it has been unchanged for kSettleStartMs since its last change.
class SettleTracker {
public:
    // `settleMs` is the capture's settle period to start with.
    explicit SettleTracker(uint32_t settleMs);

    // Starts the watch of one probe whose inputs were sent at `t`. With
    // `learn`, the picture must rest for at least kLearnRestMs before it is
    // judged: long enough to see content that paints some time after the page
    // stopped, so that the settle period is learnt from the first motion.
    void begin(uint64_t t, bool learn);
    // One grab taken at `t`: whether it equals the grab before it (the first
    // grab of a probe is compared with the picture before the inputs) and
    // whether it differs from the picture before the inputs.
    Watch feed(uint64_t t, bool equalsPrevious, bool moved);

    // The capture's settle period now.
    uint32_t settleMs() const { return settleMs_; }
    // The settle period was lengthened during this probe's watch.
    bool lengthened() const { return lengthened_; }
    // From the inputs to the last grab fed.
    uint32_t watchedMs() const { return static_cast<uint32_t>(lastGrabAt_ - inputAt_); }
    // The longest this probe's watch may last before a restless picture is judged.
    uint32_t boundMs() const;
    // How long a picture may stay unchanged after the inputs before it counts
    // as unmoved: scaled to the longest start to move seen in this capture.
    uint32_t motionWaitMs() const;
    // From the inputs to the first grab that showed motion, the longest over
    // the probes so far; empty until a picture has moved.
    std::optional<uint32_t> startToMoveMs() const { return startToMoveMs_; }

private:
    uint32_t requiredRestMs() const;

    static constexpr uint64_t kNotYet = ~uint64_t{0};

    uint32_t settleMs_;
    std::optional<uint32_t> startToMoveMs_;
    uint64_t inputAt_ = 0;
    uint64_t lastGrabAt_ = 0;
    uint64_t restSince_ = 0;          // the first grab of the current run of equal grabs
    uint64_t firstRestSince_ = kNotYet;  // the first run of this probe's that two grabs agreed on
    bool moved_ = false;
    bool learn_ = false;
    bool lengthened_ = false;
    bool changedAfterRest_ = false;
};

// How many inputs (notches, scroll bar line steps, key presses) the next probe
// sends. One while the motion of an input is unknown; once a probe of one
// input has measured it, as many as move the picture about half the frame
// beyond the furthest grab, so that the frame is kept at about half overlap:
// well inside the keep rule (overlap at most 65 %), with half a frame of rows
// for the matcher. Back to one input when a probe moved differently from what
// its inputs should have moved (the page is near its end, or the window
// scrolls by other amounts than it did), until one input has been measured again.
class StepPlanner {
public:
    // Inputs for a probe from the furthest grab of the step, which overlaps
    // the last kept frame by `baseOverlap` rows (the frame's height when
    // nothing has moved in the step yet), for frames `frameHeight` rows high.
    int32_t inputsFor(int32_t baseOverlap, int32_t frameHeight) const;
    // Rows `inputs` inputs are expected to move; 0 while that is unknown.
    int32_t expectedRows(int32_t inputs) const;
    // After a verdict: the probe's `inputs` inputs moved the picture `rows`
    // rows beyond the furthest grab (0: it did not move).
    void observe(int32_t inputs, int32_t rows);
    // The way of scrolling changed: its motion is unknown again.
    void forget();
    int32_t rowsPerInput() const { return rowsPerInput_; }

private:
    int32_t rowsPerInput_ = 0;  // measured by a probe of one input; 0 unknown
    bool single_ = true;        // the next probe sends one input
};

}  // namespace tf
