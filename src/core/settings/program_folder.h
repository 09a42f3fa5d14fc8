#pragma once
// Where the running program lies (defined with the settings store of each
// platform, which falls back to it for the settings file).

#include <filesystem>

namespace tf {

// The running executable's folder, or the current directory.
std::filesystem::path executableFolder();

}  // namespace tf
