#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <map>
#include <thread>

#include "discovery/sweep/hello_exchange.h"
#include "discovery/sweep/port_sweep.h"
#include "tests/discovery/plain_listener.h"
#include "tests/support/demo_server_fixture.h"
#include "tests/support/silent_server.h"

namespace {

std::vector<std::uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

TEST(HelloExchange, HelloCarriesTheUrlWithItsSize) {
    const std::string url = "opc.tcp://127.0.0.1:4840";
    const auto hello = HelloMessage(url);
    ASSERT_EQ(hello.size(), 32 + url.size());
    EXPECT_EQ(std::string(hello.begin(), hello.begin() + 4), "HELF");
    EXPECT_EQ(hello[4] | hello[5] << 8, static_cast<int>(hello.size()));
    EXPECT_EQ(hello[28], url.size());
    EXPECT_EQ(std::string(hello.end() - static_cast<long>(url.size()), hello.end()), url);
}

TEST(HelloExchange, ClassifiesReplies) {
    std::vector<std::uint8_t> ack = Bytes("ACKF");
    for (std::uint8_t b : {28, 0, 0, 0}) ack.push_back(b);
    std::vector<std::uint8_t> err = Bytes("ERRF");
    for (std::uint8_t b : {24, 0, 0, 0}) err.push_back(b);
    std::vector<std::uint8_t> hugeErr = Bytes("ERRF");
    for (std::uint8_t b : {0, 0, 0, 1}) hugeErr.push_back(b);
    const struct {
        std::vector<std::uint8_t> reply;
        bool hungUp;
        std::optional<PortState> expected;
    } cases[] = {
        {ack, false, PortState::OpcUa},
        {err, false, PortState::OpcUa},  // a server that refuses the URL is still one
        {Bytes("ACK"), false, std::nullopt},
        {Bytes("ACK"), true, PortState::NotOpcUa},
        {{}, false, std::nullopt},
        {{}, true, PortState::NotOpcUa},
        {Bytes("HTTP/1.1 400"), false, PortState::NotOpcUa},
        {Bytes("SSH-2.0-"), false, PortState::NotOpcUa},
        {Bytes("A"), false, std::nullopt},
        {Bytes("AB"), false, PortState::NotOpcUa},
        {hugeErr, false, PortState::NotOpcUa},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ClassifyReply(c.reply, c.hungUp), c.expected)
            << std::string(c.reply.begin(), c.reply.end()) << " hung up " << c.hungUp;
    }
}

std::map<std::uint16_t, PortState> Sweep(const std::vector<std::uint16_t>& ports,
                                         std::chrono::milliseconds timeout) {
    std::map<std::uint16_t, PortState> states;
    const std::atomic<bool> cancel{false};
    SweepOptions options;
    options.timeout = timeout;
    const SweepStats stats =
        SweepPorts({{"127.0.0.1", {}, false}}, ports, options, cancel,
                   [&](const SweepTarget& t, PortState s) { states[t.port] = s; });
    EXPECT_EQ(stats.probes, ports.size());
    return states;
}

TEST(PortSweep, TellsServerFromSilentHttpAndClosedPorts) {
    const auto server = StartDemoServer();
    ASSERT_NE(server, nullptr);
    SilentServer silent;
    ASSERT_TRUE(silent.Listening());
    PlainListener http("HTTP/1.1 400 Bad Request\r\nContent-Length: 0\r\n\r\n");
    ASSERT_TRUE(http.Listening());
    const std::uint16_t closed = FreeLoopbackPort();

    const auto start = std::chrono::steady_clock::now();
    const auto states =
        Sweep({server->Port(), silent.Port(), http.Port(), closed}, std::chrono::milliseconds(300));
    EXPECT_EQ(states.at(server->Port()), PortState::OpcUa);
    EXPECT_EQ(states.at(silent.Port()), PortState::Silent);
    EXPECT_EQ(states.at(http.Port()), PortState::NotOpcUa);
    EXPECT_EQ(states.at(closed), PortState::Closed);
    // All at once: the silent port's timeout is the whole wait.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

TEST(PortSweep, KeepsInFlightWithinTheBound) {
    std::vector<SweepHost> hosts;
    for (int i = 1; i <= 200; ++i) hosts.push_back({"127.0.1." + std::to_string(i), {}, false});
    SweepOptions options;
    options.maxInFlight = 16;
    options.timeout = std::chrono::milliseconds(300);
    const std::atomic<bool> cancel{false};
    std::size_t results = 0;
    const SweepStats stats = SweepPorts(hosts, {1, 2}, options, cancel,
                                        [&](const SweepTarget&, PortState) { ++results; });
    EXPECT_EQ(results, 400u);
    EXPECT_EQ(stats.probes, 400u);
    EXPECT_LE(stats.peakInFlight, 16u);
}

TEST(PortSweep, CancelStopsMidSweep) {
    // Silent ports hold every probe for the whole timeout: without the cancel this takes 20 s.
    SilentServer silent;
    ASSERT_TRUE(silent.Listening());
    std::vector<SweepHost> hosts(40, SweepHost{"127.0.0.1", {}, false});
    SweepOptions options;
    options.maxInFlight = 4;
    options.timeout = std::chrono::seconds(2);
    std::atomic<bool> cancel{false};
    std::size_t results = 0;
    std::thread canceller([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        cancel = true;
    });
    const auto start = std::chrono::steady_clock::now();
    const SweepStats stats = SweepPorts(hosts, {silent.Port()}, options, cancel,
                                        [&](const SweepTarget&, PortState) { ++results; });
    canceller.join();
    EXPECT_TRUE(stats.cancelled);
    EXPECT_LT(results, hosts.size());
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
}

}  // namespace
