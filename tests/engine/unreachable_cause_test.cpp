// Why nothing could be reached, told apart against plain TCP listeners on loopback: a closed
// port, an unknown host, silence, a stranger that answers, a peer that hangs up.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "engine/opcua_browser.h"
#include "texts/connect_failure.h"
#include "texts/text_table.h"

namespace {

enum class Reply { Silence, HangUp, Http };

// Accepts on 127.0.0.1 and treats every connection the same way.
class ScriptedListener {
public:
    explicit ScriptedListener(Reply reply) : reply_(reply) {
        fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (fd_ < 0 || ::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            ::listen(fd_, 16) != 0 ||
            ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
            return;
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { Loop(); });
    }
    ~ScriptedListener() {
        stopping_ = true;
        if (thread_.joinable()) thread_.join();
        if (fd_ >= 0) ::close(fd_);
    }
    std::string Url() const { return "opc.tcp://127.0.0.1:" + std::to_string(port_); }

private:
    void Loop() {
        std::vector<int> open;
        while (!stopping_) {
            pollfd waiting{fd_, POLLIN, 0};
            if (::poll(&waiting, 1, 10) <= 0) continue;
            const int client = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
            if (client < 0) continue;
            if (reply_ == Reply::Http) {
                char request[512];
                (void)::recv(client, request, sizeof request, 0);
                static constexpr char kAnswer[] =
                    "HTTP/1.1 400 Bad Request\r\nContent-Length: 0\r\n\r\n";
                (void)::send(client, kAnswer, sizeof kAnswer - 1, MSG_NOSIGNAL);
            }
            if (reply_ == Reply::Silence) {
                open.push_back(client);
            } else {
                ::close(client);
            }
        }
        for (const int client : open) ::close(client);
    }

    Reply reply_;
    int fd_ = -1;
    std::uint16_t port_ = 0;
    std::atomic<bool> stopping_{false};
    std::thread thread_;
};

// A port that was free a moment ago: nothing listens there.
std::string ClosedPortUrl() {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(fd);
    return "opc.tcp://127.0.0.1:" + std::to_string(ntohs(address.sin_port));
}

TEST(UnreachableCause, EachWayOfNotReachingAServerHasItsCause) {
    ScriptedListener silent(Reply::Silence);
    ScriptedListener hangUp(Reply::HangUp);
    ScriptedListener web(Reply::Http);
    const struct {
        const char* name;
        std::string url;
        UnreachableCause cause;
        const char* english;
    } cases[] = {
        {"refused", ClosedPortUrl(), UnreachableCause::ConnectionRefused,
         "conn server failed ... (connection refused: nothing listens on that port)"},
        {"unknown host", "opc.tcp://no-such-host.invalid:4840", UnreachableCause::HostNotFound,
         "conn server failed ... (host name not found)"},
        {"timed out", silent.Url(), UnreachableCause::TimedOut,
         "conn server failed ... (timed out: the server did not answer)"},
        {"not OPC UA", web.Url(), UnreachableCause::NotOpcUa,
         "conn server failed ... (answered, but not an OPC UA server)"},
        {"closed during the handshake", hangUp.Url(), UnreachableCause::ClosedInHandshake,
         "conn server failed ... (closed the connection during the handshake)"},
    };
    for (const auto& c : cases) {
        // Anonymous and with a password: the latter asks for the endpoints first.
        for (const int authKind : {1, 2}) {
            ConnectionSettings settings;
            settings.url = c.url;
            settings.authKind = authKind;
            settings.userName = "operator";
            settings.password = "secret";
            settings.timeoutSeconds = 1;
            PointList list;
            OPCUABrowser engine(&list);
            const std::string where = std::string(c.name) + ", kind " + std::to_string(authKind);
            EXPECT_EQ(engine.Connect(settings), ConnectOutcome::Unreachable) << where;
            EXPECT_EQ(engine.LastConnectDetail().cause, c.cause) << where;
            language = 1;
            EXPECT_EQ(FailureMessage(ConnectOutcome::Unreachable, engine.LastConnectDetail()),
                      c.english)
                << where;
            language = 0;
            EXPECT_FALSE(engine.HasSession());
        }
    }
    language = 1;
    EXPECT_NE(Text(TextKey::CauseNotOpcUa, 0), Text(TextKey::CauseNotOpcUa, 1));
    EXPECT_NE(Text(TextKey::CauseClosedInHandshake, 0), Text(TextKey::CauseClosedInHandshake, 1));
    language = 0;
}

}  // namespace
