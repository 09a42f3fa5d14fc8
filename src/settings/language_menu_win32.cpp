#include <windows.h>

#include "app/control_table_win32.h"
#include "settings/pickers_win32.h"
#include "settings/settings_store.h"
#include "settings/texts.h"
#include "ui/bilingual.h"
#include "ui/settings_window_win32.h"
#include "ui/win32_handles.h"

namespace tf {

bool chooseLanguage(HWND owner) {
    if (languageButton == nullptr || !IsWindow(languageButton)) return false;
    UniqueMenu menu(CreatePopupMenu());
    if (!menu) return false;
    // Each language is named in itself, whatever the interface language.
    const bool english = settings.language == UiLanguage::English;
    AppendMenuW(menu.get(), MF_STRING | (english ? 0u : MF_CHECKED), 1, L"简体中文");
    AppendMenuW(menu.get(), MF_STRING | (english ? MF_CHECKED : 0u), 2, L"English");
    RECT button{};
    GetWindowRect(languageButton, &button);
    const int chosenId = static_cast<int>(TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_NONOTIFY | TPM_LEFTALIGN | TPM_TOPALIGN,
                                                         button.left, button.bottom, 0, owner, nullptr));
    menu.reset();
    if (chosenId == 0) return false;
    const UiLanguage chosen = chosenId == 2 ? UiLanguage::English : UiLanguage::ChineseSimplified;
    if (chosen == settings.language) return false;
    settings.language = chosen;
    if (!saveSettings()) {
        MessageBoxW(owner,
                    tr(texts::languageNotSavedMessage),
                    tr(texts::settingsWarningTitle), MB_ICONWARNING | MB_OK);
    }
    applyLanguage();
    return true;
}

}  // namespace tf
