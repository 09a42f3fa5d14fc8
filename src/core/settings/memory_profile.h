#pragma once
// A settings profile held in memory: the profile functions' rules over an INI
// document, with writes that can be made to fail. Used where no file should be
// touched (tests, fuzzing).

#include <string_view>

#include "core/settings/ini_document.h"
#include "core/settings/settings_store.h"

namespace tf {

class MemoryProfile : public SettingsProfile {
public:
    explicit MemoryProfile(std::string_view text = "") : doc(IniDocument::parse(text)) {}

    std::wstring readString(const std::wstring& section, const std::wstring& key, const std::wstring& fallback,
                            size_t capacity) override {
        return profileString(doc, section, key, fallback, capacity);
    }
    int readInt(const std::wstring& section, const std::wstring& key, int fallback) override {
        return profileInt(doc, section, key, fallback);
    }
    bool writeString(const std::wstring& section, const std::wstring& key, const std::wstring& value) override {
        ++writes;
        if (readOnly) return false;
        doc.set(section, key, value);
        return true;
    }

    IniDocument doc;
    bool readOnly = false;
    int writes = 0;
};

}  // namespace tf
