// Atomic files on POSIX systems: O_EXCL for the temporary, fsync before the
// rename, renameat2(RENAME_NOREPLACE) (or a hard link) when nothing may be
// replaced, and fsync of the folder so the new name survives a power cut.
// The writer holds a lock on its temporary file until the rename, which is
// how a later save tells a live writer's file from a killed one's.

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <memory>

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

bool sameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

// The temporary files being written, for the termination handler. It may run
// between any two instructions, so it only reads slots marked live, and a slot
// is filled before it is marked.
constexpr int kSlotFree = 0, kSlotFilling = 1, kSlotLive = 2;
struct TemporaryFileSlot {
    std::atomic<int> state{kSlotFree};
    char path[PATH_MAX];
};
static_assert(std::atomic<int>::is_always_lock_free, "the signal handler reads the slots");
TemporaryFileSlot gTemporaryFiles[16];

int listTemporaryFile(const fs::path& path) {
    const std::string& p = path.native();
    if (p.size() >= PATH_MAX) return -1;  // left to the stale-file clean-up
    for (int i = 0; i < static_cast<int>(std::size(gTemporaryFiles)); ++i) {
        int expected = kSlotFree;
        if (!gTemporaryFiles[i].state.compare_exchange_strong(expected, kSlotFilling)) continue;
        std::memcpy(gTemporaryFiles[i].path, p.c_str(), p.size() + 1);
        gTemporaryFiles[i].state.store(kSlotLive);
        return i;
    }
    return -1;
}

void unlistTemporaryFile(int& slot) {
    if (slot >= 0) gTemporaryFiles[slot].state.store(kSlotFree);
    slot = -1;
}

// Only async-signal-safe calls: unlink and raise.
extern "C" void removeTemporaryFilesAndEnd(int signal) {
    const int savedErrno = errno;
    for (TemporaryFileSlot& slot : gTemporaryFiles)
        if (slot.state.load() == kSlotLive) ::unlink(slot.path);
    errno = savedErrno;
    // The handler was reset on entry (SA_RESETHAND): the signal, pending until
    // the handler returns, ends the process the way it would have without us.
    ::raise(signal);
}

struct Fd {
    int fd = -1;
    explicit Fd(int f) : fd(f) {}
    ~Fd() {
        if (fd >= 0) ::close(fd);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
};

struct DirCloser {
    void operator()(DIR* d) const { ::closedir(d); }
};

}  // namespace

ExistingFile inspectExistingFile(const fs::path& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return errno == EACCES ? ExistingFile::NotWritable : ExistingFile::None;
    if (S_ISLNK(st.st_mode)) {
        struct stat target {};
        if (::stat(path.c_str(), &target) == 0 && !S_ISREG(target.st_mode)) return ExistingFile::NotRegular;
        return ExistingFile::Link;
    }
    if (!S_ISREG(st.st_mode)) return ExistingFile::NotRegular;
    // The owner's write bit alone says nothing about who runs us; a file
    // without it stays even for root, as a read-only file does on Windows.
    if ((st.st_mode & S_IWUSR) == 0 || ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0)
        return ExistingFile::NotWritable;
    return ExistingFile::Replaceable;
}

void removeStaleTemporaryFiles(const fs::path& folder) {
    const fs::path where = folder.empty() ? fs::path(".") : folder;
    const std::unique_ptr<DIR, DirCloser> dir(::opendir(where.c_str()));
    if (!dir) return;
    const int dirFd = ::dirfd(dir.get());
    while (const dirent* entry = ::readdir(dir.get())) {
        if (!isTemporaryFileName(entry->d_name)) continue;
        struct stat before {};
        // Never opened unless it is a regular file of ours: opening a device can act.
        if (::fstatat(dirFd, entry->d_name, &before, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(before.st_mode) ||
            before.st_uid != ::geteuid())
            continue;
        const Fd file(::openat(dirFd, entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
        struct stat opened {};
        if (file.fd < 0 || ::fstat(file.fd, &opened) != 0 || !sameFile(before, opened)) continue;
        if (::flock(file.fd, LOCK_EX | LOCK_NB) != 0) continue;  // a live writer holds it
        struct stat now {};
        if (::fstatat(dirFd, entry->d_name, &now, AT_SYMLINK_NOFOLLOW) == 0 && sameFile(now, opened))
            ::unlinkat(dirFd, entry->d_name, 0);
    }
}

void removeTemporaryFilesOnTermination() {
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
        struct sigaction current {};
        // A signal ignored by whoever started us (nohup) stays ignored.
        if (::sigaction(signal, nullptr, &current) != 0 || current.sa_handler == SIG_IGN) continue;
        struct sigaction action {};
        action.sa_handler = removeTemporaryFilesAndEnd;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESETHAND;
        ::sigaction(signal, &action, nullptr);
    }
}

bool AtomicFile::isOpen() const { return fd_ >= 0; }

void AtomicFile::closeHandle() noexcept {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

AtomicFile::OpenAttempt AtomicFile::openNew(const fs::path& candidate) {
    const int fd = ::open(candidate.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return errno == EEXIST ? OpenAttempt::NameTaken : OpenAttempt::Failed;
    // Held until the rename. A clean-up in another process may have taken the
    // file between its creation and the lock: then the name is no longer ours.
    // A file system without locks gets none; a clean-up there takes nothing,
    // as its own lock fails too.
    const bool lockedByOther = ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    struct stat opened {}, named {};
    if (lockedByOther || ::fstat(fd, &opened) != 0 || ::lstat(candidate.c_str(), &named) != 0 ||
        !sameFile(opened, named)) {
        ::close(fd);
        return OpenAttempt::NameTaken;
    }
    fd_ = fd;
    cleanupSlot_ = listTemporaryFile(candidate);
    return OpenAttempt::Opened;
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
    if (finished_ || !flushBuffer() || !isOpen()) return false;
    // EINVAL: a file system that cannot sync; the bytes were still written.
    // The file stays open, and locked, until it has its name.
    if (::fsync(fd_) != 0 && errno != EINVAL) failed_ = true;
    finished_ = true;
    return !failed_;
}

PublishOutcome AtomicFile::publish(const fs::path& target, bool replaceExisting) {
    if (!finished_ || failed_ || published_ || temporary_.empty()) return PublishOutcome::Failed;
    struct stat st {};
    const bool exists = ::lstat(target.c_str(), &st) == 0;
    if (replaceExisting) {
        // Folders, devices, FIFOs and sockets are never replaced, nor a file
        // the running user could not write.
        const ExistingFile existing = inspectExistingFile(target);
        if (existing == ExistingFile::NotRegular || existing == ExistingFile::NotWritable)
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
    unlistTemporaryFile(cleanupSlot_);
    closeHandle();
    syncFolder(folderOf(target));
    return PublishOutcome::Published;
}

void AtomicFile::discard() noexcept {
    // Removed while still locked, so no clean-up elsewhere can take it first.
    if (!published_ && !temporary_.empty()) ::unlink(temporary_.c_str());
    unlistTemporaryFile(cleanupSlot_);
    closeHandle();
    temporary_.clear();
    buffer_.clear();
}

}  // namespace tf
