#include "core/image/small_file.h"

namespace tf {

std::string sizeText(uint64_t bytes) {
    if (bytes < (uint64_t{1} << 20)) return std::to_string(bytes) + " bytes";
    return std::to_string((bytes + (uint64_t{1} << 20) - 1) >> 20) + " MiB";
}

std::string whyNotRead(const SmallFile& file, uint64_t maxFileBytes) {
    switch (file.kind) {
        case SmallFileKind::Absent:
        case SmallFileKind::Regular: return {};
        case SmallFileKind::NotRegular: return "is " + file.detail + ", not a regular file";
        case SmallFileKind::TooLarge:
            return "is " + sizeText(file.size) + ", more than the " + sizeText(maxFileBytes) + " such a file may have";
        case SmallFileKind::Unreadable: return "cannot be read: " + file.detail;
    }
    return {};
}

}  // namespace tf
