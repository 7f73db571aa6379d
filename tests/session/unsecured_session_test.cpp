#include <gtest/gtest.h>

#include <string>

#include "session/scan_session.h"
#include "tests/session/pump.h"
#include "tests/support/demo_server_fixture.h"
#include "texts/text_table.h"

namespace {

ConnectionSettings SignIn(const DemoServer& server, const char* policy, const char* mode) {
    ConnectionSettings s;
    s.url = server.Url();
    s.authKind = 2;
    s.userName = "operator";
    s.password = "secret";
    s.allowPlainPassword = true;
    s.securityPolicy = policy;
    s.securityMode = mode;
    s.timeoutSeconds = 5;
    return s;
}

bool ConnectedTo(ScanSession& session, const ConnectionSettings& settings) {
    session.Connect(settings);
    return PumpUntil([&] {
               return session.State() == SessionState::Refreshing ||
                      session.State() == SessionState::Idle;
           }) &&
           session.State() == SessionState::Refreshing;
}

// The session keeps, for its window, whether its sign-in fell back to no security because the
// server offered nothing else; a later session has its own answer.
TEST(UnsecuredSession, KnownUntilTheNextConnect) {
    DemoServerOptions options;
    options.users = {{"operator", "secret"}};
    auto plain = StartDemoServer(options);
    options.secure = true;
    auto secure = StartDemoServer(options);
    ASSERT_TRUE(plain && secure);
    ScanSession session;
    ASSERT_TRUE(ConnectedTo(session, SignIn(*plain, "", "")));
    EXPECT_TRUE(session.SessionUnsecured());
    ASSERT_TRUE(ConnectedTo(session, SignIn(*secure, "", "")));
    EXPECT_FALSE(session.SessionUnsecured());
    ASSERT_TRUE(ConnectedTo(session, SignIn(*plain, "None", "None")));  // asked for
    EXPECT_FALSE(session.SessionUnsecured());
    // A failed connect is no session at all.
    ASSERT_TRUE(ConnectedTo(session, SignIn(*plain, "", "")));
    ConnectionSettings wrong = SignIn(*plain, "", "");
    wrong.password = "wrong";
    EXPECT_FALSE(ConnectedTo(session, wrong));
    EXPECT_FALSE(session.SessionUnsecured());
}

}  // namespace
