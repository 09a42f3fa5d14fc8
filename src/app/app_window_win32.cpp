#include "app/app_window_win32.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <array>
#include <memory>
#include <system_error>
#include <thread>

#include "app/dpi.h"
#include "app/geometry.h"
#include "settings/settings_store.h"
#include "settings/pickers_win32.h"
#include "ui/automation_names.h"
#include "settings/texts.h"
#include "ui/bilingual.h"
#include "ui/button_proc_win32.h"
#include "ui/page_painter_win32.h"
#include "ui/renderer_win32.h"
#include "ui/settings_window_win32.h"
#include "update/update_check_win32.h"

namespace tf {

bool suppressSettingsFocusRing = false;
int32_t settingsScrollOffset = 0;
HWND mainTooltip = nullptr;
HWND languageButton = nullptr;

namespace {

UiState uiState = UiState::Home;
UiState returnState = UiState::Home;
std::array<HWND, kMaxControlId + 1> slots{};

bool isSettingsPage(UiState s) {
    return s == UiState::SettingsGeneral || s == UiState::SettingsHelp || s == UiState::SettingsAbout;
}
bool isHomeLike(UiState s) { return s == UiState::Home || s == UiState::Result || s == UiState::Failed; }

Rect toRect(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

}  // namespace

Rect workAreaOf(HWND window) {
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info);
    return toRect(info.rcWork);
}

static void resizeMainWindow(bool changed, UiState from, UiState to) {
    RECT r{};
    GetWindowRect(mainWindow, &r);
    const Rect placed = resizeForStateChange(changed, from, to, !savedImagePath.empty(), windowDpi(mainWindow), toRect(r),
                                             workAreaOf(mainWindow));
    SetWindowPos(mainWindow, nullptr, placed.left, placed.top, placed.width(), placed.height(),
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void placeControl(HWND control, const ControlPlacement& p) {
    if (control == nullptr) return;
    HWND parent = GetParent(control);
    RECT old{};
    GetWindowRect(control, &old);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&old), 2);
    SetWindowPos(control, nullptr, p.rect.left, p.rect.top, p.rect.width(), p.rect.height(),
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOCOPYBITS);
    InvalidateRect(parent, &old, FALSE);
    InvalidateRect(control, nullptr, TRUE);
    const bool visible = (GetWindowLongW(control, GWL_STYLE) & WS_VISIBLE) != 0;
    if (visible != p.visible) ShowWindow(control, p.visible ? SW_SHOWNA : SW_HIDE);
}

void flipSwitchSetting(int id) {
    // A failed save is not reported: the switch holds for the rest of the run.
    if (id == 32) settings.openAfterCapture = !settings.openAfterCapture;
    else if (id == 33) settings.captureLoggingEnabled = !settings.captureLoggingEnabled;
    else return;
    saveSettings();
    if (HWND s = controlSlot(id)) InvalidateRect(s, nullptr, TRUE);
}

namespace {

void openWithShell(const wchar_t* target, const wchar_t* parameters = nullptr) {
    ShellExecuteW(mainWindow, L"open", target, parameters, nullptr, SW_SHOWNORMAL);
}

void openSavedImage() {
    if (!savedImagePath.empty()) openWithShell(savedImagePath.c_str());
}

void startUpdateCheck() {
    // The thread owns the flag byte and frees it when the check is over.
    auto flag = std::make_unique<uint8_t>(1);
    try {
        std::thread(runUpdateCheck, flag.get()).detach();
        flag.release();
    } catch (const std::system_error&) {
        // No thread: the check could not be made, and the user asked for it.
        MessageBoxW(settingsWindow != nullptr ? settingsWindow : mainWindow,
                    tr(texts::updateUnavailableMessage),
                    tr(texts::updateCheckTitle), MB_ICONWARNING);
    }
}

void handleStitchDone(StitchResult* raw) {
    std::unique_ptr<StitchResult> result(raw);
    saveInProgress = false;
    KillTimer(mainWindow, TIMER_SAVING_ANIMATION);
    closeOverlay();
    if (HWND start = controlSlot(1)) EnableWindow(start, TRUE);
    if (result && result->succeeded) {
        savedImagePath = result->savedPath;
        lastCaptureStats.frameCount = result->frameCount;
        lastCaptureStats.width = static_cast<uint64_t>(std::max<int64_t>(0, result->imageWidth));
        lastCaptureStats.height = static_cast<uint64_t>(std::max<int64_t>(0, result->imageHeight));
        lastCaptureStats.stitchMs = result->stitchMs;
        lastCaptureStats.saveMs = result->saveMs;
        setUiState(UiState::Result);
        showAndActivateMain();
        if (settings.openAfterCapture) openSavedImage();
    } else {
        setUiState(UiState::Failed);
        showAndActivateMain();
        showAppMessage(tr(texts::stitchFailedMessage),
                       MB_ICONERROR);
    }
}

void handleUpdateResult(UpdateCheckResult* raw) {
    if (raw == nullptr) return;
    std::unique_ptr<UpdateCheckResult> result(raw);
    const UiState s = uiState;
    const bool busy = s == UiState::Selecting || s == UiState::Capturing || s == UiState::Saving;
    HWND owner = settingsWindow != nullptr ? settingsWindow : mainWindow;
    if (result->tagFound && result->newerAvailable && !busy) {
        const std::wstring text = std::wstring(tr(texts::updatePromptBefore)) + result->versionText + tr(texts::updatePromptAfter);
        if (MessageBoxW(owner, text.c_str(), tr(texts::updatePromptTitle), MB_YESNO | MB_ICONINFORMATION) ==
            IDYES) {
            openWithShell(kReleasePageUrl);
        }
        return;
    }
    if (!result->reportWhenNothingNew) return;
    const wchar_t* title = tr(texts::updateCheckTitle);
    if (result->tagFound) {
        MessageBoxW(owner, tr(texts::upToDateMessage), title, MB_ICONINFORMATION);
    } else {
        MessageBoxW(owner, tr(texts::updateUnavailableMessage), title,
                    MB_ICONWARNING);
    }
}

void onSavingTimer() {
    const uint64_t elapsed = savingStartTick == 0 ? 0 : GetTickCount64() - savingStartTick;
    if (overlayWindow == nullptr || uiState != UiState::Saving) {
        KillTimer(mainWindow, TIMER_SAVING_ANIMATION);
        return;
    }
    if (elapsed < 300) return;
    redrawOverlay();
    if (elapsed > 760 || reducedMotion) KillTimer(mainWindow, TIMER_SAVING_ANIMATION);
}

void scrollSettingsPage(HWND window, WPARAM wParam) {
    const int delta = GET_WHEEL_DELTA_WPARAM(wParam);
    const int step = delta < 0 ? 48 : -48;
    RECT client{};
    GetClientRect(window, &client);
    const long heightDips = std::lround(client.bottom * 96.0 / windowDpi(window));
    const int32_t limit = std::max<int32_t>(0, 460 - static_cast<int32_t>(heightDips));
    const int32_t next = std::clamp<int32_t>(settingsScrollOffset + step, 0, limit);
    if (next == settingsScrollOffset) return;
    settingsScrollOffset = next;
    layoutMainWindowControls();
    InvalidateRect(window, nullptr, TRUE);
}

void createControls(HWND window) {
    static constexpr int kIds[] = {1, 2, 3, 4, 5, 20, 21, 22, 30, 31, 32, 33, 40, 41, 42, 43, 44, 45};
    for (int id : kIds) {
        DWORD style = BS_OWNERDRAW | WS_CHILD | WS_TABSTOP;
        if (id == 1 || id == 4) style |= WS_VISIBLE;
        HWND button = CreateWindowExW(0, L"BUTTON", controlLabel(id).c_str(), style, 0, 0, 0, 0, window,
                                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), appInstance, nullptr);
        setControlSlot(id, button);
    }
    mainTooltip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window, nullptr,
                                  appInstance, nullptr);
    if (mainTooltip != nullptr && controlSlot(4) != nullptr) {
        TOOLINFOW tool{};
        tool.cbSize = sizeof(tool);
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = window;
        tool.uId = reinterpret_cast<UINT_PTR>(controlSlot(4));
        std::wstring tip = tr(texts::settingsButton);
        tool.lpszText = tip.data();
        SendMessageW(mainTooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
    static constexpr int kSubclassOrder[] = {1, 2, 3, 5, 4, 20, 21, 22, 30, 31, 32, 33, 40, 41, 42, 43, 44, 45};
    for (int id : kSubclassOrder) subclassOwnerButton(controlSlot(id));
}

LRESULT handleCommand(HWND window, int id) {
    switch (id) {
        case 1:
        case 3:
            if (!saveInProgress) beginSelection();
            break;
        case 2: openSavedImage(); break;
        case 4:
            if (isHomeLike(uiState)) {
                suppressSettingsFocusRing = false;
                openSettingsWindow();
            }
            break;
        case 5:
            if (!savedImagePath.empty()) {
                const std::wstring parameters = L"/select,\"" + savedImagePath + L"\"";
                openWithShell(L"explorer.exe", parameters.c_str());
            }
            break;
        case 20: setUiState(UiState::SettingsGeneral); break;
        case 21: setUiState(UiState::SettingsHelp); break;
        case 22: setUiState(UiState::SettingsAbout); break;
        case 30:
            if (chooseCaptureFolder(window)) InvalidateRect(window, nullptr, FALSE);
            break;
        case 31:
            if (chooseLanguage(window)) {
                layoutMainWindowControls();
                RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
            }
            break;
        case 32:
        case 33: flipSwitchSetting(id); break;
        case 40:
        case 41:
        case 45: openWithShell(kProductPageUrl); break;
        case 42: openWithShell(kFeedbackFormUrl); break;
        case 44: openWithShell(kPublisherSiteUrl); break;
        case 43: startUpdateCheck(); break;
        default: break;
    }
    return 0;
}

}  // namespace

// IsDialogMessageW would turn Enter and Esc into WM_COMMAND IDOK (1) and
// IDCANCEL (2), which are the Start and Open image commands here. Enter goes
// to the main window's own key handling instead, Esc to the settings window.
bool routeDialogKey(const MSG& msg) {
    if (msg.message != WM_KEYDOWN || (msg.wParam != VK_RETURN && msg.wParam != VK_ESCAPE)) return false;
    auto within = [&](HWND top) { return top != nullptr && (msg.hwnd == top || IsChild(top, msg.hwnd)); };
    if (within(settingsWindow)) {
        if (msg.wParam != VK_ESCAPE) return false;
        SendMessageW(settingsWindow, WM_KEYDOWN, VK_ESCAPE, msg.lParam);
        return true;
    }
    if (within(mainWindow)) {
        if (msg.wParam == VK_RETURN) SendMessageW(mainWindow, WM_KEYDOWN, VK_RETURN, msg.lParam);
        return true;
    }
    return false;
}

HWND controlSlot(int id) { return (id >= 0 && id <= kMaxControlId) ? slots[static_cast<size_t>(id)] : nullptr; }

void setControlSlot(int id, HWND control) {
    if (id < 0 || id > kMaxControlId) return;
    slots[static_cast<size_t>(id)] = control;
    if (id == 31) languageButton = control;
}

std::wstring controlLabel(int id) {
    switch (id) {
        case 1: return tr(texts::startButton);
        case 2: return tr(texts::openImageButton);
        case 3: return tr(texts::captureAnotherButton);
        case 4: return tr(texts::settingsButton);
        case 5: return tr(texts::openFolderButton);
        case 20: return tr(texts::generalNavigation);
        case 21: return tr(texts::helpNavigation);
        case 22:
        case 45: return tr(texts::aboutNavigation);
        case 30: return settingsWindow != nullptr ? tr(texts::chooseFolderControl)
                                                  : tr(texts::changeFolderCommand);
        case 31: return tr(texts::languageCommand);
        case 32: return settingsWindow != nullptr ? tr(texts::openAfterLabel)
                                                  : tr(texts::openResultCommand);
        case 33: return tr(texts::captureLoggingCommand);
        case 40: return tr(texts::productHomeCommand);
        case 41: return tr(texts::productSiteCommand);
        case 42: return tr(texts::feedbackCommand);
        case 43: return tr(texts::updateCheckTitle);
        case 44: return tr(texts::publisherCredit);
        default: return {};
    }
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

void setUiState(UiState to) {
    const UiState from = uiState;
    if (!isUiTransitionAllowed(from, to)) return;
    if (isHomeLike(from) && isSettingsPage(to)) {
        settingsScrollOffset = 0;
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

void layoutMainWindowControls() {
    if (mainWindow == nullptr) return;
    RECT client{};
    GetClientRect(mainWindow, &client);
    const MainControlsLayout l = layoutMainControls({client.right, client.bottom}, windowDpi(mainWindow),
                                                    displayedMainState(), !savedImagePath.empty(), settings.language);
    placeControl(controlSlot(4), l.settings);
    placeControl(controlSlot(1), l.start);
    placeControl(controlSlot(2), l.openImage);
    placeControl(controlSlot(3), l.captureAnother);
    placeControl(controlSlot(5), l.openFolder);
}

int showAppMessage(const wchar_t* text, UINT flags) {
    return MessageBoxW(mainWindow, text, tr(texts::productName), flags);
}

LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            if (mainWindow == nullptr) mainWindow = window;
            createControls(window);
            layoutMainWindowControls();
            return 0;
        case WM_DESTROY:
            closeOverlay();
            if (settingsWindow != nullptr) DestroyWindow(settingsWindow);
            releaseRenderer();
            for (HWND& s : slots) s = nullptr;
            languageButton = nullptr;
            mainTooltip = nullptr;
            mainWindow = nullptr;
            PostQuitMessage(0);
            return 0;
        case WM_SIZE:
            layoutMainWindowControls();
            InvalidateRect(window, nullptr, TRUE);
            return 0;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(window, &ps);
            if (dc != nullptr) paintMainPage(window, dc);
            EndPaint(window, &ps);
            return 0;
        }
        case WM_CLOSE:
            if (saveInProgress) {
                showAppMessage(tr(texts::closeWhileSavingMessage),
                               MB_ICONINFORMATION);
            } else {
                DestroyWindow(window);
            }
            return 0;
        case WM_ERASEBKGND: return 1;
        case WM_GETMINMAXINFO: {
            auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
            const Size min = minimumTrackSize(displayedMainState(), !savedImagePath.empty(), windowDpi(window));
            info->ptMinTrackSize = {min.width, min.height};
            return 0;
        }
        case WM_DRAWITEM: paintOwnerButton(window, *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)); return TRUE;
        case WM_KEYDOWN:
            if (wParam != VK_RETURN || saveInProgress) break;
            if (uiState == UiState::Home) beginSelection();
            else if (uiState == UiState::Result && !savedImagePath.empty()) openSavedImage();
            return 0;
        case WM_COMMAND: return handleCommand(window, LOWORD(wParam));
        case WM_TIMER:
            if (wParam == TIMER_SAVING_ANIMATION) {
                onSavingTimer();
            } else if (wParam == TIMER_FOCUS_RESTORE) {
                KillTimer(window, TIMER_FOCUS_RESTORE);
                SetFocus(window);
                if (HWND s = controlSlot(4)) InvalidateRect(s, nullptr, TRUE);
            }
            return 0;
        case WM_MOUSEWHEEL:
            if (!isSettingsPage(displayedMainState())) break;
            scrollSettingsPage(window, wParam);
            return 0;
        case WM_DPICHANGED: {
            const RECT* r = reinterpret_cast<const RECT*>(lParam);
            SetWindowPos(window, nullptr, r->left, r->top, r->right - r->left, r->bottom - r->top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
            clearIconCache();
            layoutMainWindowControls();
            InvalidateRect(window, nullptr, TRUE);
            return 0;
        }
        case WM_APP_STITCH_DONE: handleStitchDone(reinterpret_cast<StitchResult*>(lParam)); return 0;
        case WM_APP_START_CAPTURE: runCaptureFromMainWindow(); return 0;
        case WM_APP_OVERLAY_REDRAW:
            if (overlayWindow != nullptr && (uiState == UiState::Capturing || uiState == UiState::Saving)) redrawOverlay();
            return 0;
        case WM_APP_UPDATE_RESULT: handleUpdateResult(reinterpret_cast<UpdateCheckResult*>(lParam)); return 0;
        case WM_APP_SETTINGS_CLOSED:
            suppressSettingsFocusRing = true;
            SetFocus(window);
            if (HWND s = controlSlot(4)) InvalidateRect(s, nullptr, TRUE);
            SetTimer(window, TIMER_FOCUS_RESTORE, 30, nullptr);
            return 0;
        default: break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

HWND createMainWindow() {
    BOOL animations = TRUE;
    if (SystemParametersInfoW(SPI_GETCLIENTAREAANIMATION, 0, &animations, 0)) reducedMotion = !animations;

    HICON bigIcon = static_cast<HICON>(LoadImageW(appInstance, MAKEINTRESOURCEW(kAppIconId), IMAGE_ICON,
                                                  GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), LR_SHARED));
    WNDCLASSW wc{};
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = mainWindowProc;
    wc.hInstance = appInstance;
    wc.hIcon = bigIcon;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kMainWindowClass;
    RegisterClassW(&wc);

    POINT cursor{};
    GetCursorPos(&cursor);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoW(MonitorFromPoint(cursor, MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT work = monitor.rcWork;

    mainWindow = CreateWindowExW(WS_EX_APPWINDOW, kMainWindowClass, tr(texts::productName),
                                 WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, work.left + (work.right - work.left - 620) / 2,
                                 work.top + 24, 620, 380, nullptr, nullptr, appInstance, nullptr);
    if (mainWindow != nullptr) {
        SendMessageW(mainWindow, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon));
        HICON smallIcon = static_cast<HICON>(LoadImageW(appInstance, MAKEINTRESOURCEW(kAppIconId), IMAGE_ICON,
                                                        GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                                                        LR_SHARED));
        SendMessageW(mainWindow, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon));
        const UINT dpi = windowDpi(mainWindow);
        const Size size = windowSizeForWorkArea(UiState::Home, dpi, toRect(work));
        const int x = work.left + (work.right - work.left - size.width) / 2;
        const int y = work.top + mulDiv(24, static_cast<int32_t>(dpi), 96);
        SetWindowPos(mainWindow, nullptr, x, y, size.width, size.height, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    setUiState(UiState::Home);
    showAndActivateMain();
    UpdateWindow(mainWindow);
    return mainWindow;
}

void runMessageLoop() {
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (routeDialogKey(msg)) continue;
        if (settingsWindow != nullptr && IsDialogMessageW(settingsWindow, &msg)) continue;
        if (mainWindow != nullptr && IsDialogMessageW(mainWindow, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

int runInteractiveProgram() {
    loadSettings();
    if (createMainWindow() == nullptr) {
        // Nothing could ever post the quit message: say why and end.
        MessageBoxW(nullptr, tr(texts::mainWindowFailedMessage), tr(texts::productName),
                    MB_ICONERROR);
        return 0;
    }
    runMessageLoop();
    return 0;
}

}  // namespace tf
