#pragma once
// The capture area: the selection and capture overlay, the chosen rectangle,
// the capture that runs and what the overlay shows of it. The application
// makes one CaptureArea and calls the entry points below; the area reaches
// the rest of the program only through CaptureShell, which the application
// answers. GUI thread only: worker threads get what they need as values.

#include <windows.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "core/app/ui_state.h"
#include "core/capture/capture_budget.h"
#include "core/capture/capture_host.h"
#include "core/stitch/stitch_job.h"
#include "core/settings/settings.h"
#include "ground/rect.h"
#include "ground/scroll_direction.h"
#include "platform/win32/win32_handles.h"
#include "shell/capture/target_window_win32.h"

namespace tf {

// What the capture needs of the program around it.
class CaptureShell {
public:
    virtual const Settings& settings() const = 0;
    virtual UiState uiState() const = 0;
    // Along the transition table only.
    virtual void setUiState(UiState to) = 0;
    // Hidden while the overlay shows; its window also carries the manual capture's timer.
    virtual HWND mainWindow() const = 0;
    virtual void showMain() = 0;
    // Ends a capture that cannot go on and shows the main window; with a
    // message, tells the person why.
    virtual void failCapture(const wchar_t* message, UINT icon) = 0;
    // The accepted rectangle starts the capture once the overlay is up.
    virtual void startCaptureSoon() = 0;
    // A new rectangle: the image saved last is no longer this capture's.
    virtual void forgetSavedCapture() = 0;
    virtual bool saveInProgress() const = 0;
    // The capture's stitch, joined while it ran, goes to the save.
    virtual void saveCapture(CapturedStitch capture) = 0;
    // What the saving view shows: when the save began and the stage it is in.
    virtual uint64_t saveStartTick() const = 0;
    virtual int32_t saveStage() const = 0;
    virtual bool reducedMotion() const = 0;

protected:
    ~CaptureShell() = default;
};

// The drag of the overlay window that shows now, made anew when each overlay
// window is created.
struct SelectionState {
    POINT anchor{};
    POINT current{};
    Rect workArea;
    HMONITOR monitor = nullptr;
    bool dragging = false;
    bool clampToWorkArea = false;
    Rect highlight;  // what a click would pick, virtual-desktop pixels; empty when nothing
    HWND highlightWindow = nullptr;  // the window the highlight was found for
    TopLevelWindows windows;  // the other programs' windows, as last taken
};

// The chosen rectangle and the overlay's placement:
// shell/capture/selection_overlay_win32.cpp.
struct SelectionSession {
    SelectionState drag;
    Rect captureRect;  // virtual-desktop pixels, normalised
    bool captureRectValid = false;
    Rect overlayBounds;      // where the overlay window lies
    uint32_t overlayDpi = 96;  // DPI of every DIP size the overlay draws
    uint64_t captureStartTick = 0;  // when the rectangle was accepted
    bool overlayClassRegistered = false;
    // The way the chosen area scrolls: the setting's when the overlay opens,
    // changed for this capture by the arrow keys before the drag.
    ScrollDirection direction = ScrollDirection::Down;
};

// What the overlay shows of the capture that runs or was just handed to the
// save: both loops publish their progress into it through the capture host,
// and the driver marks a manual capture's start and end.
struct CaptureProgressRecord {
    uint32_t frameCount = 0;     // frames kept so far; while saving, the frames handed over
    int64_t heightPx = 0;        // frames kept × the height of the first frame
    bool manualRunning = false;  // a manual capture runs: the strip tells the person what to do
    ManualStrip strip = ManualStrip::Following;
    ScrollDirection direction = ScrollDirection::Down;  // where the overlay's arrow points
};

// How the last capture moved the page, for the result page's subtitle.
enum class CaptureKind : int32_t {
    Scrolled,        // the program scrolled the page
    NeverScrolled,   // an automatic capture whose page never moved: it says why
    PersonScrolled,  // a manual capture
};

// The overlay's back buffer, kept between redraws while the size holds:
// shell/capture/overlay_drawing_win32.cpp.
struct OverlayBuffer {
    UniqueMemoryDc dc;
    UniqueBitmap dib;
    SelectedObject selected;  // restored before the DIB and the DC go
    uint32_t* bits = nullptr;
    int32_t width = 0, height = 0;
    std::vector<uint8_t> mask;  // the alpha GDI does not write, stamped shape by shape
};

struct ManualSession;     // a running manual capture and its parts
struct AutomaticSession;  // an automatic capture on its worker thread

// The capture that runs, and what the last one did:
// shell/capture/capture_host_win32.cpp.
struct CaptureDriver {
    CaptureDriver();
    ~CaptureDriver();  // where ManualSession is complete
    CaptureProgressRecord progress;
    FinishLatch finish;
    std::unique_ptr<ManualSession> manual;  // while a manual capture runs
    // While an automatic capture runs; declared after the latch its worker polls.
    std::unique_ptr<AutomaticSession> automatic;
    CaptureKind lastKind = CaptureKind::Scrolled;
    // The limit that ended the last capture before its page ended (None
    // when the page or the person ended it), and the frame limit it had.
    CaptureLimit lastLimit = CaptureLimit::None;
    int32_t lastFrameLimit = 0;
};

struct CaptureArea {
    CaptureArea(HINSTANCE instance, CaptureShell& shell) : instance(instance), shell(shell) {}
    CaptureArea(const CaptureArea&) = delete;
    CaptureArea& operator=(const CaptureArea&) = delete;

    HINSTANCE instance;
    CaptureShell& shell;
    HWND overlayWindow = nullptr;  // set when the overlay is created, cleared when it is destroyed
    SelectionSession selection;
    CaptureDriver driver;
    OverlayBuffer overlayBuffer;
};

// The selection overlay opens on Home; Esc or a display change closes it.
void beginSelection(CaptureArea& area);
void cancelSelection(CaptureArea& area);
void closeOverlay(CaptureArea& area);
void redrawOverlay(CaptureArea& area);
// Once the rectangle is accepted (startCaptureSoon): runs the automatic
// capture on its worker, or starts a manual one that TimerId::ManualCapture
// drives from then on.
void startCapture(CaptureArea& area);
// TimerId::ManualCapture fired: one look at the area, then the timer again.
void onManualCaptureTimer(CaptureArea& area);
// A capture's loop runs: the program neither ends nor starts another one.
bool captureRunning(const CaptureArea& area);
// Ends the running capture as Esc does: what was kept is saved.
void requestCaptureFinish(CaptureArea& area);

}  // namespace tf
