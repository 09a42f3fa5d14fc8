#include <windows.h>

#include <iterator>

#include "core/settings/settings_store.h"
#include "core/texts/capture_messages.h"
#include "platform/win32/win32_handles.h"
#include "shell/pickers/pickers_win32.h"

namespace tf {

bool chooseSplitHeight(Settings& settings, HWND button, HWND owner) {
    if (button == nullptr || !IsWindow(button)) return false;
    UniqueMenu menu(CreatePopupMenu());
    if (!menu) return false;
    // Menu item n + 1 is choice n: 0 is what TrackPopupMenu returns for none.
    UINT item = 1;
    for (const int32_t choice : kSplitHeightChoices) {
        const UINT checked = choice == settings.splitHeightPx ? MF_CHECKED : 0u;
        AppendMenuW(menu.get(), MF_STRING | checked, item++, splitHeightName(choice, settings.language));
    }
    RECT at{};
    GetWindowRect(button, &at);
    const int chosenItem = static_cast<int>(TrackPopupMenu(
        menu.get(), TPM_RETURNCMD | TPM_NONOTIFY | TPM_LEFTALIGN | TPM_TOPALIGN, at.left, at.bottom, 0, owner, nullptr));
    menu.reset();
    if (chosenItem <= 0 || chosenItem > static_cast<int>(std::size(kSplitHeightChoices))) return false;
    const int32_t chosen = kSplitHeightChoices[chosenItem - 1];
    if (chosen == settings.splitHeightPx) return false;
    settings.splitHeightPx = chosen;
    saveSettings(settings);
    return true;
}

}  // namespace tf
