#include "tests/support/test_trust.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <stdexcept>
#include <vector>

#include "engine/pki_files.h"
#include "engine/trust_store.h"

namespace {
// Every home made, removed when the test program ends.
std::vector<std::filesystem::path>& Homes() {
    static std::vector<std::filesystem::path> homes;
    return homes;
}
void RemoveHomes() {
    std::error_code ignored;
    for (const auto& home : Homes()) std::filesystem::remove_all(home, ignored);
}
}  // namespace

std::filesystem::path UseFreshHome() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "quorvane-home-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    const std::filesystem::path home = pattern;
    if (Homes().empty()) std::atexit(RemoveHomes);
    Homes().push_back(home);
    setenv("HOME", home.c_str(), 1);
    setenv("XDG_DATA_HOME", (home / "share").c_str(), 1);
    return home;
}

std::filesystem::path UseTemporaryHome() {
    static const std::filesystem::path home = UseFreshHome();
    return home;
}

CertificateFacts ServerCertificate(const DemoServer& server) {
    const UA_ServerConfig* config = UA_Server_getConfig(server.Server());
    // Every encrypting policy carries the one certificate the server made at start.
    for (size_t i = 0; i < config->securityPoliciesSize; ++i) {
        const UA_ByteString& der = config->securityPolicies[i].localCertificate;
        if (der.length == 0) continue;
        if (auto facts = ReadCertificateFacts({der.data, der.length})) return *facts;
    }
    ADD_FAILURE() << "the demo server presents no certificate";
    return {};
}

void TrustDemoServer(const DemoServer& server) {
    TrustStore store(PkiRoot());
    EXPECT_TRUE(store.Trust(ServerCertificate(server), server.Url(), false));
}

const ClientIdentity& TestClientPair() {
    static const ClientIdentity pair = [] {
        auto made = GenerateIdentity("urn:test-client:Quorvane", "localhost");
        if (!made) throw std::runtime_error("no test client pair");
        return *made;
    }();
    return pair;
}
