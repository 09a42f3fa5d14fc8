#pragma once
// The one notice at start when settings.ini was left unread.

#include <windows.h>

#include "core/image/small_file.h"
#include "core/settings/ui_language.h"

namespace tf {

// Says, in a warning owned by `owner`, that the settings file was not read
// and why, when `looked` (what loadSettings found) is not a usable file;
// nothing otherwise.
void noticeUnusedSettingsFile(HWND owner, UiLanguage language, const SmallFile& looked);

}  // namespace tf
