// What trust costs: making this installation's key on first need, and connecting through a
// slower network with the server's certificate checked first. Prints its figures.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "engine/certificate_facts.h"
#include "engine/client_identity.h"
#include "engine/opcua_browser.h"
#include "engine/pki_files.h"
#include "engine/trust_store.h"
#include "tools/demo-server/demo_server.h"
#include "tools/relay/delay_relay.h"

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// The median of `runs` timings of `work`, which reports whether it went as expected.
double MedianMs(int runs, const std::function<bool()>& work, bool* allOk) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        *allOk = work() && *allOk;
        times.push_back(Ms(Clock::now() - start));
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    const int delayMs = argc > 1 ? std::atoi(argv[1]) : 10;
    std::string pattern =
        (std::filesystem::temp_directory_path() / "quorvane-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) return 1;
    setenv("HOME", pattern.c_str(), 1);
    setenv("XDG_DATA_HOME", (pattern + "/share").c_str(), 1);

    auto start = Clock::now();
    const auto made = LoadOrCreateIdentity(PkiRoot());
    const double firstMs = Ms(Clock::now() - start);
    start = Clock::now();
    const auto again = LoadOrCreateIdentity(PkiRoot());
    const double againMs = Ms(Clock::now() - start);
    if (!made || !again) return 1;
    std::printf("identity: made on first need %.1f ms, read on later runs %.2f ms\n", firstMs,
                againMs);

    DemoServerOptions options;
    options.port = 0;
    options.secure = true;
    options.users = {{"alice", "pw"}};
    DemoServer server(options);
    std::string error;
    if (!server.Start(&error)) {
        std::fprintf(stderr, "demo server: %s\n", error.c_str());
        return 1;
    }
    DelayRelay relay("127.0.0.1", server.Port(), std::chrono::milliseconds(delayMs));
    if (!relay.Start(&error)) return 1;

    ConnectionSettings s;
    s.url = relay.Url();
    s.timeoutSeconds = 30;
    const auto connect = [&](ConnectionSettings settings, ConnectOutcome wanted) {
        return [settings, wanted] {
            PointList list;
            OPCUABrowser engine(&list);
            return engine.Connect(settings) == wanted;
        };
    };
    bool ok = true;
    const int runs = 5;
    std::printf("connect through a relay of %d ms each way, median of %d:\n", delayMs, runs);
    // Before any trust: the attempt stops after the endpoints were asked.
    ConnectionSettings password = s;
    password.authKind = 2;
    password.userName = "alice";
    password.password = "pw";
    password.securityPolicy = "Basic256Sha256";
    password.securityMode = "Sign & Encrypt";
    std::printf("  untrusted server, stopped before any secret   %8.1f ms\n",
                MedianMs(runs, connect(password, ConnectOutcome::ServerCertificateUntrusted), &ok));

    TrustStore store(PkiRoot());
    const UA_ServerConfig* config = UA_Server_getConfig(server.Server());
    for (size_t i = 0; i < config->securityPoliciesSize; ++i) {
        const UA_ByteString& der = config->securityPolicies[i].localCertificate;
        if (const auto facts = ReadCertificateFacts({der.data, der.length})) {
            store.Trust(*facts, relay.Url(), false);
            break;
        }
    }
    std::printf("  anonymous, None (no check)                    %8.1f ms\n",
                MedianMs(runs, connect(s, ConnectOutcome::Connected), &ok));
    std::printf("  password, Basic256Sha256 Sign & Encrypt       %8.1f ms\n",
                MedianMs(runs, connect(password, ConnectOutcome::Connected), &ok));
    ConnectionSettings certificate = password;
    certificate.authKind = 3;
    const auto own = IdentityCertificatePath(PkiRoot());
    certificate.certificatePath = own.string();
    certificate.privateKeyPath = IdentityKeyPath(PkiRoot()).string();
    std::printf("  certificate, Basic256Sha256 Sign & Encrypt    %8.1f ms\n",
                MedianMs(runs, connect(certificate, ConnectOutcome::Connected), &ok));
    relay.Stop();
    server.Stop();
    std::error_code ignored;
    std::filesystem::remove_all(pattern, ignored);
    if (!ok) std::printf("some connects did not end as expected\n");
    return ok ? 0 : 1;
}
