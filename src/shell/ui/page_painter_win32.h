#pragma once
// The main window's pages and the painter of every owner-drawn button of both
// windows, drawn in DIPs through the renderer.

#include <windows.h>

namespace tf {

void paintMainPage(HWND window, HDC hdc);
void paintOwnerButton(HWND window, const DRAWITEMSTRUCT& item);

}  // namespace tf
