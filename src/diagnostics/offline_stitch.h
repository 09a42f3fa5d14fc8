#pragma once
// `--stitch <frames folder> <output.png>`: joins a folder of PNG frames into one
// long PNG and leaves `<output>.log.txt` beside it. Returns the exit code.

#include <filesystem>
#include <vector>

namespace tf {

int runOfflineStitch(const std::filesystem::path& framesFolder, const std::filesystem::path& outputPath);

// The frame files of a folder in stitching order: regular files whose extension
// is exactly ".png" (case-sensitive), sorted by path. Throws filesystem_error
// when the folder cannot be listed.
std::vector<std::filesystem::path> listFrameFiles(const std::filesystem::path& folder);

}  // namespace tf
