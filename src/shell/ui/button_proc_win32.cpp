#include "shell/ui/button_proc_win32.h"

#include <commctrl.h>

#include "platform/win32/win32_controls.h"
#include "shell/ui/automation_provider_win32.h"

namespace tf {

namespace {

// One subclass of ours per button; installing it again only replaces it.
constexpr UINT_PTR kOwnerButtonSubclass = 1;
// The object, also kept as a window property: MinGW has no import of
// GetWindowSubclass, and a property reads from any thread (UI Automation asks
// from its own).
constexpr wchar_t kOwnerButtonsProperty[] = L"TallyframeOwnerButtons";

}  // namespace

void OwnerButtons::subclass(HWND button) {
    if (button == nullptr) return;
    SetPropW(button, kOwnerButtonsProperty, this);
    SetWindowSubclass(button, &OwnerButtons::proc, kOwnerButtonSubclass, reinterpret_cast<DWORD_PTR>(this));
}

OwnerButtons* OwnerButtons::of(HWND button) {
    if (button == nullptr || !IsWindow(button)) return nullptr;
    return static_cast<OwnerButtons*>(GetPropW(button, kOwnerButtonsProperty));
}

ButtonView OwnerButtons::view(bool inSettingsWindow) const {
    return {host_.settings(),         host_.uiState(),           inSettingsWindow,
            hover_,                   settingsRingSuppressed_,   host_.copiedNoticeShown(),
            host_.recordingChord(),   host_.chordText()};
}

LRESULT CALLBACK OwnerButtons::proc(HWND button, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR self) {
    return reinterpret_cast<OwnerButtons*>(self)->handle(button, message, wParam, lParam);
}

LRESULT OwnerButtons::handle(HWND button, UINT message, WPARAM wParam, LPARAM lParam) {
    const ControlId id = controlIdOf(button);
    switch (message) {
        case WM_MOUSEMOVE:
            if (hover_ != button) {
                if (hover_ != nullptr && IsWindow(hover_)) InvalidateRect(hover_, nullptr, FALSE);
                hover_ = button;
                TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, button, 0};
                TrackMouseEvent(&track);
                InvalidateRect(button, nullptr, FALSE);
            }
            break;
        case WM_MOUSELEAVE:
            if (hover_ == button) hover_ = nullptr;
            InvalidateRect(button, nullptr, FALSE);
            break;
        case WM_GETDLGCODE:
            // While it records, every key is the chord's, Tab and Esc included.
            if (id == ControlId::CaptureHotkey && host_.recordingChord()) return DLGC_WANTALLKEYS;
            break;
        case WM_KILLFOCUS:
            if (id == ControlId::CaptureHotkey) host_.endChordRecording();
            [[fallthrough]];
        case WM_SETFOCUS:
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
            // Only the main window has a Settings button.
            if (id == ControlId::Settings) settingsRingSuppressed_ = false;
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
            if (hover_ == button) hover_ = nullptr;
            RemovePropW(button, kOwnerButtonsProperty);
            RemoveWindowSubclass(button, &OwnerButtons::proc, kOwnerButtonSubclass);
            break;
        case WM_GETOBJECT:
            if (static_cast<LONG>(lParam) == kUiaRootObjectId) return answerAutomationRequest(button, wParam, lParam);
            break;
        default: break;
    }
    return DefSubclassProc(button, message, wParam, lParam);
}

}  // namespace tf
