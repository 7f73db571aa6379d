#include "session/connect_flow.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/certificate_facts.h"
#include "engine/pki_files.h"
#include "engine/trust_store.h"
#include "tests/support/test_trust.h"

namespace {

// Answers from a list and writes down what it was asked, in order.
class ScriptedDecider : public ConnectDecider {
public:
    bool plainPassword = false;
    TrustAnswer trust = TrustAnswer::Cancel;
    std::vector<std::string> asked;
    std::vector<std::string> accepted;

    bool AllowPlainPassword(const ConnectionSettings&) override {
        asked.push_back("plain password");
        return plainPassword;
    }
    TrustAnswer DecideTrust(const ServerTrust&, const std::string& url) override {
        asked.push_back("trust " + url);
        return trust;
    }
    void TrustNotStored(const std::string& where) override {
        asked.push_back("not stored " + where);
    }
    void AcceptedThisRun(const std::string& fingerprint) override {
        accepted.push_back(fingerprint);
    }
};

// Any certificate will do as the one a server presents for the first time.
ServerTrust FirstContact() {
    ServerTrust trust;
    trust.verdict = TrustVerdict::Unknown;
    trust.presented = ReadCertificateFacts(TestClientPair().certificate).value();
    return trust;
}

ConnectionSettings Settings() {
    ConnectionSettings s;
    s.url = "opc.tcp://127.0.0.1:4840";
    return s;
}

TEST(ConnectFlow, PlainPasswordIsAskedOnceAndAllowedOnlyOnYes) {
    for (const bool yes : {false, true}) {
        ScriptedDecider decider;
        decider.plainPassword = yes;
        ConnectionSettings s = Settings();
        EXPECT_EQ(AfterAttempt(ConnectOutcome::PlainPasswordRefused, std::nullopt, s, decider),
                  yes ? FlowStep::Retry : FlowStep::Declined);
        EXPECT_EQ(s.allowPlainPassword, yes);
        EXPECT_EQ(decider.asked, std::vector<std::string>{"plain password"});
        // Refused again with consent given: not asked twice, the attempt stands declined.
        if (yes) {
            EXPECT_EQ(AfterAttempt(ConnectOutcome::PlainPasswordRefused, std::nullopt, s, decider),
                      FlowStep::Declined);
            EXPECT_EQ(decider.asked.size(), 1u);
        }
    }
}

TEST(ConnectFlow, TrustAnswersDecideRetryAndWhatIsStored) {
    UseFreshHome();
    const ServerTrust trust = FirstContact();
    const std::string fingerprint = FingerprintText(trust.presented.fingerprint);
    struct Case {
        TrustAnswer answer;
        FlowStep step;
        bool stored;
    };
    for (const Case c : {Case{TrustAnswer::Cancel, FlowStep::Declined, false},
                         Case{TrustAnswer::ThisTime, FlowStep::Retry, false},
                         Case{TrustAnswer::Always, FlowStep::Retry, true}}) {
        SCOPED_TRACE(static_cast<int>(c.answer));
        UseFreshHome();
        ScriptedDecider decider;
        decider.trust = c.answer;
        ConnectionSettings s = Settings();
        EXPECT_EQ(AfterAttempt(ConnectOutcome::ServerCertificateUntrusted, trust, s, decider),
                  c.step);
        EXPECT_EQ(decider.asked, std::vector<std::string>{"trust " + s.url});
        const bool retry = c.step == FlowStep::Retry;
        EXPECT_EQ(s.acceptedServerCertificates.size(), retry ? 1u : 0u);
        EXPECT_EQ(decider.accepted.size(), retry ? 1u : 0u);
        if (retry) {
            EXPECT_EQ(s.acceptedServerCertificates[0], fingerprint);
        }
        TrustStore store(PkiRoot());
        EXPECT_EQ(!store.Load().certificates.empty(), c.stored);
    }
}

TEST(ConnectFlow, OtherOutcomesAskNothing) {
    for (ConnectOutcome o : {ConnectOutcome::Connected, ConnectOutcome::Unreachable,
                             ConnectOutcome::UserPasswordRejected, ConnectOutcome::Cancelled}) {
        ScriptedDecider decider;
        ConnectionSettings s = Settings();
        EXPECT_EQ(AfterAttempt(o, std::nullopt, s, decider), FlowStep::Done);
        EXPECT_TRUE(decider.asked.empty());
    }
    // A certificate question without the certificate cannot be asked: declined, not retried.
    ScriptedDecider decider;
    ConnectionSettings s = Settings();
    EXPECT_EQ(AfterAttempt(ConnectOutcome::ServerCertificateChanged, std::nullopt, s, decider),
              FlowStep::Declined);
    EXPECT_TRUE(decider.asked.empty());
}

}  // namespace
