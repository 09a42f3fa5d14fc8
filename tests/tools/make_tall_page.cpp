// Writes a page of random grey blocks for the end-to-end capture of a long
// page: no stretch of it looks like another, however long it is.
//
//   make_tall_page WIDTH HEIGHT OUT.png [SEED]

#include <cstdio>
#include <exception>
#include <string>

#include "core/image/png_codec.h"
#include "test_support.h"

int main(int argc, char** argv) {
    if (argc != 4 && argc != 5) {
        std::fprintf(stderr, "usage: %s WIDTH HEIGHT OUT.png [SEED]\n", argv[0]);
        return 2;
    }
    try {
        const int32_t width = std::stoi(argv[1]);
        const int32_t height = std::stoi(argv[2]);
        const uint32_t seed = argc == 5 ? static_cast<uint32_t>(std::stoul(argv[4])) : 1u;
        if (width <= 0 || height <= 0) throw std::invalid_argument("the size must be positive");
        tf::savePng(tf::test::makeBlockNoisePage(width, height, seed), argv[3]);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "make_tall_page: %s\n", e.what());
        return 1;
    }
    return 0;
}
