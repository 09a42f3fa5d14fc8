// The settle tracker's judgement of a probe's grabs, and the step planner's
// number of inputs, on sequences of grabs and motions as screens produce them.

#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "core/capture/capture_pacing.h"
#include "core/tuning.h"

namespace tf {
namespace {

// One grab as the loop feeds it: its time after the inputs and what it showed.
struct Grab {
    uint64_t t;
    bool equalsPrevious;
    bool moved;
};

// Grabs every `every` ms from `from` to `to` (inclusive) that agree with the one
// before them, of a picture that has moved.
std::vector<Grab> restingFrom(uint64_t from, uint64_t to, uint64_t every) {
    std::vector<Grab> grabs;
    for (uint64_t t = from; t <= to; t += every) grabs.push_back({t, true, true});
    return grabs;
}

std::vector<Grab> operator+(std::vector<Grab> a, const std::vector<Grab>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

struct Fed {
    Watch watch = Watch::Watching;
    uint64_t at = 0;  // the time of the grab that concluded the watch
};

Fed feedAll(SettleTracker& tracker, const std::vector<Grab>& grabs, uint64_t inputAt = 1000) {
    Fed fed;
    for (const Grab& g : grabs) {
        fed.watch = tracker.feed(inputAt + g.t, g.equalsPrevious, g.moved);
        fed.at = g.t;
        if (fed.watch != Watch::Watching) break;
    }
    return fed;
}

TEST(SettleTracker, JudgesWhenThePictureHasMovedAndRested) {
    // A smooth scroll of 400 ms: a new picture every 15 ms, then still.
    std::vector<Grab> smooth;
    for (uint64_t t = 0; t <= 400; t += 15) smooth.push_back({t, false, true});
    struct Case {
        const char* name;
        std::vector<Grab> grabs;
        bool learn;
        Watch watch;
        uint64_t at;
        uint32_t settleAfter;
    } cases[] = {
        {"jump, then rest for the settle period", std::vector<Grab>{{20, false, true}} + restingFrom(35, 300, 15),
         false, Watch::Rested, 110, kSettleStartMs},
        {"a rest shorter than the period is not enough",
         std::vector<Grab>{{20, false, true}} + restingFrom(35, 50, 15) + std::vector<Grab>{{65, false, true}} +
             restingFrom(80, 400, 15),
         false, Watch::Rested, 155, kSettleStartMs},
        {"smooth scrolling is followed to its end", smooth + restingFrom(415, 700, 15), false, Watch::Rested, 490,
         kSettleStartMs},
        {"nothing changes within the motion wait",
         [] { std::vector<Grab> g; for (uint64_t t = 0; t < 1000; t += 15) g.push_back({t, true, false}); return g; }(),
         false, Watch::Unmoved, 300, kSettleStartMs},
        {"a picture changing at every grab is judged after the bounded wait",
         [] { std::vector<Grab> g; for (uint64_t t = 0; t < 2000; t += 25) g.push_back({t, false, true}); return g; }(),
         false, Watch::Restless, 700, kSettleStartMs},
        {"the first motion is watched at rest for longer",
         std::vector<Grab>{{20, false, true}} + restingFrom(35, 800, 15), true, Watch::Rested, 425, kSettleStartMs},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SettleTracker tracker(kSettleStartMs);
        tracker.begin(1000, c.learn);
        const Fed fed = feedAll(tracker, c.grabs);
        EXPECT_EQ(fed.watch, c.watch);
        EXPECT_EQ(fed.at, c.at);
        EXPECT_EQ(tracker.settleMs(), c.settleAfter);
        EXPECT_EQ(tracker.watchedMs(), c.at);
    }
}

// Content painted 250 ms after the page stopped: the learning watch sees it
// change, the period grows past the delay, and later probes wait for the paint.
TEST(SettleTracker, LearnsFromAPictureThatChangesAfterItCameToRest) {
    SettleTracker tracker(kSettleStartMs);
    tracker.begin(0, true);
    const auto lazy = std::vector<Grab>{{20, false, true}} + restingFrom(45, 270, 25) +
                      std::vector<Grab>{{295, false, true}} + restingFrom(320, 1200, 25);
    Fed fed = feedAll(tracker, lazy, 0);
    EXPECT_EQ(fed.watch, Watch::Rested);
    EXPECT_TRUE(tracker.lengthened());
    // A rest of 275 ms was broken: 275 + 55.
    EXPECT_EQ(tracker.settleMs(), 330u);
    // Judged 90 ms after the paint, and 400 ms after the page came to rest.
    EXPECT_EQ(fed.at, 20u + kLearnRestMs);

    // The next probe: the same page waits out the paint with the learnt period.
    tracker.begin(2000, false);
    fed = feedAll(tracker, lazy, 2000);
    EXPECT_EQ(fed.watch, Watch::Rested);
    EXPECT_FALSE(tracker.lengthened());
    // The first grab 90 ms after the paint and 330 ms after the page came to rest.
    EXPECT_EQ(fed.at, 395u);
    EXPECT_EQ(tracker.settleMs(), 330u);
}

TEST(SettleTracker, LengtheningNeedsARestAndIsBounded) {
    struct Case {
        const char* name;
        uint32_t start;
        std::vector<Grab> grabs;
        uint32_t settleAfter;
    } cases[] = {
        // One grab at a place is motion pausing, not rest: nothing is learnt.
        {"no two grabs agreed", kSettleStartMs,
         std::vector<Grab>{{20, false, true}, {40, false, true}, {60, false, true}} + restingFrom(80, 300, 20),
         kSettleStartMs},
        // A rest well within the period says nothing new.
        {"a short rest", kSettleStartMs,
         std::vector<Grab>{{20, false, true}, {40, true, true}, {60, false, true}} + restingFrom(80, 300, 20),
         kSettleStartMs},
        {"a long rest is bounded", 700, std::vector<Grab>{{20, false, true}} + restingFrom(40, 700, 20) +
                                            std::vector<Grab>{{720, false, true}} + restingFrom(740, 3000, 20),
         kMaxSettleMs},
        {"a start beyond the bound is bounded", 5000, restingFrom(0, 100, 20), kMaxSettleMs},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SettleTracker tracker(c.start);
        tracker.begin(0, false);
        feedAll(tracker, c.grabs, 0);
        EXPECT_EQ(tracker.settleMs(), c.settleAfter);
    }
}

// A badge changing every 90 ms, grabbed every 30 ms: the first change after
// a rest teaches the period; the later ones do not push it further.
TEST(SettleTracker, AnAnimationTeachesOnceAProbe) {
    std::vector<Grab> badge{{10, false, true}};
    for (uint64_t t = 40; t < 2000; t += 30) badge.push_back({t, (t / 30) % 3 != 1, true});
    SettleTracker tracker(kSettleStartMs);
    for (uint64_t probe = 0; probe < 3; ++probe) {
        tracker.begin(0, false);
        EXPECT_EQ(feedAll(tracker, badge, 0).watch, Watch::Restless);
    }
    EXPECT_LE(tracker.settleMs(), 90u + 30u + kSettleMarginMs);
}

TEST(SettleTracker, BoundedWaitGrowsWithTheRestAsked) {
    SettleTracker tracker(kSettleStartMs);
    tracker.begin(0, false);
    EXPECT_EQ(tracker.boundMs(), kMotionWaitMs + kRestlessMs);
    tracker.begin(0, true);
    EXPECT_EQ(tracker.boundMs(), kMotionWaitMs + 2 * kLearnRestMs);
    SettleTracker slow(600);
    slow.begin(0, false);
    EXPECT_EQ(slow.boundMs(), kMotionWaitMs + 1200);
}

// The still probes at the end of a page wait as long as the page took to start
// moving, four times over, within bounds: the start seen last is the longest
// of the capture's, so that one quick start does not cut a slow one short.
TEST(SettleTracker, StillWaitFollowsTheStartToMove) {
    struct Case {
        const char* name;
        std::vector<uint64_t> starts;  // per earlier probe: when its first moved grab came
        std::optional<uint32_t> startToMove;
        uint32_t wait;
    } cases[] = {
        {"nothing moved yet: the full wait", {}, std::nullopt, kMotionWaitMs},
        {"moved at the first grab", {0}, 0, kMinMotionWaitMs},
        {"a start of 45 ms", {45}, 45, 180},
        {"a quick start: no less than the floor", {10}, 10, kMinMotionWaitMs},
        {"a slow start: no more than the full wait", {140}, 140, kMotionWaitMs},
        {"the longest start counts", {70, 20, 40}, 70, 280},
        {"a start near the wait", {250}, 250, kMotionWaitMs},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SettleTracker tracker(kSettleStartMs);
        uint64_t at = 0;
        for (uint64_t start : c.starts) {
            tracker.begin(at, false);
            feedAll(tracker, std::vector<Grab>{{0, true, false}, {start, false, true}} +
                                 restingFrom(start + 15, start + 400, 15), at);
            at += 5000;
        }
        EXPECT_EQ(tracker.startToMoveMs(), c.startToMove);
        EXPECT_EQ(tracker.motionWaitMs(), c.wait);
        // An end-of-page probe: the picture never changes, and is judged
        // unmoved at the first grab past the wait.
        tracker.begin(at, false);
        std::vector<Grab> still;
        for (uint64_t t = 0; t < 1000; t += 15) still.push_back({t, true, false});
        const Fed fed = feedAll(tracker, still, at);
        EXPECT_EQ(fed.watch, Watch::Unmoved);
        EXPECT_EQ(fed.at, (c.wait + 14) / 15 * 15);
    }
}

TEST(StepPlanner, InputsMoveAboutHalfTheFrame) {
    struct Observation {
        int32_t inputs, rows;
    };
    struct Case {
        const char* name;
        std::vector<Observation> seen;
        int32_t baseOverlap, frameHeight;
        int32_t inputs;
    } cases[] = {
        {"unknown motion: one input", {}, 600, 600, 1},
        {"100 rows an input, 600-row frame", {{1, 100}}, 600, 600, 3},
        {"from a pending frame, the rest of the way", {{1, 100}}, 500, 600, 2},
        {"a pending frame past half: one more input", {{1, 100}}, 350, 600, 1},
        {"an input moving more than half a frame", {{1, 400}}, 600, 600, 1},
        {"a few pixels an input: capped", {{1, 2}}, 600, 600, kMaxInputsPerProbe},
        {"motion as expected keeps the pace", {{1, 100}, {3, 300}, {3, 330}}, 600, 600, 3},
        {"less than expected (the page is ending): one input", {{1, 100}, {3, 180}}, 600, 600, 1},
        {"more than expected: one input", {{1, 100}, {3, 420}}, 600, 600, 1},
        {"no motion: one input", {{1, 100}, {3, 0}}, 600, 600, 1},
        {"one input measured again: the pace again", {{1, 100}, {3, 180}, {1, 80}}, 600, 600, 3},
        {"a single input that moved nothing teaches nothing", {{1, 100}, {1, 0}}, 600, 600, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StepPlanner planner;
        for (const Observation& o : c.seen) planner.observe(o.inputs, o.rows);
        EXPECT_EQ(planner.inputsFor(c.baseOverlap, c.frameHeight), c.inputs);
    }
}

TEST(StepPlanner, ExpectsTheMeasuredMotionAndForgetsItWithTheRoute) {
    StepPlanner planner;
    EXPECT_EQ(planner.expectedRows(3), 0);
    planner.observe(1, 90);
    EXPECT_EQ(planner.expectedRows(3), 270);
    planner.forget();
    EXPECT_EQ(planner.expectedRows(3), 0);
    EXPECT_EQ(planner.inputsFor(600, 600), 1);
}

}  // namespace
}  // namespace tf
