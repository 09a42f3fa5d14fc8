#include "shell/app/settings_pages_win32.h"

#include <system_error>
#include <thread>

#include "core/texts/texts.h"
#include "core/ui/settings_layout.h"
#include "ground/dpi.h"
#include "shell/app/app_messages_win32.h"
#include "shell/app/commands_win32.h"
#include "shell/app/control_table_win32.h"
#include "shell/app/page_driver_win32.h"
#include "shell/ui/renderer_win32.h"

namespace tf {
namespace {

// In tab order.
constexpr ControlId kHiddenControls[] = {
    ControlId::GeneralNavigation, ControlId::HelpNavigation, ControlId::AboutNavigation, ControlId::ChooseFolder,
    ControlId::Language,          ControlId::OpenAfterCapture, ControlId::CaptureLogging, ControlId::ProductHome,
    ControlId::ProductSite,       ControlId::Feedback,       ControlId::CheckUpdates,   ControlId::PublisherSite,
    ControlId::AboutProduct,
};

// The slots the settings window fills besides its settings rows'.
constexpr ControlId kSlotsOfSettingsWindow[] = {ControlId::CaptureFolderBox, ControlId::ChooseFolder,
                                                ControlId::Feedback};

// The main page's content is 460 DIPs tall.
constexpr int32_t kPageHeightDips = 460;

// The update check of the application: a detached thread that answers the
// main window with WM_APP_UPDATE_RESULT.
void startUpdateCheck(const Application& app) {
    try {
        std::thread(runUpdateCheck, app.main.window(), WM_APP_UPDATE_RESULT).detach();
    } catch (const std::system_error&) {
        // No thread: the check could not be made, and the user asked for it.
        const UiLanguage lang = app.settings.language;
        MessageBoxW(app.settingsWindow.isOpen() ? app.settingsWindow.handle() : app.main.window(),
                    tr(lang, texts::updateUnavailableMessage), tr(lang, texts::updateCheckTitle), MB_ICONWARNING);
    }
}

}  // namespace

void InWindowSettingsPages::createControls(Application& app, HWND window) {
    for (ControlId id : kHiddenControls) {
        HWND button = CreateWindowExW(0, L"BUTTON", controlLabel(app, id).c_str(), BS_OWNERDRAW | WS_CHILD | WS_TABSTOP,
                                      0, 0, 0, 0, window, controlMenu(id), app.instance, nullptr);
        controls_[static_cast<size_t>(idNumber(id))] = button;
        setControlSlot(app, id, button);
        app.buttons.subclass(button);
    }
}

HWND InWindowSettingsPages::control(ControlId id) const {
    const int32_t n = idNumber(id);
    if (n < 0 || n > kMaxControlId) return nullptr;
    HWND c = controls_[static_cast<size_t>(n)];
    // The main window may have gone (and its controls with it) before this object.
    return c != nullptr && IsWindow(c) ? c : nullptr;
}

void InWindowSettingsPages::applyLanguage(const Application& app) const {
    for (ControlId id : kHiddenControls) {
        if (HWND c = control(id)) SetWindowTextW(c, controlLabel(app, id).c_str());
    }
}

bool InWindowSettingsPages::runCommand(Application& app, HWND window, ControlId command) {
    switch (command) {
        case ControlId::GeneralNavigation: setUiState(app, UiState::SettingsGeneral); return true;
        case ControlId::HelpNavigation: setUiState(app, UiState::SettingsHelp); return true;
        case ControlId::AboutNavigation: setUiState(app, UiState::SettingsAbout); return true;
        case ControlId::ChooseFolder:
        case ControlId::Language:
        case ControlId::Feedback: runSharedSettingCommand(app, window, command); return true;
        case ControlId::OpenAfterCapture:
        case ControlId::CaptureLogging:
        case ControlId::CopyAfterCapture: flipSwitchSetting(app, command); return true;
        case ControlId::ProductHome:
        case ControlId::ProductSite:
        case ControlId::AboutProduct: openWithShell(app.main.window(), kProductPageUrl); return true;
        case ControlId::PublisherSite: openWithShell(app.main.window(), kPublisherSiteUrl); return true;
        case ControlId::CheckUpdates: startUpdateCheck(app); return true;
        default: return false;
    }
}

bool InWindowSettingsPages::onMouseWheel(Application& app, HWND window, WPARAM wParam) {
    if (!isSettingsPage(displayedMainState(app))) return false;
    RECT client{};
    GetClientRect(window, &client);
    const int32_t heightDips = pixelsToDips(client.bottom, windowDpi(window));
    const int32_t next =
        scrollOffsetAfterWheel<int32_t>(scroll_, GET_WHEEL_DELTA_WPARAM(wParam), kPageHeightDips - heightDips);
    if (next == scroll_) return true;
    scroll_ = next;
    layoutMainWindowControls(app);
    InvalidateRect(window, nullptr, TRUE);
    return true;
}

void lendSlotToSettingsWindow(Application& app, ControlId id, HWND control) { setControlSlot(app, id, control); }

void releaseSlotsOfSettingsWindow(Application& app) {
    const InWindowSettingsPages& pages = app.main.settingsPages();
    for (ControlId id : kSlotsOfSettingsWindow) setControlSlot(app, id, pages.control(id));
    for (const SettingsRow& row : kSettingsRows) setControlSlot(app, row.control, pages.control(row.control));
}

}  // namespace tf
