// The selection overlay over the virtual desktop and the click-through capture
// overlay that replaces it: one window class, behaviour keyed on UiState. The
// window carries the application in GWLP_USERDATA; the drag and the chosen
// rectangle are its SelectionSession.

#include <windows.h>
#include <shellscalingapi.h>
#include <windowsx.h>

#include <cstdio>
#include <optional>
#include <vector>

#include "shell/app/app_globals_win32.h"
#include "shell/app/app_window_win32.h"
#include "core/app/control_ids.h"
#include "shell/app/page_driver_win32.h"
#include "shell/save/save_session_win32.h"
#include "core/capture/capture_controller.h"
#include "shell/capture/capture_globals_win32.h"
#include "core/capture/capture_rules.h"
#include "core/capture/pick_rules.h"
#include "shell/capture/target_window_win32.h"
#include "core/texts/texts.h"
#include "platform/win32/win32_rect.h"

namespace tf {

namespace {

constexpr wchar_t kOverlayClass[] = L"TallyframeTaskOverlay";
// Keeps the overlay's own pixels out of screen grabs (Windows 10 2004 on).
constexpr DWORD kExcludeFromCapture = 0x11;
// Hides the main window this long after the overlay has been put on the screen.
constexpr UINT kHideMainWindowDelayMs = 30;
constexpr UINT_PTR kHideMainWindowTimer = static_cast<UINT_PTR>(TimerId::HideMainWindow);

Rect virtualDesktop() {
    const int x = GetSystemMetrics(SM_XVIRTUALSCREEN), y = GetSystemMetrics(SM_YVIRTUALSCREEN);
    return {x, y, x + GetSystemMetrics(SM_CXVIRTUALSCREEN), y + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

uint32_t dpiForPoint(POINT p, uint32_t fallback) {
    HMONITOR monitor = MonitorFromPoint(p, MONITOR_DEFAULTTONEAREST);
    UINT dx = 0, dy = 0;
    if (monitor != nullptr && SUCCEEDED(GetDpiForMonitor(monitor, MDT_EFFECTIVE_DPI, &dx, &dy)) && dx != 0) return dx;
    return fallback != 0 ? fallback : 96;
}

bool monitorWorkArea(POINT p, Rect& rect, HMONITOR& monitor) {
    HMONITOR m = MonitorFromPoint(p, MONITOR_DEFAULTTONEAREST);
    if (m == nullptr) return false;
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoW(m, &info)) return false;
    rect = toRect(info.rcWork);
    monitor = m;
    return true;
}

POINT cursorPos() {
    POINT p{};
    GetCursorPos(&p);
    return p;
}

// Where the pointer was when the mouse message being handled was made: a drag
// that began while the GUI thread was busy still starts where it was pressed.
POINT messagePos() {
    const DWORD p = GetMessagePos();
    return {GET_X_LPARAM(p), GET_Y_LPARAM(p)};
}

// The list of other programs' windows is taken again when older than this:
// windows that open or move while the pointer rests show up this late.
constexpr uint64_t kTopLevelRefreshMs = 250;

// The area a click at `p` would pick in `window` (the deepest window of
// another program there): its client area less its scroll bars, or that of
// the first window around it large enough, on the monitor under the point.
Rect highlightIn(HWND window, POINT p, uint32_t fallbackDpi) {
    Rect workArea;
    HMONITOR monitor = nullptr;
    if (window == nullptr || !monitorWorkArea(p, workArea, monitor)) return {};
    const std::vector<PickWindowArea> areas = pickAreasUpFrom(window);
    std::vector<PickCandidate> chain;
    chain.reserve(areas.size());
    for (const PickWindowArea& a : areas) chain.push_back({a.client, a.scrollBars});
    return firstPickHighlight(chain, workArea, dpiForPoint(p, fallbackDpi));
}

// Finds the window under `p` and its highlight afresh.
void findHighlight(SelectionState& s, POINT p, uint32_t fallbackDpi) {
    s.windows = TopLevelWindows::take();
    const HWND top = s.windows.at(p);
    s.highlightWindow = top == nullptr ? nullptr : deepestChildAt(top, p);
    s.highlight = highlightIn(s.highlightWindow, p, fallbackDpi);
}

#ifdef TALLYFRAME_HOVER_TIMING
// A bench build's record of what one pointer move over the selection costs:
// the window search and, when the highlight changed, the redraw.
class HoverTimer {
public:
    HoverTimer() { QueryPerformanceCounter(&start_); }
    void searched() { QueryPerformanceCounter(&searched_); }
    void finish(bool redrawn) {
        LARGE_INTEGER end{}, frequency{};
        QueryPerformanceCounter(&end);
        QueryPerformanceFrequency(&frequency);
        if (frequency.QuadPart == 0) return;
        const auto us = [&](const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
            return static_cast<long long>((to.QuadPart - from.QuadPart) * 1000000 / frequency.QuadPart);
        };
        if (FILE* f = std::fopen("hover_timing.txt", "a")) {
            std::fprintf(f, "search_us=%lld redraw_us=%lld redrawn=%d\n", us(start_, searched_),
                         redrawn ? us(searched_, end) : 0LL, redrawn ? 1 : 0);
            std::fclose(f);
        }
    }

private:
    LARGE_INTEGER start_{}, searched_{};
};
#else
struct HoverTimer {
    void searched() {}
    void finish(bool) {}
};
#endif

// Hiding a window can block: Wine without a window manager waits 2 s for one
// to confirm. It is done once the overlay is up, so that the overlay shows at
// once and a drag begun meanwhile lands on it, not on the window below.
void hideMainWindow(const Application& app) {
    const HWND mainWindow = app.mainWindow;
    if (mainWindow == nullptr || !IsWindowVisible(mainWindow)) return;
    SetWindowPos(mainWindow, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
    ShowWindow(mainWindow, SW_HIDE);
}

HWND createOverlayWindow(Application& app, DWORD exStyle, const Rect& r) {
    return CreateWindowExW(exStyle, kOverlayClass, L"", WS_POPUP, r.left, r.top, r.width(), r.height(), nullptr,
                           nullptr, app.instance, &app);
}

void acceptRectangle(Application& app, const Rect& chosen, POINT anchor) {
    SelectionSession& selection = app.selection;
    selection.captureRect = chosen;
    forgetSavedCapture(app.save);
    selection.captureRectValid = true;
    const uint32_t newDpi = dpiForPoint(anchor, selection.overlayDpi);
    selection.captureStartTick = GetTickCount64();
    // The capture view is painted before the capture itself starts: its arrow
    // must already point the way this capture goes, not the last one's.
    app.capture.progress.direction = selection.direction;

    setUiState(app, UiState::Capturing);
    closeOverlay(app);  // the selection window is gone after this
    hideMainWindow(app);  // if the selection was quicker than the overlay's timer

    HWND overlay = createOverlayWindow(
        app, WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_TRANSPARENT | WS_EX_NOACTIVATE,
        selection.overlayBounds);
    if (overlay == nullptr) {
        failCaptureAndShowMain(app, tr(app.settings.language, texts::overlayFailedMessage), MB_ICONERROR);
        return;
    }
    app.overlayWindow = overlay;
    selection.overlayDpi = newDpi;
    SetWindowDisplayAffinity(overlay, kExcludeFromCapture);
    ShowWindow(overlay, SW_SHOWNOACTIVATE);
    redrawOverlay(app);
    PostMessageW(app.mainWindow, WM_APP_START_CAPTURE, 0, 0);
}

void onMouseMove(Application& app) {
    SelectionState* s = &app.selection.drag;
    uint32_t& overlayDpi = app.selection.overlayDpi;
    if (currentUiState(app) != UiState::Selecting) return;
    const POINT p = messagePos();
    if (s->dragging && s->clampToWorkArea) {
        const Point c = clampPointToRect({p.x, p.y}, s->workArea);
        s->current = {c.x, c.y};
        redrawOverlay(app);
        return;
    }
    // Hovering redraws only when the highlight or the monitor changes; the
    // prompt follows the monitor. A move within the window found last costs
    // a hit test of the window list and one descent, nothing more.
    HoverTimer timer;
    if (GetTickCount64() - s->windows.takenAt() >= kTopLevelRefreshMs) s->windows = TopLevelWindows::take();
    const HWND top = s->windows.at(p);
    const HWND window = top == nullptr ? nullptr : deepestChildAt(top, p);
    HMONITOR m = MonitorFromPoint(p, MONITOR_DEFAULTTONEAREST);
    const Rect highlight = window == s->highlightWindow && m == s->monitor ? s->highlight : highlightIn(window, p, overlayDpi);
    timer.searched();
    if (m == s->monitor && highlight == s->highlight) {
        s->highlightWindow = window;
        timer.finish(false);
        return;
    }
    s->current = p;
    s->monitor = m;
    s->highlight = highlight;
    s->highlightWindow = window;
    overlayDpi = dpiForPoint(p, overlayDpi);
    redrawOverlay(app);
    timer.finish(true);
}

void onButtonDown(Application& app, HWND window) {
    SelectionState* s = &app.selection.drag;
    uint32_t& overlayDpi = app.selection.overlayDpi;
    if (currentUiState(app) != UiState::Selecting) return;
    s->anchor = messagePos();
    if (!monitorWorkArea(s->anchor, s->workArea, s->monitor)) return;
    // What the press shows and a click picks is what lies under it now.
    findHighlight(*s, s->anchor, overlayDpi);
    app.selection.overlayBounds = s->workArea;
    s->clampToWorkArea = true;
    overlayDpi = dpiForPoint(s->anchor, overlayDpi);
    s->current = s->anchor;
    s->dragging = true;
    SetCapture(window);
    redrawOverlay(app);
}

void onButtonUp(Application& app) {
    SelectionState* s = &app.selection.drag;
    uint32_t& overlayDpi = app.selection.overlayDpi;
    if (currentUiState(app) != UiState::Selecting || !s->dragging) return;
    ReleaseCapture();
    POINT p = messagePos();
    if (s->clampToWorkArea) {
        const Point c = clampPointToRect({p.x, p.y}, s->workArea);
        p = {c.x, c.y};
    }
    s->current = p;
    // A click takes the highlighted area, a drag its rectangle; both are then
    // accepted the same way.
    const uint32_t dpi = dpiForPoint(s->anchor, overlayDpi);
    if (const std::optional<Rect> chosen = releasedArea({s->anchor.x, s->anchor.y}, {p.x, p.y}, s->highlight, dpi)) {
        acceptRectangle(app, *chosen, s->anchor);
        return;
    }
    // Too small, or a click on nothing to pick: not an error, the user simply tries again.
    s->dragging = false;
    s->clampToWorkArea = false;
    app.selection.overlayBounds = virtualDesktop();
    s->current = cursorPos();
    s->monitor = MonitorFromPoint(s->current, MONITOR_DEFAULTTONEAREST);
    overlayDpi = dpiForPoint(s->current, overlayDpi);
    findHighlight(*s, s->current, overlayDpi);
    redrawOverlay(app);
}

LRESULT CALLBACK overlayProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Application* found = applicationForMessage(window, message, lParam);
    if (found == nullptr) return DefWindowProcW(window, message, wParam, lParam);
    Application& app = *found;
    const bool selecting = currentUiState(app) == UiState::Selecting;
    switch (message) {
    case WM_CREATE: {
        SelectionState& state = app.selection.drag;
        state = SelectionState{};
        state.current = cursorPos();
        state.monitor = MonitorFromPoint(state.current, MONITOR_DEFAULTTONEAREST);
        // The first picture already offers what lies under the pointer.
        findHighlight(state, state.current, GetDpiForWindow(window));
        return 0;
    }
    case WM_NCDESTROY:
        if (GetCapture() == window) ReleaseCapture();
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        if (app.overlayWindow == window) app.overlayWindow = nullptr;
        return 0;
    case WM_PAINT:
        ValidateRect(window, nullptr);  // every picture goes through UpdateLayeredWindow
        return 0;
    case WM_NCHITTEST:
        return selecting ? HTCLIENT : HTTRANSPARENT;
    case WM_SETCURSOR:
        if (selecting) {
            SetCursor(LoadCursorW(nullptr, IDC_CROSS));
            return TRUE;
        }
        break;
    case WM_MOUSEACTIVATE:
        return selecting ? MA_ACTIVATE : MA_NOACTIVATE;
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE && selecting) cancelSelection(app);
        // The direction is chosen before the drag: a rectangle being drawn keeps the one it started with.
        if ((wParam == VK_RIGHT || wParam == VK_DOWN) && selecting && !app.selection.drag.dragging) {
            const ScrollDirection chosen = wParam == VK_RIGHT ? ScrollDirection::Right : ScrollDirection::Down;
            if (chosen != app.selection.direction) {
                app.selection.direction = chosen;
                redrawOverlay(app);
            }
        }
        return 0;
    case WM_DISPLAYCHANGE:
        if (selecting) {
            cancelSelection(app);
        } else if (currentUiState(app) == UiState::Capturing) {
            requestCaptureFinish(app);  // the capture ends and saves what it has
        }
        return 0;
    case WM_TIMER:
        if (wParam != kHideMainWindowTimer) break;
        KillTimer(window, kHideMainWindowTimer);
        if (selecting) hideMainWindow(app);
        return 0;
    case WM_MOUSEMOVE:
        onMouseMove(app);
        return 0;
    case WM_LBUTTONDOWN:
        onButtonDown(app, window);
        return 0;
    case WM_LBUTTONUP:
        onButtonUp(app);
        return 0;
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

bool registerOverlayClass(Application& app) {
    if (app.selection.overlayClassRegistered) return true;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = overlayProc;
    wc.hInstance = app.instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_CROSS);
    wc.lpszClassName = kOverlayClass;
    if (RegisterClassExW(&wc) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
    app.selection.overlayClassRegistered = true;
    return true;
}

}  // namespace

void beginSelection(Application& app) {
    if (!isHomeLike(currentUiState(app))) return;
    setUiState(app, UiState::Selecting);
    if (!registerOverlayClass(app)) {
        failCaptureAndShowMain(app);
        return;
    }
    const POINT cursor = cursorPos();
    app.selection.direction = app.settings.captureDirection;
    app.selection.overlayBounds = virtualDesktop();
    HWND overlay = createOverlayWindow(app, WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_TOPMOST, app.selection.overlayBounds);
    if (overlay == nullptr) {
        failCaptureAndShowMain(app);
        return;
    }
    app.overlayWindow = overlay;
    app.selection.overlayDpi = dpiForPoint(cursor, GetDpiForWindow(overlay));
    SetWindowDisplayAffinity(overlay, kExcludeFromCapture);
    // The dimmed picture is in place before the window shows, so that it is
    // the first frame anyone sees.
    redrawOverlay(app);
    ShowWindow(overlay, SW_SHOW);
    SetForegroundWindow(overlay);
    if (SetTimer(overlay, kHideMainWindowTimer, kHideMainWindowDelayMs, nullptr) == 0) hideMainWindow(app);
}

void cancelSelection(Application& app) {
    if (currentUiState(app) != UiState::Selecting) return;
    if (GetCapture() != nullptr) ReleaseCapture();
    closeOverlay(app);
    setUiState(app, UiState::Home);
    showAndActivateMain(app);
}

void closeOverlay(Application& app) {
    if (app.overlayWindow != nullptr) {
        HWND window = app.overlayWindow;
        app.overlayWindow = nullptr;
        DestroyWindow(window);
    }
    freeOverlayBuffer(app);
}

}  // namespace tf
