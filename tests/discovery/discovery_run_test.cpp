#include "discovery/discovery_run.h"

#include <gtest/gtest.h>
#include <open62541/server.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <set>
#include <thread>

#include "discovery/security_findings.h"
#include "discovery/server_merge.h"
#include "discovery/sources/endpoint_probe.h"
#include "discovery/sources/lds_query.h"
#include "discovery/sources/mdns_browse.h"
#include "tests/discovery/plain_listener.h"
#include "tests/support/demo_server_fixture.h"
#include "tests/support/silent_server.h"

namespace {

using std::chrono::milliseconds;

std::size_t SessionsCreated(const DemoServer& server) {
    return UA_Server_getStatistics(server.Server()).ss.cumulatedSessionCount;
}

DiscoveryRequest SweepOf(std::vector<std::uint16_t> ports) {
    DiscoveryRequest request;
    request.hosts = {{"127.0.0.1", {}, false}};
    request.ports = std::move(ports);
    request.probeTimeout = milliseconds(500);
    return request;
}

TEST(DiscoveryRun, OneServerSeenThroughTwoSourcesIsListedOnce) {
    DemoServerOptions options;
    options.secure = true;
    const auto server = StartDemoServer(options);
    ASSERT_NE(server, nullptr);
    PlainListener http("HTTP/1.0 200 OK\r\n\r\n");
    DiscoveryRequest request = SweepOf({server->Port(), http.Port()});
    request.urls = {server->Url(), server->Url() + "/"};
    const std::atomic<bool> cancel{false};
    std::size_t announced = 0;
    DiscoveryEvents events;
    events.serverFound = [&](const DiscoveredServer&) { ++announced; };
    const DiscoveryResult result = RunDiscovery(request, {}, cancel, events);

    ASSERT_EQ(result.servers.size(), 1u);
    const DiscoveredServer& found = result.servers.front();
    EXPECT_EQ(found.sources, kSourceSweep | kSourceGiven);
    EXPECT_EQ(found.applicationUri, "urn:open62541.server.application");
    EXPECT_EQ(found.advertisedUrl, server->Url());
    const auto direct = ProbeEndpoints(server->Url(), milliseconds(1000));
    ASSERT_TRUE(direct);
    EXPECT_EQ(found.endpoints.size(), direct->endpoints.size()) << "every endpoint, each once";
    EXPECT_GE(found.endpoints.size(), 9u);
    ASSERT_TRUE(found.certificate);
    EXPECT_EQ(found.strength.keyBits, 2048);
    // The fixture trusts the demo server's certificate in the test's home; here none is given.
    EXPECT_EQ(found.trust, TrustVerdict::Unknown);
    EXPECT_GE(announced, 1u);

    ASSERT_EQ(result.otherPorts.size(), 1u);
    EXPECT_EQ(result.otherPorts.front().port, http.Port());
    EXPECT_EQ(result.otherPorts.front().state, PortState::NotOpcUa);
    EXPECT_EQ(result.probes, 2u);
    // Nothing secret leaves: discovery never opens a session.
    EXPECT_EQ(SessionsCreated(*server), 0u);
}

TEST(DiscoveryRun, MergeJoinsSourcesAndEndpoints) {
    DiscoveredServer a;
    a.applicationUri = "urn:plc";
    a.advertisedUrl = "opc.tcp://plc:4840";
    a.sources = kSourceSweep;
    a.endpoints = {{"opc.tcp://plc:4840", 1, "", 0, {}}};
    DiscoveredServer b = a;
    b.foundAt = "opc.tcp://10.0.0.5:4840";
    b.sources = kSourceLds;
    b.endpoints.push_back({"opc.tcp://plc:4840", 3, "p#Basic256Sha256", 0, {}});
    b.certificateDer = {1, 2, 3};
    std::vector<DiscoveredServer> list;
    EXPECT_EQ(MergeServer(list, a), 0u);
    EXPECT_EQ(MergeServer(list, b), 0u);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].sources, kSourceSweep | kSourceLds);
    EXPECT_EQ(list[0].endpoints.size(), 2u);
    EXPECT_EQ(list[0].certificateDer.size(), 3u);

    // Same application URI, another endpoint URL: another server.
    DiscoveredServer c = a;
    c.advertisedUrl = "opc.tcp://plc:4841";
    EXPECT_EQ(MergeServer(list, c), 1u);
    // Two servers behind a name that does not resolve stay apart by where they were found.
    DiscoveredServer d = a, e = a;
    d.advertisedResolves = e.advertisedResolves = false;
    d.foundAt = "opc.tcp://10.0.0.6:4840";
    e.foundAt = "opc.tcp://10.0.0.7:4840";
    EXPECT_EQ(MergeServer(list, d), 2u);
    EXPECT_EQ(MergeServer(list, e), 3u);
}

TEST(DiscoveryRun, LocalDiscoveryServerListsTheServersRegisteredWithIt) {
    DemoServerOptions ldsOptions;
    ldsOptions.lds = true;
    ldsOptions.secure = true;
    const auto lds = StartDemoServer(ldsOptions);
    ASSERT_NE(lds, nullptr);
    DemoServerOptions registering;
    registering.registerAt = lds->Url();
    registering.registerInterval = milliseconds(2000);
    registering.applicationUri = "urn:quorvane:test:first";
    const auto first = StartDemoServer(registering);
    registering.applicationUri = "urn:quorvane:test:second";
    const auto second = StartDemoServer(registering);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    ASSERT_TRUE(WaitFor([&] {
        return AskDiscoveryServer(lds->Url(), milliseconds(500)).urls.size() >= 3;
    })) << "both servers register";

    DiscoveryRequest request;
    request.ldsUrls = {lds->Url()};
    request.probeTimeout = milliseconds(1000);
    const std::atomic<bool> cancel{false};
    const DiscoveryResult result = RunDiscovery(request, {}, cancel);
    EXPECT_TRUE(result.notes.empty());
    std::vector<std::string> found;
    for (const DiscoveredServer& s : result.servers) {
        EXPECT_EQ(s.sources, kSourceLds);
        found.push_back(s.foundAt);
    }
    std::sort(found.begin(), found.end());
    std::vector<std::string> expected = {lds->Url(), first->Url(), second->Url()};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(found, expected);
    EXPECT_EQ(SessionsCreated(*first), 0u);
    EXPECT_EQ(SessionsCreated(*second), 0u);
}

TEST(DiscoveryRun, UnreachableDiscoveryServerIsANoteAndNeverHangs) {
    SilentServer silent;
    const std::uint16_t closed = FreeLoopbackPort();
    for (const std::string& url : {silent.Url(), "opc.tcp://127.0.0.1:" + std::to_string(closed)}) {
        for (int call = 0; call < 2; ++call) {  // a fresh client each time
            const auto start = std::chrono::steady_clock::now();
            const LdsAnswer answer = AskDiscoveryServer(url, milliseconds(300));
            EXPECT_TRUE(answer.failure) << url;
            EXPECT_TRUE(answer.urls.empty());
            EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2)) << url;
        }
    }
    DiscoveryRequest request;
    request.ldsUrls = {silent.Url()};
    request.probeTimeout = milliseconds(300);
    const std::atomic<bool> cancel{false};
    const DiscoveryResult result = RunDiscovery(request, {}, cancel);
    ASSERT_EQ(result.notes.size(), 1u);
    EXPECT_EQ(result.notes.front().key, TextKey::LdsUnreachable);
    EXPECT_TRUE(result.servers.empty());
}

TEST(DiscoveryRun, CancelEndsARunMidSweep) {
    SilentServer silent;
    DiscoveryRequest request;
    for (int i = 0; i < 64; ++i) request.hosts.push_back({"127.0.0.1", {}, false});
    request.ports = {silent.Port()};
    request.maxInFlight = 4;
    request.probeTimeout = milliseconds(2000);  // 32 s without the cancel
    std::atomic<bool> cancel{false};
    std::size_t progressCalls = 0;
    DiscoveryEvents events;
    events.progress = [&](const DiscoveryProgress&) { ++progressCalls; };
    std::thread canceller([&] {
        std::this_thread::sleep_for(milliseconds(200));
        cancel = true;
    });
    const auto start = std::chrono::steady_clock::now();
    const DiscoveryResult result = RunDiscovery(request, {}, cancel, events);
    canceller.join();
    EXPECT_TRUE(result.cancelled);
    EXPECT_LT(result.probes, 64u);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
}

TEST(DiscoveryRun, MdnsWithoutDaemonIsUnavailableNotAnError) {
    const std::atomic<bool> cancel{false};
    const MdnsAnswer answer = BrowseMdns(milliseconds(500), cancel);
    if (!answer.unavailable) GTEST_SKIP() << "an avahi-daemon runs here";
    EXPECT_FALSE(answer.failure);
    EXPECT_TRUE(answer.urls.empty());
    DiscoveryRequest request;
    request.mdns = true;
    const DiscoveryResult result = RunDiscovery(request, {}, cancel);
    ASSERT_EQ(result.notes.size(), 1u);
    EXPECT_EQ(result.notes.front().key, TextKey::MdnsUnavailable);
    EXPECT_EQ(Text(TextKey::MdnsUnavailable, 1), "mDNS unavailable (no avahi-daemon)");
}

}  // namespace

namespace {

TEST(DiscoveryRun, CertificateFindingsFromRealServers) {
    const auto dir = std::filesystem::temp_directory_path() /
                     ("quorvane-shared-cert-" + std::to_string(::getpid()));
    DemoServerOptions shared;
    shared.secure = true;
    shared.certificateDir = dir.string();
    const auto first = StartDemoServer(shared);
    const auto second = StartDemoServer(shared);
    DemoServerOptions weak;
    weak.secure = true;
    weak.keyBits = 1024;
    weak.certificateDays = 0;
    const auto third = StartDemoServer(weak);
    ASSERT_TRUE(first && second && third);
    std::this_thread::sleep_for(std::chrono::milliseconds(1100));  // past the 0-day validity

    DiscoveryRequest request;
    request.urls = {first->Url(), second->Url(), third->Url()};
    const std::atomic<bool> cancel{false};
    const DiscoveryResult result = RunDiscovery(request, {}, cancel);
    ASSERT_EQ(result.servers.size(), 3u);
    const auto kinds = [&](const std::string& url) {
        std::set<FindingKind> found;
        for (const DiscoveredServer& s : result.servers) {
            if (s.foundAt != url) continue;
            for (const SecurityFinding& f : s.findings) found.insert(f.kind);
        }
        return found;
    };
    for (const auto& server : {first.get(), second.get()}) {
        const auto found = kinds(server->Url());
        EXPECT_TRUE(found.count(FindingKind::SharedCertificate)) << server->Url();
        EXPECT_TRUE(found.count(FindingKind::DeprecatedPolicy));
        EXPECT_FALSE(found.count(FindingKind::CertificateExpired));
    }
    const auto found = kinds(third->Url());
    EXPECT_FALSE(found.count(FindingKind::SharedCertificate));
    EXPECT_TRUE(found.count(FindingKind::CertificateExpired));
    EXPECT_TRUE(found.count(FindingKind::WeakRsaKey));
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
}

}  // namespace
