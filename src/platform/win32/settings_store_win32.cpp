// Settings through the profile-string functions and the shell's known folders.

#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>

#include <system_error>
#include <vector>

#include "core/settings/settings_folder.h"
#include "core/settings/settings_store.h"
#include "platform/win32/win32_handles.h"

namespace fs = std::filesystem;

namespace tf {
namespace {

class WindowsProfile : public SettingsProfile {
public:
    explicit WindowsProfile(fs::path file) : file_(std::move(file)) {}

    std::wstring readString(const std::wstring& section, const std::wstring& key, const std::wstring& fallback,
                            size_t capacity) override {
        std::vector<wchar_t> buffer(capacity > 0 ? capacity : 1, L'\0');
        const DWORD n = GetPrivateProfileStringW(section.c_str(), key.c_str(), fallback.c_str(), buffer.data(),
                                                 static_cast<DWORD>(buffer.size()), file_.c_str());
        return std::wstring(buffer.data(), n);
    }
    int readInt(const std::wstring& section, const std::wstring& key, int fallback) override {
        return static_cast<int>(GetPrivateProfileIntW(section.c_str(), key.c_str(), fallback, file_.c_str()));
    }
    bool writeString(const std::wstring& section, const std::wstring& key, const std::wstring& value) override {
        // Windows refuses to write a read-only file; Wine run by a privileged
        // user writes it anyway. Ask first, so both keep the file as it is.
        const DWORD attributes = GetFileAttributesW(file_.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) return false;
        // The profile functions would wait on a pipe or read a huge file whole.
        if (!settingsFileUsable(file_)) return false;
        createAsUnicode();
        return WritePrivateProfileStringW(section.c_str(), key.c_str(), value.c_str(), file_.c_str()) != FALSE;
    }

private:
    // The profile functions write a new file in the ANSI code page, which loses
    // every character outside it; a file that starts as UTF-16 with a byte-order
    // mark stays UTF-16.
    void createAsUnicode() {
        const UniqueFileHandle file(
            CreateFileW(file_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) return;  // exists already (or cannot be made: the write reports it)
        const unsigned char bom[2] = {0xFF, 0xFE};
        DWORD written = 0;
        WriteFile(file.get(), bom, sizeof bom, &written, nullptr);
    }
    fs::path file_;
};

fs::path knownFolder(REFKNOWNFOLDERID id) {
    PWSTR raw = nullptr;
    fs::path result;
    if (SUCCEEDED(SHGetKnownFolderPath(id, 0, nullptr, &raw)) && raw != nullptr) result = raw;
    CoTaskMemFree(raw);
    return result;
}

}  // namespace

std::unique_ptr<SettingsProfile> openSettingsProfile(const fs::path& file) {
    return std::make_unique<WindowsProfile>(file);
}

fs::path executableFolder() {
    std::vector<wchar_t> buffer(1024);
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) {
            std::error_code ec;
            return fs::current_path(ec);
        }
        if (n < buffer.size() - 1) return fs::path(std::wstring(buffer.data(), n)).parent_path();
        buffer.resize(buffer.size() * 2);
    }
}

std::wstring defaultCaptureFolder() {
    const fs::path desktop = knownFolder(FOLDERID_Desktop);
    return desktop.empty() ? std::wstring(L".") : desktop.wstring();
}

namespace {

// Empty when the roaming folder cannot be found.
fs::path userSettingsFolder() {
    const fs::path roaming = knownFolder(FOLDERID_RoamingAppData);
    return roaming.empty() ? roaming : roaming / L"Quorvelle" / L"Tallyframe";
}

}  // namespace

fs::path settingsFilePath() {
    const fs::path program = executableFolder();
    const fs::path folder = chooseSettingsFolder(program, hasPortableMarker(program), userSettingsFolder());
    std::error_code ec;
    fs::create_directories(folder, ec);
    return folder / L"settings.ini";
}

}  // namespace tf
