#include "shell/app/control_table_win32.h"

#include <commctrl.h>

#include <array>

#include "shell/app/app_globals_win32.h"
#include "core/texts/texts.h"
#include "shell/ui/button_proc_win32.h"

namespace tf {

HWND languageButton = nullptr;
HWND mainTooltip = nullptr;

namespace {

std::array<HWND, kMaxControlId + 1> slots{};

struct MainControl {
    ControlId id;
    bool visibleAtStart;
};

// In tab order. The working buttons are placed by the page driver; the
// settings rows and links stay hidden in the main window.
constexpr MainControl kMainControls[] = {
    {ControlId::StartCapture, true},       {ControlId::OpenImage, false},
    {ControlId::CaptureAnother, false},    {ControlId::Settings, true},
    {ControlId::OpenFolder, false},        {ControlId::CopyImage, false},
    {ControlId::GeneralNavigation, false},
    {ControlId::HelpNavigation, false},    {ControlId::AboutNavigation, false},
    {ControlId::ChooseFolder, false},      {ControlId::Language, false},
    {ControlId::OpenAfterCapture, false},  {ControlId::CaptureLogging, false},
    {ControlId::ProductHome, false},       {ControlId::ProductSite, false},
    {ControlId::Feedback, false},          {ControlId::CheckUpdates, false},
    {ControlId::PublisherSite, false},     {ControlId::AboutProduct, false},
};

}  // namespace

HWND controlSlot(ControlId id) {
    const int32_t n = idNumber(id);
    return (n >= 0 && n <= kMaxControlId) ? slots[static_cast<size_t>(n)] : nullptr;
}

void setControlSlot(ControlId id, HWND control) {
    const int32_t n = idNumber(id);
    if (n < 0 || n > kMaxControlId) return;
    slots[static_cast<size_t>(n)] = control;
    if (id == ControlId::Language) languageButton = control;
}

void clearControlSlots() {
    slots.fill(nullptr);
    languageButton = nullptr;
}

ControlId controlIdOf(HWND control) { return static_cast<ControlId>(GetDlgCtrlID(control)); }

std::wstring controlLabel(ControlId id) {
    switch (id) {
        case ControlId::StartCapture: return tr(texts::startButton);
        case ControlId::OpenImage: return tr(texts::openImageButton);
        case ControlId::CaptureAnother: return tr(texts::captureAnotherButton);
        case ControlId::Settings: return tr(texts::settingsButton);
        case ControlId::OpenFolder: return tr(texts::openFolderButton);
        case ControlId::CopyImage: return tr(texts::copyImageButton);
        case ControlId::CopyAfterCapture: return tr(texts::copyAfterLabel);
        case ControlId::CaptureHotkey: return tr(texts::captureHotkeyLabel);
        case ControlId::GeneralNavigation: return tr(texts::generalNavigation);
        case ControlId::HelpNavigation: return tr(texts::helpNavigation);
        case ControlId::AboutNavigation:
        case ControlId::AboutProduct: return tr(texts::aboutNavigation);
        case ControlId::ChooseFolder:
            return settingsWindow != nullptr ? tr(texts::chooseFolderControl) : tr(texts::changeFolderCommand);
        case ControlId::Language: return tr(texts::languageCommand);
        case ControlId::OpenAfterCapture:
            return settingsWindow != nullptr ? tr(texts::openAfterLabel) : tr(texts::openResultCommand);
        case ControlId::CaptureLogging: return tr(texts::captureLoggingCommand);
        case ControlId::ScrollMode: return tr(texts::scrollModeCommand);
        case ControlId::ProductHome: return tr(texts::productHomeCommand);
        case ControlId::ProductSite: return tr(texts::productSiteCommand);
        case ControlId::Feedback: return tr(texts::feedbackCommand);
        case ControlId::CheckUpdates: return tr(texts::updateCheckTitle);
        case ControlId::PublisherSite: return tr(texts::publisherCredit);
        default: return {};
    }
}

void createMainControls(HWND window) {
    for (const MainControl& c : kMainControls) {
        DWORD style = BS_OWNERDRAW | WS_CHILD | WS_TABSTOP;
        if (c.visibleAtStart) style |= WS_VISIBLE;
        HWND button = CreateWindowExW(0, L"BUTTON", controlLabel(c.id).c_str(), style, 0, 0, 0, 0, window,
                                      controlMenu(c.id), appInstance, nullptr);
        setControlSlot(c.id, button);
    }
    mainTooltip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window, nullptr,
                                  appInstance, nullptr);
    setSettingsTooltip(window, false);
    for (const MainControl& c : kMainControls) subclassOwnerButton(controlSlot(c.id));
}

void setSettingsTooltip(HWND owner, bool update) {
    HWND gear = controlSlot(ControlId::Settings);
    if (mainTooltip == nullptr || owner == nullptr || gear == nullptr) return;
    TOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = owner;
    tool.uId = reinterpret_cast<UINT_PTR>(gear);
    std::wstring tip = tr(texts::settingsButton);
    tool.lpszText = tip.data();
    SendMessageW(mainTooltip, update ? TTM_UPDATETIPTEXTW : TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void destroyMainControlTable() {
    clearControlSlots();
    mainTooltip = nullptr;
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

}  // namespace tf
