#pragma once
// `--stitch <frames folder> <output.png>`: joins a folder of PNG frames into one
// long PNG and leaves `<output>.log.txt` beside it. Returns the exit code.

#include <filesystem>
#include <vector>

#include "ground/pixel_image.h"

namespace tf {

int runOfflineStitch(const std::filesystem::path& framesFolder, const std::filesystem::path& outputPath);

// The frame files of a folder in stitching order: regular files whose extension
// is exactly ".png" (case-sensitive), sorted by path. Throws filesystem_error
// when the folder cannot be listed.
std::vector<std::filesystem::path> listFrameFiles(const std::filesystem::path& folder);

// Whether two paths name the same file, however they are spelled: by file
// identity when both exist, else by their resolved absolute paths.
bool isSameFile(const std::filesystem::path& a, const std::filesystem::path& b);

// Drops, in place, every frame that shows no motion against the previous frame
// kept: nearly identical and not moved by even a few rows. A capture's dump
// folder holds such grabs (settle grabs, probes at the end of the page); a grab
// that moved by fewer than eight rows is kept, and the composer joins it by
// that shift. Returns how many were dropped.
size_t dropUnmovedFrames(std::vector<PixelImage>& frames);

}  // namespace tf
