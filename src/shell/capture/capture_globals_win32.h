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

// What the overlay shows of the capture (the application's CaptureDriver).
const CaptureProgressRecord& captureProgress(const Application& app);

// Restores, deletes and empties the overlay's back buffer.
void freeOverlayBuffer(Application& app);

}  // namespace tf
