#pragma once
// Which life the process leads, chosen once from its arguments.

#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

#include "ground/scroll_direction.h"

namespace tf {

using NativeString = std::filesystem::path::string_type;

// Usage: a --stitch whose --direction is missing its word or names none the
// program knows; the entry prints usageText() and fails.
enum class ProgramMode { Interactive, SelfTest, Stitch, Review, Usage };

struct ModeSelection {
    ProgramMode mode = ProgramMode::Interactive;
    NativeString framesFolder;  // --stitch
    NativeString outputPath;    // --stitch
    // --stitch ... --direction right|down; nullopt when not given.
    std::optional<ScrollDirection> direction;
    NativeString reportPath;    // --self-test
    NativeString imagePath;     // --review: a saved image, with the seams of its stitch log when it has one
};

// args[0] is the program. Flags are compared exactly (same characters, same
// case, same length) and need exactly their number of operands; anything else
// is the interactive program, unknown words being ignored. `--stitch` takes
// an optional `--direction right` or `--direction down` after its operands.
ModeSelection selectMode(const std::vector<NativeString>& args);

// The window-less modes' command lines, one per line, each ending in "\n".
std::string_view usageText();

}  // namespace tf
