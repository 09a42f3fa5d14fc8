// Any file must be read or refused without a crash, a sanitizer report or an
// allocation beyond what its rows hold; a file that is read was judged sound
// by the structure check, and its image has the size its header declares.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

#include "core/image/png_codec.h"
#include "png_fuzz_support.h"

namespace {

const std::filesystem::path& inputPath() {
    static const std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("tf-png-load-fuzz-" + std::to_string(getpid()) + ".png");
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    {
        std::ofstream out(inputPath(), std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
        if (!out) std::abort();
    }
    tf::MemorySource source(data, size);
    tf::PngHeader header;
    const tf::PngCheck check = tf::checkPngStructure(source, header);
    // A sound file may legitimately decode to hundreds of megabytes; the
    // fuzzer's memory limit is for refusals, which must never need that.
    if (tf::fuzz::decodesTooLarge(check, header)) return 0;
    try {
        const tf::PixelImage image = tf::loadPng(inputPath());
        if (check != tf::PngCheck::Sound) std::abort();
        if (static_cast<uint32_t>(image.width) != header.width || static_cast<uint32_t>(image.height) != header.height)
            std::abort();
        if (image.pixels.size() != static_cast<size_t>(image.width) * static_cast<size_t>(image.height)) std::abort();
    } catch (const std::runtime_error&) {
        // Refused: fine, as long as nothing else went wrong.
    }
    return 0;
}
