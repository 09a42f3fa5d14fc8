#include "shell/app/settings_notice_win32.h"

#include <string>

#include "core/settings/settings_store.h"
#include "core/texts/texts.h"

namespace tf {

void noticeUnusedSettingsFile(HWND owner, UiLanguage language, const SmallFile& looked) {
    if (usableSmallFile(looked)) return;
    const BilingualText& reason = looked.kind == SmallFileKind::TooLarge   ? texts::settingsFileTooLarge
                                  : looked.kind == SmallFileKind::NotRegular ? texts::settingsFileNotRegular
                                                                             : texts::settingsFileUnreadable;
    const std::wstring text = std::wstring(tr(language, texts::settingsFileUnusedBefore)) + settingsFilePath().wstring() +
                              tr(language, texts::settingsFileUnusedMiddle) + tr(language, reason) +
                              tr(language, texts::settingsFileUnusedAfter);
    MessageBoxW(owner, text.c_str(), tr(language, texts::settingsWarningTitle), MB_ICONWARNING | MB_OK);
}

}  // namespace tf
