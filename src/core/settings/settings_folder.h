#pragma once
// Which folder holds settings.ini. A file named "portable" beside the program
// makes it carry its settings along (a folder on a stick, an unzipped copy), so
// nothing of it is left in the user's profile; otherwise the per-user folder
// is used, and the program's folder only when the system names none.

#include <filesystem>

namespace tf {

// The name of the marker file that turns portable mode on.
inline constexpr wchar_t kPortableMarkerName[] = L"portable";

// True when `programFolder` holds a regular file (or a link to one) named
// "portable". A folder of that name does not count: an unzip tool or a user
// may make one for other reasons.
bool hasPortableMarker(const std::filesystem::path& programFolder);

// `userFolder` is the per-user settings folder, empty when it could not be
// found.
std::filesystem::path chooseSettingsFolder(const std::filesystem::path& programFolder, bool portable,
                                           const std::filesystem::path& userFolder);

}  // namespace tf
