#pragma once
// settings.ini: the settings of a Settings record, section "general".
// The rules are portable and run over a small profile interface; Windows uses
// the profile-string functions, the tests an in-memory INI document.

#include <filesystem>
#include <memory>
#include <string>

#include "core/image/small_file.h"
#include "core/settings/program_folder.h"
#include "core/settings/settings.h"

namespace tf {

// The three operations of the platform's profile (INI) functions.
class SettingsProfile {
public:
    virtual ~SettingsProfile() = default;
    // At most capacity − 1 characters, as a buffer of `capacity` holds.
    virtual std::wstring readString(const std::wstring& section, const std::wstring& key,
                                    const std::wstring& fallback, size_t capacity) = 0;
    // Leading decimal digits; a value that does not start with one reads as 0.
    virtual int readInt(const std::wstring& section, const std::wstring& key, int fallback) = 0;
    virtual bool writeString(const std::wstring& section, const std::wstring& key, const std::wstring& value) = 0;
};

// Reads `record` from the settings file. Called once at start. The file is
// read only when it is a small regular file (or absent); anything else in its
// place (a FIFO, a device, a folder, a huge file) leaves the defaults, and the
// returned look at the file says what it was, for the notice at start.
SmallFile loadSettings(Settings& record);
// Writes every key of `record`; true only when every write succeeded. Never
// throws, and never writes over anything but a small regular file.
bool saveSettings(const Settings& record);

// Far above any real settings file, far below what reading one may cost.
inline constexpr uint64_t kMaxSettingsFileBytes = uint64_t{1} << 20;
// The settings file looked at, not read: Absent or Regular when it may be
// read and replaced. Never blocks.
SmallFile inspectSettingsFile(const std::filesystem::path& file);
inline bool settingsFileUsable(const std::filesystem::path& file) { return usableSmallFile(inspectSettingsFile(file)); }

// The rules themselves, over any profile.
void loadSettingsFrom(SettingsProfile& profile, Settings& record, const std::wstring& defaultFolder);
bool saveSettingsTo(SettingsProfile& profile, const Settings& record);

// <roaming app data>/Quorvelle/Tallyframe/settings.ini, or settings.ini beside
// the program when it is portable (settings_folder.h); the folder is created.
std::filesystem::path settingsFilePath();
// The Desktop, or "." when it cannot be found.
std::wstring defaultCaptureFolder();

// The profile over a settings file on this platform.
std::unique_ptr<SettingsProfile> openSettingsProfile(const std::filesystem::path& file);

}  // namespace tf
