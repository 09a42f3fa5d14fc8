// A folder of mutated frames must be stitched or refused cleanly: exit code 0
// with a readable output whose log ends in its size line, or 1 with the log
// ending in "exception" and no output; never a temporary file left behind.
// The capture log in the folder is never written, and whatever it holds
// never hangs the run. The input is the capture log's bytes (none: no log),
// then a concatenation of PNG files, one frame each.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "core/diagnostics/offline_stitch.h"
#include "core/image/png_codec.h"
#include "png_fuzz_support.h"

namespace fs = std::filesystem;

namespace {

const fs::path& workFolder() {
    static const fs::path folder = fs::temp_directory_path() / ("tf-stitch-fuzz-" + std::to_string(getpid()));
    return folder;
}

std::string readAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void writeAll(const fs::path& p, const uint8_t* data, size_t size) {
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    if (!out) std::abort();
}

bool endsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const fs::path frames = workFolder() / "frames";
    const fs::path output = workFolder() / "out" / "long.png";
    fs::remove_all(workFolder());
    fs::create_directories(frames);
    fs::create_directories(output.parent_path());

    // What comes before the first signature is the folder's capture log.
    size_t start = 0;
    while (start + 8 <= size && std::memcmp(data + start, tf::fuzz::kPngSignature, 8) != 0) ++start;
    if (start + 8 > size) start = size;
    const fs::path captureLog = frames / "capture.log.txt";
    const size_t logSize = start;
    if (logSize > 0) writeAll(captureLog, data, logSize);

    // Split at each signature after the first byte; at most 8 frames.
    int index = 0;
    while (start < size && index < 8) {
        size_t next = start + 1;
        while (next + 8 <= size && std::memcmp(data + next, tf::fuzz::kPngSignature, 8) != 0) ++next;
        if (next + 8 > size) next = size;
        tf::MemorySource source(data + start, next - start);
        tf::PngHeader header;
        if (tf::fuzz::decodesTooLarge(tf::checkPngStructure(source, header), header)) return 0;
        char name[16];
        std::snprintf(name, sizeof name, "%04d.png", index++);
        writeAll(frames / name, data + start, next - start);
        start = next;
    }

    const int code = tf::runOfflineStitch(frames, output);
    if (logSize > 0 && readAll(captureLog) != std::string(reinterpret_cast<const char*>(data), logSize)) std::abort();
    fs::path logPath = output;
    logPath += ".log.txt";
    const std::string log = readAll(logPath);
    size_t entries = 0;
    for (const auto& e : fs::directory_iterator(output.parent_path())) {
        (void)e;
        ++entries;
    }
    if (code == 0) {
        if (!fs::exists(output) || entries != 2) std::abort();
        if (log.find("\r\noutput=") == std::string::npos) std::abort();
        const tf::PixelImage image = tf::loadPng(output);
        if (image.empty()) std::abort();
    } else {
        if (code != 1 || fs::exists(output) || entries != 1) std::abort();
        if (!endsWith(log, "exception\r\n")) std::abort();
    }
    return 0;
}
