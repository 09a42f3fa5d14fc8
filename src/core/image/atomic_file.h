#pragma once
// Files written whole or not at all. The bytes go to a new temporary file in
// the destination folder, are flushed to the device, and only then take the
// final name with one rename. A file of the final name is never opened for
// writing, so a full disk, a lost mount or a killed process leaves it exactly
// as it was, and no reader ever sees a half-written file under that name.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tf {

enum class PublishOutcome {
    Published,  // the file has its final name
    NameTaken,  // something of that name exists and replacing it was not asked for
    Failed,     // the name could not be given; the temporary file is still there
};

class AtomicFile {
public:
    AtomicFile() = default;
    // Closes and removes the temporary file unless it was published.
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // Creates a new, empty temporary file in `folder` (the current folder when
    // empty); another name is tried when one is taken. False when the folder
    // cannot take a new file.
    bool create(const std::filesystem::path& folder);

    // Sequential writes are buffered; a failure (full disk) is sticky.
    bool write(const void* data, size_t size);
    // Random access for encoders that look back (the Windows stream interface).
    // origin: 0 from the start, 1 from the current position, 2 from the end.
    bool seek(int64_t offset, int origin, uint64_t& position);
    bool read(void* data, size_t size, size_t& got);
    bool size(uint64_t& bytes);
    bool setSize(uint64_t bytes);

    // Flushes every byte to the device; no more writes after it.
    bool finish();
    // Gives the finished file its final name. Without `replaceExisting` a name
    // that is taken is reported and nothing is replaced; the check and the
    // rename are one step, so two writers cannot both take a free name. With
    // it, only a regular file the running user may write is replaced.
    PublishOutcome publish(const std::filesystem::path& target, bool replaceExisting);
    // Closes and removes the temporary file; nothing once published.
    void discard() noexcept;

    const std::filesystem::path& temporaryPath() const { return temporary_; }

private:
    // What one try at a fresh temporary name came to.
    enum class OpenAttempt {
        Opened,       // the file is open and ours
        NameTaken,    // another file has the name: try another
        NameRefused,  // denied: a file of that name still being deleted, or a folder that refuses us
        Failed,       // the folder cannot take a new file
    };

    bool flushBuffer();
    OpenAttempt openNew(const std::filesystem::path& candidate);  // platform
    bool writeThrough(const uint8_t* data, size_t size);         // platform
    bool isOpen() const;                                  // platform
    void closeHandle() noexcept;                          // platform

    std::filesystem::path temporary_;
    std::vector<uint8_t> buffer_;
    bool failed_ = false;
    bool finished_ = false;
    bool published_ = false;
    int cleanupSlot_ = -1;  // where a termination finds the temporary file; -1 when not listed
#ifdef _WIN32
    void* handle_ = nullptr;  // HANDLE; null when closed
#else
    int fd_ = -1;
#endif
};

// What is at a name that a file is to be written to.
enum class ExistingFile {
    None,         // nothing: the name is free
    Replaceable,  // a regular file the running user may write
    Link,         // a symbolic link (or other reparse point) to a regular file or to nothing
    NotRegular,   // a folder, device, FIFO or socket, or a link to one
    NotWritable,  // a regular file the running user may not write, or one marked read-only
};
ExistingFile inspectExistingFile(const std::filesystem::path& path);  // platform
// Why a file of that kind is not replaced, for a message: "is not a regular file".
const char* whyNotReplaced(ExistingFile existing);

// `bytes` written whole as the file `path`: a temporary file beside it, then
// one rename over a regular file the user may write. A link in the file's
// place is refused when `refuseLinks` is set. Returns an empty text when the
// file was written, else why it was not (nothing of that name is touched then).
std::string writeWholeFile(const std::filesystem::path& path, std::string_view bytes, bool refuseLinks);

// Removes this program's temporary files in `folder` that no live writer
// holds: a killed save leaves one behind. Nothing else is touched: only
// regular files of exactly the temporary name pattern, owned by the running
// user, that no process holds (natively a writer holds a lock on its file; on
// Windows its file stays open and so cannot be deleted, and a file written to
// in the last minute is left alone, as it may be between its close and its rename).
void removeStaleTemporaryFiles(const std::filesystem::path& folder);  // platform
bool isTemporaryFileName(const std::filesystem::path& name);

// From now on, a termination request (TERM, INT, HUP natively; the console's
// close and break events on Windows) first removes the temporary files still
// being written, then ends the process as it would have ended.
void removeTemporaryFilesOnTermination();  // platform

// The temporary file's name: hidden on Linux, never ending in ".png" (a frames
// folder is read by extension), short enough for any folder the final name fits.
std::filesystem::path temporaryFileName(uint64_t token);
// A token no other writer is likely to pick: random bits, the clock and a counter.
uint64_t temporaryFileToken();
inline constexpr int kTemporaryNameAttempts = 64;

// "stem" + extension for number 1, "stem-2" + extension for 2, and so on.
std::filesystem::path numberedFileName(const std::filesystem::path& stem, unsigned number,
                                       const std::filesystem::path& extension);
inline constexpr unsigned kMaxNumberedNames = 1000;

// Publishes `file` in `folder` under the first free numbered name. Returns the
// path taken, or an empty path when every name up to the limit is taken or the
// rename fails for another reason.
std::filesystem::path publishUnderFreeName(AtomicFile& file, const std::filesystem::path& folder,
                                           const std::filesystem::path& stem, const std::filesystem::path& extension);

}  // namespace tf
