#pragma once
// `tallyframe --review <image.png>`: the review window on a saved image
// without the main window, with the seams of the offline stitch's log beside
// the image when there is one. The process ends when the window closes.

#include <windows.h>

#include <filesystem>

namespace tf {

// Exit code 0 when the window opened, 1 when the image could not be shown.
int runReviewAlone(HINSTANCE instance, const std::filesystem::path& image);

}  // namespace tf
