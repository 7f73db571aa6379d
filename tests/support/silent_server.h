#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>

// A TCP listener on 127.0.0.1 that accepts every connection and never sends a byte: a server
// that has stopped answering. It closes everything when it goes.
class SilentServer {
public:
    SilentServer();
    ~SilentServer();

    SilentServer(const SilentServer&) = delete;
    SilentServer& operator=(const SilentServer&) = delete;

    bool Listening() const { return listener >= 0; }
    std::uint16_t Port() const { return port; }
    std::string Url() const { return "opc.tcp://127.0.0.1:" + std::to_string(port); }
    // Connections accepted so far.
    int Accepted() const { return accepted.load(); }

private:
    void Loop();

    int listener = -1;
    std::uint16_t port = 0;
    std::atomic<bool> stopping{false};
    std::atomic<int> accepted{0};
    std::thread thread;
};
