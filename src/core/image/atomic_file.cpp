#include "core/image/atomic_file.h"

#include <atomic>
#include <chrono>
#include <cstring>
#include <random>

namespace fs = std::filesystem;

namespace tf {
namespace {

// Encoders hand over many small pieces (chunk lengths, checksums); one system
// call per piece would dominate the time of a long image.
constexpr size_t kWriteBufferBytes = 256 * 1024;

// A name being deleted refuses access for a moment; when it goes on past the
// first few names, it is the folder itself that refuses us.
constexpr int kRefusedNameAttempts = 3;

}  // namespace

AtomicFile::~AtomicFile() { discard(); }

bool AtomicFile::create(const fs::path& folder) {
    discard();
    failed_ = finished_ = published_ = false;
    buffer_.clear();
    removeStaleTemporaryFiles(folder);
    for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
        const fs::path candidate = folder / temporaryFileName(temporaryFileToken());
        switch (openNew(candidate)) {
            case OpenAttempt::Opened: temporary_ = candidate; return true;
            case OpenAttempt::NameTaken: continue;
            case OpenAttempt::NameRefused:
                if (attempt >= kRefusedNameAttempts) return false;
                continue;
            case OpenAttempt::Failed: return false;
        }
    }
    return false;
}

bool AtomicFile::write(const void* data, size_t size) {
    if (failed_ || finished_ || !isOpen()) return false;
    const auto* bytes = static_cast<const uint8_t*>(data);
    if (buffer_.size() + size > kWriteBufferBytes) {
        if (!flushBuffer()) return false;
        if (size >= kWriteBufferBytes) {
            if (!writeThrough(bytes, size)) failed_ = true;
            return !failed_;
        }
    }
    if (buffer_.capacity() < kWriteBufferBytes) buffer_.reserve(kWriteBufferBytes);
    buffer_.insert(buffer_.end(), bytes, bytes + size);
    return true;
}

bool AtomicFile::flushBuffer() {
    if (failed_) return false;
    if (buffer_.empty()) return true;
    if (!writeThrough(buffer_.data(), buffer_.size())) failed_ = true;
    buffer_.clear();
    return !failed_;
}

bool isTemporaryFileName(const fs::path& name) {
    const fs::path::string_type& n = name.native();
    static const fs::path::string_type prefix = fs::path(".tallyframe-").native();
    static const fs::path::string_type suffix = fs::path(".tmp").native();
    constexpr size_t kDigits = 16;
    if (n.size() != prefix.size() + kDigits + suffix.size()) return false;
    if (n.compare(0, prefix.size(), prefix) != 0 || n.compare(n.size() - suffix.size(), suffix.size(), suffix) != 0)
        return false;
    for (size_t i = prefix.size(); i < prefix.size() + kDigits; ++i) {
        const auto c = n[i];
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
    }
    return true;
}

const char* whyNotReplaced(ExistingFile existing) {
    switch (existing) {
        case ExistingFile::None:
        case ExistingFile::Replaceable: return "";
        case ExistingFile::Link: return "is a symbolic link";
        case ExistingFile::NotRegular: return "is not a regular file";
        case ExistingFile::NotWritable: return "may not be written by this user";
    }
    return "";
}

std::string writeWholeFile(const fs::path& path, std::string_view bytes, bool refuseLinks) {
    if (path.empty()) return "has no file name";
    const ExistingFile existing = inspectExistingFile(path);
    if (existing == ExistingFile::NotRegular || existing == ExistingFile::NotWritable ||
        (refuseLinks && existing == ExistingFile::Link))
        return whyNotReplaced(existing);
    AtomicFile file;
    if (!file.create(path.parent_path())) return "is in a folder that cannot take a new file";
    if (!file.write(bytes.data(), bytes.size()) || !file.finish()) return "could not be written in full (is the disk full?)";
    // Looked at again: the name may have been given to something else meanwhile.
    const ExistingFile now = inspectExistingFile(path);
    if (refuseLinks && now == ExistingFile::Link) return whyNotReplaced(now);
    if (file.publish(path, true) != PublishOutcome::Published) {
        const char* why = whyNotReplaced(inspectExistingFile(path));
        return *why ? why : "could not be given its name";
    }
    return {};
}

fs::path temporaryFileName(uint64_t token) {
    static const char kHex[] = "0123456789abcdef";
    std::string name = ".tallyframe-";
    for (int shift = 60; shift >= 0; shift -= 4) name.push_back(kHex[(token >> shift) & 0xF]);
    name += ".tmp";
    return fs::path(name);
}

uint64_t temporaryFileToken() {
    static std::atomic<uint64_t> counter{0};
    static const uint64_t seed = [] {
        std::random_device rd;
        return (static_cast<uint64_t>(rd()) << 32) ^ rd();
    }();
    const uint64_t now = static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    // splitmix64 over the mixture, so neighbouring counters give unrelated names.
    uint64_t z = seed ^ (now * 0x9E3779B97F4A7C15ull) ^ (counter.fetch_add(1) * 0xD1B54A32D192ED03ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

fs::path numberedFileName(const fs::path& stem, unsigned number, const fs::path& extension) {
    fs::path name = stem;
    if (number > 1) {
        std::string suffix(1, '-');
        suffix += std::to_string(number);
        name += suffix;
    }
    name += extension.native();
    return name;
}

fs::path publishUnderFreeName(AtomicFile& file, const fs::path& folder, const fs::path& stem,
                              const fs::path& extension) {
    for (unsigned n = 1; n <= kMaxNumberedNames; ++n) {
        const fs::path target = folder / numberedFileName(stem, n, extension);
        switch (file.publish(target, false)) {
            case PublishOutcome::Published: return target;
            case PublishOutcome::NameTaken: continue;
            case PublishOutcome::Failed: return {};
        }
    }
    return {};
}

}  // namespace tf
