#pragma once
// The system's RECT and the portable Rect hold the same four edges.

#include <windows.h>

#include "ground/rect.h"

namespace tf {

inline Rect toRect(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }
inline RECT toRECT(const Rect& r) { return {r.left, r.top, r.right, r.bottom}; }

}  // namespace tf
