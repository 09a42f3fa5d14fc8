#pragma once
// What a capture loop needs from the system and the UI, and what it tells
// them: one interface for the automatic and the manual loop, so that both run
// natively against a simulated screen. The loop gets the rectangle in the
// request and hands it to every grab; it publishes its progress and hears of a
// finish request through the host, never through process-wide values.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "core/app/ui_state.h"
#include "core/capture/capture_rules.h"
#include "core/capture/scroll_method.h"
#include "core/tuning.h"
#include "ground/pixel_image.h"
#include "ground/rect.h"
#include "ground/scroll_direction.h"

namespace tf {

enum class CaptureAction : int32_t { NoMotion = 0, KeepScrolling = 1, AcceptFrame = 2, LostOverlap = 3 };

// Why a capture failed; the shell turns it into the message in the user's language.
enum class CaptureError : int32_t {
    None = 0,
    WheelDisabled = 1,     // the system wheel setting scrolls nothing
    WheelInputFailed = 2,  // the system refused a wheel event
    LostOverlap = 3,       // a grab no longer overlapped the last kept frame
    TargetElevated = 5,    // the window under the area runs at a higher integrity level than we do
    ScrollInputFailed = 6, // a way of scrolling other than the wheel, used so far, could no longer be sent
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

// What the overlay's strip says while a manual capture runs.
enum class ManualStrip : int32_t {
    Following = 0,       // "Scroll the area at your own pace"
    ScrolledTooFar = 1,  // the picture no longer overlaps the last kept frame
};

// What the overlay shows of a running capture.
struct CaptureProgress {
    uint32_t frameCount = 0;  // frames kept so far
    int64_t heightPx = 0;     // frames kept × the height of the first frame
    ManualStrip strip = ManualStrip::Following;  // an automatic capture leaves it Following
    // Which way the page goes: the request's, until a manual capture's first
    // motion says otherwise.
    ScrollDirection direction = ScrollDirection::Down;
    bool operator==(const CaptureProgress&) const = default;
};

class CaptureHost {
public:
    virtual ~CaptureHost() = default;
    // The system wheel setting; false when it cannot be read.
    virtual bool wheelScrollLines(uint32_t& lines) = 0;
    // The system's horizontal wheel setting (characters per notch); false
    // when it cannot be read.
    virtual bool wheelScrollChars(uint32_t& chars) = 0;
    virtual bool cursorShowing() = 0;
    // ShowCursor: the new display count.
    virtual int32_t showCursor(bool show) = 0;
    virtual void setCursorPos(int32_t x, int32_t y) = 0;
    // One wheel event with this mouseData; the number of events the system took.
    virtual uint32_t sendWheel(int32_t delta) = 0;
    // One sideways wheel event: the horizontal wheel with this mouseData
    // (positive scrolls right), or with `shifted` the vertical wheel with this
    // mouseData while Shift is held. The number of events the system took.
    virtual uint32_t sendSidewaysWheel(int32_t delta, bool shifted) = 0;

    // Finds the window under `at` that is not one of ours and keeps it for the
    // calls below: the number of windows a scroll bar message can go to (that
    // window, then its ancestors that have a scroll bar), 0 when there is no
    // such window.
    virtual int32_t findScrollTargets(Point at) = 0;
    // One step of `route` (never the wheel) towards the end of the page; false
    // when it could not be delivered.
    virtual bool sendScrollStep(const ScrollRoute& route) = 0;
    // Sends the page to its start: the scroll bars' top (sideways: left)
    // message to every target, then the Home key.
    virtual void sendToTop() = 0;
    // Our process's integrity level, and that of the process owning the window found.
    virtual IntegrityLevel ownIntegrity() = 0;
    virtual IntegrityLevel targetIntegrity() = 0;

    virtual void sleep(uint32_t ms) = 0;
    virtual uint64_t tickCount() = 0;
    // GetAsyncKeyState(VK_ESCAPE).
    virtual uint16_t escapeKeyState() = 0;
    // `rect` (virtual-desktop pixels) as it is on screen now.
    virtual PixelImage grab(const Rect& rect) = 0;
    // The capture-log folder of this capture; empty when logging is off.
    virtual std::filesystem::path createLogFolder() = 0;
    // The finish request of the capture: raised by a finish key (the loop) or
    // by whoever drives the capture (the overlay on a display change), cleared
    // when a capture starts.
    virtual FinishLatch& finishLatch() = 0;
    // Told after every change of the kept frames and of a manual capture's strip.
    virtual void publishProgress(const CaptureProgress& progress) = 0;

    virtual bool saveInProgress() = 0;
    virtual UiState uiState() = 0;
    // The words for a failure, as the capture log records them.
    virtual std::wstring failureText(const CaptureFailure& failure) = 0;
    // Ends a failed capture: closes the overlay, enters Failed, shows the main
    // window and tells the user why. The kept frames are discarded.
    virtual void failCapture(const CaptureFailure& failure) = 0;
    // Takes the kept frames over as the loop holds them, with the way their
    // content scrolled: turned on their side (content moving up) when that
    // is right, so the stitch does not turn them again. The main window
    // enters Saving.
    virtual void startStitchAndSave(std::vector<PixelImage> frames, ScrollDirection direction) = 0;
    // Told every verdict; the Windows host ignores it.
    virtual void probeClassified(const ProbeRecord&) {}
};

struct CaptureRequest {
    Rect rect;                 // virtual-desktop pixels, normalised
    bool rectValid = false;
    bool startFromTop = false;  // send the page to its top before the first frame
    ScrollDirection direction = ScrollDirection::Down;  // the way the content is scrolled
    // The capture ends, saved, once it has kept this many frames: a page that
    // never ends (an endless feed) must not fill the memory.
    int32_t maxFrames = kMaxCaptureFrames;
};

}  // namespace tf
