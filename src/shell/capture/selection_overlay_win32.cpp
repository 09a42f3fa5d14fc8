// The selection overlay over the virtual desktop and the click-through capture
// overlay that replaces it: one window class, behaviour keyed on UiState. The
// window carries its CaptureArea in GWLP_USERDATA; the drag and the chosen
// rectangle are the area's SelectionSession.

#include <windows.h>
#include <shellscalingapi.h>
#include <windowsx.h>

#include <cstdio>
#include <optional>
#include <vector>

#include "core/app/control_ids.h"
#include "core/capture/capture_controller.h"
#include "shell/capture/capture_globals_win32.h"
#include "core/capture/capture_rules.h"
#include "core/capture/pick_rules.h"
#include "shell/capture/target_window_win32.h"
#include "platform/win32/win32_rect.h"
#include "platform/win32/win32_window_object.h"

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
void hideMainWindow(const CaptureArea& area) {
    const HWND mainWindow = area.shell.mainWindow();
    if (mainWindow == nullptr || !IsWindowVisible(mainWindow)) return;
    SetWindowPos(mainWindow, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
    ShowWindow(mainWindow, SW_HIDE);
}

HWND createOverlayWindow(CaptureArea& area, DWORD exStyle, const Rect& r) {
    return CreateWindowExW(exStyle, kOverlayClass, L"", WS_POPUP, r.left, r.top, r.width(), r.height(), nullptr,
                           nullptr, area.instance, &area);
}

// The selection window had the foreground for the drag; the window being
// captured gets it back, as a click into it would have left it: some windows
// scroll or paint their selection differently while inactive.
void activateCapturedWindow(const Rect& captured) {
    const POINT centre{captured.left + captured.width() / 2, captured.top + captured.height() / 2};
    const HWND window = foreignWindowAt(centre);
    const HWND root = window == nullptr ? nullptr : GetAncestor(window, GA_ROOT);
    if (root != nullptr && GetForegroundWindow() != root) SetForegroundWindow(root);
}

void acceptRectangle(CaptureArea& area, HWND window, const Rect& chosen, POINT anchor) {
    SelectionSession& selection = area.selection;
    selection.captureRect = chosen;
    area.shell.forgetSavedCapture();
    selection.captureRectValid = true;
    selection.overlayDpi = dpiForPoint(anchor, selection.overlayDpi);
    selection.captureStartTick = GetTickCount64();
    // The capture view is painted before the capture itself starts: its arrow
    // must already point the way this capture goes, not the last one's.
    area.driver.progress.direction = selection.direction;

    area.shell.setUiState(UiState::Capturing);
    // The selection window becomes the capture overlay in place: destroying a
    // shown window and showing another each block for a window manager's
    // answer under Wine, seconds before the first grab. It already lies over
    // the drag's work area, where the capture view is drawn.
    SetWindowLongPtrW(window, GWL_EXSTYLE,
                      GetWindowLongPtrW(window, GWL_EXSTYLE) | WS_EX_TRANSPARENT | WS_EX_NOACTIVATE);
    SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    redrawOverlay(area);
    activateCapturedWindow(chosen);
    // Only a main window still shown (the drag beat the hide timer) is hidden
    // here; one already hidden is not waited for again.
    KillTimer(window, kHideMainWindowTimer);
    hideMainWindow(area);
    area.shell.startCaptureSoon();
}

void onMouseMove(CaptureArea& area) {
    SelectionState* s = &area.selection.drag;
    uint32_t& overlayDpi = area.selection.overlayDpi;
    if (area.shell.uiState() != UiState::Selecting) return;
    const POINT p = messagePos();
    if (s->dragging && s->clampToWorkArea) {
        const Point c = clampPointToRect({p.x, p.y}, s->workArea);
        s->current = {c.x, c.y};
        redrawOverlay(area);
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
    redrawOverlay(area);
    timer.finish(true);
}

void onButtonDown(CaptureArea& area, HWND window) {
    SelectionState* s = &area.selection.drag;
    uint32_t& overlayDpi = area.selection.overlayDpi;
    if (area.shell.uiState() != UiState::Selecting) return;
    s->anchor = messagePos();
    if (!monitorWorkArea(s->anchor, s->workArea, s->monitor)) return;
    // What the press shows and a click picks is what lies under it now.
    findHighlight(*s, s->anchor, overlayDpi);
    area.selection.overlayBounds = s->workArea;
    s->clampToWorkArea = true;
    overlayDpi = dpiForPoint(s->anchor, overlayDpi);
    s->current = s->anchor;
    s->dragging = true;
    SetCapture(window);
    redrawOverlay(area);
}

void onButtonUp(CaptureArea& area, HWND window) {
    SelectionState* s = &area.selection.drag;
    uint32_t& overlayDpi = area.selection.overlayDpi;
    if (area.shell.uiState() != UiState::Selecting || !s->dragging) return;
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
        acceptRectangle(area, window, *chosen, s->anchor);
        return;
    }
    // Too small, or a click on nothing to pick: not an error, the user simply tries again.
    s->dragging = false;
    s->clampToWorkArea = false;
    area.selection.overlayBounds = virtualDesktop();
    s->current = cursorPos();
    s->monitor = MonitorFromPoint(s->current, MONITOR_DEFAULTTONEAREST);
    overlayDpi = dpiForPoint(s->current, overlayDpi);
    findHighlight(*s, s->current, overlayDpi);
    redrawOverlay(area);
}

LRESULT CALLBACK overlayProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    CaptureArea* found = windowObjectForMessage<CaptureArea>(window, message, lParam);
    if (found == nullptr) return DefWindowProcW(window, message, wParam, lParam);
    CaptureArea& area = *found;
    const bool selecting = area.shell.uiState() == UiState::Selecting;
    switch (message) {
    case WM_CREATE: {
        SelectionState& state = area.selection.drag;
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
        if (area.overlayWindow == window) area.overlayWindow = nullptr;
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
        if (wParam == VK_ESCAPE && selecting) cancelSelection(area);
        // The direction is chosen before the drag: a rectangle being drawn keeps the one it started with.
        if ((wParam == VK_RIGHT || wParam == VK_DOWN) && selecting && !area.selection.drag.dragging) {
            const ScrollDirection chosen = wParam == VK_RIGHT ? ScrollDirection::Right : ScrollDirection::Down;
            if (chosen != area.selection.direction) {
                area.selection.direction = chosen;
                redrawOverlay(area);
            }
        }
        return 0;
    case WM_DISPLAYCHANGE:
        if (selecting) {
            cancelSelection(area);
        } else if (area.shell.uiState() == UiState::Capturing) {
            requestCaptureFinish(area);  // the capture ends and saves what it has
        }
        return 0;
    case WM_TIMER:
        if (wParam != kHideMainWindowTimer) break;
        KillTimer(window, kHideMainWindowTimer);
        if (selecting) hideMainWindow(area);
        return 0;
    case WM_MOUSEMOVE:
        onMouseMove(area);
        return 0;
    case WM_LBUTTONDOWN:
        onButtonDown(area, window);
        return 0;
    case WM_LBUTTONUP:
        onButtonUp(area, window);
        return 0;
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

bool registerOverlayClass(CaptureArea& area) {
    if (area.selection.overlayClassRegistered) return true;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = overlayProc;
    wc.hInstance = area.instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_CROSS);
    wc.lpszClassName = kOverlayClass;
    if (RegisterClassExW(&wc) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
    area.selection.overlayClassRegistered = true;
    return true;
}

}  // namespace

void beginSelection(CaptureArea& area) {
    if (!isHomeLike(area.shell.uiState())) return;
    area.shell.setUiState(UiState::Selecting);
    if (!registerOverlayClass(area)) {
        area.shell.failCapture(nullptr, MB_ICONERROR);
        return;
    }
    const POINT cursor = cursorPos();
    area.selection.direction = area.shell.settings().captureDirection;
    area.selection.overlayBounds = virtualDesktop();
    HWND overlay = createOverlayWindow(area, WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_TOPMOST, area.selection.overlayBounds);
    if (overlay == nullptr) {
        area.shell.failCapture(nullptr, MB_ICONERROR);
        return;
    }
    area.overlayWindow = overlay;
    area.selection.overlayDpi = dpiForPoint(cursor, GetDpiForWindow(overlay));
    SetWindowDisplayAffinity(overlay, kExcludeFromCapture);
    // The dimmed picture is in place before the window shows, so that it is
    // the first frame anyone sees.
    redrawOverlay(area);
    ShowWindow(overlay, SW_SHOW);
    SetForegroundWindow(overlay);
    if (SetTimer(overlay, kHideMainWindowTimer, kHideMainWindowDelayMs, nullptr) == 0) hideMainWindow(area);
}

void cancelSelection(CaptureArea& area) {
    if (area.shell.uiState() != UiState::Selecting) return;
    if (GetCapture() != nullptr) ReleaseCapture();
    closeOverlay(area);
    area.shell.setUiState(UiState::Home);
    area.shell.showMain();
}

void closeOverlay(CaptureArea& area) {
    if (area.overlayWindow != nullptr) {
        HWND window = area.overlayWindow;
        area.overlayWindow = nullptr;
        DestroyWindow(window);
    }
    freeOverlayBuffer(area);
}

}  // namespace tf
