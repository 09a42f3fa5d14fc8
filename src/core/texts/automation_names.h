#pragma once
// What assistive technology is told about each owner-drawn control: its
// stable automation id and its name in the current language. Keyed by control
// id, never by window text, so a stale text cannot give a wrong name.

#include <string_view>

#include "core/app/control_ids.h"
#include "core/app/ui_state.h"
#include "core/settings/ui_language.h"

namespace tf {

// The switches (isSwitchControl) are check boxes to a screen reader; the rest buttons.
// The Settings button reads "BackButton" while a settings page is shown.
std::wstring_view automationIdFor(ControlId control, UiState state);
std::wstring_view automationNameFor(ControlId control, UiLanguage language);

}  // namespace tf
