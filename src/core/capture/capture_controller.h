#pragma once
// The auto-scroll capture loop: scroll inputs, grabs until the picture has come
// to rest, the verdict on it, until the page ends, the user stops it, the
// frame or the size limit is met (which saves what was kept) or the overlap is lost.
// Portable: every effect on the system and the UI goes through its host, so
// the loop runs natively against a simulated screen.

#include <cstddef>
#include <cstdint>

#include "ground/rect.h"
#include "core/tuning.h"
#include "ground/pixel_image.h"
#include "core/capture/capture_budget.h"
#include "core/capture/capture_host.h"

namespace tf {

// How a capture ended, for the caller's and the tests' information.
struct CaptureOutcome {
    bool started = false;      // passed the start conditions
    bool reachedEnd = false;
    bool finishedByUser = false;
    size_t frameCount = 0;
    // The request's limit that ended the capture before the page did; the
    // frames kept were saved.
    CaptureLimit limit = CaptureLimit::None;
    CaptureFailure failure;    // kind None on success
    // The page ended at the first probes with only the first frame kept: the
    // window most likely ignored the wheel input (a program running as
    // administrator, a game), which the shell tells the person.
    bool pageNeverMoved = false;
};

// The loop publishes its progress through the host's sink and hears of a
// finish request through its latch (capture_host.h), never through
// process-wide values.

CaptureOutcome runCapture(const CaptureHost& host, const CaptureRequest& request);

}  // namespace tf
