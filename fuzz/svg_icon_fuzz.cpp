// Any byte string must be parsed or refused without a crash, a hang or a
// sanitizer report; a document that parses must have a usable viewBox.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/ui/svg_icon.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto r = tf::parseSvgIcon(std::string_view(reinterpret_cast<const char*>(data), size));
    if (r.document && !(r.document->viewWidth > 0 && r.document->viewHeight > 0)) std::abort();
    if (!r.document && r.error.empty()) std::abort();
    return 0;
}
