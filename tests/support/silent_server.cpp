#include "tests/support/silent_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <vector>

SilentServer::SilentServer() {
    listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listener < 0) return;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;  // any free port
    socklen_t length = sizeof address;
    if (::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener, 16) != 0 ||
        ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        ::close(listener);
        listener = -1;
        return;
    }
    port = ntohs(address.sin_port);
    thread = std::thread([this] { Loop(); });
}

SilentServer::~SilentServer() {
    stopping = true;
    if (thread.joinable()) thread.join();
    if (listener >= 0) ::close(listener);
}

void SilentServer::Loop() {
    std::vector<int> clients;
    while (!stopping) {
        pollfd waiting{listener, POLLIN, 0};
        // Short waits, so the destructor is never kept long.
        if (::poll(&waiting, 1, 10) <= 0) continue;
        const int client = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (client >= 0) {
            clients.push_back(client);
            ++accepted;
        }
    }
    for (int client : clients) ::close(client);
}
