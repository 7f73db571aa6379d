#include "engine/connect_cause.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>

#include "engine/opcua_browser.h"
#include "tests/support/demo_server_fixture.h"
#include "tests/support/silent_server.h"

namespace {

using namespace std::chrono_literals;

struct CauseCase {
    const char* name;
    int authKind;
    UA_StatusCode status;
    bool sessionCreated;
    bool policyUsable;
    std::optional<bool> offered;
    ConnectOutcome expected;
};

constexpr UA_StatusCode kIdentityRejected = UA_STATUSCODE_BADIDENTITYTOKENREJECTED;

const CauseCase kCases[] = {
    // Nothing answered: the same text for every kind, whatever else is known.
    {"timeout", 2, UA_STATUSCODE_BADTIMEOUT, false, true, std::nullopt,
     ConnectOutcome::Unreachable},
    {"refused port", 1, UA_STATUSCODE_BADCONNECTIONREJECTED, false, true, std::nullopt,
     ConnectOutcome::Unreachable},
    {"closed while certificate unusable", 3, UA_STATUSCODE_BADCONNECTIONCLOSED, false, false,
     std::nullopt, ConnectOutcome::Unreachable},
    // The server judged the identity.
    {"password refused", 2, UA_STATUSCODE_BADUSERACCESSDENIED, true, true, std::nullopt,
     ConnectOutcome::UserPasswordRejected},
    {"token invalid", 2, UA_STATUSCODE_BADIDENTITYTOKENINVALID, true, true, std::nullopt,
     ConnectOutcome::UserPasswordRejected},
    {"anonymous refused", 1, kIdentityRejected, true, true, std::nullopt,
     ConnectOutcome::AnonymousRejected},
    // The same status before any session: no endpoint suited.
    {"no endpoint, server lacks it", 2, kIdentityRejected, false, true, false,
     ConnectOutcome::PolicyNotOffered},
    {"no endpoint, key unusable", 3, kIdentityRejected, false, false, std::nullopt,
     ConnectOutcome::CertKeyRejected},
    {"no endpoint, server has it", 2, kIdentityRejected, false, true, true,
     ConnectOutcome::UserPasswordRejected},
    {"no endpoint, not asked", 3, kIdentityRejected, false, true, std::nullopt,
     ConnectOutcome::CertKeyRejected},
    {"certificate untrusted", 3, UA_STATUSCODE_BADCERTIFICATEUNTRUSTED, false, true, std::nullopt,
     ConnectOutcome::CertKeyRejected},
    // With a password the certificate judged is this installation's own.
    {"security checks failed", 2, UA_STATUSCODE_BADSECURITYCHECKSFAILED, false, true, true,
     ConnectOutcome::ClientCertificateRefused},
    {"our certificate untrusted", 2, UA_STATUSCODE_BADCERTIFICATEUNTRUSTED, false, true, true,
     ConnectOutcome::ClientCertificateRefused},
    {"their certificate untrusted", 3, UA_STATUSCODE_BADCERTIFICATEUNTRUSTED, false, true, true,
     ConnectOutcome::CertKeyRejected},
    {"policy rejected", 2, UA_STATUSCODE_BADSECURITYPOLICYREJECTED, false, true, std::nullopt,
     ConnectOutcome::PolicyNotOffered},
    {"unknown status", 1, UA_STATUSCODE_BADINTERNALERROR, false, true, std::nullopt,
     ConnectOutcome::AnonymousRejected},
};

TEST(ConnectCause, OutcomeByStatusAndWhatElseIsKnown) {
    for (const CauseCase& c : kCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(
            FailedConnectOutcome(c.authKind, c.status, c.sessionCreated, c.policyUsable, c.offered),
            c.expected);
    }
}

ConnectionSettings Settings(const std::string& url, int authKind, int timeoutSeconds) {
    ConnectionSettings s;
    s.url = url;
    s.authKind = authKind;
    s.timeoutSeconds = timeoutSeconds;
    s.userName = "operator";
    s.password = "secret";
    s.securityPolicy = "None";
    s.securityMode = "None";
    return s;
}

TEST(ConnectCancel, ASilentServerTimesOutAsUnreachable) {
    SilentServer silent;
    ASSERT_TRUE(silent.Listening());
    PointList list;
    OPCUABrowser engine(&list);
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(engine.Connect(Settings(silent.Url(), 1, 1)), ConnectOutcome::Unreachable);
    const auto took = std::chrono::steady_clock::now() - started;
    EXPECT_GE(took, 900ms);
    EXPECT_LT(took, 5s);
    EXPECT_FALSE(engine.HasSession());
    EXPECT_GE(silent.Accepted(), 1);
}

TEST(ConnectCancel, CancelEndsTheWaitAtOnce) {
    SilentServer silent;
    ASSERT_TRUE(silent.Listening());
    for (int kind : {1, 2}) {
        SCOPED_TRACE(kind);
        PointList list;
        OPCUABrowser engine(&list);
        std::atomic<bool> cancel{false};
        auto attempt = std::async(std::launch::async, [&] {
            return engine.Connect(Settings(silent.Url(), kind, 60), &cancel);
        });
        EXPECT_EQ(attempt.wait_for(200ms), std::future_status::timeout);  // really waiting
        const auto cancelled = std::chrono::steady_clock::now();
        cancel = true;
        ASSERT_EQ(attempt.wait_for(2s), std::future_status::ready);
        EXPECT_LT(std::chrono::steady_clock::now() - cancelled, 200ms);
        EXPECT_EQ(attempt.get(), ConnectOutcome::Cancelled);
        EXPECT_FALSE(engine.HasSession());
    }
}

class ConnectCauseOnServer : public ::testing::Test {
protected:
    void SetUp() override {
        DemoServerOptions o;  // offers only the policy None
        o.users = {{"operator", "secret"}};
        server = StartDemoServer(o);
        ASSERT_NE(server, nullptr);
    }
    std::unique_ptr<DemoServer> server;
    PointList list;
    OPCUABrowser engine{&list};
};

TEST_F(ConnectCauseOnServer, EachCauseHasItsOutcome) {
    ConnectionSettings wrong = Settings(server->Url(), 2, 10);
    wrong.password = "wrong";
    // This server takes passwords only in clear.
    EXPECT_EQ(engine.Connect(wrong), ConnectOutcome::PlainPasswordRefused);
    wrong.allowPlainPassword = true;
    EXPECT_EQ(engine.Connect(wrong), ConnectOutcome::UserPasswordRejected);

    ConnectionSettings encrypted = Settings(server->Url(), 2, 10);
    encrypted.securityPolicy = "Basic256Sha256";
    encrypted.securityMode = "Sign & Encrypt";
    EXPECT_EQ(engine.Connect(encrypted), ConnectOutcome::PolicyNotOffered);

    ConnectionSettings noKey = Settings(server->Url(), 3, 10);
    noKey.certificatePath = "/nonexistent/client.der";
    noKey.privateKeyPath = "/nonexistent/client.key.der";
    noKey.securityPolicy = "Basic256Sha256";
    noKey.securityMode = "Sign & Encrypt";
    EXPECT_EQ(engine.Connect(noKey), ConnectOutcome::CertKeyRejected);
    EXPECT_FALSE(engine.HasSession());

    ConnectionSettings right = Settings(server->Url(), 2, 10);
    right.allowPlainPassword = true;
    EXPECT_EQ(engine.Connect(right), ConnectOutcome::Connected);
}

}  // namespace
