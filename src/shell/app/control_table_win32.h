#pragma once
// The control table: which owner-drawn controls the main window makes, their
// labels in the application's language, and the slots (the application's
// ControlSlots) through which both windows find a control by its name. The
// settings window puts its own controls into the slots of their ids while it
// exists.

#include <windows.h>

#include <string>

#include "core/app/control_ids.h"
#include "core/app/geometry.h"
#include "platform/win32/win32_controls.h"
#include "shell/app/application_win32.h"

namespace tf {

HWND controlSlot(const Application& app, ControlId id);
// Also keeps the Language control as the language menu's anchor.
void setControlSlot(Application& app, ControlId id, HWND control);
void clearControlSlots(Application& app);

// The label a control of the main window shows in the application's language
// (window text); the settings window labels its own controls.
std::wstring controlLabel(const Application& app, ControlId id);

// Creates the main window's controls (hidden except Start and Settings) and
// the tooltip of the Settings button.
void createMainControls(Application& app, HWND window);
// Adds (or, when `update`, re-texts) the tooltip of the Settings button of `owner`.
void setSettingsTooltip(const Application& app, HWND owner, bool update);
void destroyMainControlTable(Application& app);

}  // namespace tf
