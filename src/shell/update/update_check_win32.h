#pragma once
// The release query: one detached thread per "Check for updates" command asks
// the code host's REST API for the latest release and posts the outcome to
// the window that asked, as an UpdateCheckResult with the message it names.

#include <windows.h>
#include <winhttp.h>

#include <cstdint>
#include <string>
#include <utility>

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

// One WinHTTP handle (session, connection or request), closed when it goes.
// Move-only: two owners would close it twice.
class InternetHandle {
public:
    InternetHandle() = default;
    explicit InternetHandle(HINTERNET h) : h_(h) {}
    ~InternetHandle() { reset(); }
    InternetHandle(const InternetHandle&) = delete;
    InternetHandle& operator=(const InternetHandle&) = delete;
    InternetHandle(InternetHandle&& other) noexcept : h_(std::exchange(other.h_, nullptr)) {}
    InternetHandle& operator=(InternetHandle&& other) noexcept {
        if (this != &other) {
            reset();
            h_ = std::exchange(other.h_, nullptr);
        }
        return *this;
    }
    HINTERNET get() const { return h_; }
    explicit operator bool() const { return h_ != nullptr; }
    void reset() {
        if (h_ != nullptr) WinHttpCloseHandle(std::exchange(h_, nullptr));
    }

private:
    HINTERNET h_ = nullptr;
};

// Thread body: takes over the heap flag byte (reportWhenNothingNew) and frees
// it after the one result was posted to `target` as `message` (or freed, when
// the post failed). The window is given when the thread starts: the thread never reads
// the process-wide window handles, which the GUI thread clears.
void runUpdateCheck(uint8_t* flag, HWND target, UINT message);

// The same check against another endpoint (tests use a local server); posts
// to `target` as `message`. Returns whether the post succeeded.
bool runUpdateCheckAgainst(const UpdateEndpoint& endpoint, bool reportWhenNothingNew, HWND target, UINT message);

// The body of a GET request (status 200 only), at most kUpdateBodyLimit bytes;
// false when the request could not be made or answered otherwise.
bool fetchReleaseBody(const UpdateEndpoint& endpoint, std::string& body);

}  // namespace tf
