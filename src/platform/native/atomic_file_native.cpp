// Atomic files on POSIX systems: O_EXCL for the temporary, fsync before the
// rename, renameat2(RENAME_NOREPLACE) (or a hard link) when nothing may be
// replaced, and fsync of the folder so the new name survives a power cut.

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "core/image/atomic_file.h"

namespace fs = std::filesystem;

namespace tf {
namespace {

fs::path folderOf(const fs::path& target) {
    fs::path folder = target.parent_path();
    return folder.empty() ? fs::path(".") : folder;
}

void syncFolder(const fs::path& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);  // best effort: some file systems cannot sync a folder
    ::close(fd);
}

bool noReplaceUnsupported(int err) { return err == EINVAL || err == ENOSYS || err == ENOTSUP || err == EOPNOTSUPP; }

}  // namespace

bool AtomicFile::isOpen() const { return fd_ >= 0; }

void AtomicFile::closeHandle() noexcept {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

AtomicFile::OpenAttempt AtomicFile::openNew(const fs::path& candidate) {
    const int fd = ::open(candidate.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
        fd_ = fd;
        return OpenAttempt::Opened;
    }
    return errno == EEXIST ? OpenAttempt::NameTaken : OpenAttempt::Failed;
}

bool AtomicFile::writeThrough(const uint8_t* data, size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd_, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

bool AtomicFile::seek(int64_t offset, int origin, uint64_t& position) {
    if (!flushBuffer() || !isOpen()) return false;
    const int whence = origin == 0 ? SEEK_SET : origin == 1 ? SEEK_CUR : SEEK_END;
    const off_t at = ::lseek(fd_, static_cast<off_t>(offset), whence);
    if (at < 0) return false;
    position = static_cast<uint64_t>(at);
    return true;
}

bool AtomicFile::read(void* data, size_t size, size_t& got) {
    got = 0;
    if (!flushBuffer() || !isOpen()) return false;
    while (got < size) {
        const ssize_t n = ::read(fd_, static_cast<uint8_t*>(data) + got, size - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) break;
        got += static_cast<size_t>(n);
    }
    return true;
}

bool AtomicFile::size(uint64_t& bytes) {
    if (!flushBuffer() || !isOpen()) return false;
    struct stat st {};
    if (::fstat(fd_, &st) != 0) return false;
    bytes = static_cast<uint64_t>(st.st_size);
    return true;
}

bool AtomicFile::setSize(uint64_t bytes) {
    if (!flushBuffer() || !isOpen()) return false;
    return ::ftruncate(fd_, static_cast<off_t>(bytes)) == 0;
}

bool AtomicFile::finish() {
    if (!flushBuffer() || !isOpen()) return false;
    // EINVAL: a file system that cannot sync; the bytes were still written.
    const bool synced = ::fsync(fd_) == 0 || errno == EINVAL;
    const bool closed = ::close(fd_) == 0;
    fd_ = -1;
    if (!synced || !closed) failed_ = true;
    return !failed_;
}

PublishOutcome AtomicFile::publish(const fs::path& target, bool replaceExisting) {
    if (isOpen() || failed_ || published_ || temporary_.empty()) return PublishOutcome::Failed;
    struct stat st {};
    const bool exists = ::lstat(target.c_str(), &st) == 0;
    if (replaceExisting) {
        // A folder is never replaced, and a file without its owner's write
        // permission stays, as a read-only file does on Windows (root could
        // otherwise replace it).
        if (exists && (S_ISDIR(st.st_mode) || (!S_ISLNK(st.st_mode) && (st.st_mode & S_IWUSR) == 0)))
            return PublishOutcome::Failed;
        if (::rename(temporary_.c_str(), target.c_str()) != 0) return PublishOutcome::Failed;
    } else {
        if (::renameat2(AT_FDCWD, temporary_.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) != 0) {
            if (errno == EEXIST) return PublishOutcome::NameTaken;
            if (!noReplaceUnsupported(errno)) return PublishOutcome::Failed;
            // No atomic no-replace rename here: a hard link fails just as surely
            // on a taken name.
            if (::link(temporary_.c_str(), target.c_str()) == 0) {
                ::unlink(temporary_.c_str());
            } else if (errno == EEXIST) {
                return PublishOutcome::NameTaken;
            } else if (errno == EPERM || noReplaceUnsupported(errno)) {
                if (exists) return PublishOutcome::NameTaken;
                if (::rename(temporary_.c_str(), target.c_str()) != 0) return PublishOutcome::Failed;
            } else {
                return PublishOutcome::Failed;
            }
        }
    }
    published_ = true;
    syncFolder(folderOf(target));
    return PublishOutcome::Published;
}

void AtomicFile::discard() noexcept {
    closeHandle();
    if (!published_ && !temporary_.empty()) ::unlink(temporary_.c_str());
    temporary_.clear();
    buffer_.clear();
}

}  // namespace tf
