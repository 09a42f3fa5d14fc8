#include "shell/app/app_window_win32.h"

#include "shell/app/control_table_win32.h"
#include "ground/dpi.h"
#include "core/app/geometry.h"
#include "shell/app/commands_win32.h"
#include "shell/app/copy_and_hotkey_win32.h"
#include "shell/app/page_driver_win32.h"
#include "shell/app/settings_notice_win32.h"
#include "core/settings/settings_store.h"
#include "core/texts/texts.h"
#include "shell/ui/page_painter_win32.h"
#include "shell/ui/renderer_win32.h"
#include "shell/ui/palette.h"
#include "platform/win32/win32_handles.h"
#include "platform/win32/win32_rect.h"
#include "platform/win32/win32_window_object.h"
#include "platform/win32/win32_paint.h"

namespace tf {

namespace {

UINT_PTR timerId(TimerId id) { return static_cast<UINT_PTR>(id); }

// The page colour, for the erase before Direct2D has drawn anything and for
// the owner-drawn buttons' background: a window that appears before its first
// paint shows the page, never a grey or black placeholder.
HBRUSH pageBrush() {
    static UniqueGdiObject brush(CreateSolidBrush(palette::pageBackground));
    return static_cast<HBRUSH>(brush.get());
}

bool isKeyMessage(UINT message) {
    return message == WM_KEYDOWN || message == WM_SYSKEYDOWN || message == WM_KEYUP || message == WM_SYSKEYUP;
}

}  // namespace

// IsDialogMessageW would turn Enter and Esc into WM_COMMAND IDOK (1) and
// IDCANCEL (2), which are the Start and Open image commands here. Enter goes
// to the main window's own key handling instead, Esc to the settings window.
bool routeDialogKey(const Application& app, const MSG& msg) {
    auto within = [&](HWND top) { return top != nullptr && (msg.hwnd == top || IsChild(top, msg.hwnd)); };
    // R on the result page opens the review, whichever of its buttons has the focus.
    if (msg.message == WM_KEYDOWN && msg.wParam == 'R' && within(app.main.window()) && inResultWithPath(app) &&
        GetKeyState(VK_CONTROL) >= 0 && GetKeyState(VK_MENU) >= 0 && !recordingHotkey(app.copyAndHotkey)) {
        PostMessageW(app.main.window(), WM_COMMAND, idNumber(ControlId::Review), 0);
        return true;
    }
    if (msg.message != WM_KEYDOWN || (msg.wParam != VK_RETURN && msg.wParam != VK_ESCAPE)) return false;
    if (recordingHotkey(app.copyAndHotkey)) return false;  // Esc and Enter are keys the chord control records
    if (within(app.settingsWindow.handle())) {
        if (msg.wParam != VK_ESCAPE) return false;
        SendMessageW(app.settingsWindow.handle(), WM_KEYDOWN, VK_ESCAPE, msg.lParam);
        return true;
    }
    if (within(app.main.window())) {
        if (msg.wParam == VK_RETURN) SendMessageW(app.main.window(), WM_KEYDOWN, VK_RETURN, msg.lParam);
        return true;
    }
    return false;
}

int showAppMessage(const Application& app, const wchar_t* text, UINT flags) {
    return MessageBoxW(app.main.window(), text, tr(app.settings.language, texts::productName), flags);
}

void MainWindow::onCreate(HWND window) {
    if (window_ == nullptr) window_ = window;
    createMainControls(app_, window);
    layoutMainWindowControls(app_);
    registerCaptureHotkey(app_, window);
}

void MainWindow::onDestroy() {
    releaseCaptureHotkey(app_.copyAndHotkey);
    closeOverlay(app_.capture);
    app_.settingsWindow.close();
    releaseRenderer();
    destroyMainControlTable(app_);
    window_ = nullptr;
    PostQuitMessage(0);
}

void MainWindow::onTimer(HWND window, WPARAM timer) {
    if (timer == timerId(TimerId::SavingAnimation)) {
        onSavingTimer(app_);
    } else if (timer == timerId(TimerId::ManualCapture)) {
        onManualCaptureTimer(app_.capture);
    } else if (timer == timerId(TimerId::CopiedNotice)) {
        endCopiedNotice(app_);
    } else if (timer == timerId(TimerId::FocusRestore)) {
        KillTimer(window, timerId(TimerId::FocusRestore));
        SetFocus(window);
        if (HWND s = controlSlot(app_, ControlId::Settings)) InvalidateRect(s, nullptr, TRUE);
    }
}

// The settings window gave the keyboard back: the Settings button shows no
// focus ring until it is touched, and the focus is set again once Windows
// has finished activating the main window.
void MainWindow::onSettingsClosed(HWND window) {
    app_.buttons.suppressSettingsFocusRing(true);
    SetFocus(window);
    if (HWND s = controlSlot(app_, ControlId::Settings)) InvalidateRect(s, nullptr, TRUE);
    SetTimer(window, timerId(TimerId::FocusRestore), 30, nullptr);
}

void MainWindow::onDpiChanged(HWND window, const RECT& suggested) {
    SetWindowPos(window, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    clearIconCache();
    layoutMainWindowControls(app_);
    InvalidateRect(window, nullptr, TRUE);
}

LRESULT MainWindow::handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Application& app = app_;
    switch (message) {
        case WM_CREATE: onCreate(window); return 0;
        case WM_DESTROY: onDestroy(); return 0;
        case WM_SIZE:
            layoutMainWindowControls(app);
            InvalidateRect(window, nullptr, TRUE);
            return 0;
        case WM_PAINT: paintWindow(window, [&](HDC dc) { paintMainPage(mainPageView(app), window, dc); }); return 0;
        case WM_CLOSE:
            if (app.save.inProgress()) {
                showAppMessage(app, tr(app.settings.language, texts::closeWhileSavingMessage), MB_ICONINFORMATION);
            } else if (captureRunning(app.capture)) {
                // The window is hidden while a capture runs; the capture ends by Esc, then saves.
            } else {
                DestroyWindow(window);
            }
            return 0;
        case WM_ERASEBKGND: {
            RECT client{};
            GetClientRect(window, &client);
            FillRect(reinterpret_cast<HDC>(wParam), &client, pageBrush());
            return 1;
        }
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORSTATIC: return reinterpret_cast<LRESULT>(pageBrush());
        case WM_HOTKEY: onHotkeyMessage(app, wParam); return 0;
        case WM_RENDERFORMAT:
        case WM_RENDERALLFORMATS:
        case WM_DESTROYCLIPBOARD:
            if (handleMainClipboardMessage(app.copyAndHotkey, window, message, wParam)) return 0;
            break;
        case WM_GETMINMAXINFO: {
            auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
            const Size min =
                minimumTrackSize(displayedMainState(app), !app.save.savedImagePath().empty(), windowDpi(window));
            info->ptMinTrackSize = {min.width, min.height};
            return 0;
        }
        case WM_DRAWITEM:
            paintOwnerButton(app.buttons.view(false), window, *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            return TRUE;
        case WM_KEYDOWN:
            if (wParam != VK_RETURN || app.save.inProgress()) break;
            runEnterKey(app);
            return 0;
        case WM_COMMAND: runMainCommand(app, window, static_cast<ControlId>(LOWORD(wParam))); return 0;
        case WM_TIMER: onTimer(window, wParam); return 0;
        case WM_MOUSEWHEEL:
            if (settingsPages_.onMouseWheel(app, window, wParam)) return 0;
            break;
        case WM_DPICHANGED: onDpiChanged(window, *reinterpret_cast<const RECT*>(lParam)); return 0;
        case WM_APP_STITCH_DONE: handleStitchDone(app, reinterpret_cast<StitchResult*>(lParam)); return 0;
        case WM_APP_START_CAPTURE: startCapture(app.capture); return 0;
        case WM_APP_OVERLAY_REDRAW: {
            const UiState s = currentUiState(app);
            if (app.capture.overlayWindow != nullptr && (s == UiState::Capturing || s == UiState::Saving))
                redrawOverlay(app.capture);
            return 0;
        }
        case WM_APP_UPDATE_RESULT: handleUpdateResult(app, reinterpret_cast<UpdateCheckResult*>(lParam)); return 0;
        case WM_APP_SETTINGS_CLOSED: onSettingsClosed(window); return 0;
        default: break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void MainWindow::placeAtStart(HWND window, const RECT& work) {
    const HINSTANCE appInstance = app_.instance;
    SendMessageW(window, WM_SETICON, ICON_BIG,
                 reinterpret_cast<LPARAM>(LoadImageW(appInstance, MAKEINTRESOURCEW(kAppIconResource), IMAGE_ICON,
                                                     GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON),
                                                     LR_SHARED)));
    HICON smallIcon = static_cast<HICON>(LoadImageW(appInstance, MAKEINTRESOURCEW(kAppIconResource), IMAGE_ICON,
                                                    GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                                                    LR_SHARED));
    SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon));
    const UINT dpi = windowDpi(window);
    const Size size = windowSizeForWorkArea(UiState::Home, dpi, toRect(work));
    const int x = work.left + (work.right - work.left - size.width) / 2;
    const int y = work.top + dipsToPixels(24, dpi);
    SetWindowPos(window, nullptr, x, y, size.width, size.height, SWP_NOZORDER | SWP_NOACTIVATE);
}

HWND MainWindow::create() {
    const HINSTANCE appInstance = app_.instance;
    BOOL animations = TRUE;
    if (SystemParametersInfoW(SPI_GETCLIENTAREAANIMATION, 0, &animations, 0)) reducedMotion_ = !animations;

    WNDCLASSW wc{};
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = &objectWindowProc<MainWindow>;
    wc.hInstance = appInstance;
    wc.hIcon = static_cast<HICON>(LoadImageW(appInstance, MAKEINTRESOURCEW(kAppIconResource), IMAGE_ICON,
                                             GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), LR_SHARED));
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = pageBrush();
    wc.lpszClassName = kMainWindowClass;
    RegisterClassW(&wc);

    POINT cursor{};
    GetCursorPos(&cursor);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoW(MonitorFromPoint(cursor, MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT work = monitor.rcWork;

    window_ = CreateWindowExW(WS_EX_APPWINDOW, kMainWindowClass, tr(app_.settings.language, texts::productName),
                              WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, work.left + (work.right - work.left - 620) / 2,
                              work.top + 24, 620, 380, nullptr, nullptr, appInstance, this);
    const HWND mainWindow = window_;
    if (mainWindow != nullptr) placeAtStart(mainWindow, work);
    setUiState(app_, UiState::Home);
    // The text renderer's first set-up takes a noticeable time under Wine; done
    // before the window shows, its first frame is the finished page.
    ensureTextRenderer();
    showAndActivateMain(app_);
    RedrawWindow(mainWindow, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    return mainWindow;
}

HWND createMainWindow(Application& app) { return app.main.create(); }

void runMessageLoop(Application& app) {
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (recordingHotkey(app.copyAndHotkey) && isKeyMessage(msg.message) &&
            recordHotkeyKey(app, msg.message, msg.wParam)) {
            continue;
        }
        if (routeDialogKey(app, msg)) continue;
        if (app.settingsWindow.isOpen() && IsDialogMessageW(app.settingsWindow.handle(), &msg)) continue;
        if (app.main.window() != nullptr && IsDialogMessageW(app.main.window(), &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

int runInteractiveProgram(Application& app) {
    const SmallFile settingsFile = loadSettings(app.settings);
    if (createMainWindow(app) == nullptr) {
        // Nothing could ever post the quit message: say why and end.
        const UiLanguage lang = app.settings.language;
        MessageBoxW(nullptr, tr(lang, texts::mainWindowFailedMessage), tr(lang, texts::productName), MB_ICONERROR);
        return 0;
    }
    noticeUnusedSettingsFile(app.main.window(), app.settings.language, settingsFile);
    runMessageLoop(app);
    return 0;
}

}  // namespace tf
