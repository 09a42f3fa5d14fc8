#pragma once
// What the automatic and the manual capture loop share of one capture: the
// start, the system's wheel setting, the capture log with its frame
// dumps, the finish request, the kept frames with the progress published for
// them, and the ending that hands the last frame to stitch-and-save or fails.
// Each loop decides only how it looks at the area and which grabs it keeps.
//
// Only the frames the loops still look at are held: the last kept, and the
// one kept before it. Every other kept frame has been handed on to the sink,
// whose stitch joins it while the capture goes on.
//
// A capture that scrolls to the right is turned on its side here: every grab
// is dumped as it was grabbed and handed to the loop transposed, so that the
// loop, which only knows content moving up, runs unchanged. The kept frames
// are handed on still turned, and the stitch works on them as they are; the
// dumps are what the offline stitch reads.

#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/capture/capture_budget.h"
#include "core/capture/capture_host.h"
#include "core/capture/capture_log.h"
#include "ground/pixel_image.h"

namespace tf {

struct ProbeVerdict;

// How a capture ended, as the summary line of its log tells it.
struct CaptureEnding {
    bool reachedEnd = false;
    bool finishedByUser = false;
    // A limit was met before the page ended: the frames go to
    // stitch-and-save all the same.
    CaptureLimit limit = CaptureLimit::None;
    CaptureFailure failure;  // kind None: the frames go to stitch-and-save
};

class CaptureSession {
public:
    // The parts must outlive the session.
    CaptureSession(const CaptureParts& parts, const CaptureRequest& request);
    CaptureSession(const CaptureSession&) = delete;
    CaptureSession& operator=(const CaptureSession&) = delete;

    // With a valid rectangle: takes the request's wheel setting for the
    // direction (3 when it could not be read), forgets an Esc press made before the capture (a
    // key still held counts) and an earlier finish request, and returns true;
    // otherwise nothing has happened.
    bool begin();
    // The system's wheel setting for the direction: lines per notch, or
    // characters per horizontal notch for a sideways capture.
    uint32_t wheelScrollLines() const { return wheelLines_; }
    const Rect& rect() const { return request_.rect; }
    ScrollDirection direction() const { return direction_; }
    // Turns the capture the other way round from here on, the kept frame
    // with it: a manual capture learns its direction from the first motion,
    // before a second frame is kept (after that it is a logic_error, as the
    // frames handed on cannot be turned back).
    void changeDirection(ScrollDirection direction);
    // A grab as the loop sees it (transposed when the capture scrolls sideways).
    PixelImage turnedForLoop(PixelImage grabbed) const;
    // Dumps a picture the loop holds as it was grabbed.
    void dumpAsGrabbed(FrameDumper& dumper, const char* label, const PixelImage& loopPicture);

    // Opens the capture log when logging is on and points the frame dumps at
    // its folder. Its lines are held until the end, because the header names
    // the scroll method, which an automatic capture learns only from the
    // first motion: `method` until setScrollMethod tells otherwise (a delta of
    // 0 says that no wheel input is sent).
    void openLog(int32_t wheelDelta, ScrollMethod method);
    void setScrollMethod(ScrollMethod method) { scrollMethod_ = method; }
    // A grab of the rectangle, dumped under `label` ("initial", "candidate", "settle"),
    // as the loop sees it.
    PixelImage grabDumped(const char* label);
    // A grab of the rectangle that is not dumped, as the loop sees it.
    PixelImage grab();
    FrameDumper& dumper() { return dumper_; }

    // Tells the sink the verdict, then logs it with the action taken.
    void recordProbe(int32_t step, int32_t probe, CaptureAction action, const ProbeVerdict& verdict);
    // A line of key=value words about the probe just recorded, held with its line.
    void logLine(const std::string& line);

    size_t keptCount() const { return keptCount_; }
    // The last kept frame; empty before the first.
    const PixelImage& lastKept() const { return last_; }
    // The frame kept before the last, or null while fewer than two are kept.
    const PixelImage* keptBeforeLast() const { return keptCount_ >= 2 ? &beforeLast_ : nullptr; }
    // Keeps a frame that overlaps the last one by `overlap` rows (the first
    // overlaps nothing), tells the sink, hands the one kept before on and
    // publishes the progress; false, keeping nothing, when the request's
    // limits leave no room for it. The dumps made since the last kept
    // frame's then go, so that an offline stitch of the dumps ends where the
    // image does.
    bool keep(PixelImage frame, int32_t overlap);
    // The limit that ended the keeping: met by the last frame kept, or
    // passed by the one refused. None while frames may still be kept.
    CaptureLimit limitMet() const { return limitMet_; }
    // The last kept frame as it looks once painted: the same place, the same progress.
    void replaceLast(PixelImage frame);
    const CaptureProgress& progress() const { return progress_; }
    // What a manual capture's strip says; published when it changes.
    void showStrip(ManualStrip strip);

    // True when this call raised the finish request.
    bool requestFinish() { return parts_.finish.request(); }
    bool finishRequested() { return parts_.finish.requested(); }

    // Writes the log's header, the lines held and the summary line and closes
    // the log, then hands the last frame on and tells the sink the capture
    // finished, or on a failure tells the sink and drops it.
    void end(const CaptureEnding& ending);

private:
    bool logOpen() const { return log_.is_open() && log_.good(); }
    void removeDumpsPastLastKept();
    void publish() { parts_.sink.progressChanged(progress_); }

    CaptureParts parts_;
    const CaptureRequest request_;
    ScrollDirection direction_ = ScrollDirection::Down;
    uint32_t wheelLines_ = 3;
    std::ofstream log_;
    std::ostringstream heldLines_;  // the probe lines, written after the header at the end
    int32_t wheelDelta_ = 0;
    ScrollMethod scrollMethod_ = ScrollMethod::None;
    FrameDumper dumper_;
    // Every dump written, in order, with the fingerprint of its picture.
    struct DumpRecord {
        int32_t sequence = 0;
        const char* label = "";
        uint64_t fingerprint = 0;
    };
    std::vector<DumpRecord> dumps_;
    PixelImage last_;
    PixelImage beforeLast_;  // a copy of what was handed on: a manual capture looks back at it
    size_t keptCount_ = 0;
    int32_t firstHeight_ = 0;
    CaptureBudget budget_;
    CaptureLimit limitMet_ = CaptureLimit::None;
    CaptureProgress progress_;
};

}  // namespace tf
