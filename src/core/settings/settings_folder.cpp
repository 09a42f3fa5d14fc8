#include "core/settings/settings_folder.h"

#include <system_error>

namespace fs = std::filesystem;

namespace tf {

bool hasPortableMarker(const fs::path& programFolder) {
    if (programFolder.empty()) return false;
    std::error_code ec;
    return fs::is_regular_file(programFolder / kPortableMarkerName, ec);
}

fs::path chooseSettingsFolder(const fs::path& programFolder, bool portable, const fs::path& userFolder) {
    if (portable || userFolder.empty()) return programFolder;
    return userFolder;
}

}  // namespace tf
