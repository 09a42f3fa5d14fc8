// Portable mode is decided by one file beside the program; everything else
// must leave the settings in the user's folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "core/settings/settings_folder.h"
#include "test_support.h"

namespace fs = std::filesystem;

namespace tf {
namespace {

TEST(SettingsFolder, OnlyARegularFileNamedPortableIsTheMarker) {
    struct Case {
        const char* what;
        void (*make)(const fs::path& folder);
        bool portable;
    } cases[] = {
        {"nothing beside the program", [](const fs::path&) {}, false},
        {"an empty file", [](const fs::path& f) { std::ofstream(f / "portable").flush(); }, true},
        {"a file with text", [](const fs::path& f) { std::ofstream(f / "portable") << "yes\r\n"; }, true},
        {"a folder of that name", [](const fs::path& f) { fs::create_directory(f / "portable"); }, false},
        {"another name", [](const fs::path& f) { std::ofstream(f / "portable.txt").flush(); }, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::ScratchDir dir;
        c.make(dir.path());
        EXPECT_EQ(hasPortableMarker(dir.path()), c.portable);
    }
}

TEST(SettingsFolder, LinksCountByWhatTheyPointTo) {
    test::ScratchDir dir;
    std::ofstream(dir / "real").flush();
    std::error_code ec;
    fs::create_symlink(dir / "real", dir / "portable", ec);
    // Windows lets only privileged or developer-mode accounts make links.
    if (ec) GTEST_SKIP() << "no symbolic links here: " << ec.message();
    EXPECT_TRUE(hasPortableMarker(dir.path()));
    fs::remove(dir / "real");
    EXPECT_FALSE(hasPortableMarker(dir.path()));  // dangling
}

TEST(SettingsFolder, AMissingProgramFolderIsNeverPortable) {
    test::ScratchDir dir;
    std::ofstream(dir / "portable").flush();
    EXPECT_FALSE(hasPortableMarker(fs::path()));
    EXPECT_FALSE(hasPortableMarker(dir / "no-such-folder"));
}

TEST(SettingsFolder, ChoiceBetweenProgramAndUserFolder) {
    const fs::path program = "C:/Tools/Tallyframe";
    const fs::path user = "C:/Users/u/AppData/Roaming/Quorvelle/Tallyframe";
    struct Case {
        bool portable;
        fs::path userFolder;
        fs::path expected;
    } cases[] = {
        {false, user, user},
        {true, user, program},  // the marker wins over a user folder that exists
        {false, fs::path(), program},
        {true, fs::path(), program},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.userFolder.string() + (c.portable ? " portable" : ""));
        EXPECT_EQ(chooseSettingsFolder(program, c.portable, c.userFolder), c.expected);
    }
}

}  // namespace
}  // namespace tf
