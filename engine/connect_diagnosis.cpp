#include "engine/connect_diagnosis.h"

#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <memory>
#include <string>

#include "os/file_io.h"

namespace {

constexpr std::string_view kScheme = "opc.tcp://";
constexpr std::chrono::milliseconds kGreetingAfterTimeout{500};

bool IsPort(std::string_view text) {
    int port = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), port);
    return error == std::errc() && end == text.data() + text.size() && port >= 1 && port <= 65535;
}

struct AddressList {
    addrinfo* first = nullptr;
    ~AddressList() {
        if (first != nullptr) freeaddrinfo(first);
    }
};

// 0 connected (the socket then left in `s`), ECONNREFUSED, ETIMEDOUT or another errno.
int TryConnect(const addrinfo& address, std::chrono::milliseconds budget, UniqueFd& s) {
    s = UniqueFd(::socket(address.ai_family, address.ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC,
                          address.ai_protocol));
    if (!s.IsOpen()) return errno;
    if (::connect(s.Get(), address.ai_addr, address.ai_addrlen) == 0) return 0;
    if (errno != EINPROGRESS) return errno;
    pollfd waiting{s.Get(), POLLOUT, 0};
    const int ready = ::poll(&waiting, 1, static_cast<int>(budget.count()));
    if (ready <= 0) return ETIMEDOUT;
    int error = 0;
    socklen_t size = sizeof error;
    if (::getsockopt(s.Get(), SOL_SOCKET, SO_ERROR, &error, &size) != 0) return errno;
    return error;
}

void PutUInt32(std::string& out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

// The first message of OPC UA's TCP handshake for `url`.
std::string HelloMessage(const std::string& url) {
    std::string body;
    PutUInt32(body, 0);      // protocol version
    PutUInt32(body, 65535);  // receive buffer
    PutUInt32(body, 65535);  // send buffer
    PutUInt32(body, 0);      // message size: no limit
    PutUInt32(body, 0);      // chunk count: no limit
    PutUInt32(body, static_cast<std::uint32_t>(url.size()));
    body += url;
    std::string message = "HELF";
    PutUInt32(message, static_cast<std::uint32_t>(8 + body.size()));
    return message + body;
}

// Sends the greeting on the connected socket and reads the first bytes of the answer.
UnreachableCause GreetListener(int fd, const std::string& url, std::chrono::milliseconds budget) {
    const std::string hello = HelloMessage(url);
    std::size_t sent = 0;
    while (sent < hello.size()) {
        const ssize_t n = ::send(fd, hello.data() + sent, hello.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno == EAGAIN) {
            pollfd waiting{fd, POLLOUT, 0};
            if (::poll(&waiting, 1, static_cast<int>(budget.count())) <= 0)
                return UnreachableCause::TimedOut;
            continue;
        }
        if (n <= 0) return UnreachableCause::ClosedInHandshake;
        sent += static_cast<std::size_t>(n);
    }
    char answer[3];
    std::size_t got = 0;
    const auto deadline = std::chrono::steady_clock::now() + budget;
    while (got < sizeof answer) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd waiting{fd, POLLIN, 0};
        if (left.count() <= 0 || ::poll(&waiting, 1, static_cast<int>(left.count())) <= 0)
            return got == 0 ? UnreachableCause::TimedOut : UnreachableCause::NotOpcUa;
        const ssize_t n = ::recv(fd, answer + got, sizeof answer - got, 0);
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (n <= 0)
            return got == 0 ? UnreachableCause::ClosedInHandshake : UnreachableCause::NotOpcUa;
        got += static_cast<std::size_t>(n);
    }
    const std::string_view type(answer, sizeof answer);
    // A server that acknowledges or refuses in OPC UA's terms failed for another reason.
    return type == "ACK" || type == "ERR" ? UnreachableCause::Unknown : UnreachableCause::NotOpcUa;
}

}  // namespace

std::optional<OpcTcpAddress> ParseOpcTcpUrl(std::string_view url) {
    if (url.size() < kScheme.size() ||
        !std::equal(kScheme.begin(), kScheme.end(), url.begin(), [](char a, char b) {
            return a == std::tolower(static_cast<unsigned char>(b));
        }))
        return std::nullopt;
    std::string_view rest = url.substr(kScheme.size());
    rest = rest.substr(0, rest.find('/'));
    OpcTcpAddress address;
    std::string_view port;
    if (!rest.empty() && rest.front() == '[') {
        const auto close = rest.find(']');
        if (close == std::string_view::npos) return std::nullopt;
        address.host = std::string(rest.substr(1, close - 1));
        const std::string_view after = rest.substr(close + 1);
        if (!after.empty()) {
            if (after.front() != ':') return std::nullopt;
            port = after.substr(1);
            if (port.empty()) return std::nullopt;
        }
    } else {
        const auto colon = rest.find(':');
        address.host = std::string(rest.substr(0, colon));
        if (colon != std::string_view::npos) {
            port = rest.substr(colon + 1);
            if (port.empty()) return std::nullopt;
        }
    }
    if (address.host.empty() || address.host.find_first_of(" \t@") != std::string::npos)
        return std::nullopt;
    if (!port.empty() && !IsPort(port)) return std::nullopt;
    address.port = port.empty() ? "4840" : std::string(port);
    return address;
}

UnreachableCause DiagnoseUnreachable(const std::string& url, UA_StatusCode status,
                                     std::chrono::milliseconds budget) {
    const auto address = ParseOpcTcpUrl(url);
    if (!address) return UnreachableCause::BadUrl;
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    AddressList found;
    const int looked =
        ::getaddrinfo(address->host.c_str(), address->port.c_str(), &hints, &found.first);
    if (looked == EAI_NONAME || looked == EAI_FAIL || looked == EAI_AGAIN
#ifdef EAI_NODATA
        || looked == EAI_NODATA
#endif
    )
        return UnreachableCause::HostNotFound;
    if (looked != 0) return UnreachableCause::Unknown;
    // A peer that hangs up at once is retried until the timeout too: it is greeted all the same,
    // though not for long, as a silent server has already cost the user the whole timeout.
    const bool timedOut =
        status == UA_STATUSCODE_BADTIMEOUT || status == UA_STATUSCODE_BADREQUESTTIMEOUT;
    const std::chrono::milliseconds wait =
        timedOut ? std::min(budget, kGreetingAfterTimeout) : budget;
    bool refused = false;
    for (const addrinfo* a = found.first; a != nullptr; a = a->ai_next) {
        UniqueFd s;
        const int result = TryConnect(*a, wait, s);
        if (result == 0) {  // something listens after all
            const UnreachableCause greeted = GreetListener(s.Get(), url, wait);
            return timedOut && greeted == UnreachableCause::Unknown ? UnreachableCause::TimedOut
                                                                    : greeted;
        }
        if (result == ECONNREFUSED) refused = true;
        if (result == ETIMEDOUT) return UnreachableCause::TimedOut;
    }
    if (timedOut) return UnreachableCause::TimedOut;
    return refused ? UnreachableCause::ConnectionRefused : UnreachableCause::Unknown;
}
