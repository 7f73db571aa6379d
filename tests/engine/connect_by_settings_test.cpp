#include <gtest/gtest.h>

#include <filesystem>

#include "engine/client_identity.h"
#include "engine/opcua_browser.h"
#include "engine/pki_files.h"
#include "engine/trust_store.h"
#include "tests/engine/engine_test_support.h"
#include "tests/support/demo_server_fixture.h"
#include "tests/support/test_trust.h"

namespace {

class ConnectBySettings : public ::testing::Test {
protected:
    void SetUp() override {
        DemoServerOptions o;
        o.users = {{"operator", "secret"}};
        server = StartDemoServer(o);
        ASSERT_NE(server, nullptr);
        ASSERT_EQ(engine.ConnectAnonymous(server->Url(), 10), 0);  // a session to be closed
    }

    ConnectionSettings Kind(int authKind) const {
        ConnectionSettings s;
        s.url = server->Url();
        s.authKind = authKind;
        s.securityPolicy = "None";
        s.securityMode = "None";
        return s;
    }

    std::unique_ptr<DemoServer> server;
    PointList list;
    OPCUABrowser engine{&list};
};

TEST_F(ConnectBySettings, MissingCredentialsCloseTheOpenSession) {
    ConnectionSettings user = Kind(2);
    user.userName = "operator";
    EXPECT_EQ(engine.Connect(user), ConnectOutcome::MissingUserPassword);
    EXPECT_FALSE(engine.HasSession());

    ASSERT_EQ(engine.ConnectAnonymous(server->Url(), 10), 0);
    ConnectionSettings cert = Kind(3);
    cert.certificatePath = "/c.der";
    cert.privateKeyPath = "/k.der";
    cert.securityMode.clear();  // never confirmed
    EXPECT_EQ(engine.Connect(cert), ConnectOutcome::MissingCertKey);
    EXPECT_FALSE(engine.HasSession());
}

// This server offers no security, so a password could only travel as plain bytes: the sign-in
// goes ahead only when the settings allow that for the connect.
TEST_F(ConnectBySettings, EachKindSignsInAPlainPasswordOnlyWhenAllowed) {
    EXPECT_EQ(engine.Connect(Kind(1)), ConnectOutcome::Connected);
    EXPECT_TRUE(engine.HasSession());
    ConnectionSettings user = Kind(2);
    user.userName = "operator";
    user.password = "secret";
    EXPECT_EQ(engine.Connect(user), ConnectOutcome::PlainPasswordRefused);
    EXPECT_FALSE(engine.HasSession());
    EXPECT_EQ(engine.ConnectUserPassword(user.url, "operator", "secret", 10, "None", "None"), 1);
    EXPECT_TRUE(engine.PlainPasswordRefused());
    user.allowPlainPassword = true;
    EXPECT_EQ(engine.Connect(user), ConnectOutcome::Connected);
    EXPECT_TRUE(engine.HasSession());
    EXPECT_FALSE(engine.PlainPasswordRefused());
}

TEST_F(ConnectBySettings, RejectionsLeaveNoSession) {
    ConnectionSettings user = Kind(2);
    user.userName = "operator";
    user.password = "wrong";
    user.allowPlainPassword = true;
    EXPECT_EQ(engine.Connect(user), ConnectOutcome::UserPasswordRejected);
    EXPECT_FALSE(engine.HasSession());

    ConnectionSettings anonymous = Kind(1);
    anonymous.url = "opc.tcp://127.0.0.1:" + std::to_string(FreeLoopbackPort());
    EXPECT_EQ(engine.Connect(anonymous), ConnectOutcome::Unreachable);
    EXPECT_FALSE(engine.HasSession());
}

// Certificate sign-in with no files given uses this installation's own pair, made on first need.
TEST(CertificateSignIn, EmptyFieldsUseThisInstallationsOwnPair) {
    UseFreshHome();
    DemoServerOptions o;
    o.secure = true;
    auto server = StartDemoServer(o);
    ASSERT_NE(server, nullptr);
    PointList list;
    OPCUABrowser engine{&list};
    ConnectionSettings s;
    s.url = server->Url();
    s.authKind = 3;
    s.securityPolicy = "Basic256Sha256";
    s.securityMode = "Sign & Encrypt";
    ASSERT_FALSE(std::filesystem::exists(IdentityCertificatePath(PkiRoot())));
    EXPECT_EQ(engine.Connect(s), ConnectOutcome::Connected);
    EXPECT_TRUE(engine.HasSession());
    EXPECT_TRUE(std::filesystem::exists(IdentityCertificatePath(PkiRoot())));
    // Half a pair is no pair either: the own pair again, not a failure.
    s.certificatePath = "/nowhere/c.der";
    EXPECT_EQ(engine.Connect(s), ConnectOutcome::Connected);
}

// The caller says where the PKI is: the pair is made there and the server's certificate judged
// by that store, whatever the environment names.
TEST(CertificateSignIn, TheGivenPkiIsTheOnlyOneUsed) {
    UseFreshHome();
    DemoServerOptions o;
    o.secure = true;
    auto server = StartDemoServer(o);
    ASSERT_NE(server, nullptr);
    engine_test::TempDir given;
    PointList list;
    OPCUABrowser engine{&list};
    ConnectionSettings s;
    s.url = server->Url();
    s.authKind = 3;
    s.securityPolicy = "Basic256Sha256";
    s.securityMode = "Sign & Encrypt";
    s.pkiRoot = given.Path() / "pki";
    // Trusted in the environment's store only: not trusted for this connect.
    TrustDemoServer(*server);
    EXPECT_EQ(engine.Connect(s), ConnectOutcome::ServerCertificateUntrusted);
    ASSERT_TRUE(TrustStore(s.pkiRoot).Trust(ServerCertificate(*server), s.url, false));
    EXPECT_EQ(engine.Connect(s), ConnectOutcome::Connected);
    EXPECT_TRUE(std::filesystem::exists(IdentityCertificatePath(s.pkiRoot)));
    EXPECT_FALSE(std::filesystem::exists(IdentityCertificatePath(PkiRoot())));
}

// Left open, certificate sign-in takes a secure endpoint or none: a channel without security
// would sign in anonymously and drop the certificate unseen.
TEST(CertificateSignIn, OpenPolicyTakesASecureEndpointOrRefuses) {
    UseFreshHome();
    ConnectionSettings s;
    s.authKind = 3;
    PointList list;
    OPCUABrowser engine{&list};
    DemoServerOptions secure;
    secure.secure = true;
    auto server = StartDemoServer(secure);
    ASSERT_NE(server, nullptr);
    s.url = server->Url();
    EXPECT_EQ(engine.Connect(s), ConnectOutcome::Connected);
    EXPECT_FALSE(engine.LastChannelUnsecured());
    auto plain = StartDemoServer();  // offers None only
    ASSERT_NE(plain, nullptr);
    s.url = plain->Url();
    EXPECT_NE(engine.Connect(s), ConnectOutcome::Connected);
    EXPECT_FALSE(engine.HasSession());
}

TEST_F(ConnectBySettings, UnknownKindTriesNothing) {
    EXPECT_EQ(engine.Connect(Kind(4)), ConnectOutcome::UnknownKind);
    EXPECT_TRUE(engine.HasSession());  // untouched
}

}  // namespace
