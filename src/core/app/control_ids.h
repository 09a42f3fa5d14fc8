#pragma once
// The names of every control, command, icon and timer of the windows. A
// control's id is also the command its WM_COMMAND carries. Portable, so that
// the automation names and their tests speak of the same controls.
//
// Adding a control: a name here, a row in the control table
// (shell/app/control_table_win32.cpp), a case in the command dispatch
// (shell/app/commands_win32.cpp) and, when it draws itself, a row in the
// button style table (core/ui/button_faces.cpp).

#include <cstdint>

#include "core/app/resource_ids.h"

namespace tf {

enum class ControlId : int32_t {
    None = 0,
    // The main window's working buttons.
    StartCapture = 1,
    OpenImage = 2,
    CaptureAnother = 3,
    Settings = 4,  // the gear; "Back" on the in-window settings pages
    OpenFolder = 5,
    CopyImage = 6,
    Review = 7,  // opens the review window on the saved image
    // Title-bar style buttons of the custom frame.
    Minimize = 10,
    Close = 11,
    CloseSettings = 12,
    // Navigation between the settings pages.
    GeneralNavigation = 20,
    HelpNavigation = 21,
    AboutNavigation = 22,
    // Settings rows.
    CaptureFolderBox = 29,  // a static that shows the folder
    ChooseFolder = 30,
    Language = 31,
    OpenAfterCapture = 32,
    CaptureLogging = 33,
    CopyAfterCapture = 34,
    CaptureHotkey = 35,  // shows the chord; pressed, it records the next one
    ScrollMode = 36,     // switch: the person scrolls during a capture, the program follows
    StartFromTop = 37,   // switch: an automatic capture first sends the page to its top
    CaptureSideways = 38,  // switch: captures scroll to the right unless the overlay's arrow keys say otherwise
    ReviewAfterCapture = 39,  // switch: the review window opens after every capture
    // Links and the update check.
    ProductHome = 40,
    ProductSite = 41,
    Feedback = 42,
    CheckUpdates = 43,
    PublisherSite = 44,
    AboutProduct = 45,
    SplitTallImages = 46,  // shows the part height; pressed, it offers the choices
};

// The largest control id; the control slots hold one window per id up to it.
inline constexpr int32_t kMaxControlId = static_cast<int32_t>(ControlId::SplitTallImages);

constexpr int32_t idNumber(ControlId id) { return static_cast<int32_t>(id); }

// The switches flip a setting when pressed and report a toggle state.
constexpr bool isSwitchControl(ControlId id) {
    return id == ControlId::OpenAfterCapture || id == ControlId::CaptureLogging || id == ControlId::CopyAfterCapture ||
           id == ControlId::ScrollMode || id == ControlId::StartFromTop || id == ControlId::CaptureSideways ||
           id == ControlId::ReviewAfterCapture;
}

// SVG icon documents, by their resource number (resource_ids.h).
enum class IconId : int32_t {
    AppMark = TF_RESOURCE_ICON_APP_MARK,
    Selection = TF_RESOURCE_ICON_SELECTION,
    Minimize = TF_RESOURCE_ICON_MINIMIZE,
    Close = TF_RESOURCE_ICON_CLOSE,
    Check = TF_RESOURCE_ICON_CHECK,
    Picture = TF_RESOURCE_ICON_PICTURE,
    Copy = TF_RESOURCE_ICON_COPY,
    Gear = TF_RESOURCE_ICON_GEAR,
    ChevronLeft = TF_RESOURCE_ICON_CHEVRON_LEFT,
    Sliders = TF_RESOURCE_ICON_SLIDERS,
    Help = TF_RESOURCE_ICON_HELP,
    Info = TF_RESOURCE_ICON_INFO,
    Folder = TF_RESOURCE_ICON_FOLDER,
    Refresh = TF_RESOURCE_ICON_REFRESH,
    External = TF_RESOURCE_ICON_EXTERNAL,
    Speech = TF_RESOURCE_ICON_SPEECH,
    PublisherBadge = TF_RESOURCE_ICON_PUBLISHER_BADGE,
    Status = TF_RESOURCE_ICON_STATUS,
    ChevronDown = TF_RESOURCE_ICON_CHEVRON_DOWN,
};

inline constexpr IconId kFirstIcon = IconId::AppMark;
inline constexpr IconId kLastIcon = IconId::ChevronDown;

// The icon group every window shows.
inline constexpr int32_t kAppIconResource = TF_RESOURCE_APP_ICON;

// Timers (SetTimer ids) of the main window and of the selection overlay.
enum class TimerId : uintptr_t {
    HideMainWindow = 1,  // on the overlay: the main window goes once the overlay is up
    SavingAnimation = 3,
    FocusRestore = 4,
    CopiedNotice = 5,    // "Copied" on the Copy image button goes back to its label
    ManualCapture = 6,   // one-shot: the next look at the area of a manual capture
    CaptureProgress = 7, // on the relay window: the overlay shows an automatic capture's progress
};

// RegisterHotKey ids of the main window: the capture hotkey takes one, a new
// chord is tried under the other before the old one is let go.
enum class HotkeyId : int32_t {
    CaptureFirst = 1,
    CaptureSecond = 2,
};

}  // namespace tf
