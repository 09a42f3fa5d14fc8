#include "shell/ui/settings_window_win32.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <array>
#include <cmath>

#include "shell/app/control_table_win32.h"
#include "ground/dpi.h"
#include "shell/app/commands_win32.h"
#include "shell/app/copy_and_hotkey_win32.h"
#include "shell/app/app_window_win32.h"
#include "shell/app/page_driver_win32.h"
#include "shell/pickers/pickers_win32.h"
#include "core/settings/settings_store.h"
#include "core/texts/texts.h"
#include "core/texts/bilingual.h"
#include "shell/ui/button_proc_win32.h"
#include "shell/ui/page_painter_win32.h"
#include "shell/ui/palette.h"
#include "shell/ui/renderer_win32.h"
#include "core/ui/settings_layout.h"

namespace tf {

HWND settingsWindow = nullptr;

namespace {

// The page navigation and "Check for updates" belong to this window only;
// they never enter the shared control slots, which keep the main window's
// hidden controls of the same ids.
constexpr ControlId kNavigationIds[] = {ControlId::GeneralNavigation, ControlId::HelpNavigation,
                                        ControlId::AboutNavigation, ControlId::CheckUpdates};
std::array<HWND, 4> navigation{};

// The classic rows of the general page, in tab order; they and the added rows
// (kAddedSettingsRows) take the shared slots.
constexpr ControlId kSlotIds[] = {ControlId::CaptureFolderBox, ControlId::ChooseFolder, ControlId::Language,
                                  ControlId::OpenAfterCapture, ControlId::CaptureLogging};
// Every other slot this window fills or borrows, emptied when it closes.
constexpr ControlId kReleasedSlots[] = {ControlId::CaptureFolderBox, ControlId::ChooseFolder,
                                        ControlId::Language,         ControlId::OpenAfterCapture,
                                        ControlId::CaptureLogging,   ControlId::Feedback,
                                        ControlId::ScrollMode,
                                        ControlId::PublisherSite,    ControlId::AboutProduct};

// How far the general page is scrolled up (DIPs), when the window is shorter
// than its rows.
float pageScroll = 0;

std::wstring settingsControlLabel(ControlId id) {
    switch (id) {
        case ControlId::CaptureFolderBox: return settings.captureFolder;
        case ControlId::ChooseFolder: return tr(texts::chooseFolderControl);
        case ControlId::Language: return tr(texts::languageCommand);
        case ControlId::OpenAfterCapture: return tr(texts::openAfterLabel);
        case ControlId::CaptureLogging: return tr(texts::captureLoggingCommand);
        case ControlId::CaptureHotkey: return hotkeyControlText();
        default:
            for (const AddedSettingsRow& row : kAddedSettingsRows) {
                if (row.control == id) return tr(row.label);
            }
            return controlLabel(id);
    }
}

void place(HWND control, int x, int y, int w, int h, bool visible) {
    placeControl(control, ControlPlacement{{x, y, x + w, y + h}, visible});
}

void createSlotControl(HWND window, ControlId id) {
    const bool isStatic = id == ControlId::CaptureFolderBox;
    const DWORD style = isStatic ? (WS_CHILD | WS_VISIBLE | SS_OWNERDRAW)
                                 : (WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW);
    HWND c = CreateWindowExW(0, isStatic ? L"STATIC" : L"BUTTON", settingsControlLabel(id).c_str(), style, 0, 0, 0, 0,
                             window, controlMenu(id), appInstance, nullptr);
    setControlSlot(id, c);
    if (!isStatic) subclassOwnerButton(c);
}

void createControls(HWND window) {
    for (ControlId id : kSlotIds) createSlotControl(window, id);
    for (const AddedSettingsRow& row : kAddedSettingsRows) createSlotControl(window, row.control);
    createSlotControl(window, ControlId::Feedback);
    for (size_t i = 0; i < navigation.size(); ++i) {
        const ControlId id = kNavigationIds[i];
        navigation[i] = CreateWindowExW(0, L"BUTTON", controlLabel(id).c_str(), WS_CHILD | WS_TABSTOP | BS_OWNERDRAW, 0,
                                        0, 0, 0, window, controlMenu(id), appInstance, nullptr);
        subclassOwnerButton(navigation[i]);
    }
}

void goToPage(UiState page) {
    if (isHomeLike(currentUiState())) {
        if (page == UiState::SettingsGeneral) return;  // already the general page
        setUiState(UiState::SettingsGeneral);
    }
    setUiState(page);
}

void closeSettingsFromPages() {
    // Back to the page the main window showed before the settings window
    // navigated; allowed from every settings page.
    if (isSettingsPage(currentUiState())) setUiState(settingsReturnState());
}

void drawHeader(ID2D1RenderTarget* t, const SettingsLayout& l) {
    const UiState s = currentUiState();
    const wchar_t* title;
    const wchar_t* subtitle;
    if (s == UiState::SettingsHelp) {
        title = tr(texts::helpNavigation);
        subtitle = tr(texts::helpSubtitle);
    } else if (s == UiState::SettingsAbout) {
        title = tr(texts::aboutNavigation);
        subtitle = tr(texts::aboutSubtitle);
    } else {
        title = tr(texts::settingsButton);
        subtitle = tr(texts::settingsSubtitle);
    }
    const RectF& a = l.headerTitle;
    const RectF& b = l.headerSubtitle;
    drawText(t, title, D2D1::RectF(a.left, a.top, a.right, a.bottom), 28, 400, palette::titleText, kTextCentred);
    drawText(t, subtitle, D2D1::RectF(b.left, b.top, b.right, b.bottom), 14, 400, palette::bodyText, kTextCentred);
}

void drawGeneralPage(ID2D1RenderTarget* t, const SettingsLayout& l) {
    const float m = l.margin, R = l.right;
    drawText(t, tr(texts::captureFolderLabel), D2D1::RectF(m, l.folderLabelTop, R - 170, l.folderLabelTop + 26),
             15, 500, palette::titleText, kTextLeft);
    drawText(t, tr(texts::captureFolderDescription),
             D2D1::RectF(m, l.folderDescriptionTop, R - 130, l.folderDescriptionTop + 22), 13, 400, palette::bodyText,
             kTextLeft);
    struct Row {
        float top;
        const wchar_t* label;
        const wchar_t* description;
    } rows[] = {
        {l.languageRowTop, tr(texts::languageLabel), tr(texts::languageDescription)},
        {l.openAfterRowTop, tr(texts::openAfterLabel),
         tr(texts::openAfterDescription)},
        {l.loggingRowTop, tr(texts::captureLoggingCommand),
         tr(texts::loggingDescription)},
    };
    for (const Row& r : rows) {
        drawText(t, r.label, D2D1::RectF(m, r.top, R - 170, r.top + 24), 15, 500, palette::titleText, kTextLeft);
        drawText(t, r.description, D2D1::RectF(m, r.top + 24, R - 100, r.top + 46), 13, 400, palette::bodyText,
                 kTextLeft);
    }
    for (size_t i = 0; i < kAddedSettingsRowCount; ++i) {
        const AddedSettingsRow& row = kAddedSettingsRows[i];
        const float top = l.addedRowTops[i];
        const bool chord = row.kind == SettingsRowControl::Chord;
        const float textRight = chord ? R - kChordControlWidth - 12 : R - 100;
        drawText(t, tr(row.label), D2D1::RectF(m, top, chord ? textRight : R - 170, top + 24), 15, 500,
                 palette::titleText, kTextLeft);
        // A chord the system refused is reported in its row, in place of the description.
        const HotkeyRegistration status = lastHotkeyRegistration();
        const bool refused = chord && (status == HotkeyRegistration::InUse || status == HotkeyRegistration::Failed);
        const wchar_t* line = !refused ? tr(row.description)
                              : status == HotkeyRegistration::InUse ? tr(texts::hotkeyInUseNotice)
                                                                    : tr(texts::hotkeyFailedNotice);
        drawText(t, line, D2D1::RectF(m, top + 24, textRight, top + 46), 13, refused ? 600 : 400,
                 refused ? palette::warningText : palette::bodyText, kTextLeft);
    }
    drawText(t, L"v1.0.0", D2D1::RectF(R - 80, l.feedbackRowTop, R, l.feedbackRowTop + 32), 12, 400, palette::bodyText,
             DT_SINGLELINE | DT_VCENTER | DT_RIGHT);
}

void drawHelpPage(ID2D1RenderTarget* t, float W, float m, UINT dpi) {
    const float c = (W - 2 * m - 24) / 3;
    const wchar_t* numbers[] = {L"01", L"02", L"03"};
    const wchar_t* titles[] = {tr(texts::stepSelectTitle), tr(texts::stepScrollTitle),
                               tr(texts::finishHint)};
    const wchar_t* descriptions[] = {tr(texts::stepSelectDescription),
                                     tr(texts::stepScrollDescription),
                                     tr(texts::stepFinishDescription)};
    for (int i = 0; i < 3; ++i) {
        const float left = m + i * (c + 12), right = left + c;
        strokeRoundedRect(t, D2D1::RectF(left, 106, right, 218), 7, palette::border, 96.0f / dpi);
        drawText(t, numbers[i], D2D1::RectF(left + 14, 118, right - 14, 138), 12, 400, palette::accent, kTextLeft);
        drawText(t, titles[i], D2D1::RectF(left + 14, 144, right - 14, 168), 14, 500, palette::titleText, kTextLeft);
        // Two lines fit the 34-DIP box; a narrow window wraps instead of cutting.
        drawText(t, descriptions[i], D2D1::RectF(left + 14, 170, right - 14, 204), 12, 400, palette::bodyText,
                 DT_VCENTER | DT_WORDBREAK);
    }
    const wchar_t* rows[] = {tr(texts::faqRow),
                             tr(texts::websiteRow), tr(texts::sendFeedbackRow)};
    for (int i = 0; i < 3; ++i) {
        const float top = 242.0f + 42 * i;
        drawText(t, rows[i], D2D1::RectF(m, top, W - m, top + 42), 13, 400, palette::titleText, kTextLeft);
        if (i < 2) {
            const float y = top + 42 - 0.5f * 96.0f / dpi;
            drawLine(t, D2D1::Point2F(m, y), D2D1::Point2F(W - m, y), palette::divider, 96.0f / dpi);
        }
    }
}

void drawAboutPage(ID2D1RenderTarget* t, float W, float m) {
    drawText(t, tr(texts::productName), D2D1::RectF(m, 142, W - m, 180), 22, 400, palette::titleText, kTextCentred);
    drawText(t, tr(texts::aboutTagline),
             D2D1::RectF(m, 182, W - m, 208), 13, 400, palette::bodyText, kTextCentred);
    drawText(t, tr(texts::publisherLine), D2D1::RectF(m, 246, W - m, 272), 13, 400,
             palette::bodyText, kTextCentred);
    drawText(t, tr(texts::rightsLine),
             D2D1::RectF(m, 282, W - m, 306), 12, 400, palette::faintText, kTextCentred);
}

}  // namespace

void refreshSettingsWindow() {
    if (settingsWindow == nullptr) return;
    layoutSettingsWindowControls();
    RedrawWindow(settingsWindow, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void layoutSettingsWindowControls() {
    if (settingsWindow == nullptr) return;
    RECT client{};
    GetClientRect(settingsWindow, &client);
    const UINT dpi = windowDpi(settingsWindow);
    const float H = static_cast<float>(pixelsToDips(client.bottom, dpi));
    pageScroll = std::clamp(pageScroll, 0.0f, settingsPageScrollLimit(H));
    const SettingsControlsLayout l =
        layoutSettingsControls({client.right, client.bottom}, dpi, currentUiState(), settings.language, pageScroll);
    placeControl(controlSlot(ControlId::CaptureFolderBox), l.folderBox);
    placeControl(controlSlot(ControlId::ChooseFolder), l.chooseFolder);
    placeControl(controlSlot(ControlId::Language), l.language);
    placeControl(controlSlot(ControlId::OpenAfterCapture), l.openAfter);
    placeControl(controlSlot(ControlId::CaptureLogging), l.logging);
    placeControl(controlSlot(ControlId::Feedback), l.feedback);
    for (size_t i = 0; i < kAddedSettingsRowCount; ++i) {
        placeControl(controlSlot(kAddedSettingsRows[i].control), l.addedRows[i]);
    }
    // Navigation icons in the top right corner; "Check for updates" under
    // the about page's texts.
    const int W = pixelsToDips(client.right, dpi);
    auto d = [dpi](int v) { return dipsToPixels(v, dpi); };
    for (int i = 0; i < 3; ++i) place(navigation[static_cast<size_t>(i)], d(W - 16 - 32 - 36 * (2 - i)), d(12), d(32), d(32), true);
    place(navigation[3], d((W - 180) / 2), d(328), d(180), d(40), currentUiState() == UiState::SettingsAbout);
}

void paintSettingsPage(HWND window, HDC hdc) {
    RECT client{};
    GetClientRect(window, &client);
    const UINT dpi = windowDpi(window);
    const float W = client.right * 96.0f / dpi, H = client.bottom * 96.0f / dpi;
    const bool generalPage = currentUiState() != UiState::SettingsHelp && currentUiState() != UiState::SettingsAbout;
    const SettingsLayout l = computeSettingsPageLayout(W, H, generalPage ? pageScroll : 0);
    DcDraw draw(window, hdc, client);
    if (!draw) return;
    ID2D1DCRenderTarget* t = draw.target();
    fillRect(t, D2D1::RectF(0, 0, W, H), palette::pageBackground);
    drawHeader(t, l);
    const UiState s = currentUiState();
    if (s == UiState::SettingsHelp) drawHelpPage(t, W, l.margin, dpi);
    else if (s == UiState::SettingsAbout) drawAboutPage(t, W, l.margin);
    else drawGeneralPage(t, l);
    draw.end();
    if (s == UiState::SettingsAbout) {
        const float left = (W - 40) / 2;
        auto p = [dpi](float v) { return fractionalDipsToPixels(v, dpi); };
        const RECT mark{p(left), p(96), p(left + 40), p(136)};
        drawCachedIcon(hdc, IconId::AppMark, mark, palette::accent);
    }
}

bool openSettingsWindow() {
    if (settingsWindow != nullptr) {
        SetForegroundWindow(settingsWindow);
        return true;
    }
    WNDCLASSW wc{};
    wc.lpfnWndProc = settingsWindowProc;
    wc.hInstance = appInstance;
    wc.hIcon = static_cast<HICON>(LoadImageW(appInstance, MAKEINTRESOURCEW(kAppIconResource), IMAGE_ICON,
                                             GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), LR_SHARED));
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kSettingsWindowClass;
    if (!RegisterClassW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;

    const int d = static_cast<int>(windowDpi(mainWindow));
    // Taller by the added rows, so the classic rows keep their places; a work
    // area too short for that gets a window that fits and a page that scrolls.
    const Rect work = workAreaOf(mainWindow);
    const int w = dipsToPixels(620, static_cast<uint32_t>(d));
    const int h = std::min(dipsToPixels(460 + static_cast<int32_t>(kAddedSettingsRowsHeight), static_cast<uint32_t>(d)),
                           std::max(dipsToPixels(400, static_cast<uint32_t>(d)), work.height()));
    RECT main{};
    GetWindowRect(mainWindow, &main);
    int x = main.left + ((main.right - main.left) - w) / 2;
    int y = main.top + ((main.bottom - main.top) - h) / 2;
    x = std::clamp(x, work.left, std::max(work.left, work.right - w));
    y = std::clamp(y, work.top, std::max(work.top, work.bottom - h));
    HWND created = CreateWindowExW(0, kSettingsWindowClass, tr(texts::settingsWindowTitle),
                                   WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, x, y, w, h, mainWindow, nullptr, appInstance,
                                   nullptr);
    if (created == nullptr) return false;
    settingsWindow = created;
    layoutSettingsWindowControls();
    EnableWindow(mainWindow, FALSE);
    ShowWindow(settingsWindow, SW_SHOW);
    SetForegroundWindow(settingsWindow);
    SetFocus(settingsWindow);
    return true;
}

LRESULT CALLBACK settingsWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            settingsWindow = window;
            pageScroll = 0;
            createControls(window);
            layoutSettingsWindowControls();
            return 0;
        case WM_DESTROY:
            endHotkeyRecording();
            closeSettingsFromPages();
            settingsWindow = nullptr;
            for (ControlId id : kReleasedSlots) setControlSlot(id, nullptr);
            for (const AddedSettingsRow& row : kAddedSettingsRows) setControlSlot(row.control, nullptr);
            navigation.fill(nullptr);
            if (mainWindow != nullptr) {
                suppressSettingsFocusRing(true);
                EnableWindow(mainWindow, TRUE);
                showAndActivateMain();
                PostMessageW(mainWindow, WM_APP_SETTINGS_CLOSED, 0, 0);
            }
            return 0;
        case WM_SIZE:
            layoutSettingsWindowControls();
            InvalidateRect(window, nullptr, TRUE);
            return 0;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(window, &ps);
            if (dc != nullptr) paintSettingsPage(window, dc);
            EndPaint(window, &ps);
            return 0;
        }
        case WM_CLOSE: DestroyWindow(window); return 0;
        case WM_ERASEBKGND: return 1;
        case WM_GETMINMAXINFO: {
            auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
            const int d = static_cast<int>(windowDpi(window));
            info->ptMinTrackSize = {dipsToPixels(540, static_cast<uint32_t>(d)), dipsToPixels(400, static_cast<uint32_t>(d))};
            return 0;
        }
        case WM_DRAWITEM: paintOwnerButton(window, *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)); return TRUE;
        case WM_KEYDOWN:
            if (wParam != VK_ESCAPE) break;
            DestroyWindow(window);
            return 0;
        case WM_MOUSEWHEEL: {
            RECT client{};
            GetClientRect(window, &client);
            const float limit = settingsPageScrollLimit(static_cast<float>(pixelsToDips(client.bottom, windowDpi(window))));
            const float next = scrollOffsetAfterWheel(pageScroll, GET_WHEEL_DELTA_WPARAM(wParam), limit);
            if (next != pageScroll) {
                pageScroll = next;
                layoutSettingsWindowControls();
                InvalidateRect(window, nullptr, TRUE);
            }
            return 0;
        }
        case WM_COMMAND:
            // IDCANCEL is the dialog navigation's Esc.
            if (LOWORD(wParam) == IDCANCEL) {
                DestroyWindow(window);
                return 0;
            }
            switch (const ControlId command = static_cast<ControlId>(LOWORD(wParam))) {
                case ControlId::CloseSettings: DestroyWindow(window); break;
                case ControlId::GeneralNavigation: goToPage(UiState::SettingsGeneral); break;
                case ControlId::HelpNavigation: goToPage(UiState::SettingsHelp); break;
                case ControlId::AboutNavigation: goToPage(UiState::SettingsAbout); break;
                case ControlId::ChooseFolder:
                    if (chooseCaptureFolder(window)) {
                        if (HWND box = controlSlot(ControlId::CaptureFolderBox)) {
                            SetWindowTextW(box, settings.captureFolder.c_str());
                            InvalidateRect(box, nullptr, TRUE);
                        }
                        InvalidateRect(window, nullptr, TRUE);
                    }
                    break;
                case ControlId::Language:
                    if (chooseLanguage(window)) {
                        layoutSettingsWindowControls();
                        RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
                    }
                    break;
                case ControlId::OpenAfterCapture:
                case ControlId::CaptureLogging:
                case ControlId::CopyAfterCapture:
                case ControlId::ScrollMode: flipSwitchSetting(command); break;
                case ControlId::CaptureHotkey:
                    if (recordingHotkey()) endHotkeyRecording();
                    else if (HWND c = controlSlot(ControlId::CaptureHotkey)) {
                        SetFocus(c);
                        beginHotkeyRecording(c);
                    }
                    break;
                case ControlId::Feedback:
                    ShellExecuteW(window, L"open", kFeedbackFormUrl, nullptr, nullptr, SW_SHOWNORMAL);
                    break;
                case ControlId::CheckUpdates:
                    // The main window runs the check; its answer comes back there.
                    if (mainWindow != nullptr) SendMessageW(mainWindow, WM_COMMAND, idNumber(ControlId::CheckUpdates), 0);
                    break;
                default: break;
            }
            return 0;
        case WM_DPICHANGED: {
            const RECT* r = reinterpret_cast<const RECT*>(lParam);
            SetWindowPos(window, nullptr, r->left, r->top, r->right - r->left, r->bottom - r->top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
            layoutSettingsWindowControls();
            InvalidateRect(window, nullptr, TRUE);
            return 0;
        }
        default: break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void applyLanguage() {
    if (mainWindow != nullptr) SetWindowTextW(mainWindow, tr(texts::productName));
    if (settingsWindow != nullptr) SetWindowTextW(settingsWindow, tr(texts::settingsWindowTitle));
    const bool settingsOpen = settingsWindow != nullptr;
    for (int32_t n = 1; n <= kMaxControlId; ++n) {
        const auto id = static_cast<ControlId>(n);
        HWND c = controlSlot(id);
        if (c == nullptr || id == ControlId::CaptureFolderBox) continue;
        const bool ownedBySettings = settingsOpen && GetParent(c) == settingsWindow;
        SetWindowTextW(c, (ownedBySettings ? settingsControlLabel(id) : controlLabel(id)).c_str());
    }
    for (size_t i = 0; i < navigation.size(); ++i) {
        if (navigation[i] != nullptr) SetWindowTextW(navigation[i], controlLabel(kNavigationIds[i]).c_str());
    }
    setSettingsTooltip(mainWindow, true);
    if (mainWindow != nullptr) {
        layoutMainWindowControls();
        RedrawWindow(mainWindow, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    }
    if (settingsWindow != nullptr) refreshSettingsWindow();
}

}  // namespace tf
