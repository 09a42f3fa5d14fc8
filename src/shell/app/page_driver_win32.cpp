#include "shell/app/page_driver_win32.h"

#include <algorithm>
#include <cmath>

#include "shell/app/app_messages_win32.h"
#include "shell/app/control_table_win32.h"
#include "ground/dpi.h"
#include "shell/app/app_window_win32.h"
#include "shell/ui/renderer_win32.h"
#include "platform/win32/win32_rect.h"

namespace tf {
namespace {

void resizeMainWindow(const Application& app, bool changed, UiState from, UiState to) {
    const HWND mainWindow = app.main.window();
    RECT r{};
    GetWindowRect(mainWindow, &r);
    const Rect placed = resizeForStateChange(changed, from, to, !app.save.savedImagePath().empty(), windowDpi(mainWindow), toRect(r),
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

UiState displayedMainState(const Application& app) {
    const UiState current = currentUiState(app);
    if (app.settingsWindow.isOpen() && isSettingsPage(current)) return settingsReturnState(app);
    return current;
}

MainPageView mainPageView(const Application& app) {
    MainPageView view;
    view.language = app.settings.language;
    view.shown = displayedMainState(app);
    view.resultWithPath = inResultWithPath(app);
    view.savedImagePath = &app.save.savedImagePath();
    view.stats = app.save.lastCaptureStats();
    switch (app.capture.driver.lastKind) {
        case CaptureKind::Scrolled: view.subtitle = ResultSubtitle::Scrolled; break;
        case CaptureKind::NeverScrolled: view.subtitle = ResultSubtitle::NeverScrolled; break;
        case CaptureKind::PersonScrolled: view.subtitle = ResultSubtitle::PersonScrolled; break;
    }
    view.stoppedAtLimit = app.capture.driver.lastLimit;
    view.frameLimit = app.capture.driver.lastFrameLimit;
    view.settingsScroll = app.main.settingsPages().scroll();
    return view;
}

bool inResultWithPath(const Application& app) {
    return displayedMainState(app) == UiState::Result && !app.save.savedImagePath().empty();
}

void setUiState(Application& app, UiState to) {
    PageState& page = app.main.page();
    const UiState from = page.current;
    if (!isUiTransitionAllowed(from, to)) return;
    if (isHomeLike(from) && isSettingsPage(to)) app.main.settingsPages().enterFrom(from);
    const UiState shownBefore = displayedMainState(app);
    page.current = to;
    if (app.main.window() == nullptr) return;
    // While the settings window shows its help or about page the main window
    // behind it keeps the page it had, so only a change of that page resizes.
    const UiState shownAfter = displayedMainState(app);
    if (app.settingsWindow.isOpen() && from != to && shownBefore == shownAfter) {
        app.settingsWindow.refresh();
        return;
    }
    resizeMainWindow(app, shownBefore != shownAfter, shownBefore, shownAfter);
    layoutMainWindowControls(app);
    RedrawWindow(app.main.window(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    app.settingsWindow.refresh();
}

void showAndActivateMain(const Application& app) {
    const HWND mainWindow = app.main.window();
    if (mainWindow == nullptr) return;
    ShowWindow(mainWindow, IsIconic(mainWindow) ? SW_RESTORE : SW_SHOW);
    SetWindowPos(mainWindow, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    RedrawWindow(mainWindow, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    SetForegroundWindow(mainWindow);
    SetActiveWindow(mainWindow);
}

void failCaptureAndShowMain(Application& app, const wchar_t* message, UINT icon) {
    closeOverlay(app.capture);
    setUiState(app, UiState::Failed);
    showAndActivateMain(app);
    if (message != nullptr) showAppMessage(app, message, icon);
}

void layoutMainWindowControls(const Application& app) {
    const HWND mainWindow = app.main.window();
    if (mainWindow == nullptr) return;
    RECT client{};
    GetClientRect(mainWindow, &client);
    const MainControlsLayout l =
        layoutMainControls({client.right, client.bottom}, windowDpi(mainWindow), displayedMainState(app),
                           !app.save.savedImagePath().empty(), app.settings.language);
    placeControl(controlSlot(app, ControlId::Settings), l.settings);
    placeControl(controlSlot(app, ControlId::StartCapture), l.start);
    placeControl(controlSlot(app, ControlId::OpenImage), l.openImage);
    placeControl(controlSlot(app, ControlId::CaptureAnother), l.captureAnother);
    placeControl(controlSlot(app, ControlId::OpenFolder), l.openFolder);
    placeControl(controlSlot(app, ControlId::CopyImage), l.copyImage);
    placeControl(controlSlot(app, ControlId::Review), l.review);
}

}  // namespace tf
