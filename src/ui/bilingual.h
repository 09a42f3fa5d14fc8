#pragma once
// Every text exists in English and Simplified Chinese side by side; the
// current language picks one at each point of use.

#include "settings/settings.h"

namespace tf {

inline bool englishUi() { return settings.language == UiLanguage::English; }

inline const wchar_t* tr(const wchar_t* english, const wchar_t* chinese) { return englishUi() ? english : chinese; }

}  // namespace tf
