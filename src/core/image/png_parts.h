#pragma once
// A tall image saved as several PNG files whose rows, stacked in order, are
// exactly the image: many viewers scale down or refuse an image over 16,384
// or 32,767 px on a side. The parts are saved all or none.

#include <cstdint>
#include <filesystem>
#include <vector>

#include "core/image/png_codec.h"

namespace tf {

// Rows [first, first + count) of the whole image.
struct PartRange {
    int64_t first = 0;
    int64_t count = 0;
    bool operator==(const PartRange&) const = default;
};

// `length` rows cut every `partLength` rows, the last part taking what is
// left; one part of all the rows when `partLength` is 0 or the image is not
// longer than it. Nothing for an empty image.
std::vector<PartRange> partRanges(int64_t length, int32_t partLength);

// One part to write: its size and where its rows come from.
struct PngPart {
    int32_t width = 0;
    int32_t height = 0;
    PngRowSource* rows = nullptr;
};

// "<stem>-part01.png", "<stem>-part02.png", ... in `folder` (two digits at the
// least, more when there are over 99 parts); "<stem>-2-part01.png" and so on
// when any of the first names is taken. Every part is written to a temporary
// file before any takes its name; on any failure the temporary files and the
// parts already named are removed, and the failure is thrown, so that the
// folder holds either every part or none. Returns the paths, in order.
std::vector<std::filesystem::path> savePngPartsAsNew(const std::vector<PngPart>& parts,
                                                     const std::filesystem::path& folder,
                                                     const std::filesystem::path& stem);

// The name of part `index` (from 1) of `total` under `stem`.
std::filesystem::path partFileName(const std::filesystem::path& stem, size_t index, size_t total);

// An image that can be written whole or in parts. Ranges run along the way
// the capture scrolled, so a sideways image is cut into columns. Every part
// is asked for before the first is written, then they are written in order.
class ImageParts {
public:
    virtual ~ImageParts() = default;
    virtual int64_t length() const = 0;
    // The file of `range`; its source lives as long as this object.
    virtual PngPart part(const PartRange& range) = 0;
};

struct SavedImage {
    std::filesystem::path path;               // the file, or the first part
    std::vector<std::filesystem::path> parts;  // every part in order when split, else empty
};

// The image as one new file "<stem>.png" (savePngAsNew) when it is no longer
// than `partLength` or `partLength` is 0, else as parts through
// savePngPartsAsNew: all of them or none.
SavedImage saveImageAsNew(ImageParts& image, const std::filesystem::path& folder, const std::filesystem::path& stem,
                          int32_t partLength);

}  // namespace tf
