// Small files on POSIX systems: the type is asked before anything is opened,
// the open never waits (O_NONBLOCK: a FIFO without a writer, a device), and
// the opened file is asked again, as it may have been replaced in between.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <system_error>

#include "core/image/small_file.h"

namespace tf {
namespace {

std::string errorText(int err) {
    std::string text = std::generic_category().message(err);
    if (!text.empty() && text[0] >= 'A' && text[0] <= 'Z') text[0] = static_cast<char>(text[0] - 'A' + 'a');
    return text;
}

const char* kindName(mode_t mode) {
    if (S_ISDIR(mode)) return "a folder";
    if (S_ISFIFO(mode)) return "a FIFO";
    if (S_ISSOCK(mode)) return "a socket";
    if (S_ISCHR(mode)) return "a character device";
    if (S_ISBLK(mode)) return "a block device";
    return "a special file";
}

class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

// The kind of what `st` describes, judged as the file at `path`.
bool judge(const struct stat& st, const char* path, uint64_t maxFileBytes, SmallFile& out) {
    if (!S_ISREG(st.st_mode)) {
        struct stat own;
        const bool link = ::lstat(path, &own) == 0 && S_ISLNK(own.st_mode);
        out.kind = SmallFileKind::NotRegular;
        out.detail = std::string(link ? "a link to " : "") + kindName(st.st_mode);
        return false;
    }
    out.size = static_cast<uint64_t>(st.st_size);
    if (out.size > maxFileBytes) {
        out.kind = SmallFileKind::TooLarge;
        return false;
    }
    return true;
}

SmallFile unreadable(int err) {
    SmallFile file;
    file.kind = SmallFileKind::Unreadable;
    file.detail = errorText(err);
    return file;
}

}  // namespace

SmallFile readFileStart(const std::filesystem::path& path, uint64_t maxFileBytes, size_t readBytes) {
    SmallFile file;
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) {
        if (errno == ENOENT || errno == ENOTDIR) return file;
        return unreadable(errno);
    }
    if (!judge(st, path.c_str(), maxFileBytes, file)) return file;
    const Descriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (fd.get() < 0) return errno == ENOENT ? SmallFile{} : unreadable(errno);
    if (::fstat(fd.get(), &st) != 0) return unreadable(errno);
    if (!judge(st, path.c_str(), maxFileBytes, file)) return file;
    std::string bytes(static_cast<size_t>(std::min<uint64_t>(readBytes, file.size)), '\0');
    size_t got = 0;
    while (got < bytes.size()) {
        const ssize_t n = ::read(fd.get(), bytes.data() + got, bytes.size() - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return unreadable(errno);
        if (n == 0) break;
        got += static_cast<size_t>(n);
    }
    bytes.resize(got);
    file.kind = SmallFileKind::Regular;
    file.bytes = std::move(bytes);
    return file;
}

}  // namespace tf
