#include "core/settings/settings_store.h"

#include <cwctype>
#include <string>

#include "core/settings/memory_profile.h"

namespace tf {
namespace {

constexpr wchar_t kSection[] = L"general";

bool equalsIgnoringCase(const std::wstring& a, const wchar_t* b) {
    size_t i = 0;
    for (; i < a.size() && b[i] != 0; ++i)
        if (std::towlower(static_cast<wint_t>(a[i])) != std::towlower(static_cast<wint_t>(b[i]))) return false;
    return i == a.size() && b[i] == 0;
}

}  // namespace

void loadSettingsFrom(SettingsProfile& profile, Settings& record, const std::wstring& defaultFolder) {
    record.captureFolder = defaultFolder;
    const std::wstring folder = profile.readString(kSection, L"captureFolder", record.captureFolder, 32768);
    if (!folder.empty()) record.captureFolder = folder;
    const std::wstring language = profile.readString(kSection, L"language", L"zh-CN", 32);
    record.language = equalsIgnoringCase(language, L"en-US") ? UiLanguage::English : UiLanguage::ChineseSimplified;
    record.openAfterCapture = profile.readInt(kSection, L"openAfterCapture", 1) != 0;
    record.captureLoggingEnabled = profile.readInt(kSection, L"captureLoggingEnabled", 0) != 0;
    record.copyAfterCapture = profile.readInt(kSection, L"copyAfterCapture", 1) != 0;
    // Present but blank means no hotkey; text that is no chord means the default.
    const std::wstring chord =
        profile.readString(kSection, L"captureHotkey", formatHotkeyChord(defaultCaptureHotkey()), 64);
    record.captureHotkey = parseHotkeyChord(chord).value_or(defaultCaptureHotkey());
    // Anything but "manual" (in any letter case) is the automatic mode, so a
    // damaged value never leaves the person scrolling without knowing why.
    const std::wstring scrollMode = profile.readString(kSection, L"scrollMode", L"auto", 32);
    record.scrollMode = equalsIgnoringCase(scrollMode, L"manual") ? ScrollMode::Manual : ScrollMode::Auto;
    record.startFromTop = profile.readInt(kSection, L"startFromTop", 0) != 0;
    const std::wstring direction = profile.readString(kSection, L"captureDirection", L"down", 32);
    record.captureDirection = equalsIgnoringCase(direction, L"right") ? ScrollDirection::Right : ScrollDirection::Down;
    record.reviewAfterCapture = profile.readInt(kSection, L"reviewAfterCapture", 0) != 0;
    // Only what the row offers: a damaged number must not cut an image into
    // thousands of files.
    const int32_t split = profile.readInt(kSection, L"splitHeightPx", 0);
    record.splitHeightPx = 0;
    for (const int32_t choice : kSplitHeightChoices)
        if (split == choice) record.splitHeightPx = choice;
}

bool saveSettingsTo(SettingsProfile& profile, const Settings& record) {
    // All keys are attempted even when one fails.
    bool ok = profile.writeString(kSection, L"captureFolder", record.captureFolder);
    ok = profile.writeString(kSection, L"language", record.language == UiLanguage::English ? L"en-US" : L"zh-CN") && ok;
    ok = profile.writeString(kSection, L"openAfterCapture", record.openAfterCapture ? L"1" : L"0") && ok;
    ok = profile.writeString(kSection, L"captureLoggingEnabled", record.captureLoggingEnabled ? L"1" : L"0") && ok;
    ok = profile.writeString(kSection, L"copyAfterCapture", record.copyAfterCapture ? L"1" : L"0") && ok;
    ok = profile.writeString(kSection, L"captureHotkey", formatHotkeyChord(record.captureHotkey)) && ok;
    ok = profile.writeString(kSection, L"scrollMode", record.scrollMode == ScrollMode::Manual ? L"manual" : L"auto") && ok;
    ok = profile.writeString(kSection, L"startFromTop", record.startFromTop ? L"1" : L"0") && ok;
    ok = profile.writeString(kSection, L"captureDirection",
                             record.captureDirection == ScrollDirection::Right ? L"right" : L"down") && ok;
    ok = profile.writeString(kSection, L"reviewAfterCapture", record.reviewAfterCapture ? L"1" : L"0") && ok;
    ok = profile.writeString(kSection, L"splitHeightPx", std::to_wstring(record.splitHeightPx)) && ok;
    return ok;
}

SmallFile inspectSettingsFile(const std::filesystem::path& file) {
    return readFileStart(file, kMaxSettingsFileBytes, 0);
}

SmallFile loadSettings(Settings& record) {
    const std::wstring fallback = defaultCaptureFolder();
    const std::filesystem::path file = settingsFilePath();
    const SmallFile looked = inspectSettingsFile(file);
    if (!usableSmallFile(looked)) {
        // The platform's profile functions would wait on a FIFO or read a huge file whole.
        MemoryProfile nothing;
        loadSettingsFrom(nothing, record, fallback);
        return looked;
    }
    const auto profile = openSettingsProfile(file);
    loadSettingsFrom(*profile, record, fallback);
    return looked;
}

bool saveSettings(const Settings& record) {
    try {
        const std::filesystem::path file = settingsFilePath();
        // Checked again at every save: the file may have changed since the start.
        if (!settingsFileUsable(file)) return false;
        const auto profile = openSettingsProfile(file);
        return saveSettingsTo(*profile, record);
    } catch (...) {
        return false;
    }
}

}  // namespace tf
