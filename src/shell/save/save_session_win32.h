#pragma once
// One save at a time: the stitch-and-save worker thread, and the application's
// SaveSession that says what the main window shows about it. This file is its
// only writer (the tests set it to stage a page); everyone else reads.

#include <windows.h>

#include <vector>

#include "ground/pixel_image.h"
#include "ground/scroll_direction.h"
#include "core/stitch/stitch_job.h"
#include "shell/app/application_win32.h"

namespace tf {

// Takes the accepted frames over (as grabbed, their content scrolled in
// `direction`), enters Saving and starts the worker, which posts
// WM_APP_STITCH_DONE to the main window.
void startStitchAndSave(Application& app, std::vector<PixelImage> frames,
                        ScrollDirection direction = ScrollDirection::Down);
// WM_APP_STITCH_DONE arrived: no save runs any more.
void endSaving(SaveSession& save);
// Keeps the path and the numbers of a successful save for the result page.
void keepSavedCapture(SaveSession& save, const StitchResult& result);
// A new rectangle was chosen: the last image is forgotten.
void forgetSavedCapture(SaveSession& save);

}  // namespace tf
