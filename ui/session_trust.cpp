#include "ui/session_trust.h"

#include <algorithm>

namespace {
// Used on the window's thread only.
std::vector<std::string>& Accepted() {
    static std::vector<std::string> accepted;
    return accepted;
}
}  // namespace

void AcceptServerThisRun(const std::string& fingerprint) {
    auto& accepted = Accepted();
    if (std::find(accepted.begin(), accepted.end(), fingerprint) == accepted.end())
        accepted.push_back(fingerprint);
}

const std::vector<std::string>& ServersAcceptedThisRun() { return Accepted(); }

void ForgetServersAcceptedThisRun() { Accepted().clear(); }

ConnectionSettings WithServersAcceptedThisRun(ConnectionSettings settings) {
    for (const std::string& fingerprint : Accepted()) {
        auto& list = settings.acceptedServerCertificates;
        if (std::find(list.begin(), list.end(), fingerprint) == list.end())
            list.push_back(fingerprint);
    }
    return settings;
}
