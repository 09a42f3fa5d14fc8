#pragma once
// The settings the switch controls show and flip, by the control's id: the
// same answer for the main window's hidden switches, the settings window's
// rows, the button painter and UI Automation's toggle state.

#include "core/app/control_ids.h"
#include "core/settings/settings.h"

namespace tf {

// The setting a plain on/off switch flips, or null for any other control
// (the two choice switches included).
bool* switchSetting(Settings& settings, ControlId id);
// Whether the switch `id` shows "on"; false for a control that is no switch.
bool switchIsOn(const Settings& settings, ControlId id);
// Flips the switch's setting; false (and nothing changed) for a control that
// is no switch.
bool flipSwitch(Settings& settings, ControlId id);

}  // namespace tf
