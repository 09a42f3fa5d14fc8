#pragma once
// Files a person hands the program (the capture log of a frames folder, the
// settings file) are read as what they must be: small regular files. A FIFO,
// a device, a socket or a folder in their place is never opened for reading
// (it could be waited on for ever, or read without end), a file above the
// bound is never read, and only the start asked for is read.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

namespace tf {

enum class SmallFileKind {
    Absent,      // nothing of that name (or a folder on its way is missing)
    Regular,     // a regular file within the bound: `bytes` holds its start
    NotRegular,  // a folder, FIFO, socket or device, or a link to one
    TooLarge,    // a regular file above the bound
    Unreadable,  // there, but it may not be opened or read
};

struct SmallFile {
    SmallFileKind kind = SmallFileKind::Absent;
    uint64_t size = 0;   // Regular, TooLarge
    std::string bytes;   // Regular: at most the bytes asked for, from the start
    std::string detail;  // NotRegular: what it is ("a FIFO"); Unreadable: why ("permission denied")
};

// Looks at `path` (links followed) and, when it is a regular file of at most
// `maxFileBytes`, reads at most `readBytes` from its start. Never blocks on
// the file, never throws. Platform.
SmallFile readFileStart(const std::filesystem::path& path, uint64_t maxFileBytes, size_t readBytes);

// Why such a file is not read, as the end of a sentence about it ("is a FIFO,
// not a regular file"); empty for Absent and Regular.
std::string whyNotRead(const SmallFile& file, uint64_t maxFileBytes);

// Whether the file may be read and written as a small regular file: absent
// or Regular. The settings file is replaced only when this holds.
inline bool usableSmallFile(const SmallFile& file) {
    return file.kind == SmallFileKind::Absent || file.kind == SmallFileKind::Regular;
}

// "16 MiB", rounded up; "512 bytes" below one.
std::string sizeText(uint64_t bytes);

}  // namespace tf
