#pragma once
// Where the rows of a long image wait, once they are final, until the PNG is
// written from them: a temporary file beside the output, so that a capture of
// any length holds only the rows still being decided.

#include <cstdint>
#include <filesystem>
#include <vector>

#include "core/image/atomic_file.h"

namespace tf {

// Rows of one width, appended top to bottom and read back in any order.
class RowStore {
public:
    virtual ~RowStore() = default;
    // `count` rows of `width` pixels; the first call fixes the width.
    virtual void append(const uint32_t* rows, int32_t width, int32_t count) = 0;
    // Rows [firstRow, firstRow + count) into `out`; throws for rows not stored.
    virtual void read(int64_t firstRow, int32_t count, uint32_t* out) = 0;
    // Forgets every row (a composition that starts over).
    virtual void clear() = 0;
    virtual int64_t rowCount() const = 0;
    virtual int32_t width() const = 0;
};

class MemoryRowStore : public RowStore {
public:
    void append(const uint32_t* rows, int32_t width, int32_t count) override;
    void read(int64_t firstRow, int32_t count, uint32_t* out) override;
    void clear() override;
    int64_t rowCount() const override { return rows_; }
    int32_t width() const override { return width_; }

private:
    std::vector<uint32_t> pixels_;
    int64_t rows_ = 0;
    int32_t width_ = 0;
};

// A temporary file in `folder`, removed when the store goes (and on a
// termination, like every temporary file of ours). Throws runtime_error
// "temporary rows failed" when the folder takes no file or the disk is full.
class FileRowStore : public RowStore {
public:
    explicit FileRowStore(const std::filesystem::path& folder);
    void append(const uint32_t* rows, int32_t width, int32_t count) override;
    void read(int64_t firstRow, int32_t count, uint32_t* out) override;
    void clear() override;
    int64_t rowCount() const override { return rows_; }
    int32_t width() const override { return width_; }

private:
    AtomicFile file_;
    int64_t rows_ = 0;
    int32_t width_ = 0;
    bool atEnd_ = true;  // the file position is where the next row goes
};

inline constexpr const char* kRowStoreFailed = "temporary rows failed";

}  // namespace tf
