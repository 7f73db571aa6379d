#include <gtest/gtest.h>
#include <openssl/evp.h>
#include <openssl/x509.h>

#include <functional>
#include <memory>

#include "discovery/certificate_strength.h"
#include "discovery/security_findings.h"

namespace {

constexpr std::int64_t kNow = 1'800'000'000;
const std::string kPolicy = "http://opcfoundation.org/UA/SecurityPolicy#";

EndpointOffer Endpoint(int mode, const std::string& policy, std::vector<UserTokenOffer> tokens) {
    return {"opc.tcp://plc-1:4840", mode, policy.empty() ? "" : kPolicy + policy, 0,
            std::move(tokens)};
}
const UserTokenOffer kAnonymous{0, {}};
const UserTokenOffer kPassword{1, {}};

CertificateFacts GoodCertificate() {
    CertificateFacts facts;
    facts.notBefore = kNow - 86400;
    facts.notAfter = kNow + 86400 * 365;
    facts.dnsNames = {"plc-1"};
    facts.fingerprint[0] = 1;
    return facts;
}

DiscoveredServer SecureServer() {
    DiscoveredServer s;
    s.foundAt = "opc.tcp://10.1.2.3:4840";
    s.advertisedUrl = "opc.tcp://plc-1:4840";
    s.endpoints = {Endpoint(3, "Basic256Sha256", {{2, {}}})};
    s.certificate = GoodCertificate();
    s.strength = {"RSA", 2048, "SHA256", true};
    return s;
}

using Found = std::vector<std::pair<FindingKind, std::string>>;

Found Kinds(const std::vector<SecurityFinding>& findings) {
    Found found;
    for (const SecurityFinding& f : findings) {
        found.emplace_back(f.kind, f.detail);
        EXPECT_EQ(f.severity, SeverityOf(f.kind));
    }
    return found;
}

TEST(Findings, JudgesEndpointsAndCertificates) {
    const struct {
        const char* name;
        std::function<void(DiscoveredServer&)> change;
        Found expected;
    } cases[] = {
        {"a well secured server", [](DiscoveredServer&) {}, {}},
        {"None only",
         [](DiscoveredServer& s) { s.endpoints = {Endpoint(1, "None", {kAnonymous})}; },
         {{FindingKind::NoSecureEndpoint, ""}, {FindingKind::AnonymousOffered, "None"}}},
        {"an empty policy URI is None",
         [](DiscoveredServer& s) { s.endpoints = {Endpoint(1, "", {})}; },
         {{FindingKind::NoSecureEndpoint, ""}}},
        {"None beside a secure endpoint",
         [](DiscoveredServer& s) { s.endpoints.push_back(Endpoint(1, "None", {})); },
         {{FindingKind::NoneBesideSecure, ""}}},
        {"deprecated policies, each once",
         [](DiscoveredServer& s) {
             s.endpoints = {Endpoint(2, "Basic256", {}), Endpoint(3, "Basic256", {}),
                            Endpoint(3, "Basic128Rsa15", {})};
         },
         {{FindingKind::DeprecatedPolicy, "Basic256, Basic128Rsa15"}}},
        {"anonymous on the modes it is offered on",
         [](DiscoveredServer& s) {
             s.endpoints = {Endpoint(2, "Basic256Sha256", {kAnonymous}),
                            Endpoint(3, "Basic256Sha256", {kAnonymous})};
         },
         {{FindingKind::AnonymousOffered, "Sign, SignAndEncrypt"}}},
        {"a password over None travels in the clear",
         [](DiscoveredServer& s) { s.endpoints.push_back(Endpoint(1, "None", {kPassword})); },
         {{FindingKind::NoneBesideSecure, ""}, {FindingKind::PlainPassword, "None/None"}}},
        {"a password token with its own policy is encrypted even over None",
         [](DiscoveredServer& s) {
             s.endpoints.push_back(Endpoint(1, "None", {{1, kPolicy + "Basic256Sha256"}}));
         },
         {{FindingKind::NoneBesideSecure, ""}}},
        {"a password over Sign is encrypted by the endpoint's policy",
         [](DiscoveredServer& s) { s.endpoints = {Endpoint(2, "Basic256Sha256", {kPassword})}; },
         {}},
        {"a token policy of None gives the password away on a secure endpoint",
         [](DiscoveredServer& s) {
             s.endpoints = {Endpoint(3, "Basic256Sha256", {{1, kPolicy + "None"}})};
         },
         {{FindingKind::PlainPassword, "Basic256Sha256/SignAndEncrypt"}}},
        {"expired",
         [](DiscoveredServer& s) { s.certificate->notAfter = kNow - 1; },
         {{FindingKind::CertificateExpired, UtcTimeText(kNow - 1)}}},
        {"not yet valid",
         [](DiscoveredServer& s) { s.certificate->notBefore = kNow + 60; },
         {{FindingKind::CertificateNotYetValid, UtcTimeText(kNow + 60)}}},
        {"SHA-1 signed",
         [](DiscoveredServer& s) { s.strength.signatureHash = "SHA1"; },
         {{FindingKind::Sha1Signed, ""}}},
        {"RSA key under 2048 bits",
         [](DiscoveredServer& s) { s.strength.keyBits = 1024; },
         {{FindingKind::WeakRsaKey, "1024"}}},
        {"a short EC key is no RSA finding",
         [](DiscoveredServer& s) {
             s.strength = {"EC", 256, "SHA256", false};
         },
         {}},
        {"host name not in the certificate",
         [](DiscoveredServer& s) { s.certificate->dnsNames = {"plc-2"}; },
         {{FindingKind::HostNotInCertificate, "plc-1"}}},
        {"an advertised name that does not resolve: the found address is checked",
         [](DiscoveredServer& s) {
             s.advertisedResolves = false;
             s.certificate->ipAddresses = {"10.1.2.3"};
         },
         {}},
        {"no certificate: only the endpoints are judged",
         [](DiscoveredServer& s) {
             s.certificate.reset();
             s.strength = {};
         },
         {}},
    };
    for (const auto& c : cases) {
        DiscoveredServer server = SecureServer();
        c.change(server);
        EXPECT_EQ(Kinds(JudgeServer(server, kNow)), c.expected) << c.name;
    }
}

TEST(Findings, SameCertificateOnSeveralServers) {
    std::vector<DiscoveredServer> servers(4, SecureServer());
    servers[2].certificate->fingerprint[0] = 2;
    servers[3].certificate.reset();
    MarkSharedCertificates(servers);
    EXPECT_EQ(Kinds(servers[0].findings), (Found{{FindingKind::SharedCertificate, "2"}}));
    EXPECT_EQ(Kinds(servers[1].findings), (Found{{FindingKind::SharedCertificate, "2"}}));
    EXPECT_TRUE(servers[2].findings.empty());
    EXPECT_TRUE(servers[3].findings.empty());
}

TEST(Findings, SummaryAndLinesInBothLanguages) {
    std::vector<DiscoveredServer> servers(3, SecureServer());
    servers[0].endpoints = {Endpoint(1, "None", {kAnonymous})};
    for (DiscoveredServer& s : servers) s.findings = JudgeServer(s, kNow);
    MarkSharedCertificates(servers);
    EXPECT_EQ(SummaryLine(servers, 1),
              "3 servers: 1 without security, 1 allow anonymous, 3 share one certificate");
    EXPECT_EQ(SummaryLine(servers, 0), "3 个服务器: 1 个无安全, 1 个允许匿名, 3 个共用一个证书");
    EXPECT_EQ(SummaryLine({}, 1),
              "0 servers: 0 without security, 0 allow anonymous, 0 share one certificate");
    EXPECT_EQ(FindingLine({FindingKind::DeprecatedPolicy, Severity::Medium, "Basic256"}, 1),
              "[medium] deprecated security policies: Basic256");
    EXPECT_EQ(FindingLine({FindingKind::NoSecureEndpoint, Severity::High, ""}, 0),
              "[高] 没有任何安全端点");
    EXPECT_EQ(WorstSeverity(servers[0].findings), Severity::High);
    EXPECT_EQ(WorstSeverity({}), std::nullopt);
}

// A self-signed certificate made here with OpenSSL, signed with `hash`.
std::vector<std::uint8_t> MakeCertificate(int bits, const EVP_MD* hash, bool selfSigned) {
    std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)> key(
        EVP_RSA_gen(static_cast<unsigned>(bits)), EVP_PKEY_free);
    std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)> issuerKey(
        selfSigned ? nullptr : EVP_RSA_gen(1024), EVP_PKEY_free);
    std::unique_ptr<X509, decltype(&X509_free)> x(X509_new(), X509_free);
    X509_set_version(x.get(), 2);
    X509_gmtime_adj(X509_getm_notBefore(x.get()), 0);
    X509_gmtime_adj(X509_getm_notAfter(x.get()), 3600);
    X509_set_pubkey(x.get(), key.get());
    X509_NAME* subject = X509_get_subject_name(x.get());
    X509_NAME_add_entry_by_txt(subject, "CN", MBSTRING_ASC,
                               reinterpret_cast<const unsigned char*>("plc"), -1, -1, 0);
    if (selfSigned) {
        X509_set_issuer_name(x.get(), subject);
    } else {
        std::unique_ptr<X509_NAME, decltype(&X509_NAME_free)> other(X509_NAME_new(),
                                                                    X509_NAME_free);
        X509_NAME_add_entry_by_txt(other.get(), "CN", MBSTRING_ASC,
                                   reinterpret_cast<const unsigned char*>("ca"), -1, -1, 0);
        X509_set_issuer_name(x.get(), other.get());
    }
    X509_sign(x.get(), selfSigned ? key.get() : issuerKey.get(), hash);
    unsigned char* der = nullptr;
    const int length = i2d_X509(x.get(), &der);
    std::vector<std::uint8_t> bytes(der, der + length);
    OPENSSL_free(der);
    return bytes;
}

TEST(CertificateStrength, ReadsKeyHashAndSelfSigned) {
    const CertificateStrength weak =
        ReadCertificateStrength(MakeCertificate(1024, EVP_sha1(), true));
    EXPECT_EQ(weak.keyType, "RSA");
    EXPECT_EQ(weak.keyBits, 1024);
    EXPECT_EQ(weak.signatureHash, "SHA1");
    EXPECT_TRUE(weak.selfSigned);
    const CertificateStrength issued =
        ReadCertificateStrength(MakeCertificate(2048, EVP_sha256(), false));
    EXPECT_EQ(issued.keyBits, 2048);
    EXPECT_EQ(issued.signatureHash, "SHA256");
    EXPECT_FALSE(issued.selfSigned);
    const std::vector<std::uint8_t> junk = {0x30, 0x03, 0x01};
    EXPECT_TRUE(ReadCertificateStrength(junk).keyType.empty());
}

}  // namespace
