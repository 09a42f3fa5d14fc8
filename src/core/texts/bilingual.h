#pragma once
// Whether an interface language is English; the texts themselves and `tr` are
// in core/texts/texts.h.

#include "core/settings/ui_language.h"

namespace tf {

constexpr bool englishUi(UiLanguage language) { return language == UiLanguage::English; }

}  // namespace tf
