#pragma once
// The release query: one detached thread per "Check for updates" command asks
// the code host's REST API for the latest release and posts the outcome to
// the window that asked, as an UpdateCheckResult with the message it names.

#include <windows.h>
#include <winhttp.h>

#include <cstdint>
#include <string>

#include "platform/win32/win32_handles.h"

namespace tf {

// Every check is one the user asked for, so every outcome is reported.
struct UpdateCheckResult {
    bool tagFound = false;
    bool newerAvailable = false;
    std::wstring versionText;  // the tag exactly as found
};

struct UpdateEndpoint {
    std::wstring host = L"api.github.com";
    uint16_t port = 443;
    bool secure = true;
    std::wstring path = L"/repos/quorvelle/quorvelle-tally-frame/releases/latest";
};

inline constexpr wchar_t kUpdateUserAgent[] = L"Tallyframe/" TALLYFRAME_VERSION;
// Release answers are a few tens of kilobytes; more than this is not read.
inline constexpr size_t kUpdateBodyLimit = 1024 * 1024;

// One WinHTTP handle (session, connection or request), closed when it goes.
namespace handle_traits {
struct Internet : NullIsEmpty<HINTERNET> {
    static void close(HINTERNET h) noexcept { WinHttpCloseHandle(h); }
};
}  // namespace handle_traits
using InternetHandle = UniqueHandle<HINTERNET, handle_traits::Internet>;

// Thread body: posts the one result to `target` as `message` (or frees it,
// when the post failed). The window is given when the thread starts: the
// thread never reads the process-wide window handles, which the GUI thread clears.
void runUpdateCheck(HWND target, UINT message);

// The same check against another endpoint (tests use a local server); posts
// to `target` as `message`. Returns whether the post succeeded.
bool runUpdateCheckAgainst(const UpdateEndpoint& endpoint, HWND target, UINT message);

// The body of a GET request (status 200 only), at most kUpdateBodyLimit bytes;
// false when the request could not be made or answered otherwise.
bool fetchReleaseBody(const UpdateEndpoint& endpoint, std::string& body);

}  // namespace tf
