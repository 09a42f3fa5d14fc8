#pragma once
// One save at a time: the stitch-and-save worker thread, and the values that
// say what the main window shows about it. This file is their only writer
// (the tests set them to stage a page); everyone else reads.

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "ground/pixel_image.h"
#include "core/stitch/stitch_job.h"

namespace tf {

extern bool saveInProgress;              // from startStitchAndSave to the result's arrival
extern std::wstring savedImagePath;      // the last saved image; emptied for a new selection
struct CaptureStats {
    uint32_t frameCount = 0;
    uint64_t width = 0, height = 0, stitchMs = 0, saveMs = 0;
};
extern CaptureStats lastCaptureStats;    // the new selection zeroes the two times
extern std::atomic<int32_t> savingStage; // written by the worker thread
extern uint64_t savingStartTick;

// Takes the accepted frames over, enters Saving and starts the worker, which
// posts WM_APP_STITCH_DONE to the main window.
void startStitchAndSave(std::vector<PixelImage> frames);
// WM_APP_STITCH_DONE arrived: no save runs any more.
void endSaving();
// Keeps the path and the numbers of a successful save for the result page.
void keepSavedCapture(const StitchResult& result);
// A new rectangle was chosen: the last image is forgotten.
void forgetSavedCapture();

}  // namespace tf
