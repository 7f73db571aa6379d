#include "tests/support/demo_server_fixture.h"
#include "ui/sign_in.h"

#include <gtest/gtest.h>

namespace {

class SignInTest : public ::testing::Test {
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

TEST_F(SignInTest, MissingCredentialsCloseTheOpenSession) {
    ConnectionSettings user = Kind(2);
    user.userName = "operator";
    EXPECT_EQ(SignIn(engine, user), SignInOutcome::MissingUserPassword);
    EXPECT_FALSE(engine.HasSession());

    ASSERT_EQ(engine.ConnectAnonymous(server->Url(), 10), 0);
    ConnectionSettings cert = Kind(3);
    cert.certificatePath = "/c.der";
    cert.privateKeyPath = "/k.der";
    cert.securityMode.clear();  // never confirmed
    EXPECT_EQ(SignIn(engine, cert), SignInOutcome::MissingCertKey);
    EXPECT_FALSE(engine.HasSession());
}

TEST_F(SignInTest, EachKindSignsIn) {
    EXPECT_EQ(SignIn(engine, Kind(1)), SignInOutcome::Connected);
    EXPECT_TRUE(engine.HasSession());
    ConnectionSettings user = Kind(2);
    user.userName = "operator";
    user.password = "secret";
    EXPECT_EQ(SignIn(engine, user), SignInOutcome::Connected);
    EXPECT_TRUE(engine.HasSession());
}

TEST_F(SignInTest, RejectionsLeaveNoSession) {
    ConnectionSettings user = Kind(2);
    user.userName = "operator";
    user.password = "wrong";
    EXPECT_EQ(SignIn(engine, user), SignInOutcome::UserPasswordRejected);
    EXPECT_FALSE(engine.HasSession());

    ConnectionSettings anonymous = Kind(1);
    anonymous.url = "opc.tcp://127.0.0.1:" + std::to_string(FreeLoopbackPort());
    EXPECT_EQ(SignIn(engine, anonymous), SignInOutcome::AnonymousRejected);
    EXPECT_FALSE(engine.HasSession());
}

TEST_F(SignInTest, UnknownKindTriesNothing) {
    EXPECT_EQ(SignIn(engine, Kind(4)), SignInOutcome::UnknownKind);
    EXPECT_TRUE(engine.HasSession());  // untouched
}

}  // namespace
