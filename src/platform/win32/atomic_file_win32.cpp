// Atomic files on Windows: CREATE_NEW for the temporary, FlushFileBuffers
// before MoveFileExW(MOVEFILE_WRITE_THROUGH), with MOVEFILE_REPLACE_EXISTING
// only when replacing is asked for. Virus scanners and indexers open new files
// for a moment, so sharing violations are retried a few times before a step
// counts as failed.

#include <windows.h>

#include <iterator>

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

}  // namespace

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
    if (!flushBuffer() || !isOpen()) return false;
    // Some redirected and virtual drives cannot flush; the bytes were written.
    const bool flushed = FlushFileBuffers(asHandle(handle_)) || GetLastError() == ERROR_INVALID_FUNCTION;
    const bool closed = CloseHandle(asHandle(handle_)) != FALSE;
    handle_ = nullptr;
    if (!flushed || !closed) failed_ = true;
    return !failed_;
}

PublishOutcome AtomicFile::publish(const fs::path& target, bool replaceExisting) {
    if (isOpen() || failed_ || published_ || temporary_.empty()) return PublishOutcome::Failed;
    const DWORD attributes = GetFileAttributesW(target.c_str());
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    if (exists && !replaceExisting) return PublishOutcome::NameTaken;
    // Neither would be replaced by the move; fail at once instead of retrying.
    if (exists && (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY))) return PublishOutcome::Failed;

    const DWORD flags = MOVEFILE_WRITE_THROUGH | (replaceExisting ? MOVEFILE_REPLACE_EXISTING : 0);
    DWORD error = ERROR_SUCCESS;
    for (size_t attempt = 0;; ++attempt) {
        if (MoveFileExW(temporary_.c_str(), target.c_str(), flags)) {
            published_ = true;
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
    if (handle_ && !published_) {
        // Marked while open: the file goes when the last handle closes, even if
        // a scanner holds one with delete sharing.
        FILE_DISPOSITION_INFO disposition{};
        disposition.DeleteFile = TRUE;
        SetFileInformationByHandle(asHandle(handle_), FileDispositionInfo, &disposition, sizeof disposition);
    }
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
    temporary_.clear();
    buffer_.clear();
}

}  // namespace tf
