#pragma once
// What assistive technology is told about each owner-drawn control: its
// stable automation id and its name in the current language. Keyed by control
// id, never by window text, so a stale text cannot give a wrong name.

#include <string_view>

#include "app/ui_state.h"
#include "settings/settings.h"

namespace tf {

// Ids 32 and 33 are switches (check boxes to a screen reader); the rest buttons.
inline bool isSwitchControl(int controlId) { return controlId == 32 || controlId == 33; }

// The Settings button (id 4) reads "BackButton" while a settings page is shown.
std::wstring_view automationIdFor(int controlId, UiState state);
std::wstring_view automationNameFor(int controlId, UiLanguage language);

}  // namespace tf
