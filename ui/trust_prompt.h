#pragma once

#include <string>

#include "engine/connection_settings.h"
#include "engine/server_trust.h"
#include "session/connect_flow.h"

class QWidget;

// Asks the user about a server certificate the connect stopped at: first contact (with the
// warnings that apply) or a changed certificate, both fingerprints shown. Cancel is the default.
TrustAnswer AskServerTrust(QWidget* parent, const ServerTrust& trust, const std::string& url);

// The connect's questions asked in message boxes over `parent`.
class WindowDecider : public ConnectDecider {
public:
    explicit WindowDecider(QWidget* parent) : parent(parent) {}
    bool AllowPlainPassword(const ConnectionSettings& settings) override;
    TrustAnswer DecideTrust(const ServerTrust& trust, const std::string& url) override;
    void TrustNotStored(const std::string& where) override;
    void AcceptedThisRun(const std::string& fingerprint) override;

private:
    QWidget* parent;
};
