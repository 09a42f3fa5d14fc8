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

}  // namespace tf
