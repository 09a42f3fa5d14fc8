#pragma once
// The main window's pages and the painter of every owner-drawn button of both
// windows, drawn in DIPs through the renderer.

#include <windows.h>

#include "shell/app/application_win32.h"

namespace tf {

void paintMainPage(const Application& app, HWND window, HDC hdc);
void paintOwnerButton(const Application& app, HWND window, const DRAWITEMSTRUCT& item);

}  // namespace tf
