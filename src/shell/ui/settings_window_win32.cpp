#include "shell/ui/settings_window_win32.h"

#include <commctrl.h>

#include <algorithm>
#include <cmath>

#include "core/texts/bilingual.h"
#include "core/texts/texts.h"
#include "core/ui/settings_layout.h"
#include "ground/dpi.h"
#include "platform/win32/win32_controls.h"
#include "platform/win32/win32_rect.h"
#include "platform/win32/win32_window_object.h"
#include "shell/ui/button_proc_win32.h"
#include "shell/ui/page_painter_win32.h"
#include "shell/ui/palette.h"
#include "shell/ui/renderer_win32.h"
#include "platform/win32/win32_paint.h"

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

Rect workAreaOf(HWND window) {
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info);
    return toRect(info.rcWork);
}

void drawHeader(UiLanguage lang, UiState s, ID2D1RenderTarget* t, const SettingsLayout& l) {
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
    drawText(t, title, rectF(a), kSettingsTitleTextSize, 400, palette::titleText,
             kTextCentred);
    drawText(t, subtitle, rectF(b), kSettingsSubtitleTextSize, 400,
             palette::bodyText, kTextCentred);
}

void drawPageText(ID2D1RenderTarget* t, std::wstring_view text, const PageText& line, COLORREF colour, unsigned flags,
                  int weight) {
    drawText(t, text, rectF(line.box), line.size, weight, colour, flags);
}
void drawPageText(ID2D1RenderTarget* t, std::wstring_view text, const PageText& line, COLORREF colour,
                  unsigned flags = kTextLeft) {
    drawPageText(t, text, line, colour, flags, line.weight);
}

void drawGeneralPage(UiLanguage lang, ChordNotice notice, ID2D1RenderTarget* t, const SettingsLayout& l) {
    drawPageText(t, tr(lang, texts::captureFolderLabel), settingsFolderLabel(l), palette::titleText);
    drawPageText(t, tr(lang, texts::captureFolderDescription), settingsFolderDescription(l), palette::bodyText);
    for (size_t i = 0; i < kSettingsRowCount; ++i) {
        const SettingsRow& row = kSettingsRows[i];
        const SettingsRowTexts texts = settingsRowTexts(l, i);
        drawPageText(t, tr(lang, row.label), texts.label, palette::titleText);
        // A chord the system refused is reported in its row, in place of the description.
        const bool refused = row.kind == SettingsRowControl::Chord && notice != ChordNotice::None;
        const wchar_t* line = !refused ? tr(lang, row.description)
                              : notice == ChordNotice::InUse ? tr(lang, texts::hotkeyInUseNotice)
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

SettingsWindow::~SettingsWindow() {
    if (window_ == nullptr) return;
    SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    DestroyWindow(window_);
}

HWND SettingsWindow::control(ControlId id) const {
    const int32_t n = idNumber(id);
    return (n >= 0 && n <= kMaxControlId) ? controls_[static_cast<size_t>(n)] : nullptr;
}

std::wstring SettingsWindow::labelOf(ControlId id) const {
    const Settings& settings = host_.settings();
    const UiLanguage lang = settings.language;
    switch (id) {
        case ControlId::CaptureFolderBox: return settings.captureFolder;
        case ControlId::ChooseFolder: return tr(lang, texts::chooseFolderControl);
        case ControlId::CaptureHotkey: return host_.chordText();
        case ControlId::Feedback: return tr(lang, texts::feedbackCommand);
        case ControlId::GeneralNavigation: return tr(lang, texts::generalNavigation);
        case ControlId::HelpNavigation: return tr(lang, texts::helpNavigation);
        case ControlId::AboutNavigation: return tr(lang, texts::aboutNavigation);
        case ControlId::CheckUpdates: return tr(lang, texts::updateCheckTitle);
        default:
            if (const SettingsRow* row = settingsRowOf(id)) return tr(lang, row->controlName);
            return {};
    }
}

void SettingsWindow::createControl(ControlId id) {
    const bool isStatic = id == ControlId::CaptureFolderBox;
    const bool navigation = std::find(std::begin(kNavigationIds), std::end(kNavigationIds), id) != std::end(kNavigationIds);
    DWORD style = isStatic ? (WS_CHILD | SS_OWNERDRAW) : (WS_CHILD | WS_TABSTOP | BS_OWNERDRAW);
    // The layout shows the navigation; every other control shows from the start.
    if (!navigation) style |= WS_VISIBLE;
    HWND c = CreateWindowExW(0, isStatic ? L"STATIC" : L"BUTTON", labelOf(id).c_str(), style, 0, 0, 0, 0, window_,
                             controlMenu(id), instance_, nullptr);
    controls_[static_cast<size_t>(idNumber(id))] = c;
    if (!navigation) host_.lendSlot(id, c);
    if (!isStatic) buttons_.subclass(c);
}

void SettingsWindow::createControls() {
    for (ControlId id : kFolderRowIds) createControl(id);
    for (const SettingsRow& row : kSettingsRows) createControl(row.control);
    createControl(ControlId::Feedback);
    for (ControlId id : kNavigationIds) createControl(id);
}

void SettingsWindow::goToPage(UiState page) {
    if (isHomeLike(host_.uiState())) {
        if (page == UiState::SettingsGeneral) return;  // already the general page
        host_.setUiState(UiState::SettingsGeneral);
    }
    host_.setUiState(page);
}

void SettingsWindow::refresh() {
    if (window_ == nullptr) return;
    layout();
    RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void SettingsWindow::layout() {
    if (window_ == nullptr) return;
    RECT client{};
    GetClientRect(window_, &client);
    const UINT dpi = windowDpi(window_);
    const float H = static_cast<float>(pixelsToDips(client.bottom, dpi));
    pageScroll_ = std::clamp(pageScroll_, 0.0f, settingsPageScrollLimit(H));
    const SettingsControlsLayout l = layoutSettingsControls({client.right, client.bottom}, dpi, host_.uiState(),
                                                           host_.settings().language, pageScroll_);
    placeControl(control(ControlId::CaptureFolderBox), l.folderBox);
    placeControl(control(ControlId::ChooseFolder), l.chooseFolder);
    for (size_t i = 0; i < kClassicSettingsRowCount; ++i) placeControl(control(kSettingsRows[i].control), l.rows[i]);
    placeControl(control(ControlId::Feedback), l.feedback);
    for (size_t i = kClassicSettingsRowCount; i < kSettingsRowCount; ++i) {
        placeControl(control(kSettingsRows[i].control), l.rows[i]);
    }
    for (size_t i = 0; i < l.navigation.size(); ++i) placeControl(control(kNavigationIds[i]), l.navigation[i]);
    placeControl(control(ControlId::CheckUpdates), l.checkUpdates);
}

void SettingsWindow::paint(HDC hdc) {
    RECT client{};
    GetClientRect(window_, &client);
    const UINT dpi = windowDpi(window_);
    const auto [W, H] = dipSize(client, dpi);
    const UiState s = host_.uiState();
    const UiLanguage lang = host_.settings().language;
    const bool generalPage = s != UiState::SettingsHelp && s != UiState::SettingsAbout;
    const SettingsLayout l = computeSettingsPageLayout(W, H, generalPage ? pageScroll_ : 0);
    DcDraw draw(window_, hdc, client);
    if (!draw) return;
    ID2D1DCRenderTarget* t = draw.target();
    fillRect(t, D2D1::RectF(0, 0, W, H), palette::pageBackground);
    drawHeader(lang, s, t, l);
    const SettingsAboutLayout about = computeSettingsAboutLayout(W, l.margin);
    if (s == UiState::SettingsHelp) drawHelpPage(lang, t, W, l.margin, dpi);
    else if (s == UiState::SettingsAbout) drawAboutPage(lang, t, about);
    else drawGeneralPage(lang, host_.chordNotice(), t, l);
    draw.end();
    if (s == UiState::SettingsAbout) {
        auto p = [dpi](float v) { return fractionalDipsToPixels(v, dpi); };
        const RECT mark{p(about.mark.left), p(about.mark.top), p(about.mark.right), p(about.mark.bottom)};
        drawCachedIcon(hdc, IconId::AppMark, mark, palette::accent);
    }
}

bool SettingsWindow::open(HWND owner) {
    if (window_ != nullptr) {
        SetForegroundWindow(window_);
        return true;
    }
    WNDCLASSW wc{};
    wc.lpfnWndProc = &objectWindowProc<SettingsWindow>;
    wc.hInstance = instance_;
    wc.hIcon = static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(kAppIconResource), IMAGE_ICON,
                                             GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), LR_SHARED));
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kSettingsWindowClass;
    if (!RegisterClassW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;

    // Taller by the added rows, so the classic rows keep their places; a work
    // area too short for that gets a window that fits and a page that scrolls.
    RECT main{};
    GetWindowRect(owner, &main);
    const Rect r = settingsWindowRect(toRect(main), workAreaOf(owner), windowDpi(owner));
    HWND created = CreateWindowExW(0, kSettingsWindowClass, tr(host_.settings().language, texts::settingsWindowTitle),
                                   WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, r.left, r.top, r.width(), r.height(), owner,
                                   nullptr, instance_, this);
    if (created == nullptr) return false;
    layout();
    EnableWindow(owner, FALSE);
    ShowWindow(created, SW_SHOW);
    SetForegroundWindow(created);
    SetFocus(created);
    return true;
}

void SettingsWindow::close() {
    if (window_ != nullptr) DestroyWindow(window_);
}

void SettingsWindow::released() {
    host_.settingsWindowClosing();
    window_ = nullptr;
    controls_.fill(nullptr);
}

void SettingsWindow::relayoutAndInvalidate() {
    layout();
    InvalidateRect(window_, nullptr, TRUE);
}

void SettingsWindow::scrollBy(int wheelDelta) {
    RECT client{};
    GetClientRect(window_, &client);
    const float limit = settingsPageScrollLimit(static_cast<float>(pixelsToDips(client.bottom, windowDpi(window_))));
    const float next = scrollOffsetAfterWheel(pageScroll_, wheelDelta, limit);
    if (next == pageScroll_) return;
    pageScroll_ = next;
    relayoutAndInvalidate();
}

void SettingsWindow::runCommand(ControlId command) {
    switch (command) {
        case ControlId::CloseSettings: close(); return;
        case ControlId::GeneralNavigation: goToPage(UiState::SettingsGeneral); return;
        case ControlId::HelpNavigation: goToPage(UiState::SettingsHelp); return;
        case ControlId::AboutNavigation: goToPage(UiState::SettingsAbout); return;
        case ControlId::ChooseFolder:
        case ControlId::Language:
        case ControlId::SplitTallImages:
        case ControlId::Feedback: host_.runSharedCommand(window_, command); return;
        case ControlId::CaptureHotkey:
            if (host_.recordingChord()) {
                host_.endChordRecording();
            } else if (HWND c = control(ControlId::CaptureHotkey)) {
                SetFocus(c);
                host_.beginChordRecording(c);
            }
            return;
        // The main window runs the check; its answer comes back there.
        case ControlId::CheckUpdates: host_.checkForUpdates(); return;
        default: break;
    }
    const SettingsRow* row = settingsRowOf(command);
    if (row != nullptr && row->kind == SettingsRowControl::Switch) host_.flipSwitch(command);
}

void SettingsWindow::showCaptureFolder() {
    if (HWND box = control(ControlId::CaptureFolderBox)) {
        SetWindowTextW(box, host_.settings().captureFolder.c_str());
        InvalidateRect(box, nullptr, TRUE);
    }
}

LRESULT SettingsWindow::handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            window_ = window;
            pageScroll_ = 0;
            createControls();
            layout();
            return 0;
        case WM_DESTROY: released(); return 0;
        case WM_SIZE: relayoutAndInvalidate(); return 0;
        case WM_PAINT: paintWindow(window, [&](HDC dc) { paint(dc); }); return 0;
        case WM_CLOSE: close(); return 0;
        case WM_ERASEBKGND: return 1;
        case WM_GETMINMAXINFO: {
            const Size minimum = settingsMinimumTrackSize(windowDpi(window));
            reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = {minimum.width, minimum.height};
            return 0;
        }
        case WM_DRAWITEM:
            paintOwnerButton(buttons_.view(true), window, *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            return TRUE;
        case WM_KEYDOWN:
            if (wParam != VK_ESCAPE) break;
            close();
            return 0;
        case WM_MOUSEWHEEL: scrollBy(GET_WHEEL_DELTA_WPARAM(wParam)); return 0;
        case WM_COMMAND:
            // IDCANCEL is the dialog navigation's Esc.
            if (LOWORD(wParam) == IDCANCEL) close();
            else runCommand(static_cast<ControlId>(LOWORD(wParam)));
            return 0;
        case WM_DPICHANGED: {
            const RECT* r = reinterpret_cast<const RECT*>(lParam);
            SetWindowPos(window, nullptr, r->left, r->top, r->right - r->left, r->bottom - r->top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
            relayoutAndInvalidate();
            return 0;
        }
        default: break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void SettingsWindow::applyLanguage() {
    if (window_ == nullptr) return;
    SetWindowTextW(window_, tr(host_.settings().language, texts::settingsWindowTitle));
    for (int32_t n = 1; n <= kMaxControlId; ++n) {
        const auto id = static_cast<ControlId>(n);
        HWND c = control(id);
        if (c != nullptr && id != ControlId::CaptureFolderBox) SetWindowTextW(c, labelOf(id).c_str());
    }
    refresh();
}

}  // namespace tf
