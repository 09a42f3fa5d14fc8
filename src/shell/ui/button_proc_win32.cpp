#include "shell/ui/button_proc_win32.h"

#include <commctrl.h>

#include "shell/app/control_table_win32.h"
#include "shell/app/app_window_win32.h"
#include "shell/app/copy_and_hotkey_win32.h"
#include "shell/ui/automation_provider_win32.h"

namespace tf {

void suppressSettingsFocusRing(Application& app, bool suppressed) { app.buttons.settingsFocusRingSuppressed = suppressed; }

namespace {

// One subclass of ours per button; installing it again only replaces it.
constexpr UINT_PTR kOwnerButtonSubclass = 1;

LRESULT CALLBACK ownerButtonProc(HWND button, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    const ControlId id = controlIdOf(button);
    Application* app = applicationOfControl(button);
    // Buttons of a window without the application (none in the program) only get the class behaviour.
    if (app == nullptr) return DefSubclassProc(button, message, wParam, lParam);
    HWND& hoverButton = app->buttons.hover;
    switch (message) {
        case WM_MOUSEMOVE:
            if (hoverButton != button) {
                if (hoverButton != nullptr && IsWindow(hoverButton)) InvalidateRect(hoverButton, nullptr, FALSE);
                hoverButton = button;
                TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, button, 0};
                TrackMouseEvent(&track);
                InvalidateRect(button, nullptr, FALSE);
            }
            break;
        case WM_MOUSELEAVE:
            if (hoverButton == button) hoverButton = nullptr;
            InvalidateRect(button, nullptr, FALSE);
            break;
        case WM_GETDLGCODE:
            // While it records, every key is the chord's, Tab and Esc included.
            if (id == ControlId::CaptureHotkey && recordingHotkey(app->copyAndHotkey)) return DLGC_WANTALLKEYS;
            break;
        case WM_KILLFOCUS:
            if (id == ControlId::CaptureHotkey) endHotkeyRecording(*app);
            [[fallthrough]];
        case WM_SETFOCUS:
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
            if (id == ControlId::Settings && GetParent(button) == app->mainWindow) {
                app->buttons.settingsFocusRingSuppressed = false;
            }
            InvalidateRect(button, nullptr, FALSE);
            break;
        case WM_SETCURSOR:
            // The link-like controls.
            if (id == ControlId::ProductHome || id == ControlId::Feedback || id == ControlId::PublisherSite ||
                id == ControlId::AboutProduct) {
                SetCursor(LoadCursorW(nullptr, IDC_HAND));
                return TRUE;
            }
            break;
        case WM_NCDESTROY:
            if (hoverButton == button) hoverButton = nullptr;
            RemoveWindowSubclass(button, &ownerButtonProc, kOwnerButtonSubclass);
            break;
        case WM_GETOBJECT:
            if (static_cast<LONG>(lParam) == kUiaRootObjectId) return answerAutomationRequest(button, wParam, lParam);
            break;
        default: break;
    }
    return DefSubclassProc(button, message, wParam, lParam);
}

}  // namespace

void subclassOwnerButton(HWND button) {
    if (button != nullptr) SetWindowSubclass(button, &ownerButtonProc, kOwnerButtonSubclass, 0);
}

}  // namespace tf
