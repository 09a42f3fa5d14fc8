#include "core/stitch/row_store.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace tf {
namespace {

[[noreturn]] void fail() { throw std::runtime_error(kRowStoreFailed); }

void requireWidth(int32_t& stored, int32_t width, int64_t rows) {
    if (rows == 0) stored = width;
    if (width != stored || width < 0) throw std::logic_error("rows of another width");
}

void requireStored(int64_t firstRow, int32_t count, int64_t rows) {
    if (firstRow < 0 || count < 0 || firstRow + count > rows) throw std::logic_error("rows not stored");
}

}  // namespace

void MemoryRowStore::append(const uint32_t* rows, int32_t width, int32_t count) {
    requireWidth(width_, width, rows_);
    pixels_.insert(pixels_.end(), rows, rows + static_cast<size_t>(width) * static_cast<size_t>(count));
    rows_ += count;
}

void MemoryRowStore::read(int64_t firstRow, int32_t count, uint32_t* out) {
    requireStored(firstRow, count, rows_);
    if (count == 0) return;
    const size_t w = static_cast<size_t>(width_);
    std::memcpy(out, pixels_.data() + static_cast<size_t>(firstRow) * w, static_cast<size_t>(count) * w * 4);
}

void MemoryRowStore::clear() {
    pixels_.clear();
    rows_ = 0;
}

FileRowStore::FileRowStore(const std::filesystem::path& folder) {
    if (!file_.create(folder)) fail();
}

void FileRowStore::append(const uint32_t* rows, int32_t width, int32_t count) {
    requireWidth(width_, width, rows_);
    uint64_t position = 0;
    if (!atEnd_ && !file_.seek(0, 2, position)) fail();
    atEnd_ = true;
    const size_t bytes = static_cast<size_t>(width) * static_cast<size_t>(count) * 4;
    if (!file_.write(rows, bytes)) fail();
    rows_ += count;
}

void FileRowStore::read(int64_t firstRow, int32_t count, uint32_t* out) {
    requireStored(firstRow, count, rows_);
    if (count == 0) return;
    const int64_t rowBytes = static_cast<int64_t>(width_) * 4;
    uint64_t position = 0;
    size_t got = 0;
    const size_t bytes = static_cast<size_t>(count) * static_cast<size_t>(rowBytes);
    atEnd_ = false;
    if (!file_.seek(firstRow * rowBytes, 0, position) || !file_.read(out, bytes, got) || got != bytes) fail();
}

void FileRowStore::clear() {
    uint64_t position = 0;
    if (!file_.setSize(0) || !file_.seek(0, 0, position)) fail();
    rows_ = 0;
    atEnd_ = true;
}

}  // namespace tf
