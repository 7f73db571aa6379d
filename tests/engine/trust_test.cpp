#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <vector>

#include "engine/certificate_facts.h"
#include "engine/certificate_file.h"
#include "engine/client_identity.h"
#include "engine/pki_files.h"
#include "engine/server_trust.h"
#include "engine/trust_store.h"
#include "tests/engine/engine_test_support.h"
#include "tests/support/test_trust.h"

using engine_test::TempDir;

namespace {

// Two server certificates made once: making RSA keys is the slow part.
const CertificateFacts& ServerA() {
    static const CertificateFacts facts =
        *ReadCertificateFacts(GenerateIdentity("urn:plant:server", "plant-a")->certificate);
    return facts;
}
const CertificateFacts& ServerB() {
    static const CertificateFacts facts =
        *ReadCertificateFacts(GenerateIdentity("urn:plant:server", "plant-b")->certificate);
    return facts;
}
const CertificateFacts& OtherServer() {
    static const CertificateFacts facts =
        *ReadCertificateFacts(GenerateIdentity("urn:other:server", "other")->certificate);
    return facts;
}

std::int64_t Mode(const std::filesystem::path& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? (info.st_mode & 0777) : -1;
}

}  // namespace

// --- Facts ------------------------------------------------------------------------------------

TEST(CertificateFacts, GeneratedIdentityNamesItsUriHostAndFiveYears) {
    const auto identity = GenerateIdentity("urn:box:Quorvane", "box");
    ASSERT_TRUE(identity);
    const auto facts = ReadCertificateFacts(identity->certificate);
    ASSERT_TRUE(facts);
    EXPECT_EQ(facts->applicationUri, "urn:box:Quorvane");
    EXPECT_EQ(facts->dnsNames, std::vector<std::string>{"box"});
    EXPECT_NE(facts->subject.find("CN=Quorvane"), std::string::npos);
    EXPECT_EQ(facts->subject, facts->issuer);  // self-signed
    const std::int64_t years = (facts->notAfter - facts->notBefore) / (365 * 24 * 3600);
    EXPECT_EQ(years, 5);
    EXPECT_EQ(facts->fingerprint, Sha256Of(identity->certificate));
    EXPECT_FALSE(ReadCertificateFacts(std::vector<std::uint8_t>{0x30, 0x01, 0x00}));
}

TEST(CertificateFacts, FingerprintsAreTypedAnyWay) {
    Fingerprint f{};
    for (std::size_t i = 0; i < f.size(); ++i) f[i] = static_cast<std::uint8_t>(i * 9 + 0xa0);
    const std::string text = FingerprintText(f);
    EXPECT_EQ(text.size(), 32u * 3 - 1);
    EXPECT_EQ(text.substr(0, 6), "A0:A9:");
    std::string bare = text;
    std::erase(bare, ':');
    std::string lower = text;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (const std::string& typed : {text, bare, lower}) EXPECT_EQ(ParseFingerprint(typed), f);
    for (const std::string& bad :
         {bare.substr(2), bare + "00", bare.substr(1) + "G", std::string()})
        EXPECT_FALSE(ParseFingerprint(bad)) << bad;
}

TEST(CertificateFacts, HostOfUrlAndWhetherTheCertificateNamesIt) {
    EXPECT_EQ(HostOfUrl("opc.tcp://Plant-A:4840/ua"), "Plant-A");
    EXPECT_EQ(HostOfUrl("opc.tcp://[::1]:4840"), "::1");
    EXPECT_EQ(HostOfUrl("opc.tcp://10.0.0.7"), "10.0.0.7");
    CertificateFacts facts;
    facts.dnsNames = {"plant-a", "127.0.0.1"};
    facts.ipAddresses = {"::1"};
    EXPECT_TRUE(CertificateNamesHost(facts, "PLANT-A"));
    EXPECT_TRUE(CertificateNamesHost(facts, "127.0.0.1"));
    EXPECT_TRUE(CertificateNamesHost(facts, "0:0::1"));
    EXPECT_FALSE(CertificateNamesHost(facts, "plant-b"));
    EXPECT_FALSE(CertificateNamesHost(facts, ""));
}

// --- The verifier -----------------------------------------------------------------------------

TEST(ServerTrustVerdict, DecisionsAsATable) {
    const std::string url = "opc.tcp://plant-a:4840";
    const std::int64_t now = ServerA().notBefore + 3600;
    const std::vector<TrustedCertificate> aTrusted = {{ServerA(), {url}}};
    const std::vector<TrustedCertificate> otherAtUrl = {{OtherServer(), {url}}};
    const std::vector<TrustedCertificate> otherElsewhere = {{OtherServer(), {"opc.tcp://x:1"}}};
    const std::vector<Fingerprint> none;
    const std::vector<Fingerprint> bThisRun = {ServerB().fingerprint};
    struct Case {
        const char* name;
        const CertificateFacts& presented;
        const std::vector<TrustedCertificate>& trusted;
        const std::vector<Fingerprint>& accepted;
        std::int64_t now;
        TrustVerdict expected;
    };
    const Case cases[] = {
        {"unknown", ServerA(), otherElsewhere, none, now, TrustVerdict::Unknown},
        {"nothing trusted", ServerA(), {}, none, now, TrustVerdict::Unknown},
        {"trusted", ServerA(), aTrusted, none, now, TrustVerdict::Trusted},
        {"same URI, other key", ServerB(), aTrusted, none, now, TrustVerdict::Changed},
        {"same URL, other URI", OtherServer(), aTrusted, none, now, TrustVerdict::Changed},
        {"other URI at a trusted URL", ServerA(), otherAtUrl, none, now, TrustVerdict::Changed},
        {"accepted this run", ServerB(), aTrusted, bThisRun, now, TrustVerdict::Trusted},
        {"accepted, another one", ServerA(), {}, bThisRun, now, TrustVerdict::Unknown},
        {"trusted, expired", ServerA(), aTrusted, none, ServerA().notAfter + 1,
         TrustVerdict::Expired},
        {"trusted, not yet valid", ServerA(), aTrusted, none, ServerA().notBefore - 1,
         TrustVerdict::NotYetValid},
        {"trusted, last valid second", ServerA(), aTrusted, none, ServerA().notAfter,
         TrustVerdict::Trusted},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ServerTrust t =
            JudgeServerCertificate(c.presented, url, c.trusted, c.accepted, c.now);
        EXPECT_EQ(t.verdict, c.expected);
        EXPECT_EQ(t.presented.fingerprint, c.presented.fingerprint);
        EXPECT_EQ(t.previous.has_value(), c.expected == TrustVerdict::Changed);
    }
    const ServerTrust changed = JudgeServerCertificate(ServerB(), url, aTrusted, none, now);
    ASSERT_TRUE(changed.previous);
    EXPECT_EQ(changed.previous->fingerprint, ServerA().fingerprint);
}

// One rule for the verdict and the store: which trusted certificate is the presented one's
// server's.
TEST(SameServerRule, CertificateUriOrUrlAsATable) {
    const TrustedCertificate a{ServerA(), {"opc.tcp://plant-a:4840/ua"}};
    const TrustedCertificate other{OtherServer(), {"opc.tcp://other:4840"}};
    CertificateFacts noUri = OtherServer();
    noUri.applicationUri.clear();
    CertificateFacts otherNoUri = ServerB();
    otherNoUri.applicationUri.clear();
    const TrustedCertificate blank{noUri, {"opc.tcp://blank:4840"}};
    struct Case {
        const char* name;
        const TrustedCertificate& trusted;
        const CertificateFacts& presented;
        const char* url;
        bool same;
    };
    const Case cases[] = {
        {"same certificate, other URL", a, ServerA(), "opc.tcp://elsewhere:1", true},
        {"same URI, other certificate", a, ServerB(), "opc.tcp://elsewhere:1", true},
        {"same URL, other certificate and URI", a, OtherServer(), "opc.tcp://plant-a:4840/ua",
         true},
        {"other URI, other URL", other, ServerA(), "opc.tcp://plant-a:4840", false},
        {"host in other case", a, OtherServer(), "opc.tcp://PLANT-A:4840/ua", true},
        {"scheme in other case", a, OtherServer(), "OPC.TCP://plant-a:4840/ua", true},
        {"path in other case", a, OtherServer(), "opc.tcp://plant-a:4840/UA", false},
        {"other port", a, OtherServer(), "opc.tcp://plant-a:4841/ua", false},
        {"other host name for the same address", a, OtherServer(), "opc.tcp://10.0.0.1:4840/ua",
         false},
        {"without a URI, the same certificate", blank, noUri, "opc.tcp://elsewhere:1", true},
        {"an empty URI is no URI to match", blank, otherNoUri, "opc.tcp://elsewhere:1", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(SameServer(c.trusted, c.presented, c.url), c.same);
        // The verdict follows the same rule for another certificate.
        if (c.presented.fingerprint != c.trusted.facts.fingerprint) {
            const ServerTrust t = JudgeServerCertificate(c.presented, c.url, {c.trusted}, {},
                                                         c.presented.notBefore + 3600);
            EXPECT_EQ(t.verdict, c.same ? TrustVerdict::Changed : TrustVerdict::Unknown);
        }
    }
}

TEST(ServerTrustVerdict, WarningsAboutTimeAndHost) {
    const CertificateFacts& a = ServerA();  // names the host plant-a
    const auto at = [&](const std::string& url, std::int64_t now) {
        return JudgeServerCertificate(a, url, {}, {}, now);
    };
    const ServerTrust fine = at("opc.tcp://plant-a:4840", a.notBefore + 10);
    EXPECT_FALSE(fine.expired || fine.notYetValid || fine.hostMismatch);
    EXPECT_TRUE(at("opc.tcp://plant-a:4840", a.notAfter + 1).expired);
    EXPECT_TRUE(at("opc.tcp://plant-a:4840", a.notBefore - 1).notYetValid);
    EXPECT_TRUE(at("opc.tcp://10.1.1.1:4840", a.notBefore + 10).hostMismatch);
}

// --- The store --------------------------------------------------------------------------------

TEST(TrustStoreFiles, TrustedCertificatesAreDerFilesReadBack) {
    TempDir dir;
    TrustStore store(dir.Path());
    EXPECT_TRUE(store.Load().certificates.empty());
    ASSERT_TRUE(store.Trust(ServerA(), "opc.tcp://plant-a:4840", false));
    ASSERT_TRUE(store.Trust(OtherServer(), "opc.tcp://other:4840", false));
    const auto file = dir.Path() / "trusted" / TrustedFileName(ServerA().fingerprint);
    EXPECT_EQ(*ReadSmallFile(file), ServerA().der);
    const auto loaded = store.Load();
    ASSERT_EQ(loaded.certificates.size(), 2u);
    EXPECT_TRUE(loaded.notes.empty());
    for (const TrustedCertificate& t : loaded.certificates) {
        const bool isA = t.facts.fingerprint == ServerA().fingerprint;
        EXPECT_EQ(t.endpointUrls, std::vector<std::string>{isA ? "opc.tcp://plant-a:4840"
                                                               : "opc.tcp://other:4840"});
    }
}

TEST(TrustStoreFiles, AcceptingAChangedCertificateReplacesTheOldTrustOnly) {
    TempDir dir;
    TrustStore store(dir.Path());
    ASSERT_TRUE(store.Trust(ServerA(), "opc.tcp://plant-a:4840", false));
    ASSERT_TRUE(store.Trust(OtherServer(), "opc.tcp://other:4840", false));
    ASSERT_TRUE(store.Trust(ServerB(), "opc.tcp://plant-a:4840", true));
    std::vector<Fingerprint> left;
    for (const auto& t : store.Load().certificates) left.push_back(t.facts.fingerprint);
    EXPECT_EQ(left.size(), 2u);
    EXPECT_EQ(std::count(left.begin(), left.end(), ServerA().fingerprint), 0);
    EXPECT_EQ(std::count(left.begin(), left.end(), ServerB().fingerprint), 1);
    EXPECT_EQ(std::count(left.begin(), left.end(), OtherServer().fingerprint), 1);

    // The store replaces by the verdict's rule: the host typed in capitals is the same server.
    ASSERT_TRUE(store.Trust(ServerA(), "OPC.TCP://Other:4840", true));
    left.clear();
    for (const auto& t : store.Load().certificates) left.push_back(t.facts.fingerprint);
    EXPECT_EQ(left, std::vector<Fingerprint>{ServerA().fingerprint});
}

TEST(TrustStoreFiles, DamagedFileIsIgnoredWithANote) {
    TempDir dir;
    TrustStore store(dir.Path());
    ASSERT_TRUE(store.Trust(ServerA(), "opc.tcp://plant-a:4840", false));
    std::vector<std::uint8_t> cut = ServerB().der;
    cut.resize(cut.size() / 2);
    std::ofstream(dir.Path() / "trusted" / "cut.der", std::ios::binary)
        .write(reinterpret_cast<const char*>(cut.data()), static_cast<std::streamsize>(cut.size()));
    std::ofstream(dir.Path() / "trusted" / "readme.txt") << "not a certificate";
    const auto loaded = store.Load();
    ASSERT_EQ(loaded.certificates.size(), 1u);
    EXPECT_EQ(loaded.certificates[0].facts.fingerprint, ServerA().fingerprint);
    ASSERT_EQ(loaded.notes.size(), 1u);
    EXPECT_NE(loaded.notes[0].find("cut.der"), std::string::npos);
}

TEST(AtomicWrite, NewFileHasItsModeAndReplacesWhole) {
    TempDir dir;
    const auto path = dir.Path() / "own" / "key.der";
    const std::vector<std::uint8_t> first(3000, 0x11), second(10, 0x22);
    const mode_t old = ::umask(0);  // a permissive umask must not widen the key's mode
    ASSERT_TRUE(WriteFileAtomically(path, first, 0600));
    ::umask(old);
    EXPECT_EQ(Mode(path), 0600);
    EXPECT_EQ(Mode(path.parent_path()), 0700);
    ASSERT_TRUE(WriteFileAtomically(path, second, 0600));
    EXPECT_EQ(*ReadSmallFile(path), second);
    // Nothing of the write is left beside it.
    std::size_t entries = 0;
    for (const auto& entry : std::filesystem::directory_iterator(path.parent_path())) {
        (void)entry;
        ++entries;
    }
    EXPECT_EQ(entries, 1u);
    // A directory in the way: the write fails and leaves what was there.
    std::filesystem::create_directories(dir.Path() / "blocked" / "key.der");
    EXPECT_FALSE(WriteFileAtomically(dir.Path() / "blocked" / "key.der", first, 0600));
    EXPECT_TRUE(std::filesystem::is_directory(dir.Path() / "blocked" / "key.der"));
}

// --- The identity -----------------------------------------------------------------------------

TEST(ClientIdentityFiles, MadeOnceThenTheSameOnEveryRun) {
    TempDir dir;
    const auto first = LoadOrCreateIdentity(dir.Path());
    ASSERT_TRUE(first);
    EXPECT_EQ(Mode(IdentityKeyPath(dir.Path())), 0600);
    EXPECT_EQ(Mode(IdentityKeyPath(dir.Path()).parent_path()), 0700);
    EXPECT_EQ(first->applicationUri, ClientApplicationUri());
    EXPECT_EQ(first->certificatePath, IdentityCertificatePath(dir.Path()));
    const auto again = LoadOrCreateIdentity(dir.Path());
    ASSERT_TRUE(again);
    EXPECT_EQ(again->certificate, first->certificate);
    EXPECT_EQ(again->privateKey, first->privateKey);

    TempDir otherInstallation;
    const auto other = LoadOrCreateIdentity(otherInstallation.Path());
    ASSERT_TRUE(other);
    EXPECT_NE(other->certificate, first->certificate);

    const auto renewed = RenewIdentity(dir.Path());
    ASSERT_TRUE(renewed);
    EXPECT_NE(renewed->certificate, first->certificate);
    EXPECT_EQ(LoadOrCreateIdentity(dir.Path())->certificate, renewed->certificate);
}

TEST(ClientIdentityFiles, AKeyThatDoesNotFitTheCertificateIsMadeAnew) {
    TempDir dir;
    const auto first = LoadOrCreateIdentity(dir.Path());
    ASSERT_TRUE(first);
    // Another pair's key in place of ours: half a pair is no identity.
    ASSERT_TRUE(
        WriteFileAtomically(IdentityKeyPath(dir.Path()), TestClientPair().privateKey, 0600));
    const auto mended = LoadOrCreateIdentity(dir.Path());
    ASSERT_TRUE(mended);
    EXPECT_NE(mended->certificate, first->certificate);
    EXPECT_NE(mended->privateKey, TestClientPair().privateKey);
}

TEST(ClientIdentityFiles, PkiRootFollowsXdgDataHomeThenHome) {
    const char* savedData = std::getenv("XDG_DATA_HOME");
    const char* savedHome = std::getenv("HOME");
    const std::string data = savedData ? savedData : "", home = savedHome ? savedHome : "";
    setenv("XDG_DATA_HOME", "/srv/data", 1);
    setenv("HOME", "/home/op", 1);
    EXPECT_EQ(PkiRoot(), std::filesystem::path("/srv/data/quorvane/pki"));
    setenv("XDG_DATA_HOME", "relative/ignored", 1);
    EXPECT_EQ(PkiRoot(), std::filesystem::path("/home/op/.local/share/quorvane/pki"));
    unsetenv("XDG_DATA_HOME");
    EXPECT_EQ(PkiRoot(), std::filesystem::path("/home/op/.local/share/quorvane/pki"));
    if (savedData) setenv("XDG_DATA_HOME", data.c_str(), 1);
    setenv("HOME", home.c_str(), 1);
}

TEST(CertificateExport, DerAsItIsPemForDotPem) {
    const std::vector<std::uint8_t>& der = TestClientPair().certificate;
    EXPECT_EQ(CertificateFileContent(der, "a.der"), std::string(der.begin(), der.end()));
    EXPECT_EQ(CertificateFileContent(der, "a.cer"), std::string(der.begin(), der.end()));
    const std::string pem = CertificateFileContent(der, "a.PEM");
    EXPECT_EQ(pem.rfind("-----BEGIN CERTIFICATE-----\n", 0), 0u);
    // Read back by OpenSSL's own tool: the same certificate.
    TempDir dir;
    const auto path = dir.Path() / "client.pem";
    ASSERT_TRUE(WriteCertificateFile(der, path));
    const std::string command = "openssl x509 -in " + path.string() + " -outform DER -out " +
                                (dir.Path() / "back.der").string() + " 2>/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);
    EXPECT_EQ(*ReadSmallFile(dir.Path() / "back.der"), der);
}
