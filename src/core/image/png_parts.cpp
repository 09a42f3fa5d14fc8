#include "core/image/png_parts.h"

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <string>
#include <system_error>

#include "core/image/atomic_file.h"

namespace fs = std::filesystem;

namespace tf {

std::vector<PartRange> partRanges(int64_t length, int32_t partLength) {
    std::vector<PartRange> ranges;
    if (length <= 0) return ranges;
    const int64_t step = partLength > 0 ? partLength : length;
    for (int64_t first = 0; first < length; first += step) ranges.push_back({first, std::min(step, length - first)});
    return ranges;
}

fs::path partFileName(const fs::path& stem, size_t index, size_t total) {
    std::wstring number = std::to_wstring(index);
    const size_t digits = std::max<size_t>(2, std::to_wstring(total).size());
    if (number.size() < digits) number.insert(0, digits - number.size(), L'0');
    return fs::path(stem.wstring() + L"-part" + number + L".png");
}

namespace {

[[noreturn]] void fail(const char* message) { throw std::runtime_error(message); }

// Removes the parts already named when the set cannot be completed.
struct NamedParts {
    std::vector<fs::path> paths;
    bool kept = false;
    ~NamedParts() {
        if (kept) return;
        for (const fs::path& p : paths) {
            std::error_code ec;
            fs::remove(p, ec);
        }
    }
};

bool anyNameTaken(const fs::path& folder, const fs::path& stem, size_t total) {
    for (size_t i = 1; i <= total; ++i) {
        std::error_code ec;
        if (fs::exists(fs::symlink_status(folder / partFileName(stem, i, total), ec))) return true;
    }
    return false;
}

// Names every written part under one numbered stem; false, with nothing left
// named, when one of the names was taken meanwhile.
bool publishAll(std::vector<std::unique_ptr<AtomicFile>>& files, const fs::path& folder, const fs::path& stem,
                NamedParts& named) {
    for (size_t i = 0; i < files.size(); ++i) {
        const fs::path target = folder / partFileName(stem, i + 1, files.size());
        switch (files[i]->publish(target, false)) {
            case PublishOutcome::Published: named.paths.push_back(target); break;
            case PublishOutcome::NameTaken: return false;
            case PublishOutcome::Failed: fail(png_messages::kOpen);
        }
    }
    return true;
}

}  // namespace

std::vector<fs::path> savePngPartsAsNew(const std::vector<PngPart>& parts, const fs::path& folder,
                                        const fs::path& stem) {
    if (parts.empty()) fail(png_messages::kFrameSize);
    for (const PngPart& part : parts)
        if (part.rows == nullptr || !pngSizeWritable(part.width, part.height)) fail(png_messages::kFrameSize);
    // Every temporary file is removed by its owner on any throw.
    std::vector<std::unique_ptr<AtomicFile>> files;
    for (const PngPart& part : parts) {
        files.push_back(std::make_unique<AtomicFile>());
        if (!files.back()->create(folder)) fail(png_messages::kOpen);
        encodePng(part.width, part.height, *part.rows, *files.back());
        if (!files.back()->finish()) fail(png_messages::kCommit);
    }
    for (unsigned n = 1; n <= kMaxNumberedNames; ++n) {
        const fs::path numbered = numberedFileName(stem, n, fs::path());
        if (anyNameTaken(folder, numbered, parts.size())) continue;
        NamedParts named;
        if (!publishAll(files, folder, numbered, named)) {
            // Another writer took a name between the look and the rename: the
            // parts named so far go, and the next stem is tried. The files
            // published cannot be published again, so the set fails.
            if (!named.paths.empty()) fail(png_messages::kOpen);
            continue;
        }
        named.kept = true;
        return named.paths;
    }
    fail(png_messages::kOpen);
}

SavedImage saveImageAsNew(ImageParts& image, const fs::path& folder, const fs::path& stem, int32_t partLength) {
    const std::vector<PartRange> ranges = partRanges(image.length(), partLength);
    SavedImage saved;
    if (ranges.size() <= 1) {
        const PngPart whole = image.part({0, image.length()});
        if (whole.rows == nullptr) fail(png_messages::kFrameSize);
        saved.path = savePngAsNew(whole.width, whole.height, *whole.rows, folder, stem);
        return saved;
    }
    std::vector<PngPart> parts;
    for (const PartRange& r : ranges) parts.push_back(image.part(r));
    saved.parts = savePngPartsAsNew(parts, folder, stem);
    saved.path = saved.parts.front();
    return saved;
}

}  // namespace tf
