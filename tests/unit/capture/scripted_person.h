#pragma once
// A person who scrolls the simulated page by hand while a manual capture
// follows: scroll actions at set times, a finish key at a set time, and the
// shell's timer ticking 40-60 ms apart.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "core/capture/manual_capture.h"
#include "simulated_screen.h"
#include "core/stitch/composer.h"
#include "test_support.h"

namespace tf::test {

struct Scroll {
    uint64_t atMs;  // from the start of the capture
    int32_t rows;   // down; negative: up
};

enum class FinishKey { None, Esc, Enter };

struct Script {
    std::vector<Scroll> scrolls;
    uint64_t finishAtMs = 0;  // when the key goes down (held 60 ms, over a poll)
    FinishKey key = FinishKey::Esc;
};

// `count` scrolls of `rows`, one every `everyMs` from `fromMs`.
inline std::vector<Scroll> steady(uint64_t fromMs, uint64_t everyMs, int32_t count, int32_t rows) {
    std::vector<Scroll> s;
    for (int32_t i = 0; i < count; ++i) s.push_back({fromMs + static_cast<uint64_t>(i) * everyMs, rows});
    return s;
}

inline void appendTo(std::vector<Scroll>& to, const std::vector<Scroll>& more) {
    to.insert(to.end(), more.begin(), more.end());
}

struct ManualRun {
    std::vector<ManualTick> ticks;
    ManualCaptureOutcome outcome;
    bool warned = false;  // the strip said "scrolled too far" at some tick
    int32_t positionAtFinish = 0;
};

inline ManualRun runManual(SimulatedScreen& s, const Script& script, UiLanguage language = UiLanguage::English,
                           uint64_t limitMs = 120'000, ScrollDirection direction = ScrollDirection::Down,
                           int32_t maxFrames = kMaxCaptureFrames, int64_t maxPixels = kMaxCapturePixels) {
    s.language = language;
    ManualCapture capture(s, CaptureRequest{s.rect, true, false, direction, s.wheel(), maxFrames, maxPixels});
    const uint64_t t0 = s.now();
    if (script.key != FinishKey::None) {
        auto& held = script.key == FinishKey::Esc ? s.escHeld : s.enterHeld;
        held.push_back({t0 + script.finishAtMs, t0 + script.finishAtMs + 60});
    }
    ManualRun run;
    run.ticks.push_back(capture.start());
    static constexpr uint32_t kIntervals[] = {50, 40, 60, 45, 55};
    size_t next = 0;
    for (size_t i = 0; capture.running() && s.now() - t0 < limitMs; ++i) {
        const uint64_t tickAt = s.now() + kIntervals[i % 5];
        for (; next < script.scrolls.size() && t0 + script.scrolls[next].atMs <= tickAt; ++next) {
            s.advance(std::max(t0 + script.scrolls[next].atMs, s.now()) - s.now());
            s.scrollBy(script.scrolls[next].rows);
        }
        s.advance(tickAt - s.now());
        if (t0 + script.finishAtMs <= s.now() && run.positionAtFinish == 0) run.positionAtFinish = s.position();
        run.ticks.push_back(capture.tick());
        if (run.ticks.back().strip == ManualStrip::ScrolledTooFar) run.warned = true;
    }
    run.outcome = capture.outcome();
    return run;
}

// A manual capture sends nothing and leaves the pointer alone.
inline ::testing::AssertionResult sentNoInput(const SimulatedScreen& s) {
    if (!s.notchTimes.empty()) return ::testing::AssertionFailure() << s.notchTimes.size() << " wheel notches sent";
    if (s.cursorMoves != 0) return ::testing::AssertionFailure() << "the pointer was moved";
    if (s.cursorShowCount != 0) return ::testing::AssertionFailure() << "the pointer was hidden";
    if (s.sleeps != 0) return ::testing::AssertionFailure() << "the loop slept";
    return ::testing::AssertionSuccess();
}

// The frames handed over join into exactly the top of the page, down to
// `span` rows scrolled.
inline ::testing::AssertionResult stitchIntoPageTop(const SimulatedScreen& s, int32_t frameHeight, int32_t& span) {
    if (!s.stitchStarted) return ::testing::AssertionFailure() << "nothing was handed to stitch-and-save";
    const PixelImage image = composeFrames(s.handedOver);
    span = image.height - frameHeight;
    if (span < 0 || span > s.maxPosition()) return ::testing::AssertionFailure() << "stitched span " << span;
    return imagesEqual(s.expectedImage(span), image);
}

}  // namespace tf::test
