// Settings on machines without Windows: an INI file in UTF-8 under the
// user's configuration folder, read and rewritten whole on every access.

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <system_error>

#include "core/settings/ini_document.h"
#include "core/settings/settings_folder.h"
#include "core/settings/settings_store.h"

namespace fs = std::filesystem;

namespace tf {
namespace {

class FileProfile : public SettingsProfile {
public:
    explicit FileProfile(fs::path file) : file_(std::move(file)) {}

    std::wstring readString(const std::wstring& section, const std::wstring& key, const std::wstring& fallback,
                            size_t capacity) override {
        return profileString(load(), section, key, fallback, capacity);
    }
    int readInt(const std::wstring& section, const std::wstring& key, int fallback) override {
        return profileInt(load(), section, key, fallback);
    }
    // The whole file is rewritten through a temporary beside it and renamed
    // into place, so a failed write (full disk, lost mount) leaves the old file
    // whole instead of cut short. A file that cannot be opened for writing
    // counts as read-only and stays as it is; so does one without its owner's
    // write permission, even for a user the system would let write it anyway
    // (as a read-only file is on Windows).
    bool writeString(const std::wstring& section, const std::wstring& key, const std::wstring& value) override {
        if (!settingsFileUsable(file_)) return false;
        std::error_code probe;
        const fs::file_status status = fs::status(file_, probe);
        if (fs::exists(status)) {
            if ((status.permissions() & fs::perms::owner_write) == fs::perms::none) return false;
            if (!std::ofstream(file_, std::ios::binary | std::ios::app)) return false;
        }
        IniDocument doc = load();
        doc.set(section, key, value);
        const std::string text = doc.serialize();
        fs::path temporary = file_;
        temporary += ".tmp";
        {
            std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
            out.write(text.data(), static_cast<std::streamsize>(text.size()));
            out.flush();
            if (!out) {
                out.close();
                std::error_code ignored;
                fs::remove(temporary, ignored);
                return false;
            }
        }
        std::error_code ec;
        fs::rename(temporary, file_, ec);
        if (ec) fs::remove(temporary, ec);
        return !ec;
    }

private:
    // Anything but a small regular file reads as an empty one.
    IniDocument load() const {
        const SmallFile file = readFileStart(file_, kMaxSettingsFileBytes, kMaxSettingsFileBytes);
        return IniDocument::parse(file.kind == SmallFileKind::Regular ? file.bytes : std::string());
    }
    fs::path file_;
};

fs::path homeFolder() {
    const char* home = std::getenv("HOME");
    return home && *home ? fs::path(home) : fs::path();
}

}  // namespace

std::unique_ptr<SettingsProfile> openSettingsProfile(const fs::path& file) {
    return std::make_unique<FileProfile>(file);
}

fs::path executableFolder() {
    std::error_code ec;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    if (ec || self.empty()) return fs::current_path(ec);
    return self.parent_path();
}

std::wstring defaultCaptureFolder() {
    const fs::path home = homeFolder();
    return home.empty() ? std::wstring(L".") : (home / "Desktop").wstring();
}

namespace {

// Empty when neither XDG_CONFIG_HOME nor HOME is set.
fs::path userSettingsFolder() {
    fs::path base;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg) {
        base = xdg;
    } else if (const fs::path home = homeFolder(); !home.empty()) {
        base = home / ".config";
    }
    return base.empty() ? base : base / "Quorvelle" / "Tallyframe";
}

}  // namespace

fs::path settingsFilePath() {
    const fs::path program = executableFolder();
    const fs::path folder = chooseSettingsFolder(program, hasPortableMarker(program), userSettingsFolder());
    std::error_code ec;
    fs::create_directories(folder, ec);
    return folder / "settings.ini";
}

}  // namespace tf
