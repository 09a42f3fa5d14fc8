#pragma once
// The program's text files (stitch log, capture log, self-test report) are
// single-byte text with CR LF line ends on every platform. Streams are opened
// in binary mode and the CR is written here, never left to a text-mode stream.

#include <ostream>
#include <string_view>

namespace tf {

inline void writeTextLine(std::ostream& out, std::string_view line) {
    out.write(line.data(), static_cast<std::streamsize>(line.size()));
    out.write("\r\n", 2);
    out.flush();
}

// Where a computation writes its log lines: a stream the caller owns, or
// nowhere. A stream that has failed takes no more lines.
class TextLog {
public:
    TextLog() = default;
    explicit TextLog(std::ostream* out) : out_(out) {}
    void line(std::string_view text) const {
        if (out_ == nullptr || out_->fail() || out_->bad()) return;
        writeTextLine(*out_, text);
    }

private:
    std::ostream* out_ = nullptr;
};

}  // namespace tf
