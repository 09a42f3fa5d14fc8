#pragma once
// `--self-test <report>`: the built-in checks of matching, composing, PNG
// round trips, capture rules and window layouts, one PASS/FAIL report.

#include <filesystem>

namespace tf {

// 0 when every check passed, 1 otherwise. A report that cannot be written is
// skipped and the checks still run; the exit code then tells the outcome.
// Leaves nothing behind but the report.
int runSelfTest(const std::filesystem::path& reportPath);

}  // namespace tf
