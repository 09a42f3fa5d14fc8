#pragma once
// The interactive program's one owner of state. wWinMain makes one
// Application and hands it to the main window. The main window, the settings
// window and the capture area (with its overlay) are objects of their own
// (MainWindow, SettingsWindow, CaptureArea) that the application makes and
// outlives; their windows carry a pointer to their object. The settings
// window and the capture area reach the rest only through ApplicationHosts.
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
#include "shell/capture/capture_area_win32.h"
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

struct Application {
    explicit Application(HINSTANCE instance) : instance(instance) {}
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    HINSTANCE instance;
    Settings settings;  // loaded by runInteractiveProgram; saved whole on each change

    SaveSession save;
    CopyAndHotkeyState copyAndHotkey;
    // What the buttons and the settings window see of the rest; before them.
    ApplicationHosts hosts{*this};
    OwnerButtons buttons{hosts};
    SettingsWindow settingsWindow{instance, hosts, buttons};
    MainWindow main{*this};
    // The selection, the overlay and the capture: shell/capture.
    CaptureArea capture{instance, hosts};
    ReviewSession review;  // shell/app/review_hook_win32.cpp
};

}  // namespace tf
