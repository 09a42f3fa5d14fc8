#pragma once
// What a capture loop needs from the system, by job, and where its results
// go, so that both loops run natively against a simulated screen. The loop
// gets the rectangle in the request and hands it to every grab; it knows
// nothing of the windows that show it: whoever starts it has decided that it
// may, and hears of its progress and its ending through the sink.

#include <cstdint>
#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/capture/capture_rules.h"
#include "core/capture/scroll_method.h"
#include "core/stitch/turned_frames.h"
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

// The pointer, which a capture parks over the area and hides from the grabs.
class CapturePointer {
public:
    virtual bool cursorShowing() = 0;
    // ShowCursor: the new display count.
    virtual int32_t showCursor(bool show) = 0;
    virtual void setCursorPos(int32_t x, int32_t y) = 0;

protected:
    ~CapturePointer() = default;
};

// The input that scrolls the page under the area.
class ScrollInput {
public:
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

protected:
    ~ScrollInput() = default;
};

// The keys that finish a capture, as GetAsyncKeyState reports them.
class FinishKeys {
public:
    virtual uint16_t escapeKeyState() = 0;
    // Only a manual capture finishes on Enter.
    virtual uint16_t enterKeyState() = 0;

protected:
    ~FinishKeys() = default;
};

// The screen under the area, and where its grabs are dumped.
class CaptureScreen {
public:
    // `rect` (virtual-desktop pixels) as it is on screen now.
    virtual PixelImage grab(const Rect& rect) = 0;
    // The capture-log folder of this capture; empty when logging is off.
    virtual std::filesystem::path createLogFolder() = 0;

protected:
    ~CaptureScreen() = default;
};

class CaptureClock {
public:
    virtual uint64_t tickCount() = 0;

protected:
    ~CaptureClock() = default;
};

// A clock the loop may wait on: the automatic loop times its probes by it.
class WaitingClock : public CaptureClock {
public:
    virtual void sleep(uint32_t ms) = 0;

protected:
    ~WaitingClock() = default;
};

// Where a capture's results go: its progress as it runs, each frame as it is
// kept, then exactly one ending.
class CaptureSink {
public:
    // After every change of the kept frames and of a manual capture's strip.
    virtual void progressChanged(const CaptureProgress& progress) = 0;
    // Kept frame number `index`, as the loop holds it. A manual capture may
    // tell an index again: the frame repainted in place, or the first frame
    // turned when the capture learnt its direction.
    virtual void frameKept(size_t index, const PixelImage& frame) = 0;
    // Told every verdict; the Windows sink ignores it.
    virtual void probeClassified(const ProbeRecord&) {}
    // The words for a failure, as the capture log records them.
    virtual std::wstring failureText(const CaptureFailure& failure) = 0;
    // A kept frame the loop looks at no more, as the loop held it (turned
    // downward when sideways), in the order kept: the stitch may join it now.
    virtual void frameHandedOn(PixelImage frame) = 0;
    // The capture failed: the frames handed on are discarded; the sink tells
    // the user why.
    virtual void captureFailed(const CaptureFailure& failure) = 0;
    // The capture ended well: every kept frame has been handed on.
    // `direction` is the way it scrolled.
    virtual void captureFinished(ScrollDirection direction) = 0;

protected:
    ~CaptureSink() = default;
};

// What both loops are given for one capture. The finish latch is raised by a
// finish key (the loop) or by whoever drives the capture (the overlay on a
// display change); the loop clears it when it starts.
struct CaptureParts {
    FinishKeys& keys;
    CaptureScreen& screen;
    CaptureSink& sink;
    FinishLatch& finish;
};

// The automatic loop's host: the parts, and the pointer, the scrolling and a
// clock to wait on.
struct CaptureHost {
    CaptureParts parts;
    CapturePointer& pointer;
    ScrollInput& scroll;
    WaitingClock& clock;
};

// The manual loop's host: it sends no input, leaves the pointer alone and
// never waits.
struct ManualCaptureHost {
    CaptureParts parts;
    CaptureClock& clock;
};

// The system's wheel settings, each empty when it could not be read.
struct WheelSettings {
    std::optional<uint32_t> lines = kDefaultWheelLines;  // per vertical notch
    std::optional<uint32_t> chars = kDefaultWheelLines;  // per horizontal notch
};

// Whoever starts a capture has checked that one may start now.
struct CaptureRequest {
    Rect rect;                 // virtual-desktop pixels, normalised
    bool rectValid = false;
    bool startFromTop = false;  // send the page to its top before the first frame
    ScrollDirection direction = ScrollDirection::Down;  // the way the content is scrolled
    WheelSettings wheel{};  // read when the capture was asked for
    // The capture ends, saved, once it has kept this many frames, or before
    // the image stitched from them would pass this many pixels: a page that
    // never ends (an endless feed) must not fill the memory.
    int32_t maxFrames = kMaxCaptureFrames;
    int64_t maxPixels = kMaxCapturePixels;
};

}  // namespace tf
