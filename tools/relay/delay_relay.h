#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "tools/relay/endpoint_rewrite.h"

// Picks out request chunks by their bytes.
using RequestMatcher = std::function<bool(std::span<const std::uint8_t> chunk)>;

// A TCP relay on 127.0.0.1 that stands for a slower network in front of an OPC UA server:
// every byte is passed on `oneWayDelay` after it arrived, in each direction, so a request
// and its answer take twice that longer. It can also lose the answers to chosen requests, as
// a server that never replies would, and cut every connection at once, as a network that
// goes away. Only for channels without signing or encryption, where it can read the chunks.
class DelayRelay {
public:
    DelayRelay(std::string targetHost, std::uint16_t targetPort,
               std::chrono::microseconds oneWayDelay);
    ~DelayRelay();  // stops
    DelayRelay(const DelayRelay&) = delete;
    DelayRelay& operator=(const DelayRelay&) = delete;

    // Listens on a free loopback port; false with a message when it cannot.
    bool Start(std::string* error = nullptr);
    // Closes the listener and every connection and waits for its threads.
    void Stop();

    std::uint16_t Port() const { return port_; }
    // opc.tcp://127.0.0.1:<Port()>
    std::string Url() const;

    // From now on the answers to requests whose first chunk `matches` never arrive; later
    // chunks are renumbered so that the stream stays well-formed. An empty matcher stops this.
    void DropResponsesTo(RequestMatcher matches);
    // Answers dropped so far.
    std::uint64_t DroppedResponses() const { return dropped_.load(); }

    // From now on the GetEndpoints answers on channels without security are rewritten so; a
    // rewrite that changes nothing stops it.
    void RewriteEndpoints(EndpointRewrite rewrite);
    // Answers rewritten so far.
    std::uint64_t RewrittenResponses() const { return rewritten_.load(); }

    // Closes every open connection in both directions; new ones are still accepted.
    void CutConnections();
    std::uint64_t Connections() const { return accepted_.load(); }

private:
    struct Connection;
    void AcceptLoop();
    void Relay(int clientFd);
    void RewriteIfAsked(const Connection& conn, std::vector<std::uint8_t>& chunk);

    std::string targetHost_;
    std::uint16_t targetPort_;
    std::chrono::microseconds delay_;
    int listenFd_ = -1;
    std::uint16_t port_ = 0;
    std::atomic<bool> stop_{false};
    std::thread acceptor_;
    std::mutex mutex_;  // guards connections_, matcher_ and rewrite_
    std::vector<std::unique_ptr<Connection>> connections_;
    RequestMatcher matcher_;
    EndpointRewrite rewrite_;
    std::uint64_t rewriteFirst_ = 0;  // the number of the connection a first-only rewrite is for
    std::atomic<std::uint64_t> rewritten_{0};
    std::atomic<std::uint64_t> dropped_{0};
    std::atomic<std::uint64_t> accepted_{0};
};

// Browse requests (not BrowseNext) whose chunk holds the bytes of `text`, for instance a
// string NodeId's identifier.
RequestMatcher BrowseRequestMentioning(std::string text);

// Every Read request: with its answers dropped the server seems frozen to anyone reading.
RequestMatcher ReadRequests();
