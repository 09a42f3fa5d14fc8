// The window-less modes on the portable core, for machines without Windows.

#include <signal.h>

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "core/app/command_line.h"
#include "core/diagnostics/offline_stitch.h"
#include "core/diagnostics/self_test.h"
#include "core/image/atomic_file.h"

namespace {

void tellOnStandardError(std::string_view line) {
    std::string text = "tallyframe: ";
    text += line;
    text += '\n';
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
}

}  // namespace

int main(int argc, char** argv) {
    // A file-size limit makes a write fail, which is reported; it must not
    // kill the process with a temporary file left and no word said.
    ::signal(SIGXFSZ, SIG_IGN);
    tf::removeTemporaryFilesOnTermination();
    std::vector<tf::NativeString> args(argv, argv + argc);
    const tf::ModeSelection s = tf::selectMode(args);
    switch (s.mode) {
        case tf::ProgramMode::Stitch:
            return tf::runOfflineStitch(s.framesFolder, s.outputPath, tellOnStandardError, s.direction);
        case tf::ProgramMode::SelfTest:
            return tf::runSelfTest(s.reportPath, tellOnStandardError);
        // The review is a window: the Windows program's alone.
        case tf::ProgramMode::Review:
        case tf::ProgramMode::Interactive:
        case tf::ProgramMode::Usage:
            break;
    }
    const std::string_view usage = tf::usageText();
    std::fwrite(usage.data(), 1, usage.size(), stderr);
    // As every failure of the window-less modes, and as tallyframe.exe does.
    return 1;
}
