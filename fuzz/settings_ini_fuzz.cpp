// Any settings file must load without a crash, a hang or a sanitizer report;
// the record it gives must be valid; saving must keep every other key and
// read back as the same record.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/settings/memory_profile.h"
#include "core/settings/settings_store.h"

namespace {

// Whether an entry is one of the keys that saving writes (names match
// ignoring case, as the document matches them).
bool isOneOfOurs(const tf::IniDocument::Entry& e) {
    static const tf::IniDocument ours = tf::IniDocument::parse(
        "[general]\ncaptureFolder=\nlanguage=\nopenAfterCapture=\ncaptureLoggingEnabled=\n"
        "copyAfterCapture=\ncaptureHotkey=\nscrollMode=\nstartFromTop=\ncaptureDirection=\n");
    return ours.get(e.section, e.key).has_value();
}

bool sameRecord(const tf::Settings& a, const tf::Settings& b) {
    return a.captureFolder == b.captureFolder && a.language == b.language && a.openAfterCapture == b.openAfterCapture &&
           a.captureLoggingEnabled == b.captureLoggingEnabled && a.copyAfterCapture == b.copyAfterCapture &&
           a.captureHotkey == b.captureHotkey && a.scrollMode == b.scrollMode && a.startFromTop == b.startFromTop &&
           a.captureDirection == b.captureDirection;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    tf::MemoryProfile profile(std::string_view(reinterpret_cast<const char*>(data), size));
    const auto before = profile.doc.entries();

    tf::Settings loaded;
    tf::loadSettingsFrom(profile, loaded, L"C:\\Desk");
    if (loaded.captureFolder.empty() || loaded.captureFolder.size() > 32767) std::abort();
    if (loaded.language != tf::UiLanguage::English && loaded.language != tf::UiLanguage::ChineseSimplified) std::abort();

    if (!tf::saveSettingsTo(profile, loaded) || profile.writes != 9) std::abort();
    for (const auto& e : before) {
        if (isOneOfOurs(e)) continue;
        if (profile.doc.get(e.section, e.key) != e.value) std::abort();
    }

    tf::MemoryProfile reread(profile.doc.serialize());
    tf::Settings again;
    tf::loadSettingsFrom(reread, again, L"D:\\Other");
    if (!sameRecord(loaded, again)) std::abort();
    return 0;
}
