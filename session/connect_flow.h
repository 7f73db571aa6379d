#pragma once

#include <optional>
#include <string>

#include "engine/connection_settings.h"
#include "engine/server_trust.h"

enum class TrustAnswer { Always, ThisTime, Cancel };

// Who answers the questions a connect can stop at: the user in the window, a fixed policy on
// the command line.
class ConnectDecider {
public:
    virtual ~ConnectDecider() = default;
    // May the password go to a server that offers only a channel that does not encrypt it?
    virtual bool AllowPlainPassword(const ConnectionSettings& settings) = 0;
    // A certificate the connect stopped at: first contact or changed.
    virtual TrustAnswer DecideTrust(const ServerTrust& trust, const std::string& url) = 0;
    // "Trust always" could not be written under `where`.
    virtual void TrustNotStored(const std::string& where) = 0;
    // `fingerprint` was accepted; later connects of this run may take it without asking.
    virtual void AcceptedThisRun(const std::string& fingerprint) { (void)fingerprint; }
};

enum class FlowStep {
    Done,      // the attempt's outcome stands as it is
    Retry,     // connect again with the settings as the answers changed them
    Declined,  // a question was answered no: nothing was sent, nothing more to say
};

// The one conversation after a connect attempt: plain-password consent, then the trust
// decision; each yes leads to one more attempt.
FlowStep AfterAttempt(ConnectOutcome outcome, const std::optional<ServerTrust>& trust,
                      ConnectionSettings& settings, ConnectDecider& decider);

// Stores "trust always" for `settings.url` in `settings.pkiRoot`'s store; a changed certificate
// replaces the old one. False, with the directory in `where`, when it could not be written.
bool TrustAlways(const ServerTrust& trust, const ConnectionSettings& settings, std::string& where);
