#include "tests/discovery/plain_listener.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

PlainListener::PlainListener(std::string reply) : reply_(std::move(reply)) {
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    if (listener_ < 0 || ::bind(listener_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        ::listen(listener_, 64) != 0 ||
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
        if (listener_ >= 0) ::close(listener_);
        listener_ = -1;
        return;
    }
    port_ = ntohs(addr.sin_port);
    thread_ = std::thread([this] { Loop(); });
}

PlainListener::~PlainListener() {
    stopping_ = true;
    if (thread_.joinable()) thread_.join();
    if (listener_ >= 0) ::close(listener_);
}

void PlainListener::Loop() {
    while (!stopping_) {
        pollfd p{listener_, POLLIN, 0};
        if (::poll(&p, 1, 20) <= 0) continue;
        const int client = ::accept(listener_, nullptr, nullptr);
        if (client < 0) continue;
        pollfd c{client, POLLIN, 0};
        char buffer[256];
        if (::poll(&c, 1, 500) > 0) (void)::recv(client, buffer, sizeof buffer, 0);
        (void)::send(client, reply_.data(), reply_.size(), MSG_NOSIGNAL);
        ::close(client);
    }
}
