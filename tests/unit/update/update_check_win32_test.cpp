// The update check's request and its reading of answers, against a one-shot
// HTTP server on the loopback interface (plain HTTP: the transport is the
// only difference from the real endpoint).

#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>
#include <type_traits>

#include "shell/update/update_check_win32.h"

namespace tf {
namespace {

// Any message will do: the check answers with the one it is given.
constexpr UINT kReplyMessage = WM_APP + 40;

struct Socket {
    SOCKET s = INVALID_SOCKET;
    Socket() = default;
    explicit Socket(SOCKET v) : s(v) {}
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    ~Socket() {
        if (s != INVALID_SOCKET) closesocket(s);
    }
};

struct WinsockSession {
    bool ok = false;
    WinsockSession() {
        WSADATA data;
        ok = WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }
    ~WinsockSession() {
        if (ok) WSACleanup();
    }
};

// Accepts one connection, keeps the request head and answers with `response`.
class OneShotServer {
public:
    explicit OneShotServer(std::string response) : response_(std::move(response)) {
        listener_.s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        if (listener_.s == INVALID_SOCKET) return;
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        addr.sin_port = 0;
        int len = sizeof addr;
        if (bind(listener_.s, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
            listen(listener_.s, 1) != 0 || getsockname(listener_.s, reinterpret_cast<sockaddr*>(&addr), &len) != 0)
            return;
        port_ = ntohs(addr.sin_port);
        thread_ = std::thread([this] { serve(); });
    }
    ~OneShotServer() {
        if (thread_.joinable()) thread_.join();
    }
    uint16_t port() const { return port_; }
    // Valid once the client has had its answer.
    std::string request() {
        if (thread_.joinable()) thread_.join();
        return request_;
    }

private:
    void serve() {
        Socket client(accept(listener_.s, nullptr, nullptr));
        if (client.s == INVALID_SOCKET) return;
        char buf[4096];
        while (request_.find("\r\n\r\n") == std::string::npos && request_.size() < 65536) {
            const int n = recv(client.s, buf, sizeof buf, 0);
            if (n <= 0) return;
            request_.append(buf, static_cast<size_t>(n));
        }
        size_t sent = 0;
        while (sent < response_.size()) {
            const int n = send(client.s, response_.data() + sent,
                               static_cast<int>(std::min<size_t>(response_.size() - sent, 65536)), 0);
            if (n <= 0) break;
            sent += static_cast<size_t>(n);
        }
        shutdown(client.s, SD_SEND);
    }

    std::string response_;
    Socket listener_;
    uint16_t port_ = 0;
    std::thread thread_;
    std::string request_;
};

std::string answer(int status, const std::string& body) {
    return "HTTP/1.1 " + std::to_string(status) + (status == 200 ? " OK" : " Not Found") +
           "\r\nContent-Type: application/json\r\nContent-Length: " + std::to_string(body.size()) +
           "\r\nConnection: close\r\n\r\n" + body;
}

UpdateEndpoint local(uint16_t port) {
    UpdateEndpoint e;
    e.host = L"127.0.0.1";
    e.port = port;
    e.secure = false;
    return e;
}

// The one record the check posts to a message-only window, or null.
std::unique_ptr<UpdateCheckResult> checkAgainst(uint16_t port, int* records) {
    HWND target = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    if (target == nullptr) return nullptr;
    std::unique_ptr<UpdateCheckResult> last;
    if (runUpdateCheckAgainst(local(port), target, kReplyMessage)) {
        MSG msg;
        while (PeekMessageW(&msg, target, kReplyMessage, kReplyMessage, PM_REMOVE)) {
            ++*records;
            last.reset(reinterpret_cast<UpdateCheckResult*>(msg.lParam));
        }
    }
    DestroyWindow(target);
    return last;
}

TEST(UpdateCheck, AnswersOfALocalServer) {
    WinsockSession winsock;
    ASSERT_TRUE(winsock.ok);
    const std::string padding(kUpdateBodyLimit, ' ');
    struct Case {
        const char* what;
        int status;
        std::string body;
        bool tagFound;
        const wchar_t* version;
        bool newer;
    } cases[] = {
        {"newer release", 200, R"({"url":"x","tag_name":"v9.9.9","name":"Nine"})", true, L"v9.9.9", true},
        {"same release", 200, R"({"tag_name": "v1.0.0"})", true, L"v1.0.0", false},
        {"older release", 200, R"({"tag_name":"0.9.9"})", true, L"0.9.9", false},
        {"not found", 404, R"({"tag_name":"v9.9.9"})", false, L"", false},
        {"no tag", 200, R"({"message":"Not Found"})", false, L"", false},
        {"body cut inside the tag", 200, R"({"tag_name":"v2.)", false, L"", false},
        {"tag beyond the first MiB", 200, padding + R"({"tag_name":"v9.9.9"})", false, L"", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        OneShotServer server(answer(c.status, c.body));
        ASSERT_NE(server.port(), 0);
        int records = 0;
        const std::unique_ptr<UpdateCheckResult> r = checkAgainst(server.port(), &records);
        EXPECT_EQ(records, 1);
        ASSERT_NE(r, nullptr);
        EXPECT_EQ(r->tagFound, c.tagFound);
        EXPECT_EQ(r->versionText, c.version);
        EXPECT_EQ(r->newerAvailable, c.newer);

        // A plain GET of the release path with the program's user agent.
        const std::string request = server.request();
        EXPECT_EQ(request.rfind("GET /repos/quorvelle/quorvelle-tally-frame/releases/latest HTTP/1.1\r\n", 0), 0u)
            << request;
        EXPECT_NE(request.find("User-Agent: Tallyframe/" TALLYFRAME_VERSION "\r\n"), std::string::npos) << request;
    }
}

TEST(UpdateCheck, BodyIsReadToItsEndButNoFurtherThanOneMiB) {
    WinsockSession winsock;
    ASSERT_TRUE(winsock.ok);
    for (size_t size : {size_t{0}, size_t{70000}, kUpdateBodyLimit, kUpdateBodyLimit + 300000}) {
        SCOPED_TRACE(size);
        std::string body(size, 'a');
        for (size_t i = 0; i < size; i += 997) body[i] = static_cast<char>('b' + i % 20);
        OneShotServer server(answer(200, body));
        ASSERT_NE(server.port(), 0);
        std::string got;
        ASSERT_TRUE(fetchReleaseBody(local(server.port()), got));
        const size_t want = std::min(size, kUpdateBodyLimit);
        EXPECT_EQ(got.size(), want);
        EXPECT_TRUE(got == body.substr(0, want));
    }
}

TEST(InternetHandle, ClosesOnceAndMovesOwnership) {
    static_assert(!std::is_copy_constructible_v<InternetHandle> && !std::is_copy_assignable_v<InternetHandle>);
    HINTERNET raw = WinHttpOpen(kUpdateUserAgent, WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME,
                                WINHTTP_NO_PROXY_BYPASS, 0);
    ASSERT_NE(raw, nullptr);
    {
        InternetHandle first(raw);
        InternetHandle second(std::move(first));
        EXPECT_FALSE(first);
        EXPECT_EQ(second.get(), raw);
        InternetHandle third;
        third = std::move(second);
        EXPECT_EQ(third.get(), raw);
        EXPECT_FALSE(second);
    }
    // Closed exactly once by the last owner: a second close is refused.
    SetLastError(0);
    EXPECT_FALSE(WinHttpCloseHandle(raw));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

}  // namespace
}  // namespace tf
