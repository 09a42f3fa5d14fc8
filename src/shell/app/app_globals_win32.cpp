// The one process-wide value without a window of its own (see app_globals_win32.h).
#include "shell/app/app_globals_win32.h"

namespace tf {

HINSTANCE appInstance = nullptr;

}  // namespace tf
