#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>

// A TCP listener on 127.0.0.1 that answers whatever it is sent with one fixed reply and hangs
// up: a web server, a telnet banner, anything that is no OPC UA server.
class PlainListener {
public:
    explicit PlainListener(std::string reply);
    ~PlainListener();
    PlainListener(const PlainListener&) = delete;
    PlainListener& operator=(const PlainListener&) = delete;

    bool Listening() const { return listener_ >= 0; }
    std::uint16_t Port() const { return port_; }

private:
    void Loop();

    std::string reply_;
    int listener_ = -1;
    std::uint16_t port_ = 0;
    std::atomic<bool> stopping_{false};
    std::thread thread_;
};
