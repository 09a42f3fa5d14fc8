#pragma once
// The review window's keys, as commands: the window maps a key press here and
// runs the command on its TrimModel and ReviewView, so the keyboard works the
// same everywhere and is checked without a window.

#include <cstdint>

namespace tf {

enum class ReviewCommand : int32_t {
    None,
    SelectTop, SelectBottom, SelectLeft, SelectRight,  // T, B, L, R
    MoveUp, MoveDown, MoveLeft, MoveRight,             // the arrows; Shift moves by 100
    NextSeam, PreviousSeam,                            // N, Shift+N
    Undo, Redo,                                        // Ctrl+Z; Ctrl+Y or Ctrl+Shift+Z
    Fit, ActualSize,                                   // Ctrl+0, Ctrl+1
    PageUp, PageDown, Home, End,
    CutAtSeam,                                         // C: the cut menu for the current seam
    Save, Close,                                       // Enter, Esc
};

// Windows virtual-key codes the review uses (letters and digits are their ASCII capitals).
namespace review_keys {
inline constexpr uint32_t kReturn = 0x0D, kEscape = 0x1B, kPrior = 0x21, kNext = 0x22, kEnd = 0x23, kHome = 0x24,
                          kLeft = 0x25, kUp = 0x26, kRight = 0x27, kDown = 0x28, kNumpad0 = 0x60, kNumpad1 = 0x61;
}  // namespace review_keys

ReviewCommand reviewCommandFor(uint32_t virtualKey, bool ctrl, bool shift);

}  // namespace tf
