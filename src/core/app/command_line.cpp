#include "core/app/command_line.h"

#include <string>
#include <type_traits>

namespace tf {
namespace {

// The direction word as the program reads it: only ASCII words are known, so
// any other code unit makes the word unknown.
std::optional<ScrollDirection> directionFromArgument(const NativeString& word) {
    std::string narrow;
    for (const auto unit : word) {
        const auto code = static_cast<std::make_unsigned_t<NativeString::value_type>>(unit);
        if (code == 0 || code > 0x7F) return std::nullopt;
        narrow.push_back(static_cast<char>(code));
    }
    return directionFromName(narrow);
}

}  // namespace

ModeSelection selectMode(const std::vector<NativeString>& args) {
    ModeSelection s;
    static const NativeString selfTest = std::filesystem::path("--self-test").native();
    static const NativeString stitch = std::filesystem::path("--stitch").native();
    static const NativeString direction = std::filesystem::path("--direction").native();
    static const NativeString review = std::filesystem::path("--review").native();
    if (args.size() == 3 && args[1] == review) {
        s.mode = ProgramMode::Review;
        s.imagePath = args[2];
    } else if (args.size() == 3 && args[1] == selfTest) {
        s.mode = ProgramMode::SelfTest;
        s.reportPath = args[2];
    } else if (args.size() == 4 && args[1] == stitch) {
        s.mode = ProgramMode::Stitch;
        s.framesFolder = args[2];
        s.outputPath = args[3];
    } else if ((args.size() == 5 || args.size() == 6) && args[1] == stitch && args[4] == direction) {
        // Asking for a direction is asking for the stitch: a wrong word is
        // said, not taken for a wish to start the window.
        s.direction = args.size() == 6 ? directionFromArgument(args[5]) : std::nullopt;
        if (!s.direction) {
            s.mode = ProgramMode::Usage;
            return s;
        }
        s.mode = ProgramMode::Stitch;
        s.framesFolder = args[2];
        s.outputPath = args[3];
    }
    return s;
}

std::string_view usageText() {
    return "usage: tallyframe --stitch <frames folder> <output.png> [--direction right|down]\n"
           "       tallyframe --self-test <report file>\n";
}

}  // namespace tf
