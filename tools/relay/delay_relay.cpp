#include "tools/relay/delay_relay.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <set>

#include "tools/relay/relay_pipe.h"
#include "tools/relay/uatcp_chunk.h"

namespace {

constexpr std::uint32_t kBrowseRequestType = 527;
constexpr std::uint32_t kReadRequestType = 631;

// Small chunks must go out at once: Nagle's wait would add to the delay we set.
void NoDelay(int fd) {
    int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
}

int ConnectTo(const std::string& host, std::uint16_t port) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0) return -1;
    int fd = -1;
    for (addrinfo* a = found; a && fd < 0; a = a->ai_next) {
        fd = ::socket(a->ai_family, a->ai_socktype, a->ai_protocol);
        if (fd >= 0 && ::connect(fd, a->ai_addr, a->ai_addrlen) != 0) {
            ::close(fd);
            fd = -1;
        }
    }
    ::freeaddrinfo(found);
    if (fd >= 0) NoDelay(fd);
    return fd;
}

// The server's answer to OpenSecureChannel names its policy in the clear.
bool OpensWithoutSecurity(const std::vector<std::uint8_t>& chunk) {
    static constexpr char kNone[] = "SecurityPolicy#None";
    return std::search(chunk.begin(), chunk.end(), std::begin(kNone), std::end(kNone) - 1) !=
           chunk.end();
}

}  // namespace

// The two sockets of one relayed connection and the two pipes between them. The request ids
// whose answers are to be lost travel from the upstream pipe to the downstream one.
struct DelayRelay::Connection {
    std::uint64_t number = 0;  // counts from 1 in the order accepted
    bool plain = false;        // the server opened the channel without security
    int clientFd = -1;
    int serverFd = -1;
    std::mutex idsMutex;
    std::set<std::uint32_t> lost;
    std::thread up;
    std::thread down;

    ~Connection() {
        if (up.joinable()) up.join();
        if (down.joinable()) down.join();
        ::close(clientFd);
        ::close(serverFd);
    }
    void Cut() const {
        ::shutdown(clientFd, SHUT_RDWR);
        ::shutdown(serverFd, SHUT_RDWR);
    }
};

DelayRelay::DelayRelay(std::string targetHost, std::uint16_t targetPort,
                       std::chrono::microseconds oneWayDelay)
    : targetHost_(std::move(targetHost)), targetPort_(targetPort), delay_(oneWayDelay) {}

DelayRelay::~DelayRelay() { Stop(); }

std::string DelayRelay::Url() const { return "opc.tcp://127.0.0.1:" + std::to_string(port_); }

bool DelayRelay::Start(std::string* error) {
    if (listenFd_ >= 0) return true;
    auto fail = [&](const char* what) {
        if (error) *error = what;
        if (listenFd_ >= 0) ::close(listenFd_);
        listenFd_ = -1;
        return false;
    };
    listenFd_ = ::socket(AF_INET, SOCK_STREAM, 0);
    if (listenFd_ < 0) return fail("no socket");
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof addr;
    if (::bind(listenFd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        ::listen(listenFd_, 16) != 0 ||
        ::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&addr), &length) != 0)
        return fail("cannot listen on 127.0.0.1");
    port_ = ntohs(addr.sin_port);
    stop_ = false;
    acceptor_ = std::thread([this] { AcceptLoop(); });
    return true;
}

void DelayRelay::Stop() {
    if (!acceptor_.joinable()) return;
    stop_ = true;
    acceptor_.join();
    ::close(listenFd_);
    listenFd_ = -1;
    std::vector<std::unique_ptr<Connection>> connections;
    {
        std::lock_guard lock(mutex_);
        connections.swap(connections_);
    }
    for (const auto& c : connections) c->Cut();
    connections.clear();  // joins their pipes
}

void DelayRelay::AcceptLoop() {
    while (!stop_) {
        pollfd fd{listenFd_, POLLIN, 0};
        if (::poll(&fd, 1, 50) <= 0) continue;
        const int client = ::accept(listenFd_, nullptr, nullptr);
        if (client < 0) continue;
        NoDelay(client);
        Relay(client);
    }
}

void DelayRelay::Relay(int clientFd) {
    const int serverFd = ConnectTo(targetHost_, targetPort_);
    if (serverFd < 0) {
        ::close(clientFd);
        return;
    }
    auto c = std::make_unique<Connection>();
    c->number = ++accepted_;
    c->clientFd = clientFd;
    c->serverFd = serverFd;
    Connection* conn = c.get();

    ChunkFilter notePicked = [this, conn](std::vector<std::uint8_t>& chunk) {
        RequestMatcher matcher;
        {
            std::lock_guard lock(mutex_);
            matcher = matcher_;
        }
        if (matcher && uatcp::KindOf(chunk) == uatcp::Kind::kMessage && matcher(chunk)) {
            if (const auto id = uatcp::RequestId(chunk)) {
                std::lock_guard lock(conn->idsMutex);
                conn->lost.insert(*id);
            }
        }
        return false;
    };
    // Chunks left out leave a gap in the sequence numbers; the ones after are moved down.
    ChunkFilter dropPicked =
        [this, conn, removed = std::uint32_t{0}](std::vector<std::uint8_t>& chunk) mutable {
            if (uatcp::KindOf(chunk) == uatcp::Kind::kOther) return false;
            if (uatcp::KindOf(chunk) == uatcp::Kind::kOpen)
                conn->plain = OpensWithoutSecurity(chunk);
            if (conn->plain) RewriteIfAsked(*conn, chunk);
            const std::optional<std::uint32_t> id = uatcp::RequestId(chunk);
            if (id && uatcp::KindOf(chunk) == uatcp::Kind::kMessage) {
                std::lock_guard lock(conn->idsMutex);
                if (conn->lost.count(*id)) {
                    ++removed;
                    if (uatcp::IsLastChunk(chunk)) {
                        conn->lost.erase(*id);
                        ++dropped_;
                    }
                    return true;
                }
            }
            if (removed != 0) uatcp::ShiftSequenceNumber(chunk, 0u - removed);
            return false;
        };
    c->up = std::thread([conn, notePicked, delay = delay_] {
        RunPipe(conn->clientFd, conn->serverFd, delay, notePicked);
    });
    c->down = std::thread([conn, dropPicked, delay = delay_] {
        RunPipe(conn->serverFd, conn->clientFd, delay, dropPicked);
    });
    std::lock_guard lock(mutex_);
    connections_.push_back(std::move(c));
}

void DelayRelay::RewriteIfAsked(const Connection& conn, std::vector<std::uint8_t>& chunk) {
    EndpointRewrite rewrite;
    std::uint64_t first = 0;
    {
        std::lock_guard lock(mutex_);
        rewrite = rewrite_;
        first = rewriteFirst_;
    }
    if (rewrite.firstConnectionOnly && conn.number != first) return;
    if (RewriteEndpointsResponse(chunk, rewrite)) ++rewritten_;
}

void DelayRelay::RewriteEndpoints(EndpointRewrite rewrite) {
    std::lock_guard lock(mutex_);
    rewrite_ = std::move(rewrite);
    rewriteFirst_ = accepted_.load() + 1;
}

void DelayRelay::DropResponsesTo(RequestMatcher matches) {
    std::lock_guard lock(mutex_);
    matcher_ = std::move(matches);
}

void DelayRelay::CutConnections() {
    std::lock_guard lock(mutex_);
    for (const auto& c : connections_) c->Cut();
}

RequestMatcher BrowseRequestMentioning(std::string text) {
    return [text = std::move(text)](std::span<const std::uint8_t> chunk) {
        if (uatcp::ServiceTypeId(chunk) != kBrowseRequestType) return false;
        return std::search(chunk.begin(), chunk.end(), text.begin(), text.end()) != chunk.end();
    };
}

RequestMatcher ReadRequests() {
    return [](std::span<const std::uint8_t> chunk) {
        return uatcp::ServiceTypeId(chunk) == kReadRequestType;
    };
}
