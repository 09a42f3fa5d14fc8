// Small files on Windows. The attributes are asked before anything is
// opened: under Wine, opening a FIFO waits for a writer and a device reads
// without end, and Wine answers the attribute query for both with an error
// that no disk file gives. The opened handle is asked again (its type, its
// size), as the name may have been given to something else in between.

#include <windows.h>

#include <algorithm>
#include <string>

#include "core/image/small_file.h"
#include "platform/win32/win32_handles.h"

namespace tf {
namespace {

std::string errorText(DWORD error) {
    switch (error) {
        case ERROR_ACCESS_DENIED: return "access denied";
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION: return "another program holds it locked";
        case ERROR_FILENAME_EXCED_RANGE: return "its name is too long";
        default: return "Windows error " + std::to_string(error);
    }
}

SmallFile withKind(SmallFileKind kind, std::string detail) {
    SmallFile file;
    file.kind = kind;
    file.detail = std::move(detail);
    return file;
}

// Reserved names (NUL, CON, COM1, ...) and \\.\ paths name devices.
bool namesDevice(const std::filesystem::path& path) {
    const DWORD needed = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return false;
    std::wstring full(needed, L'\0');
    const DWORD got = GetFullPathNameW(path.c_str(), needed, full.data(), nullptr);
    return got > 0 && got < needed && full.compare(0, 4, L"\\\\.\\") == 0;
}

}  // namespace

SmallFile readFileStart(const std::filesystem::path& path, uint64_t maxFileBytes, size_t readBytes) {
    if (namesDevice(path)) return withKind(SmallFileKind::NotRegular, "a device");
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        switch (error) {
            case ERROR_FILE_NOT_FOUND:
            case ERROR_PATH_NOT_FOUND:
            case ERROR_INVALID_NAME:
            case ERROR_BAD_PATHNAME:
            case ERROR_INVALID_DRIVE: return {};
            case ERROR_ACCESS_DENIED:
            case ERROR_SHARING_VIOLATION:
            case ERROR_FILENAME_EXCED_RANGE:
            case ERROR_BAD_NETPATH:
            case ERROR_BAD_NET_NAME:
            case ERROR_NOT_READY: return withKind(SmallFileKind::Unreadable, errorText(error));
            default: return withKind(SmallFileKind::NotRegular, "a pipe or a device");
        }
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return withKind(SmallFileKind::NotRegular, "a folder");
    if (attributes & FILE_ATTRIBUTE_DEVICE) return withKind(SmallFileKind::NotRegular, "a device");
    const UniqueFileHandle handle(CreateFileW(path.c_str(), GENERIC_READ,
                                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!handle) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return {};
        return withKind(SmallFileKind::Unreadable, errorText(error));
    }
    if (GetFileType(handle.get()) != FILE_TYPE_DISK) return withKind(SmallFileKind::NotRegular, "a pipe or a device");
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(handle.get(), &info))
        return withKind(SmallFileKind::Unreadable, errorText(GetLastError()));
    if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return withKind(SmallFileKind::NotRegular, "a folder");
    SmallFile file;
    file.size = (static_cast<uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    if (file.size > maxFileBytes) {
        file.kind = SmallFileKind::TooLarge;
        return file;
    }
    std::string bytes(static_cast<size_t>(std::min<uint64_t>(readBytes, file.size)), '\0');
    size_t got = 0;
    while (got < bytes.size()) {
        DWORD n = 0;
        const DWORD ask = static_cast<DWORD>(std::min<size_t>(bytes.size() - got, 1u << 20));
        if (!ReadFile(handle.get(), bytes.data() + got, ask, &n, nullptr))
            return withKind(SmallFileKind::Unreadable, errorText(GetLastError()));
        if (n == 0) break;
        got += n;
    }
    bytes.resize(got);
    file.kind = SmallFileKind::Regular;
    file.bytes = std::move(bytes);
    return file;
}

}  // namespace tf
