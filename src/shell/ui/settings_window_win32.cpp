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

namespace {

// The page navigation and "Check for updates" belong to this window only;
// they never enter the shared control slots, which keep the main window's
// hidden controls of the same ids.
constexpr ControlId kNavigationIds[] = {ControlId::GeneralNavigation, ControlId::HelpNavigation,
                                        ControlId::AboutNavigation, ControlId::CheckUpdates};

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

std::wstring settingsControlLabel(const Application& app, ControlId id) {
    const UiLanguage lang = app.settings.language;
    switch (id) {
        case ControlId::CaptureFolderBox: return app.settings.captureFolder;
        case ControlId::ChooseFolder: return tr(lang, texts::chooseFolderControl);
        case ControlId::Language: return tr(lang, texts::languageCommand);
        case ControlId::OpenAfterCapture: return tr(lang, texts::openAfterLabel);
        case ControlId::CaptureLogging: return tr(lang, texts::captureLoggingCommand);
        case ControlId::CaptureHotkey: return hotkeyControlText(app);
        default:
            for (const AddedSettingsRow& row : kAddedSettingsRows) {
                if (row.control == id) return tr(lang, row.label);
            }
            return controlLabel(app, id);
    }
}

void place(HWND control, int x, int y, int w, int h, bool visible) {
    placeControl(control, ControlPlacement{{x, y, x + w, y + h}, visible});
}

void createSlotControl(Application& app, HWND window, ControlId id) {
    const bool isStatic = id == ControlId::CaptureFolderBox;
    const DWORD style = isStatic ? (WS_CHILD | WS_VISIBLE | SS_OWNERDRAW)
                                 : (WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW);
    HWND c = CreateWindowExW(0, isStatic ? L"STATIC" : L"BUTTON", settingsControlLabel(app, id).c_str(), style, 0, 0, 0, 0,
                             window, controlMenu(id), app.instance, nullptr);
    setControlSlot(app, id, c);
    if (!isStatic) subclassOwnerButton(c);
}

void createControls(Application& app, HWND window) {
    for (ControlId id : kSlotIds) createSlotControl(app, window, id);
    for (const AddedSettingsRow& row : kAddedSettingsRows) createSlotControl(app, window, row.control);
    createSlotControl(app, window, ControlId::Feedback);
    std::array<HWND, 4>& navigation = app.settingsPage.navigation;
    for (size_t i = 0; i < navigation.size(); ++i) {
        const ControlId id = kNavigationIds[i];
        navigation[i] = CreateWindowExW(0, L"BUTTON", controlLabel(app, id).c_str(), WS_CHILD | WS_TABSTOP | BS_OWNERDRAW, 0,
                                        0, 0, 0, window, controlMenu(id), app.instance, nullptr);
        subclassOwnerButton(navigation[i]);
    }
}

void goToPage(Application& app, UiState page) {
    if (isHomeLike(currentUiState(app))) {
        if (page == UiState::SettingsGeneral) return;  // already the general page
        setUiState(app, UiState::SettingsGeneral);
    }
    setUiState(app, page);
}

void closeSettingsFromPages(Application& app) {
    // Back to the page the main window showed before the settings window
    // navigated; allowed from every settings page.
    if (isSettingsPage(currentUiState(app))) setUiState(app, settingsReturnState(app));
}

void drawHeader(const Application& app, ID2D1RenderTarget* t, const SettingsLayout& l) {
    const UiLanguage lang = app.settings.language;
    const UiState s = currentUiState(app);
    const wchar_t* title;
    const wchar_t* subtitle;
    if (s == UiState::SettingsHelp) {
        title = tr(lang, texts::helpNavigation);
        subtitle = tr(lang, texts::helpSubtitle);
    } else if (s == UiState::SettingsAbout) {
        title = tr(lang, texts::aboutNavigation);
        subtitle = tr(lang, texts::aboutSubtitle);
    } else {
        title = tr(lang, texts::settingsButton);
        subtitle = tr(lang, texts::settingsSubtitle);
    }
    const RectF& a = l.headerTitle;
    const RectF& b = l.headerSubtitle;
    drawText(t, title, D2D1::RectF(a.left, a.top, a.right, a.bottom), 28, 400, palette::titleText, kTextCentred);
    drawText(t, subtitle, D2D1::RectF(b.left, b.top, b.right, b.bottom), 14, 400, palette::bodyText, kTextCentred);
}

void drawGeneralPage(const Application& app, ID2D1RenderTarget* t, const SettingsLayout& l) {
    const UiLanguage lang = app.settings.language;
    const float m = l.margin, R = l.right;
    drawText(t, tr(lang, texts::captureFolderLabel), D2D1::RectF(m, l.folderLabelTop, R - 170, l.folderLabelTop + 26),
             15, 500, palette::titleText, kTextLeft);
    drawText(t, tr(lang, texts::captureFolderDescription),
             D2D1::RectF(m, l.folderDescriptionTop, R - 130, l.folderDescriptionTop + 22), 13, 400, palette::bodyText,
             kTextLeft);
    struct Row {
        float top;
        const wchar_t* label;
        const wchar_t* description;
    } rows[] = {
        {l.languageRowTop, tr(lang, texts::languageLabel), tr(lang, texts::languageDescription)},
        {l.openAfterRowTop, tr(lang, texts::openAfterLabel),
         tr(lang, texts::openAfterDescription)},
        {l.loggingRowTop, tr(lang, texts::captureLoggingCommand),
         tr(lang, texts::loggingDescription)},
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
        drawText(t, tr(lang, row.label), D2D1::RectF(m, top, chord ? textRight : R - 170, top + 24), 15, 500,
                 palette::titleText, kTextLeft);
        // A chord the system refused is reported in its row, in place of the description.
        const HotkeyRegistration status = lastHotkeyRegistration(app.copyAndHotkey);
        const bool refused = chord && (status == HotkeyRegistration::InUse || status == HotkeyRegistration::Failed);
        const wchar_t* line = !refused ? tr(lang, row.description)
                              : status == HotkeyRegistration::InUse ? tr(lang, texts::hotkeyInUseNotice)
                                                                    : tr(lang, texts::hotkeyFailedNotice);
        drawText(t, line, D2D1::RectF(m, top + 24, textRight, top + 46), 13, refused ? 600 : 400,
                 refused ? palette::warningText : palette::bodyText, kTextLeft);
    }
    drawText(t, L"v1.0.0", D2D1::RectF(R - 80, l.feedbackRowTop, R, l.feedbackRowTop + 32), 12, 400, palette::bodyText,
             DT_SINGLELINE | DT_VCENTER | DT_RIGHT);
}

void drawHelpPage(UiLanguage lang, ID2D1RenderTarget* t, float W, float m, UINT dpi) {
    const float c = (W - 2 * m - 24) / 3;
    const wchar_t* numbers[] = {L"01", L"02", L"03"};
    const wchar_t* titles[] = {tr(lang, texts::stepSelectTitle), tr(lang, texts::stepScrollTitle),
                               tr(lang, texts::finishHint)};
    const wchar_t* descriptions[] = {tr(lang, texts::stepSelectDescription),
                                     tr(lang, texts::stepScrollDescription),
                                     tr(lang, texts::stepFinishDescription)};
    for (int i = 0; i < 3; ++i) {
        const float left = m + i * (c + 12), right = left + c;
        strokeRoundedRect(t, D2D1::RectF(left, 106, right, 218), 7, palette::border, 96.0f / dpi);
        drawText(t, numbers[i], D2D1::RectF(left + 14, 118, right - 14, 138), 12, 400, palette::accent, kTextLeft);
        drawText(t, titles[i], D2D1::RectF(left + 14, 144, right - 14, 168), 14, 500, palette::titleText, kTextLeft);
        // Two lines fit the 34-DIP box; a narrow window wraps instead of cutting.
        drawText(t, descriptions[i], D2D1::RectF(left + 14, 170, right - 14, 204), 12, 400, palette::bodyText,
                 DT_VCENTER | DT_WORDBREAK);
    }
    const wchar_t* rows[] = {tr(lang, texts::faqRow),
                             tr(lang, texts::websiteRow), tr(lang, texts::sendFeedbackRow)};
    for (int i = 0; i < 3; ++i) {
        const float top = 242.0f + 42 * i;
        drawText(t, rows[i], D2D1::RectF(m, top, W - m, top + 42), 13, 400, palette::titleText, kTextLeft);
        if (i < 2) {
            const float y = top + 42 - 0.5f * 96.0f / dpi;
            drawLine(t, D2D1::Point2F(m, y), D2D1::Point2F(W - m, y), palette::divider, 96.0f / dpi);
        }
    }
}

void drawAboutPage(UiLanguage lang, ID2D1RenderTarget* t, float W, float m) {
    drawText(t, tr(lang, texts::productName), D2D1::RectF(m, 142, W - m, 180), 22, 400, palette::titleText, kTextCentred);
    drawText(t, tr(lang, texts::aboutTagline),
             D2D1::RectF(m, 182, W - m, 208), 13, 400, palette::bodyText, kTextCentred);
    drawText(t, tr(lang, texts::publisherLine), D2D1::RectF(m, 246, W - m, 272), 13, 400,
             palette::bodyText, kTextCentred);
    drawText(t, tr(lang, texts::rightsLine),
             D2D1::RectF(m, 282, W - m, 306), 12, 400, palette::faintText, kTextCentred);
}

}  // namespace

void refreshSettingsWindow(Application& app) {
    if (app.settingsWindow == nullptr) return;
    layoutSettingsWindowControls(app);
    RedrawWindow(app.settingsWindow, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void layoutSettingsWindowControls(Application& app) {
    const HWND settingsWindow = app.settingsWindow;
    float& pageScroll = app.settingsPage.pageScroll;
    const std::array<HWND, 4>& navigation = app.settingsPage.navigation;
    if (settingsWindow == nullptr) return;
    RECT client{};
    GetClientRect(settingsWindow, &client);
    const UINT dpi = windowDpi(settingsWindow);
    const float H = static_cast<float>(pixelsToDips(client.bottom, dpi));
    pageScroll = std::clamp(pageScroll, 0.0f, settingsPageScrollLimit(H));
    const SettingsControlsLayout l =
        layoutSettingsControls({client.right, client.bottom}, dpi, currentUiState(app), app.settings.language, pageScroll);
    placeControl(controlSlot(app, ControlId::CaptureFolderBox), l.folderBox);
    placeControl(controlSlot(app, ControlId::ChooseFolder), l.chooseFolder);
    placeControl(controlSlot(app, ControlId::Language), l.language);
    placeControl(controlSlot(app, ControlId::OpenAfterCapture), l.openAfter);
    placeControl(controlSlot(app, ControlId::CaptureLogging), l.logging);
    placeControl(controlSlot(app, ControlId::Feedback), l.feedback);
    for (size_t i = 0; i < kAddedSettingsRowCount; ++i) {
        placeControl(controlSlot(app, kAddedSettingsRows[i].control), l.addedRows[i]);
    }
    // Navigation icons in the top right corner; "Check for updates" under
    // the about page's texts.
    const int W = pixelsToDips(client.right, dpi);
    auto d = [dpi](int v) { return dipsToPixels(v, dpi); };
    for (int i = 0; i < 3; ++i) place(navigation[static_cast<size_t>(i)], d(W - 16 - 32 - 36 * (2 - i)), d(12), d(32), d(32), true);
    place(navigation[3], d((W - 180) / 2), d(328), d(180), d(40), currentUiState(app) == UiState::SettingsAbout);
}

void paintSettingsPage(HWND window, HDC hdc) {
    const Application* found = applicationOf(window);
    if (found == nullptr) return;
    const Application& app = *found;
    RECT client{};
    GetClientRect(window, &client);
    const UINT dpi = windowDpi(window);
    const float W = client.right * 96.0f / dpi, H = client.bottom * 96.0f / dpi;
    const bool generalPage = currentUiState(app) != UiState::SettingsHelp && currentUiState(app) != UiState::SettingsAbout;
    const SettingsLayout l = computeSettingsPageLayout(W, H, generalPage ? app.settingsPage.pageScroll : 0);
    DcDraw draw(window, hdc, client);
    if (!draw) return;
    ID2D1DCRenderTarget* t = draw.target();
    fillRect(t, D2D1::RectF(0, 0, W, H), palette::pageBackground);
    drawHeader(app, t, l);
    const UiState s = currentUiState(app);
    if (s == UiState::SettingsHelp) drawHelpPage(app.settings.language, t, W, l.margin, dpi);
    else if (s == UiState::SettingsAbout) drawAboutPage(app.settings.language, t, W, l.margin);
    else drawGeneralPage(app, t, l);
    draw.end();
    if (s == UiState::SettingsAbout) {
        const float left = (W - 40) / 2;
        auto p = [dpi](float v) { return fractionalDipsToPixels(v, dpi); };
        const RECT mark{p(left), p(96), p(left + 40), p(136)};
        drawCachedIcon(hdc, IconId::AppMark, mark, palette::accent);
    }
}

bool openSettingsWindow(Application& app) {
    const HINSTANCE appInstance = app.instance;
    const HWND mainWindow = app.mainWindow;
    if (app.settingsWindow != nullptr) {
        SetForegroundWindow(app.settingsWindow);
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
    HWND created = CreateWindowExW(0, kSettingsWindowClass, tr(app.settings.language, texts::settingsWindowTitle),
                                   WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, x, y, w, h, mainWindow, nullptr, appInstance,
                                   &app);
    if (created == nullptr) return false;
    app.settingsWindow = created;
    layoutSettingsWindowControls(app);
    EnableWindow(mainWindow, FALSE);
    ShowWindow(created, SW_SHOW);
    SetForegroundWindow(created);
    SetFocus(created);
    return true;
}

LRESULT CALLBACK settingsWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) attachApplication(window, lParam);
    Application* found = applicationOf(window);
    if (found == nullptr) return DefWindowProcW(window, message, wParam, lParam);
    Application& app = *found;
    float& pageScroll = app.settingsPage.pageScroll;
    switch (message) {
        case WM_CREATE:
            app.settingsWindow = window;
            pageScroll = 0;
            createControls(app, window);
            layoutSettingsWindowControls(app);
            return 0;
        case WM_DESTROY:
            endHotkeyRecording(app);
            closeSettingsFromPages(app);
            app.settingsWindow = nullptr;
            for (ControlId id : kReleasedSlots) setControlSlot(app, id, nullptr);
            for (const AddedSettingsRow& row : kAddedSettingsRows) setControlSlot(app, row.control, nullptr);
            app.settingsPage.navigation.fill(nullptr);
            if (app.mainWindow != nullptr) {
                suppressSettingsFocusRing(app, true);
                EnableWindow(app.mainWindow, TRUE);
                showAndActivateMain(app);
                PostMessageW(app.mainWindow, WM_APP_SETTINGS_CLOSED, 0, 0);
            }
            return 0;
        case WM_SIZE:
            layoutSettingsWindowControls(app);
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
                layoutSettingsWindowControls(app);
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
                case ControlId::GeneralNavigation: goToPage(app, UiState::SettingsGeneral); break;
                case ControlId::HelpNavigation: goToPage(app, UiState::SettingsHelp); break;
                case ControlId::AboutNavigation: goToPage(app, UiState::SettingsAbout); break;
                case ControlId::ChooseFolder:
                    if (chooseCaptureFolder(app.settings, window)) {
                        if (HWND box = controlSlot(app, ControlId::CaptureFolderBox)) {
                            SetWindowTextW(box, app.settings.captureFolder.c_str());
                            InvalidateRect(box, nullptr, TRUE);
                        }
                        InvalidateRect(window, nullptr, TRUE);
                    }
                    break;
                case ControlId::Language:
                    if (chooseLanguage(app, window)) {
                        layoutSettingsWindowControls(app);
                        RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
                    }
                    break;
                case ControlId::OpenAfterCapture:
                case ControlId::CaptureLogging:
                case ControlId::CopyAfterCapture:
                case ControlId::ScrollMode: flipSwitchSetting(app, command); break;
                case ControlId::CaptureHotkey:
                    if (recordingHotkey(app.copyAndHotkey)) endHotkeyRecording(app);
                    else if (HWND c = controlSlot(app, ControlId::CaptureHotkey)) {
                        SetFocus(c);
                        beginHotkeyRecording(app, c);
                    }
                    break;
                case ControlId::Feedback:
                    ShellExecuteW(window, L"open", kFeedbackFormUrl, nullptr, nullptr, SW_SHOWNORMAL);
                    break;
                case ControlId::CheckUpdates:
                    // The main window runs the check; its answer comes back there.
                    if (app.mainWindow != nullptr) SendMessageW(app.mainWindow, WM_COMMAND, idNumber(ControlId::CheckUpdates), 0);
                    break;
                default: break;
            }
            return 0;
        case WM_DPICHANGED: {
            const RECT* r = reinterpret_cast<const RECT*>(lParam);
            SetWindowPos(window, nullptr, r->left, r->top, r->right - r->left, r->bottom - r->top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
            layoutSettingsWindowControls(app);
            InvalidateRect(window, nullptr, TRUE);
            return 0;
        }
        default: break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void applyLanguage(Application& app) {
    const UiLanguage lang = app.settings.language;
    const HWND mainWindow = app.mainWindow, settingsWindow = app.settingsWindow;
    if (mainWindow != nullptr) SetWindowTextW(mainWindow, tr(lang, texts::productName));
    if (settingsWindow != nullptr) SetWindowTextW(settingsWindow, tr(lang, texts::settingsWindowTitle));
    const bool settingsOpen = settingsWindow != nullptr;
    for (int32_t n = 1; n <= kMaxControlId; ++n) {
        const auto id = static_cast<ControlId>(n);
        HWND c = controlSlot(app, id);
        if (c == nullptr || id == ControlId::CaptureFolderBox) continue;
        const bool ownedBySettings = settingsOpen && GetParent(c) == settingsWindow;
        SetWindowTextW(c, (ownedBySettings ? settingsControlLabel(app, id) : controlLabel(app, id)).c_str());
    }
    const std::array<HWND, 4>& navigation = app.settingsPage.navigation;
    for (size_t i = 0; i < navigation.size(); ++i) {
        if (navigation[i] != nullptr) SetWindowTextW(navigation[i], controlLabel(app, kNavigationIds[i]).c_str());
    }
    setSettingsTooltip(app, mainWindow, true);
    if (mainWindow != nullptr) {
        layoutMainWindowControls(app);
        RedrawWindow(mainWindow, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    }
    if (app.settingsWindow != nullptr) refreshSettingsWindow(app);
}

}  // namespace tf
