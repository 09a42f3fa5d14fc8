#pragma once
// The capture's own process-wide values (GUI thread). The chosen rectangle and
// the overlay's placement are the application's SelectionSession
// (shell/app/application_win32.h).

#include <windows.h>

#include <cstdint>

#include "ground/rect.h"
#include "core/capture/manual_capture.h"
#include "shell/app/application_win32.h"

namespace tf {

// A manual capture's state for the strip; written by capture_host_win32.cpp,
// which drives that capture.
extern bool manualCaptureRunning;
extern ManualStrip manualStrip;
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
