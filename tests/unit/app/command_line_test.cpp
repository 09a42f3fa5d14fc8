#include <gtest/gtest.h>

#include "core/app/command_line.h"

namespace tf {
namespace {

std::vector<NativeString> argv(std::initializer_list<const char*> words) {
    std::vector<NativeString> out;
    for (const char* w : words) out.push_back(std::filesystem::path(w).native());
    return out;
}

TEST(CommandLine, ModesAreMatchedExactly) {
    struct Case {
        std::vector<NativeString> args;
        ProgramMode mode;
    } cases[] = {
        {argv({"tf.exe"}), ProgramMode::Interactive},
        {argv({"tf.exe", "--self-test", "r.txt"}), ProgramMode::SelfTest},
        {argv({"tf.exe", "--self-test"}), ProgramMode::Interactive},
        {argv({"tf.exe", "--self-test", "a", "b"}), ProgramMode::Interactive},
        {argv({"tf.exe", "--SELF-TEST", "r.txt"}), ProgramMode::Interactive},
        {argv({"tf.exe", "--self-tests", "r.txt"}), ProgramMode::Interactive},
        {argv({"tf.exe", "--self-tes", "r.txt"}), ProgramMode::Interactive},
        {argv({"tf.exe", "--stitch", "frames", "out.png"}), ProgramMode::Stitch},
        {argv({"tf.exe", "--stitch", "frames"}), ProgramMode::Interactive},
        {argv({"tf.exe", "--stitch", "a", "b", "c"}), ProgramMode::Interactive},
        {argv({"tf.exe", "--Stitch", "a", "b"}), ProgramMode::Interactive},
        {argv({"tf.exe", "stitch", "a", "b"}), ProgramMode::Interactive},
        {argv({"tf.exe", "--unknown"}), ProgramMode::Interactive},
        {argv({"tf.exe", "--review", "shot.png"}), ProgramMode::Review},
        {argv({"tf.exe", "--review"}), ProgramMode::Interactive},
        {argv({"tf.exe", "--review", "a.png", "b.png"}), ProgramMode::Interactive},
        {argv({"tf.exe", "--Review", "a.png"}), ProgramMode::Interactive},
        {argv({}), ProgramMode::Interactive},
    };
    for (const Case& c : cases) EXPECT_EQ(selectMode(c.args).mode, c.mode) << c.args.size();
}

TEST(CommandLine, OperandsAreTakenVerbatim) {
    const ModeSelection s = selectMode(argv({"tf.exe", "--stitch", "C:\\frames dir", "out file.png"}));
    EXPECT_EQ(s.framesFolder, std::filesystem::path("C:\\frames dir").native());
    EXPECT_EQ(s.outputPath, std::filesystem::path("out file.png").native());
    EXPECT_EQ(selectMode(argv({"tf.exe", "--self-test", "--stitch"})).reportPath,
              std::filesystem::path("--stitch").native());
    EXPECT_EQ(selectMode(argv({"tf.exe", "--review", "D:\\shots\\a b.png"})).imagePath,
              std::filesystem::path("D:\\shots\\a b.png").native());
}

TEST(CommandLine, StitchTakesAnOptionalDirection) {
    struct Case {
        std::vector<NativeString> args;
        ProgramMode mode;
        std::optional<ScrollDirection> direction;
    } cases[] = {
        {argv({"tf.exe", "--stitch", "f", "o.png"}), ProgramMode::Stitch, std::nullopt},
        {argv({"tf.exe", "--stitch", "f", "o.png", "--direction", "right"}), ProgramMode::Stitch,
         ScrollDirection::Right},
        {argv({"tf.exe", "--stitch", "f", "o.png", "--direction", "down"}), ProgramMode::Stitch,
         ScrollDirection::Down},
        // A direction asked for wrongly is said to be wrong, not ignored.
        {argv({"tf.exe", "--stitch", "f", "o.png", "--direction", "left"}), ProgramMode::Usage, std::nullopt},
        {argv({"tf.exe", "--stitch", "f", "o.png", "--direction", "Right"}), ProgramMode::Usage, std::nullopt},
        {argv({"tf.exe", "--stitch", "f", "o.png", "--direction", "right "}), ProgramMode::Usage, std::nullopt},
        {argv({"tf.exe", "--stitch", "f", "o.png", "--direction", ""}), ProgramMode::Usage, std::nullopt},
        {argv({"tf.exe", "--stitch", "f", "o.png", "--direction"}), ProgramMode::Usage, std::nullopt},
        // Other words keep their old meaning: the interactive program.
        {argv({"tf.exe", "--stitch", "f", "o.png", "--Direction", "right"}), ProgramMode::Interactive, std::nullopt},
        {argv({"tf.exe", "--stitch", "f", "o.png", "--direction", "right", "x"}), ProgramMode::Interactive,
         std::nullopt},
        {argv({"tf.exe", "--stitch", "f", "--direction", "right"}), ProgramMode::Interactive, std::nullopt},
        {argv({"tf.exe", "--self-test", "r", "--direction", "right"}), ProgramMode::Interactive, std::nullopt},
    };
    for (const Case& c : cases) {
        const ModeSelection s = selectMode(c.args);
        EXPECT_EQ(s.mode, c.mode) << c.args.size() << " " << c.args.back();
        EXPECT_EQ(s.direction, c.direction) << c.args.size() << " " << c.args.back();
        if (s.mode == ProgramMode::Stitch) {
            EXPECT_EQ(s.framesFolder, std::filesystem::path("f").native());
            EXPECT_EQ(s.outputPath, std::filesystem::path("o.png").native());
        }
    }
}

TEST(CommandLine, UsageNamesEveryModeAndTheDirection) {
    const std::string_view usage = usageText();
    EXPECT_NE(usage.find("--stitch <frames folder> <output.png> [--direction right|down]\n"), std::string_view::npos);
    EXPECT_NE(usage.find("--self-test <report file>\n"), std::string_view::npos);
    EXPECT_EQ(usage.back(), '\n');
}

}  // namespace
}  // namespace tf
