#pragma once
// The capture's own process-wide values (GUI thread), owned by the selection
// overlay; the controller, the drawing and the main window read them.

#include <windows.h>

#include <cstdint>

#include "ground/rect.h"
#include "core/capture/manual_capture.h"

namespace tf {

extern Rect captureRect;          // virtual-desktop pixels, normalised
extern bool captureRectValid;
extern Rect overlayBounds;        // where the overlay window lies
extern uint32_t overlayDpi;       // DPI of every DIP size the overlay draws
extern uint64_t captureStartTick; // when the rectangle was accepted

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

// Per selection window, in GWLP_USERDATA.
struct SelectionState {
    POINT anchor{};
    POINT current{};
    Rect workArea;
    HMONITOR monitor = nullptr;
    bool dragging = false;
    bool clampToWorkArea = false;
};

// Restores, deletes and empties the overlay's back buffer.
void freeOverlayBuffer();

}  // namespace tf
