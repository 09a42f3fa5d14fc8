#pragma once
// `--stitch <frames folder> <output.png>`: joins a folder of PNG frames into one
// long PNG and leaves `<output>.log.txt` beside it. Returns the exit code.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ground/pixel_image.h"
#include "ground/scroll_direction.h"

namespace tf {

// Where a window-less mode says, in one line each, why it failed or what it
// could not do (the log it could not write); the process puts it on stderr.
using UserMessages = std::function<void(std::string_view line)>;

// The log is written whole when the run ends (a temporary file, then one
// rename), never through a symbolic link, onto something that is not a regular
// file, onto a file the user may not write, or onto a frame: such a log counts
// as one that cannot be opened, and the run goes on without it.
//
// The frames are joined in the direction their content scrolled: the one the
// folder's capture log records when it holds one (a logged capture's dumps),
// else `direction`, else down. A direction asked for that the log contradicts
// fails the run.
int runOfflineStitch(const std::filesystem::path& framesFolder, const std::filesystem::path& outputPath,
                     const UserMessages& tell = {}, std::optional<ScrollDirection> direction = std::nullopt);

// What a frames folder's capture log says about the direction. The log is
// read only when it is a small regular file, and only its header: anything
// else in its place, or a file that is no capture log, is ignored, and
// `ignored` says why ("is a FIFO, not a regular file"). Throws runtime_error
// when its header names a direction this program does not know, or two.
struct LoggedDirection {
    std::optional<ScrollDirection> direction;  // nullopt: no log, or one ignored
    std::string ignored;
};
LoggedDirection loggedDirection(const std::filesystem::path& framesFolder);

// Why writing `outputPath` (or its log) would replace a file of the frames
// folder that is the program's own (the capture log); empty when it would not.
std::string ownFileRefusal(const std::filesystem::path& framesFolder, const std::filesystem::path& outputPath);

// Frames are decoded one at a time, but nearly all their rows go to a
// temporary file beside the output: a folder whose frames together would
// decode to more than this is refused before the first one is decoded.
inline constexpr uint64_t kMaxDecodedFramesBytes = uint64_t{4} << 30;

// A path for a message, in UTF-8, with control characters written as \n,
// \r, \t or \xHH, so that a file name cannot forge a line of its own.
std::string displayPath(const std::filesystem::path& path);

// The frame files of a folder in stitching order: regular files whose extension
// is ".png" in any letter case (many programs write ".PNG"), sorted by path.
// Throws filesystem_error when the folder cannot be listed.
std::vector<std::filesystem::path> listFrameFiles(const std::filesystem::path& folder);

// Whether two paths name the same file, however they are spelled: by file
// identity when both exist, else by their resolved absolute paths.
bool isSameFile(const std::filesystem::path& a, const std::filesystem::path& b);

// Drops, in place, every frame that shows no motion against the previous frame
// kept: nearly identical and not moved by even a few rows. A capture's dump
// folder holds such grabs (settle grabs, probes at the end of the page); a grab
// that moved by fewer than eight rows is kept, and the composer joins it by
// that shift. Returns how many were dropped; `kept`, when given, receives the
// original index of every frame kept.
size_t dropUnmovedFrames(std::vector<PixelImage>& frames, std::vector<size_t>* kept = nullptr);

}  // namespace tf
