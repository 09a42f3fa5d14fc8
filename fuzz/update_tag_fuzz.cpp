// Any response body must be searched without reading past its end; a tag that
// is found lies inside the body, between two quotes after the key, and its
// version compares without a sanitizer report.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/update/update_rules.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // An exact-size copy, so ASan sees any read past the last byte.
    const std::string copy(reinterpret_cast<const char*>(data), size);
    const std::string_view body(copy.data(), copy.size());
    const auto tag = tf::extractTagName(body);
    if (!tag) return 0;
    if (body.size() < 10 || tag->size() + 12 > body.size()) std::abort();
    std::string narrow;
    for (wchar_t c : *tag) {
        if (c < 0 || c > 0xFF) std::abort();
        narrow.push_back(static_cast<char>(c));
    }
    if (narrow.find('"') != std::string::npos) std::abort();
    if (body.find("\"" + narrow + "\"") == std::string_view::npos) std::abort();
    (void)tf::isNewerThanProgramVersion(*tag);
    return 0;
}
