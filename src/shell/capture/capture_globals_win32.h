#pragma once
// The capture's own values (GUI thread). The chosen rectangle and the
// overlay's placement are the application's SelectionSession
// (shell/app/application_win32.h); the progress is the capture driver's.

#include <windows.h>

#include <cstdint>

#include "ground/rect.h"
#include "core/capture/manual_capture.h"
#include "shell/app/application_win32.h"

namespace tf {

// What the overlay shows of the capture that runs or was just handed to the
// save. One record, owned by the capture driver in capture_host_win32.cpp and
// written only there: both loops publish their progress into it through the
// capture host, and the driver marks a manual capture's start and end.
struct CaptureProgressRecord {
    uint32_t frameCount = 0;     // frames kept so far; while saving, the frames handed over
    int64_t heightPx = 0;        // frames kept × the height of the first frame
    bool manualRunning = false;  // a manual capture runs: the strip tells the person what to do
    ManualStrip strip = ManualStrip::Following;
};
const CaptureProgressRecord& captureProgress();

// Asks the running capture to end and save what it has (the overlay, on a
// display change); the capture hears of it through its host.
void requestCaptureFinish();

// How the last capture moved the page, for the result page's subtitle.
// Written by capture_host_win32.cpp.
enum class CaptureKind : int32_t {
    Scrolled,        // the program scrolled the page
    NeverScrolled,   // an automatic capture whose page never moved: it says why
    PersonScrolled,  // a manual capture
};
extern CaptureKind lastCaptureKind;

// Restores, deletes and empties the overlay's back buffer.
void freeOverlayBuffer();

}  // namespace tf
