#pragma once
// The interactive program's one owner of state. wWinMain makes one
// Application and hands it to the main window; the overlay carries a pointer to it in GWLP_USERDATA (set from the CREATESTRUCT in
// WM_NCCREATE), and its procedure reaches it from there. The main window and
// the settings window are objects of their own (MainWindow, SettingsWindow)
// that the application makes and outlives; their windows carry a pointer to
// their object instead. The settings window reaches the rest only through
// ApplicationHosts.
// Each part below is written by the file named with it; everyone else reads.
// GUI thread only, except where a part says otherwise: worker threads get
// what they need as values when they start.

#include <windows.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/app/control_ids.h"
#include "core/app/ui_state.h"
#include "core/capture/capture_host.h"
#include "core/capture/capture_rules.h"
#include "core/settings/settings.h"
#include "ground/rect.h"
#include "platform/win32/win32_handles.h"
#include "shell/app/global_hotkey_win32.h"
#include "shell/app/main_window_win32.h"
#include "shell/app/review_hook_win32.h"
#include "shell/app/ui_hosts_win32.h"
#include "shell/capture/target_window_win32.h"
#include "shell/clipboard/image_clipboard_win32.h"
#include "shell/save/save_session_win32.h"
#include "shell/ui/button_proc_win32.h"
#include "shell/ui/settings_window_win32.h"

namespace tf {

// One save at a time: SaveSession, shell/save/save_session_win32.cpp.

// The saved image on the clipboard and the capture hotkey:
// shell/app/copy_and_hotkey_win32.cpp.
struct CopyAndHotkeyState {
    ClipboardImageOffer clipboardOffer;
    bool copiedNotice = false;  // the Copy image button shows "Copied"
    std::unique_ptr<GlobalHotkey> captureHotkey;
    HotkeyRegistration lastRegistration = HotkeyRegistration::Registered;
    HWND recordingControl = nullptr;  // the chord control while it records
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
    // The frame limit that ended the last capture before its page ended; 0
    // when the page or the person ended it.
    int32_t lastStoppedAtLimit = 0;
};

struct Application {
    explicit Application(HINSTANCE instance) : instance(instance) {}
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    HINSTANCE instance;
    Settings settings;  // loaded by runInteractiveProgram; saved whole on each change

    // Set when each window is created, cleared when it is destroyed.
    HWND mainWindow = nullptr;      // by `main`, shell/app/app_window_win32.cpp
    HWND overlayWindow = nullptr;   // shell/capture/selection_overlay_win32.cpp
    bool reducedMotion = false;     // the system's client-area animation is off

    SaveSession save;
    CopyAndHotkeyState copyAndHotkey;
    SelectionSession selection;
    // What the buttons and the settings window see of the rest; before them.
    ApplicationHosts hosts{*this};
    OwnerButtons buttons{hosts};
    SettingsWindow settingsWindow{instance, hosts, buttons};
    MainWindow main{*this};
    CaptureDriver capture;
    OverlayBuffer overlayBuffer;
    ReviewSession review;  // shell/app/review_hook_win32.cpp
};

// WM_NCCREATE of a window made with the application as its CreateWindowExW
// parameter: keeps the pointer in the window.
void attachApplication(HWND window, LPARAM createStruct);
// The application a window of this program carries, or null for any other
// window (and for messages that come before WM_NCCREATE).
Application* applicationOf(HWND window);
// The start of every window procedure of the program: keeps the pointer on
// WM_NCCREATE, then finds it as applicationOf does.
Application* applicationForMessage(HWND window, UINT message, LPARAM lParam);
// The application of a control's parent window.
Application* applicationOfControl(HWND control);

}  // namespace tf
