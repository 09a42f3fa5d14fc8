#include <windows.h>

#include "shell/pickers/pickers_win32.h"
#include "core/settings/settings_store.h"
#include "core/texts/texts.h"
#include "core/texts/bilingual.h"
#include "platform/win32/win32_handles.h"

namespace tf {

bool chooseLanguage(Settings& settings, HWND languageButton, HWND owner) {
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
    if (!saveSettings(settings)) {
        MessageBoxW(owner,
                    tr(chosen, texts::languageNotSavedMessage),
                    tr(chosen, texts::settingsWarningTitle), MB_ICONWARNING | MB_OK);
    }
    return true;
}

}  // namespace tf
