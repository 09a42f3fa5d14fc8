#include "shell/update/update_check_win32.h"

#include <algorithm>
#include <memory>

#include "core/update/update_rules.h"

namespace tf {

bool fetchReleaseBody(const UpdateEndpoint& endpoint, std::string& body) {
    body.clear();
    // Closed in reverse order of opening: request, connection, session.
    const InternetHandle session(WinHttpOpen(kUpdateUserAgent, WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY,
                                             WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
    if (!session) return false;
    const InternetHandle connection(WinHttpConnect(session.get(), endpoint.host.c_str(), endpoint.port, 0));
    if (!connection) return false;
    const InternetHandle request(WinHttpOpenRequest(connection.get(), L"GET", endpoint.path.c_str(), nullptr,
                                                    WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
                                                    endpoint.secure ? WINHTTP_FLAG_SECURE : 0));
    if (!request) return false;
    if (!WinHttpSendRequest(request.get(), WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, 0, 0)) return false;
    if (!WinHttpReceiveResponse(request.get(), nullptr)) return false;
    DWORD status = 0, size = sizeof(status);
    if (!WinHttpQueryHeaders(request.get(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER, WINHTTP_HEADER_NAME_BY_INDEX,
                             &status, &size, WINHTTP_NO_HEADER_INDEX) ||
        status != 200) {
        return false;
    }
    while (body.size() < kUpdateBodyLimit) {
        DWORD available = 0;
        if (!WinHttpQueryDataAvailable(request.get(), &available) || available == 0) break;
        const size_t want = std::min<size_t>(available, kUpdateBodyLimit - body.size());
        const size_t old = body.size();
        body.resize(old + want);
        DWORD read = 0;
        const BOOL ok = WinHttpReadData(request.get(), body.data() + old, static_cast<DWORD>(want), &read);
        body.resize(old + (ok ? read : 0));
        if (!ok || read == 0) break;
    }
    return true;
}

bool runUpdateCheckAgainst(const UpdateEndpoint& endpoint, HWND target, UINT message) {
    auto result = std::make_unique<UpdateCheckResult>();
    std::string body;
    fetchReleaseBody(endpoint, body);  // a failed request leaves the body empty
    if (const std::optional<std::wstring> tag = extractTagName(body)) {
        result->tagFound = true;
        result->versionText = *tag;
        result->newerAvailable = isNewerThanProgramVersion(*tag);
    }
    if (target != nullptr && PostMessageW(target, message, 0, reinterpret_cast<LPARAM>(result.get()))) {
        result.release();  // the window owns it now
        return true;
    }
    return false;
}

void runUpdateCheck(HWND target, UINT message) { runUpdateCheckAgainst(UpdateEndpoint{}, target, message); }

}  // namespace tf
