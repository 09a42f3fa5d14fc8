#pragma once
// Shared by the capture area's files (GUI thread): what the overlay shows of
// the capture, and the overlay's back buffer.

#include <windows.h>

#include <cstdint>

#include "ground/rect.h"
#include "core/capture/manual_capture.h"
#include "shell/capture/capture_area_win32.h"

namespace tf {

// What the overlay shows of the capture (the area's CaptureDriver).
const CaptureProgressRecord& captureProgress(const CaptureArea& area);

// Restores, deletes and empties the overlay's back buffer.
void freeOverlayBuffer(CaptureArea& area);

}  // namespace tf
