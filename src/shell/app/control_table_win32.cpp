#include "shell/app/control_table_win32.h"

#include <commctrl.h>

#include <array>

#include "core/texts/texts.h"
#include "shell/app/settings_pages_win32.h"

namespace tf {

namespace {

struct MainControl {
    ControlId id;
    bool visibleAtStart;
};

// The working buttons, in tab order, placed by the page driver. The settings
// pages' hidden controls follow them.
constexpr MainControl kMainControls[] = {
    {ControlId::StartCapture, true},    {ControlId::OpenImage, false}, {ControlId::CaptureAnother, false},
    {ControlId::Settings, true},        {ControlId::OpenFolder, false}, {ControlId::CopyImage, false},
    {ControlId::Review, false},
};

}  // namespace

HWND controlSlot(const Application& app, ControlId id) {
    const int32_t n = idNumber(id);
    return (n >= 0 && n <= kMaxControlId) ? app.main.controls().byId[static_cast<size_t>(n)] : nullptr;
}

void setControlSlot(Application& app, ControlId id, HWND control) {
    const int32_t n = idNumber(id);
    if (n < 0 || n > kMaxControlId) return;
    app.main.controls().byId[static_cast<size_t>(n)] = control;
    if (id == ControlId::Language) app.main.controls().languageButton = control;
}

void clearControlSlots(Application& app) {
    app.main.controls().byId.fill(nullptr);
    app.main.controls().languageButton = nullptr;
}

std::wstring controlLabel(const Application& app, ControlId id) {
    const UiLanguage lang = app.settings.language;
    switch (id) {
        case ControlId::StartCapture: return tr(lang, texts::startButton);
        case ControlId::OpenImage: return tr(lang, texts::openImageButton);
        case ControlId::CaptureAnother: return tr(lang, texts::captureAnotherButton);
        case ControlId::Settings: return tr(lang, texts::settingsButton);
        case ControlId::OpenFolder: return tr(lang, texts::openFolderButton);
        case ControlId::CopyImage: return tr(lang, texts::copyImageButton);
        case ControlId::Review: return tr(lang, texts::reviewButton);
        case ControlId::CopyAfterCapture: return tr(lang, texts::copyAfterLabel);
        case ControlId::CaptureHotkey: return tr(lang, texts::captureHotkeyLabel);
        case ControlId::GeneralNavigation: return tr(lang, texts::generalNavigation);
        case ControlId::HelpNavigation: return tr(lang, texts::helpNavigation);
        case ControlId::AboutNavigation:
        case ControlId::AboutProduct: return tr(lang, texts::aboutNavigation);
        case ControlId::ChooseFolder: return tr(lang, texts::changeFolderCommand);
        case ControlId::Language: return tr(lang, texts::languageCommand);
        case ControlId::OpenAfterCapture: return tr(lang, texts::openResultCommand);
        case ControlId::CaptureLogging: return tr(lang, texts::captureLoggingCommand);
        case ControlId::ScrollMode: return tr(lang, texts::scrollModeCommand);
        case ControlId::StartFromTop: return tr(lang, texts::startFromTopCommand);
        case ControlId::CaptureSideways: return tr(lang, texts::captureSidewaysCommand);
        case ControlId::ReviewAfterCapture: return tr(lang, texts::reviewAfterLabel);
        case ControlId::SplitTallImages: return tr(lang, texts::splitTallLabel);
        case ControlId::ProductHome: return tr(lang, texts::productHomeCommand);
        case ControlId::ProductSite: return tr(lang, texts::productSiteCommand);
        case ControlId::Feedback: return tr(lang, texts::feedbackCommand);
        case ControlId::CheckUpdates: return tr(lang, texts::updateCheckTitle);
        case ControlId::PublisherSite: return tr(lang, texts::publisherCredit);
        default: return {};
    }
}

void createMainControls(Application& app, HWND window) {
    for (const MainControl& c : kMainControls) {
        DWORD style = BS_OWNERDRAW | WS_CHILD | WS_TABSTOP;
        if (c.visibleAtStart) style |= WS_VISIBLE;
        HWND button = CreateWindowExW(0, L"BUTTON", controlLabel(app, c.id).c_str(), style, 0, 0, 0, 0, window,
                                      controlMenu(c.id), app.instance, nullptr);
        setControlSlot(app, c.id, button);
    }
    app.main.settingsPages().createControls(app, window);
    app.main.controls().mainTooltip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window, nullptr,
                                  app.instance, nullptr);
    setSettingsTooltip(app, window, false);
    for (const MainControl& c : kMainControls) app.buttons.subclass(controlSlot(app, c.id));
}

void setSettingsTooltip(const Application& app, HWND owner, bool update) {
    HWND gear = controlSlot(app, ControlId::Settings);
    HWND mainTooltip = app.main.controls().mainTooltip;
    if (mainTooltip == nullptr || owner == nullptr || gear == nullptr) return;
    TOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = owner;
    tool.uId = reinterpret_cast<UINT_PTR>(gear);
    std::wstring tip = tr(app.settings.language, texts::settingsButton);
    tool.lpszText = tip.data();
    SendMessageW(mainTooltip, update ? TTM_UPDATETIPTEXTW : TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void destroyMainControlTable(Application& app) {
    clearControlSlots(app);
    app.main.controls().mainTooltip = nullptr;
}

}  // namespace tf
