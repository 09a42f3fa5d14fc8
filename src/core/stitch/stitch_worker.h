#pragma once
// The work of the stitch-and-save thread: compose, name, write, report. The
// thread itself, COM and the posting of the result live in the Windows shell;
// this part only sees the few effects it needs through StitchWorkerHost.

#include <cstdint>
#include <memory>
#include <string>

#include "core/stitch/live_stitch.h"
#include "core/stitch/stitch_job.h"

namespace tf {

class StitchWorkerHost {
public:
    virtual ~StitchWorkerHost() = default;
    virtual uint64_t tickCount() = 0;
    // Local time as used in output names, e.g. 20261207-084712.
    virtual std::wstring timestamp() = 0;
    // Atomic exchange of the saving stage the overlay shows.
    virtual void storeSavingStage(int32_t stage) = 0;
    virtual void postOverlayRedraw() = 0;
};

// Plans the composition of the job's frames, creates the output folder, writes
// "tallyframe-<timestamp>.png" into it ("-2", "-3", ... before ".png" when
// that name is taken) from the frames, releasing each once its rows are
// written, and returns the filled result. An image longer than the job's
// split length goes out as "<name>-part01.png", ... instead, all or none; the
// result's path is then the first part's. Never
// throws for a failing step: `succeeded` then stays false and the fields hold
// what was reached. The caller posts the result.
std::unique_ptr<StitchResult> runStitchAndSave(StitchJob& job, StitchWorkerHost& host);

// The same file and the same result from a stitch that joined the frames
// while the capture ran: finishes it, then writes its rows, split as
// runStitchAndSave splits. `direction` is the way the capture scrolled.
std::unique_ptr<StitchResult> runLiveStitchAndSave(LiveStitch& stitch, ScrollDirection direction,
                                                   const std::wstring& outputFolder, int32_t splitLength,
                                                   StitchWorkerHost& host);

}  // namespace tf
