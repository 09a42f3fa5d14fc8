// Atomic files on Windows: CREATE_NEW for the temporary, FlushFileBuffers
// before MoveFileExW(MOVEFILE_WRITE_THROUGH), with MOVEFILE_REPLACE_EXISTING
// only when replacing is asked for. Virus scanners and indexers open new files
// for a moment, so sharing violations are retried a few times before a step
// counts as failed.

#include <windows.h>

#include <iterator>
#include <mutex>
#include <string>

#include "core/image/atomic_file.h"

namespace fs = std::filesystem;

namespace tf {
namespace {

HANDLE asHandle(void* h) { return static_cast<HANDLE>(h); }

bool isTransient(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION || error == ERROR_ACCESS_DENIED;
}

// About 0.6 s in all: long enough for a scanner's look, short enough that a
// file held open by a viewer fails the save promptly.
constexpr DWORD kRetryDelaysMs[] = {10, 20, 40, 80, 160, 320};

// A temporary file written to this recently may be between its close and its
// rename: a clean-up leaves it alone.
constexpr ULONGLONG kStaleAfter100ns = 60ull * 10'000'000ull;

// The temporary files being written, for the console control handler, which
// Windows runs on a thread of its own: a lock is enough here.
struct TemporaryFileSlot {
    bool used = false;
    HANDLE handle = nullptr;  // while open; the name alone once closed
    std::wstring path;
};
std::mutex gTemporaryFilesLock;
TemporaryFileSlot gTemporaryFiles[16];

int listTemporaryFile(HANDLE handle, const fs::path& path) {
    const std::lock_guard<std::mutex> lock(gTemporaryFilesLock);
    for (int i = 0; i < static_cast<int>(std::size(gTemporaryFiles)); ++i) {
        if (gTemporaryFiles[i].used) continue;
        try {
            gTemporaryFiles[i].path = path.native();
        } catch (...) {
            return -1;  // left to the stale-file clean-up
        }
        gTemporaryFiles[i].used = true;
        gTemporaryFiles[i].handle = handle;
        return i;
    }
    return -1;
}

void forgetTemporaryHandle(int slot) {
    if (slot < 0) return;
    const std::lock_guard<std::mutex> lock(gTemporaryFilesLock);
    gTemporaryFiles[slot].handle = nullptr;
}

void unlistTemporaryFile(int& slot) {
    if (slot >= 0) {
        const std::lock_guard<std::mutex> lock(gTemporaryFilesLock);
        gTemporaryFiles[slot].used = false;
        gTemporaryFiles[slot].handle = nullptr;
    }
    slot = -1;
}

void markForDeletion(HANDLE h) {
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = TRUE;
    SetFileInformationByHandle(h, FileDispositionInfo, &disposition, sizeof disposition);
}

BOOL WINAPI removeTemporaryFilesOnControlEvent(DWORD) {
    {
        const std::lock_guard<std::mutex> lock(gTemporaryFilesLock);
        for (TemporaryFileSlot& slot : gTemporaryFiles) {
            if (!slot.used) continue;
            // An open file is deleted when its last handle closes, at the
            // latest when the process ends; a closed one goes at once.
            if (slot.handle) {
                markForDeletion(slot.handle);
            } else {
                DeleteFileW(slot.path.c_str());
            }
        }
    }
    return FALSE;  // the default handler then ends the process as before
}

struct FindHandle {
    HANDLE h;
    ~FindHandle() {
        if (h != INVALID_HANDLE_VALUE) FindClose(h);
    }
};

struct FileHandle {
    HANDLE h;
    ~FileHandle() {
        if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    }
};

ULONGLONG asTicks(const FILETIME& t) { return (static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime; }

}  // namespace

ExistingFile inspectExistingFile(const fs::path& path) {
    // Reserved names (NUL, CON, COM1, ...) and \\.\ paths name devices.
    const DWORD needed = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (needed > 0) {
        std::wstring full(needed, L'\0');
        const DWORD got = GetFullPathNameW(path.c_str(), needed, full.data(), nullptr);
        if (got > 0 && got < needed && full.compare(0, 4, L"\\\\.\\") == 0) return ExistingFile::NotRegular;
    }
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        switch (GetLastError()) {
            case ERROR_FILE_NOT_FOUND:
            case ERROR_PATH_NOT_FOUND:
            case ERROR_INVALID_NAME:
            case ERROR_BAD_PATHNAME:
            case ERROR_FILENAME_EXCED_RANGE:
            case ERROR_INVALID_DRIVE:
            case ERROR_BAD_NETPATH:
            case ERROR_BAD_NET_NAME:
            case ERROR_NOT_READY: return ExistingFile::None;  // the save then fails on its own, if at all
            case ERROR_ACCESS_DENIED: return ExistingFile::NotWritable;
            // Something is there that cannot even be described: a pipe or a
            // device (Wine answers so for FIFOs and device nodes).
            default: return ExistingFile::NotRegular;
        }
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return ExistingFile::NotRegular;
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return ExistingFile::Link;
    if (attributes & FILE_ATTRIBUTE_READONLY) return ExistingFile::NotWritable;
    // Opening for writing changes nothing (no truncation) and asks the access
    // check the rename would meet; the handle also tells a disk file from a
    // pipe or a device.
    const FileHandle file{CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT,
                                      nullptr)};
    if (file.h == INVALID_HANDLE_VALUE) {
        // A file held open without sharing may still be replaced once it is closed.
        return GetLastError() == ERROR_ACCESS_DENIED ? ExistingFile::NotWritable : ExistingFile::Replaceable;
    }
    return GetFileType(file.h) == FILE_TYPE_DISK ? ExistingFile::Replaceable : ExistingFile::NotRegular;
}

void removeStaleTemporaryFiles(const fs::path& folder) {
    const fs::path pattern = (folder.empty() ? fs::path(L".") : folder) / L".tallyframe-*.tmp";
    WIN32_FIND_DATAW found;
    const FindHandle find{FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0)};
    if (find.h == INVALID_HANDLE_VALUE) return;
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    do {
        if (!isTemporaryFileName(found.cFileName)) continue;
        if (found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_READONLY))
            continue;
        if (asTicks(now) < asTicks(found.ftLastWriteTime) + kStaleAfter100ns) continue;
        // Fails with a sharing violation while a live writer has it open.
        DeleteFileW((folder / found.cFileName).c_str());
    } while (FindNextFileW(find.h, &found));
}

void removeTemporaryFilesOnTermination() { SetConsoleCtrlHandler(removeTemporaryFilesOnControlEvent, TRUE); }

bool AtomicFile::isOpen() const { return handle_ != nullptr; }

void AtomicFile::closeHandle() noexcept {
    if (handle_) CloseHandle(asHandle(handle_));
    handle_ = nullptr;
}

AtomicFile::OpenAttempt AtomicFile::openNew(const fs::path& candidate) {
    // No sharing: nobody reads the file half-written. DELETE lets a failed
    // save mark it for deletion while it is still open.
    HANDLE h = CreateFileW(candidate.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
        handle_ = h;
        cleanupSlot_ = listTemporaryFile(h, candidate);
        return OpenAttempt::Opened;
    }
    switch (GetLastError()) {
        // A name in use, or one whose earlier file is still being deleted.
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS:
        case ERROR_SHARING_VIOLATION: return OpenAttempt::NameTaken;
        case ERROR_ACCESS_DENIED: return OpenAttempt::NameRefused;
        default: return OpenAttempt::Failed;
    }
}

bool AtomicFile::writeThrough(const uint8_t* data, size_t size) {
    while (size > 0) {
        const DWORD chunk = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
        DWORD written = 0;
        if (!WriteFile(asHandle(handle_), data, chunk, &written, nullptr) || written == 0) return false;
        data += written;
        size -= written;
    }
    return true;
}

bool AtomicFile::seek(int64_t offset, int origin, uint64_t& position) {
    if (!flushBuffer() || !isOpen()) return false;
    LARGE_INTEGER move;
    move.QuadPart = offset;
    LARGE_INTEGER at;
    const DWORD method = origin == 0 ? FILE_BEGIN : origin == 1 ? FILE_CURRENT : FILE_END;
    if (!SetFilePointerEx(asHandle(handle_), move, &at, method)) return false;
    position = static_cast<uint64_t>(at.QuadPart);
    return true;
}

bool AtomicFile::read(void* data, size_t size, size_t& got) {
    got = 0;
    if (!flushBuffer() || !isOpen()) return false;
    while (got < size) {
        const size_t left = size - got;
        const DWORD chunk = left > (1u << 30) ? (1u << 30) : static_cast<DWORD>(left);
        DWORD n = 0;
        if (!ReadFile(asHandle(handle_), static_cast<uint8_t*>(data) + got, chunk, &n, nullptr)) return false;
        if (n == 0) break;
        got += n;
    }
    return true;
}

bool AtomicFile::size(uint64_t& bytes) {
    if (!flushBuffer() || !isOpen()) return false;
    LARGE_INTEGER s;
    if (!GetFileSizeEx(asHandle(handle_), &s)) return false;
    bytes = static_cast<uint64_t>(s.QuadPart);
    return true;
}

bool AtomicFile::setSize(uint64_t bytes) {
    if (!flushBuffer() || !isOpen()) return false;
    LARGE_INTEGER here{}, zero{}, target;
    if (!SetFilePointerEx(asHandle(handle_), zero, &here, FILE_CURRENT)) return false;
    target.QuadPart = static_cast<LONGLONG>(bytes);
    if (!SetFilePointerEx(asHandle(handle_), target, nullptr, FILE_BEGIN) || !SetEndOfFile(asHandle(handle_)))
        return false;
    return SetFilePointerEx(asHandle(handle_), here, nullptr, FILE_BEGIN) != FALSE;
}

bool AtomicFile::finish() {
    if (finished_ || !flushBuffer() || !isOpen()) return false;
    // Some redirected and virtual drives cannot flush; the bytes were written.
    const bool flushed = FlushFileBuffers(asHandle(handle_)) || GetLastError() == ERROR_INVALID_FUNCTION;
    forgetTemporaryHandle(cleanupSlot_);
    const bool closed = CloseHandle(asHandle(handle_)) != FALSE;
    handle_ = nullptr;
    finished_ = true;
    if (!flushed || !closed) failed_ = true;
    return !failed_;
}

PublishOutcome AtomicFile::publish(const fs::path& target, bool replaceExisting) {
    if (!finished_ || isOpen() || failed_ || published_ || temporary_.empty()) return PublishOutcome::Failed;
    const DWORD attributes = GetFileAttributesW(target.c_str());
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    if (exists && !replaceExisting) return PublishOutcome::NameTaken;
    // Folders, devices and pipes are never replaced, nor a read-only file or
    // one the running user could not write.
    if (replaceExisting) {
        const ExistingFile existing = inspectExistingFile(target);
        if (existing == ExistingFile::NotRegular || existing == ExistingFile::NotWritable)
            return PublishOutcome::Failed;
    }

    const DWORD flags = MOVEFILE_WRITE_THROUGH | (replaceExisting ? MOVEFILE_REPLACE_EXISTING : 0);
    DWORD error = ERROR_SUCCESS;
    for (size_t attempt = 0;; ++attempt) {
        if (MoveFileExW(temporary_.c_str(), target.c_str(), flags)) {
            published_ = true;
            unlistTemporaryFile(cleanupSlot_);
            return PublishOutcome::Published;
        }
        error = GetLastError();
        if (!replaceExisting && (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS))
            return PublishOutcome::NameTaken;
        if (!isTransient(error) || attempt == std::size(kRetryDelaysMs)) break;
        Sleep(kRetryDelaysMs[attempt]);
    }
    // A name taken meanwhile by a file that is being deleted or held open.
    if (!replaceExisting && GetFileAttributesW(target.c_str()) != INVALID_FILE_ATTRIBUTES)
        return PublishOutcome::NameTaken;
    return PublishOutcome::Failed;
}

void AtomicFile::discard() noexcept {
    // Marked while open: the file goes when the last handle closes, even if
    // a scanner holds one with delete sharing.
    if (handle_ && !published_) markForDeletion(asHandle(handle_));
    forgetTemporaryHandle(cleanupSlot_);
    closeHandle();
    if (!published_ && !temporary_.empty()) {
        for (size_t attempt = 0;; ++attempt) {
            if (DeleteFileW(temporary_.c_str())) break;
            const DWORD error = GetLastError();
            if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) break;
            if (!isTransient(error) || attempt == std::size(kRetryDelaysMs)) break;
            Sleep(kRetryDelaysMs[attempt]);
        }
    }
    unlistTemporaryFile(cleanupSlot_);
    temporary_.clear();
    buffer_.clear();
}

}  // namespace tf
