#pragma once
// One save at a time: the stitch-and-save worker thread, and the SaveSession
// that says what the windows show about it. The save knows the window that
// shows it only through a SaveWatcher and the messages it is told to post.

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ground/pixel_image.h"
#include "ground/scroll_direction.h"
#include "core/stitch/stitch_job.h"

namespace tf {

// The numbers of the last saved image, for the result page.
struct CaptureStats {
    uint32_t frameCount = 0;
    uint64_t width = 0, height = 0, stitchMs = 0, saveMs = 0;
    uint64_t length = 0;      // along the way it scrolled: the height, or sideways the width
    uint32_t partCount = 0;   // files it was saved in when split, else 0
    int32_t partLength = 0;   // rows (columns) per part when split
};

// Written by the functions below (the tests set it to stage a page);
// everyone else reads.
struct SaveSession {
    bool inProgress = false;     // from startStitchAndSave to the result's arrival
    std::wstring savedImagePath; // the last saved image; emptied for a new selection
    CaptureStats lastCaptureStats;  // the new selection zeroes the two times
    // Written by the worker thread, which holds its own reference: the
    // stage outlives the application if a worker is still finishing.
    std::shared_ptr<std::atomic<int32_t>> stage = std::make_shared<std::atomic<int32_t>>(0);
    uint64_t startTick = 0;
};

// Where the worker answers: `doneMessage` carries its StitchResult in the
// LPARAM (the receiver owns it; null when the save failed), `redrawMessage`
// asks for the overlay to show the next stage. A null window hears nothing.
struct SaveReplies {
    HWND window = nullptr;
    UINT doneMessage = 0;
    UINT redrawMessage = 0;
};

// What the save tells the window that shows it, on the GUI thread.
class SaveWatcher {
public:
    // The session is in Saving; the worker starts next.
    virtual void savingStarted() = 0;
    // No worker could be started and no result will arrive.
    virtual void savingFailedToStart() = 0;

protected:
    ~SaveWatcher() = default;
};

// Takes the capture's stitch over, enters Saving and starts the worker,
// which finishes the stitch, writes into `folder` and answers through `replies`.
void startStitchAndSave(SaveSession& save, CapturedStitch capture, std::wstring folder, int32_t splitLength,
                        const SaveReplies& replies,
                        SaveWatcher& watcher);
// The done message arrived: no save runs any more.
void endSaving(SaveSession& save);
// Keeps the path and the numbers of a successful save for the result page.
void keepSavedCapture(SaveSession& save, const StitchResult& result);
// A new rectangle was chosen: the last image is forgotten.
void forgetSavedCapture(SaveSession& save);

}  // namespace tf
