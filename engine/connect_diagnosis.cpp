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
#include <memory>

namespace {

constexpr std::string_view kScheme = "opc.tcp://";

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

struct Socket {
    int fd;
    ~Socket() {
        if (fd >= 0) ::close(fd);
    }
};

// 0 connected, ECONNREFUSED, ETIMEDOUT or another errno.
int TryConnect(const addrinfo& address, std::chrono::milliseconds budget) {
    const Socket s{::socket(address.ai_family, address.ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC,
                            address.ai_protocol)};
    if (s.fd < 0) return errno;
    if (::connect(s.fd, address.ai_addr, address.ai_addrlen) == 0) return 0;
    if (errno != EINPROGRESS) return errno;
    pollfd waiting{s.fd, POLLOUT, 0};
    const int ready = ::poll(&waiting, 1, static_cast<int>(budget.count()));
    if (ready <= 0) return ETIMEDOUT;
    int error = 0;
    socklen_t size = sizeof error;
    if (::getsockopt(s.fd, SOL_SOCKET, SO_ERROR, &error, &size) != 0) return errno;
    return error;
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
    if (status == UA_STATUSCODE_BADTIMEOUT || status == UA_STATUSCODE_BADREQUESTTIMEOUT)
        return UnreachableCause::TimedOut;
    bool refused = false;
    for (const addrinfo* a = found.first; a != nullptr; a = a->ai_next) {
        const int result = TryConnect(*a, budget);
        if (result == 0) return UnreachableCause::Unknown;  // something listens after all
        if (result == ECONNREFUSED) refused = true;
        if (result == ETIMEDOUT) return UnreachableCause::TimedOut;
    }
    return refused ? UnreachableCause::ConnectionRefused : UnreachableCause::Unknown;
}
