#pragma once
// The manual capture loop: the person scrolls the area by whatever means the
// window takes (wheel, keys, scroll bar) and the program follows. It sends no
// input and leaves the pointer alone; it only looks at the area again and
// again, judges every picture that has come to rest exactly as the automatic
// loop judges its probes, and keeps the same frames for the same motion.
//
// It is a step machine, not a loop: the shell calls `tick` from a timer every
// kManualTickMs, so the GUI thread stays free to redraw the overlay between
// looks. Portable: every effect goes through the host.
//
// Driving it: after `start`, arm a one-shot timer of kManualTickMs and call
// `tick` when it fires; draw the overlay again when `redraw` is set; arm the
// timer again while `running`. A tick that ends the capture calls the host's
// ending effects, which may show a message box whose loop delivers timer
// messages: arming the timer only after the tick has returned keeps ticks
// from nesting. The host's parts must outlive the capture. The progress (the
// count of kept frames, the strip) is also published through the host's
// sink, as the automatic loop publishes its own.

#include <cstddef>
#include <cstdint>

#include "core/capture/capture_controller.h"
#include "core/capture/capture_session.h"
#include "core/capture/probe_verdict.h"
#include "core/tuning.h"
#include "ground/pixel_image.h"

namespace tf {

// The state after start or one tick, for the shell to show.
struct ManualTick {
    bool running = false;  // false once the capture has ended: saved, failed or never started
    ManualStrip strip = ManualStrip::Following;
    uint32_t frameCount = 0;  // frames kept so far (also published through the host)
    bool redraw = false;      // the strip or the count changed: draw the overlay again
};

enum class ManualCaptureEnd : int32_t {
    Running = 0,
    NotStarted = 1,  // the start conditions did not hold; nothing happened
    Finished = 2,    // Esc, Enter or a finish request: the frames went to stitch-and-save
    AtLimit = 3,     // a limit of the request was met (outcome's `limit`): the frames went to stitch-and-save
};

// How a manual capture went, in kinds and numbers.
struct ManualCaptureOutcome {
    ManualCaptureEnd end = ManualCaptureEnd::NotStarted;
    size_t frameCount = 0;  // frames kept (handed over when Finished or AtLimit)
    CaptureLimit limit = CaptureLimit::None;  // which one, when AtLimit
    int32_t grabs = 0;      // every look at the area, the first frame included
    int32_t verdicts = 0;   // grabs that had come to rest and were judged
};

class ManualCapture {
public:
    ManualCapture(const ManualCaptureHost& host, const CaptureRequest& request);
    ManualCapture(const ManualCapture&) = delete;
    ManualCapture& operator=(const ManualCapture&) = delete;

    // With a valid rectangle: forgets key presses made before, opens the capture log and takes the
    // first frame. Not running afterwards means it did not start.
    ManualTick start();

    // One look at the area: grab, judge the picture once it has come to rest,
    // keep a paused pending frame, and finish on Esc, Enter or a finish
    // request (the host's finish latch). Does nothing once the capture has ended.
    ManualTick tick();

    bool running() const { return running_; }
    const ManualCaptureOutcome& outcome() const { return outcome_; }

private:
    void judge(const PixelImage& picture, bool rested);
    void decideDirection(PixelImage& picture);
    bool showsEarlierContent(const PixelImage& picture) const;
    void record(CaptureAction action, const ProbeVerdict& v);
    void append(PixelImage frame, int32_t overlap, const char* dumpLabel);
    void keepPending();
    void finish();
    void stopAtLimit();
    bool finishKeyPressed();
    ManualTick status();

    ManualCaptureHost host_;
    CaptureSession session_;
    PixelImage pending_;
    bool hasPending_ = false;
    int32_t pendingOverlap_ = 0;
    uint64_t pendingSince_ = 0;
    int32_t stepMotion_ = 0;
    int32_t step_ = 1;   // number of the frame being sought, as the log counts it
    int32_t probe_ = 0;  // verdicts within this step
    PixelImage previousGrab_;
    PixelImage lastJudged_;
    uint64_t restSince_ = 0;      // when the picture of the last grab first showed
    uint64_t changingSince_ = 0;  // when the picture first differed from the one judged last
    bool changing_ = false;
    bool running_ = false;
    // The person's first motion decides which way the capture goes; until
    // then both ways are looked at.
    bool directionDecided_ = false;
    int32_t lastKeptDump_ = 0;  // sequence number of the last kept frame's dump
    ManualCaptureOutcome outcome_;
    uint32_t shownCount_ = 0;
    ManualStrip shownStrip_ = ManualStrip::Following;
};

}  // namespace tf
