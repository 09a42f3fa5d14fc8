#pragma once
// The auto-scroll capture loop: wheel notch, wait, grab, settle, verdict, until
// the page ends, the user stops it, the frame limit is hit or the overlap is
// lost. Portable: every effect on the system and the UI goes through
// CaptureHost, so the loop runs natively against a simulated screen.

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "ground/rect.h"
#include "core/app/ui_state.h"
#include "core/tuning.h"
#include "ground/pixel_image.h"

namespace tf {

enum class CaptureAction : int32_t { NoMotion = 0, KeepScrolling = 1, AcceptFrame = 2, LostOverlap = 3 };

// Why a capture failed; the shell turns it into the message in the user's language.
enum class CaptureError : int32_t {
    None = 0,
    WheelDisabled = 1,     // the system wheel setting scrolls nothing
    WheelInputFailed = 2,  // the system refused a wheel event
    LostOverlap = 3,       // a grab no longer overlapped the last kept frame
    FrameLimit = 4,        // kMaxCaptureFrames were kept before the page ended
};

struct CaptureFailure {
    CaptureError kind = CaptureError::None;
    int32_t overlap = 0;  // LostOverlap: the candidate overlap (px) and its score
    double score = 0;
    bool failed() const { return kind != CaptureError::None; }
    bool operator==(const CaptureFailure&) const = default;
};

// One probe's verdict, as the capture log records it.
struct ProbeRecord {
    int32_t step = 0;
    int32_t probe = 0;
    CaptureAction action = CaptureAction::NoMotion;
    int32_t overlap = 0;
    double score = 0;
    int32_t expected = 0;
};

class CaptureHost {
public:
    virtual ~CaptureHost() = default;
    // The system wheel setting; false when it cannot be read.
    virtual bool wheelScrollLines(uint32_t& lines) = 0;
    virtual bool cursorShowing() = 0;
    // ShowCursor: the new display count.
    virtual int32_t showCursor(bool show) = 0;
    virtual void setCursorPos(int32_t x, int32_t y) = 0;
    // One wheel event with this mouseData; the number of events the system took.
    virtual uint32_t sendWheel(int32_t delta) = 0;
    virtual void sleep(uint32_t ms) = 0;
    virtual uint64_t tickCount() = 0;
    // GetAsyncKeyState(VK_ESCAPE).
    virtual uint16_t escapeKeyState() = 0;
    // The capture rectangle as it is on screen now.
    virtual PixelImage grab() = 0;
    // The capture-log folder of this capture; empty when logging is off.
    virtual std::filesystem::path createLogFolder() = 0;

    virtual bool saveInProgress() = 0;
    virtual UiState uiState() = 0;
    // The words for a failure, as the capture log records them.
    virtual std::wstring failureText(const CaptureFailure& failure) = 0;
    // Ends a failed capture: closes the overlay, enters Failed, shows the main
    // window and tells the user why. The kept frames are discarded.
    virtual void failCapture(const CaptureFailure& failure) = 0;
    // Takes the kept frames over; the main window enters Saving.
    virtual void startStitchAndSave(std::vector<PixelImage> frames) = 0;
    // Told every verdict; the Windows host ignores it.
    virtual void probeClassified(const ProbeRecord&) {}
};

struct CaptureRequest {
    Rect rect;                 // virtual-desktop pixels, normalised
    bool rectValid = false;
};

// How a capture ended, for the caller's and the tests' information.
struct CaptureOutcome {
    bool started = false;      // passed the start conditions
    bool reachedEnd = false;
    bool finishedByUser = false;
    size_t frameCount = 0;
    CaptureFailure failure;    // kind None on success
    // The page ended at the first probes with only the first frame kept: the
    // window most likely ignored the wheel input (a program running as
    // administrator, a game), which the shell tells the person.
    bool pageNeverMoved = false;
};

// Frames kept so far and frames × height of the first frame, for the overlay.
// Written only by the controller; resetCapturedProgress clears them for a new capture.
extern std::atomic<uint32_t> capturedFrameCount;
extern std::atomic<int64_t> capturedHeightPx;
void resetCapturedProgress();

CaptureOutcome runCapture(CaptureHost& host, const CaptureRequest& request);

}  // namespace tf
