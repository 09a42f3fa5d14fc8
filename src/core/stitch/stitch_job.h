#pragma once
// The records that travel between the GUI thread and the stitch-and-save worker.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/stitch/live_stitch.h"
#include "core/stitch/seam_record.h"
#include "core/stitch/turned_frames.h"
#include "ground/pixel_image.h"
#include "ground/scroll_direction.h"

namespace tf {

// A stitch of frames all held at once, the way a capture was saved before it
// was stitched while it ran: the bench and the tests measure the live stitch
// against it.
struct StitchJob {
    TurnedFrames frames;         // accepted frames in capture order, with the way they scrolled
    std::wstring outputFolder;   // capture folder, or the default one
    // Rows (columns, sideways) per saved part for an image longer than that;
    // 0 saves one file however long the image.
    int32_t splitLength = 0;
};

// A capture as it ended well: its stitch, joined while it ran, with the way
// it scrolled. Without a stitch there is nothing to save.
struct CapturedStitch {
    std::unique_ptr<LiveStitch> stitch;
    ScrollDirection direction = ScrollDirection::Down;
};

// Made by the worker at its start; owned by the main window once posted.
struct StitchResult {
    bool succeeded = false;
    std::wstring savedPath;               // the file, or the first part when split
    std::vector<std::wstring> partPaths;  // every part in order when split, else empty
    int32_t splitLength = 0;              // rows (columns) per part, when split
    uint32_t frameCount = 0;
    int64_t imageWidth = 0;
    int64_t imageHeight = 0;
    uint64_t stitchMs = 0;
    uint64_t saveMs = 0;
    ScrollDirection direction = ScrollDirection::Down;  // sideways: the seams' rows are columns
    std::vector<SeamRecord> seams;                       // one per join, in pair order
};

}  // namespace tf
