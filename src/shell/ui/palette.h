#pragma once
// The colours of both windows, as GDI colour values.

#include "shell/ui/renderer_win32.h"

namespace tf::palette {

inline constexpr COLORREF pageBackground = rgbHex(0xF7F9FC);
inline constexpr COLORREF accent = rgbHex(0x3566D6);
inline constexpr COLORREF accentHot = rgbHex(0x2D5CC7);
inline constexpr COLORREF accentPressed = rgbHex(0x244EAE);
inline constexpr COLORREF disabled = rgbHex(0xD0D5DD);
inline constexpr COLORREF tint = rgbHex(0xEEF3FF);
inline constexpr COLORREF focusRing = rgbHex(0x7899E8);
inline constexpr COLORREF border = rgbHex(0xD6DCE6);
inline constexpr COLORREF titleText = rgbHex(0x171B24);
inline constexpr COLORREF bodyText = rgbHex(0x667085);
inline constexpr COLORREF faintText = rgbHex(0x98A2B3);
inline constexpr COLORREF success = rgbHex(0x159455);
inline constexpr COLORREF white = rgbHex(0xFFFFFF);
inline constexpr COLORREF divider = rgbHex(0xE7EAF0);
inline constexpr COLORREF warningText = rgbHex(0xB42318);
inline constexpr COLORREF quietIcon = rgbHex(0x5A5A5A);

}  // namespace tf::palette
