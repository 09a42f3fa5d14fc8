#pragma once
// Whether the interface is in English; the texts themselves and `tr` are in
// core/texts/texts.h.

#include "core/settings/settings.h"

namespace tf {

inline bool englishUi() { return settings.language == UiLanguage::English; }

}  // namespace tf
