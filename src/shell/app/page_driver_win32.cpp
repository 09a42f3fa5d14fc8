#include "shell/app/page_driver_win32.h"

#include <algorithm>
#include <cmath>

#include "shell/app/app_globals_win32.h"
#include "shell/app/control_table_win32.h"
#include "ground/dpi.h"
#include "shell/app/app_window_win32.h"
#include "core/settings/settings.h"
#include "shell/ui/renderer_win32.h"
#include "shell/ui/settings_window_win32.h"

namespace tf {
namespace {

UiState uiState = UiState::Home;
UiState returnState = UiState::Home;
int32_t scrollOffset = 0;

Rect toRect(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

void resizeMainWindow(bool changed, UiState from, UiState to) {
    RECT r{};
    GetWindowRect(mainWindow, &r);
    const Rect placed = resizeForStateChange(changed, from, to, !savedImagePath.empty(), windowDpi(mainWindow), toRect(r),
                                             workAreaOf(mainWindow));
    SetWindowPos(mainWindow, nullptr, placed.left, placed.top, placed.width(), placed.height(),
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

Rect workAreaOf(HWND window) {
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info);
    return toRect(info.rcWork);
}

UiState currentUiState() { return uiState; }

UiState displayedMainState() {
    if (settingsWindow != nullptr && isSettingsPage(uiState)) return returnState;
    return uiState;
}

void rememberSettingsReturnState(UiState state) {
    if (isHomeLike(state)) returnState = state;
}
UiState settingsReturnState() { return returnState; }

bool inResultWithPath() { return displayedMainState() == UiState::Result && !savedImagePath.empty(); }

int32_t settingsScrollOffset() { return scrollOffset; }

void setUiState(UiState to) {
    const UiState from = uiState;
    if (!isUiTransitionAllowed(from, to)) return;
    if (isHomeLike(from) && isSettingsPage(to)) {
        scrollOffset = 0;
        returnState = from;
    }
    const UiState shownBefore = displayedMainState();
    uiState = to;
    if (mainWindow == nullptr) return;
    // While the settings window shows its help or about page the main window
    // behind it keeps the page it had, so only a change of that page resizes.
    const UiState shownAfter = displayedMainState();
    if (settingsWindow != nullptr && from != to && shownBefore == shownAfter) {
        refreshSettingsWindow();
        return;
    }
    resizeMainWindow(shownBefore != shownAfter, shownBefore, shownAfter);
    layoutMainWindowControls();
    RedrawWindow(mainWindow, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    if (settingsWindow != nullptr) refreshSettingsWindow();
}

void showAndActivateMain() {
    if (mainWindow == nullptr) return;
    ShowWindow(mainWindow, IsIconic(mainWindow) ? SW_RESTORE : SW_SHOW);
    SetWindowPos(mainWindow, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    RedrawWindow(mainWindow, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    SetForegroundWindow(mainWindow);
    SetActiveWindow(mainWindow);
}

void failCaptureAndShowMain(const wchar_t* message, UINT icon) {
    closeOverlay();
    setUiState(UiState::Failed);
    showAndActivateMain();
    if (message != nullptr) showAppMessage(message, icon);
}

void layoutMainWindowControls() {
    if (mainWindow == nullptr) return;
    RECT client{};
    GetClientRect(mainWindow, &client);
    const MainControlsLayout l = layoutMainControls({client.right, client.bottom}, windowDpi(mainWindow),
                                                    displayedMainState(), !savedImagePath.empty(), settings.language);
    placeControl(controlSlot(ControlId::Settings), l.settings);
    placeControl(controlSlot(ControlId::StartCapture), l.start);
    placeControl(controlSlot(ControlId::OpenImage), l.openImage);
    placeControl(controlSlot(ControlId::CaptureAnother), l.captureAnother);
    placeControl(controlSlot(ControlId::OpenFolder), l.openFolder);
    placeControl(controlSlot(ControlId::CopyImage), l.copyImage);
}

void scrollSettingsPage(HWND window, WPARAM wParam) {
    RECT client{};
    GetClientRect(window, &client);
    const int32_t heightDips = pixelsToDips(client.bottom, windowDpi(window));
    const int32_t next = scrollOffsetAfterWheel<int32_t>(scrollOffset, GET_WHEEL_DELTA_WPARAM(wParam), 460 - heightDips);
    if (next == scrollOffset) return;
    scrollOffset = next;
    layoutMainWindowControls();
    InvalidateRect(window, nullptr, TRUE);
}

}  // namespace tf
