#pragma once
// The control table: which owner-drawn controls the main window makes, their
// labels in the current language, and the slots through which both windows
// find a control by its name. The settings window puts its own controls into
// the slots of their ids while it exists.

#include <windows.h>

#include <string>

#include "core/app/control_ids.h"
#include "core/app/geometry.h"

namespace tf {

// Written here only: the Language control of whichever window shows it (the
// language menu opens below it) and the main window's tooltip control.
extern HWND languageButton;
extern HWND mainTooltip;

HWND controlSlot(ControlId id);
void setControlSlot(ControlId id, HWND control);
void clearControlSlots();
// The control id of a child window (GetDlgCtrlID as a name).
ControlId controlIdOf(HWND control);
// The id as the hMenu argument of CreateWindowExW.
inline HMENU controlMenu(ControlId id) { return reinterpret_cast<HMENU>(static_cast<INT_PTR>(idNumber(id))); }

// The label a control shows in the current language (window text).
std::wstring controlLabel(ControlId id);

// Creates the main window's controls (hidden except Start and Settings) and
// the tooltip of the Settings button.
void createMainControls(HWND window);
// Adds (or, when `update`, re-texts) the tooltip of the Settings button of `owner`.
void setSettingsTooltip(HWND owner, bool update);
void destroyMainControlTable();

// Moves a child control, invalidates its old and new area, and shows or hides
// it only when its visibility differs.
void placeControl(HWND control, const ControlPlacement& placement);

}  // namespace tf
