#pragma once
// Whether the interface is in English; the texts themselves and `tr` are in
// settings/texts.h.

#include "settings/settings.h"

namespace tf {

inline bool englishUi() { return settings.language == UiLanguage::English; }

}  // namespace tf
