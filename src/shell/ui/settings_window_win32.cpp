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
#include "shell/app/settings_pages_win32.h"
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

// The folder row's controls, before the rows of kSettingsRows in tab order;
// all of them take the shared slots (shell/app/settings_pages_win32.h).
constexpr ControlId kFolderRowIds[] = {ControlId::CaptureFolderBox, ControlId::ChooseFolder};

std::wstring settingsControlLabel(const Application& app, ControlId id) {
    const UiLanguage lang = app.settings.language;
    switch (id) {
        case ControlId::CaptureFolderBox: return app.settings.captureFolder;
        case ControlId::ChooseFolder: return tr(lang, texts::chooseFolderControl);
        case ControlId::CaptureHotkey: return hotkeyControlText(app);
        default:
            if (const SettingsRow* row = settingsRowOf(id)) return tr(lang, row->controlName);
            return controlLabel(app, id);
    }
}

void createSlotControl(Application& app, HWND window, ControlId id) {
    const bool isStatic = id == ControlId::CaptureFolderBox;
    const DWORD style = isStatic ? (WS_CHILD | WS_VISIBLE | SS_OWNERDRAW)
                                 : (WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW);
    HWND c = CreateWindowExW(0, isStatic ? L"STATIC" : L"BUTTON", settingsControlLabel(app, id).c_str(), style, 0, 0, 0, 0,
                             window, controlMenu(id), app.instance, nullptr);
    lendSlotToSettingsWindow(app, id, c);
    if (!isStatic) subclassOwnerButton(c);
}

void createControls(Application& app, HWND window) {
    for (ControlId id : kFolderRowIds) createSlotControl(app, window, id);
    for (const SettingsRow& row : kSettingsRows) createSlotControl(app, window, row.control);
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
    drawText(t, title, D2D1::RectF(a.left, a.top, a.right, a.bottom), kSettingsTitleTextSize, 400, palette::titleText,
             kTextCentred);
    drawText(t, subtitle, D2D1::RectF(b.left, b.top, b.right, b.bottom), kSettingsSubtitleTextSize, 400,
             palette::bodyText, kTextCentred);
}

D2D1_RECT_F rectF(const RectF& r) { return D2D1::RectF(r.left, r.top, r.right, r.bottom); }

void drawPageText(ID2D1RenderTarget* t, std::wstring_view text, const PageText& line, COLORREF colour, unsigned flags,
                  int weight) {
    drawText(t, text, rectF(line.box), line.size, weight, colour, flags);
}
void drawPageText(ID2D1RenderTarget* t, std::wstring_view text, const PageText& line, COLORREF colour,
                  unsigned flags = kTextLeft) {
    drawPageText(t, text, line, colour, flags, line.weight);
}

void drawGeneralPage(const Application& app, ID2D1RenderTarget* t, const SettingsLayout& l) {
    const UiLanguage lang = app.settings.language;
    drawPageText(t, tr(lang, texts::captureFolderLabel), settingsFolderLabel(l), palette::titleText);
    drawPageText(t, tr(lang, texts::captureFolderDescription), settingsFolderDescription(l), palette::bodyText);
    for (size_t i = 0; i < kSettingsRowCount; ++i) {
        const SettingsRow& row = kSettingsRows[i];
        const SettingsRowTexts texts = settingsRowTexts(l, i);
        drawPageText(t, tr(lang, row.label), texts.label, palette::titleText);
        // A chord the system refused is reported in its row, in place of the description.
        const HotkeyRegistration status = lastHotkeyRegistration(app.copyAndHotkey);
        const bool refused = row.kind == SettingsRowControl::Chord &&
                             (status == HotkeyRegistration::InUse || status == HotkeyRegistration::Failed);
        const wchar_t* line = !refused ? tr(lang, row.description)
                              : status == HotkeyRegistration::InUse ? tr(lang, texts::hotkeyInUseNotice)
                                                                    : tr(lang, texts::hotkeyFailedNotice);
        drawPageText(t, line, texts.description, refused ? palette::warningText : palette::bodyText, kTextLeft,
                     refused ? 600 : texts.description.weight);
    }
    drawPageText(t, L"v" TALLYFRAME_VERSION, settingsVersionText(l), palette::bodyText,
                 DT_SINGLELINE | DT_VCENTER | DT_RIGHT);
}

void drawHelpPage(UiLanguage lang, ID2D1RenderTarget* t, float W, float m, UINT dpi) {
    const SettingsHelpLayout h = computeSettingsHelpLayout(W, m, dpi);
    const wchar_t* numbers[] = {L"01", L"02", L"03"};
    const wchar_t* titles[] = {tr(lang, texts::stepSelectTitle), tr(lang, texts::stepScrollTitle), tr(lang, texts::finishHint)};
    const wchar_t* descriptions[] = {tr(lang, texts::stepSelectDescription), tr(lang, texts::stepScrollDescription),
                                     tr(lang, texts::stepFinishDescription)};
    for (size_t i = 0; i < h.cards.size(); ++i) {
        const HelpCard& card = h.cards[i];
        strokeRoundedRect(t, rectF(card.frame), card.radius, palette::border, h.hairline);
        drawPageText(t, numbers[i], card.number, palette::accent);
        drawPageText(t, titles[i], card.title, palette::titleText);
        drawPageText(t, descriptions[i], card.description, palette::bodyText, DT_VCENTER | DT_WORDBREAK);
    }
    const wchar_t* rows[] = {tr(lang, texts::faqRow), tr(lang, texts::websiteRow), tr(lang, texts::sendFeedbackRow)};
    for (size_t i = 0; i < h.rows.size(); ++i) {
        const HelpRow& row = h.rows[i];
        drawPageText(t, rows[i], row.text, palette::titleText);
        if (row.divider) {
            drawLine(t, D2D1::Point2F(row.text.box.left, row.dividerY), D2D1::Point2F(row.text.box.right, row.dividerY),
                     palette::divider, h.hairline);
        }
    }
}

void drawAboutPage(UiLanguage lang, ID2D1RenderTarget* t, const SettingsAboutLayout& a) {
    drawPageText(t, tr(lang, texts::productName), a.product, palette::titleText, kTextCentred);
    drawPageText(t, tr(lang, texts::aboutTagline), a.tagline, palette::bodyText, kTextCentred);
    drawPageText(t, tr(lang, texts::publisherLine), a.publisher, palette::bodyText, kTextCentred);
    drawPageText(t, tr(lang, texts::rightsLine), a.rights, palette::faintText, kTextCentred);
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
    for (size_t i = 0; i < kClassicSettingsRowCount; ++i) {
        placeControl(controlSlot(app, kSettingsRows[i].control), l.rows[i]);
    }
    placeControl(controlSlot(app, ControlId::Feedback), l.feedback);
    for (size_t i = kClassicSettingsRowCount; i < kSettingsRowCount; ++i) {
        placeControl(controlSlot(app, kSettingsRows[i].control), l.rows[i]);
    }
    for (size_t i = 0; i < l.navigation.size(); ++i) placeControl(navigation[i], l.navigation[i]);
    placeControl(navigation[3], l.checkUpdates);
}

void paintSettingsPage(const Application& app, HWND window, HDC hdc) {
    RECT client{};
    GetClientRect(window, &client);
    const UINT dpi = windowDpi(window);
    const auto [W, H] = dipSize(client, dpi);
    const bool generalPage = currentUiState(app) != UiState::SettingsHelp && currentUiState(app) != UiState::SettingsAbout;
    const SettingsLayout l = computeSettingsPageLayout(W, H, generalPage ? app.settingsPage.pageScroll : 0);
    DcDraw draw(window, hdc, client);
    if (!draw) return;
    ID2D1DCRenderTarget* t = draw.target();
    fillRect(t, D2D1::RectF(0, 0, W, H), palette::pageBackground);
    drawHeader(app, t, l);
    const UiState s = currentUiState(app);
    const SettingsAboutLayout about = computeSettingsAboutLayout(W, l.margin);
    if (s == UiState::SettingsHelp) drawHelpPage(app.settings.language, t, W, l.margin, dpi);
    else if (s == UiState::SettingsAbout) drawAboutPage(app.settings.language, t, about);
    else drawGeneralPage(app, t, l);
    draw.end();
    if (s == UiState::SettingsAbout) {
        auto p = [dpi](float v) { return fractionalDipsToPixels(v, dpi); };
        const RECT mark{p(about.mark.left), p(about.mark.top), p(about.mark.right), p(about.mark.bottom)};
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

    // Taller by the added rows, so the classic rows keep their places; a work
    // area too short for that gets a window that fits and a page that scrolls.
    RECT main{};
    GetWindowRect(mainWindow, &main);
    const Rect r = settingsWindowRect({main.left, main.top, main.right, main.bottom}, workAreaOf(mainWindow),
                                      windowDpi(mainWindow));
    HWND created = CreateWindowExW(0, kSettingsWindowClass, tr(app.settings.language, texts::settingsWindowTitle),
                                   WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, r.left, r.top, r.width(), r.height(),
                                   mainWindow, nullptr, appInstance, &app);
    if (created == nullptr) return false;
    app.settingsWindow = created;
    layoutSettingsWindowControls(app);
    EnableWindow(mainWindow, FALSE);
    ShowWindow(created, SW_SHOW);
    SetForegroundWindow(created);
    SetFocus(created);
    return true;
}

namespace {

void releaseSettingsWindow(Application& app) {
    endHotkeyRecording(app);
    closeSettingsFromPages(app);
    app.settingsWindow = nullptr;
    releaseSlotsOfSettingsWindow(app);
    app.settingsPage.navigation.fill(nullptr);
    if (app.mainWindow != nullptr) {
        suppressSettingsFocusRing(app, true);
        EnableWindow(app.mainWindow, TRUE);
        showAndActivateMain(app);
        PostMessageW(app.mainWindow, WM_APP_SETTINGS_CLOSED, 0, 0);
    }
}

void relayoutAndInvalidate(Application& app, HWND window) {
    layoutSettingsWindowControls(app);
    InvalidateRect(window, nullptr, TRUE);
}

void scrollPage(Application& app, HWND window, int wheelDelta) {
    float& pageScroll = app.settingsPage.pageScroll;
    RECT client{};
    GetClientRect(window, &client);
    const float limit = settingsPageScrollLimit(static_cast<float>(pixelsToDips(client.bottom, windowDpi(window))));
    const float next = scrollOffsetAfterWheel(pageScroll, wheelDelta, limit);
    if (next == pageScroll) return;
    pageScroll = next;
    relayoutAndInvalidate(app, window);
}

void pressChordControl(Application& app) {
    if (recordingHotkey(app.copyAndHotkey)) endHotkeyRecording(app);
    else if (HWND c = controlSlot(app, ControlId::CaptureHotkey)) {
        SetFocus(c);
        beginHotkeyRecording(app, c);
    }
}

void runSettingsCommand(Application& app, HWND window, ControlId command) {
    switch (command) {
        case ControlId::CloseSettings: DestroyWindow(window); break;
        case ControlId::GeneralNavigation: goToPage(app, UiState::SettingsGeneral); break;
        case ControlId::HelpNavigation: goToPage(app, UiState::SettingsHelp); break;
        case ControlId::AboutNavigation: goToPage(app, UiState::SettingsAbout); break;
        case ControlId::ChooseFolder:
        case ControlId::Language:
        case ControlId::Feedback: runSharedSettingCommand(app, window, command); break;
        case ControlId::OpenAfterCapture:
        case ControlId::CaptureLogging:
        case ControlId::CopyAfterCapture:
        case ControlId::ScrollMode:
        case ControlId::StartFromTop:
        case ControlId::CaptureSideways: flipSwitchSetting(app, command); break;
        case ControlId::CaptureHotkey: pressChordControl(app); break;
        case ControlId::CheckUpdates:
            // The main window runs the check; its answer comes back there.
            if (app.mainWindow != nullptr) {
                SendMessageW(app.mainWindow, WM_COMMAND, idNumber(ControlId::CheckUpdates), 0);
            }
            break;
        default: break;
    }
}

}  // namespace

void showCaptureFolder(Application& app) {
    if (HWND box = controlSlot(app, ControlId::CaptureFolderBox)) {
        SetWindowTextW(box, app.settings.captureFolder.c_str());
        InvalidateRect(box, nullptr, TRUE);
    }
}

LRESULT CALLBACK settingsWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Application* found = applicationForMessage(window, message, lParam);
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
        case WM_DESTROY: releaseSettingsWindow(app); return 0;
        case WM_SIZE: relayoutAndInvalidate(app, window); return 0;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(window, &ps);
            if (dc != nullptr) paintSettingsPage(app, window, dc);
            EndPaint(window, &ps);
            return 0;
        }
        case WM_CLOSE: DestroyWindow(window); return 0;
        case WM_ERASEBKGND: return 1;
        case WM_GETMINMAXINFO: {
            const Size minimum = settingsMinimumTrackSize(windowDpi(window));
            reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = {minimum.width, minimum.height};
            return 0;
        }
        case WM_DRAWITEM: paintOwnerButton(app, window, *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)); return TRUE;
        case WM_KEYDOWN:
            if (wParam != VK_ESCAPE) break;
            DestroyWindow(window);
            return 0;
        case WM_MOUSEWHEEL: scrollPage(app, window, GET_WHEEL_DELTA_WPARAM(wParam)); return 0;
        case WM_COMMAND:
            // IDCANCEL is the dialog navigation's Esc.
            if (LOWORD(wParam) == IDCANCEL) DestroyWindow(window);
            else runSettingsCommand(app, window, static_cast<ControlId>(LOWORD(wParam)));
            return 0;
        case WM_DPICHANGED: {
            const RECT* r = reinterpret_cast<const RECT*>(lParam);
            SetWindowPos(window, nullptr, r->left, r->top, r->right - r->left, r->bottom - r->top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
            relayoutAndInvalidate(app, window);
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
