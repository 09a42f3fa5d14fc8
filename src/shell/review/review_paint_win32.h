#pragma once
// The review window's toolbar: where its two buttons, its status line, the
// keys and the legend of the seam kinds go, and the colour of each kind.

#include <windows.h>

#include <cstdint>

#include "core/review/seam_kinds.h"

namespace tf {

struct ReviewToolbarLayout {
    int32_t height = 0;  // client pixels; the image lies below
    RECT save{}, cut{};  // the two buttons, client pixels
};
ReviewToolbarLayout reviewToolbarLayout(int32_t clientWidth, uint32_t dpi);

// The marks beside the image and the legend share these.
COLORREF seamKindColour(SeamKind kind);

// DIPs of the strip beside the image (above it when sideways) that holds the marks.
inline constexpr int32_t kSeamGutterDips = 26;
inline constexpr int32_t kSeamMarkLengthDips = 12;  // along the stitch
inline constexpr COLORREF kCanvasBackground = RGB(0xE4, 0xE7, 0xEC);

}  // namespace tf
