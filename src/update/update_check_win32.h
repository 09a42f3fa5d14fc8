#pragma once
// The release query: one detached thread per "Check for updates" command asks
// the code host's REST API for the latest release and posts the outcome to
// the main window as an UpdateCheckResult with WM_APP_UPDATE_RESULT.

#include <windows.h>

#include <cstdint>
#include <string>

namespace tf {

struct UpdateCheckResult {
    bool reportWhenNothingNew = false;
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

inline constexpr wchar_t kUpdateUserAgent[] = L"Tallyframe/1.0.0";
// Release answers are a few tens of kilobytes; more than this is not read.
inline constexpr size_t kUpdateBodyLimit = 1024 * 1024;

// Thread body: takes over the heap flag byte (reportWhenNothingNew) and frees
// it after the one result was posted (or freed, when the post failed).
void runUpdateCheck(uint8_t* flag);

// The same check against another endpoint (tests use a local server); posts
// to `target`. Returns whether the post succeeded.
bool runUpdateCheckAgainst(const UpdateEndpoint& endpoint, bool reportWhenNothingNew, HWND target);

// The body of a GET request (status 200 only), at most kUpdateBodyLimit bytes;
// false when the request could not be made or answered otherwise.
bool fetchReleaseBody(const UpdateEndpoint& endpoint, std::string& body);

}  // namespace tf
