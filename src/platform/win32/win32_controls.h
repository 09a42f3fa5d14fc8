#pragma once
// Child controls by their ControlId: the id is the child-window id, given to
// CreateWindowExW as the hMenu argument and read back with GetDlgCtrlID.

#include <windows.h>

#include "core/app/control_ids.h"
#include "core/app/geometry.h"

namespace tf {

inline HMENU controlMenu(ControlId id) { return reinterpret_cast<HMENU>(static_cast<INT_PTR>(idNumber(id))); }
inline ControlId controlIdOf(HWND control) { return static_cast<ControlId>(GetDlgCtrlID(control)); }

// Moves a child control, invalidates its old and new area, and shows or hides
// it only when its visibility differs.
void placeControl(HWND control, const ControlPlacement& placement);

}  // namespace tf
