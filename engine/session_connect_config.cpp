#include <algorithm>
#include <limits>

#include "engine/session_connect.h"

void ApplyTimeout(UA_ClientConfig& config, int timeoutSeconds) {
    // Saturate instead of wrapping for values no dialog would pass.
    constexpr long long kMaxSeconds = std::numeric_limits<UA_UInt32>::max() / 1000;
    const auto milliseconds =
        static_cast<UA_UInt32>(std::clamp<long long>(timeoutSeconds, 0, kMaxSeconds) * 1000);
    config.timeout = milliseconds;
    config.secureChannelLifeTime = milliseconds;
    config.requestedSessionTimeout = milliseconds;
}

std::string SecurityPolicyUri(const std::string& policyName) {
    return "http://opcfoundation.org/UA/SecurityPolicy#" + policyName;
}

UA_MessageSecurityMode SecurityModeFromName(const std::string& modeName) {
    if (modeName == "None") return UA_MESSAGESECURITYMODE_NONE;
    if (modeName == "Sign") return UA_MESSAGESECURITYMODE_SIGN;
    if (modeName == "Sign & Encrypt") return UA_MESSAGESECURITYMODE_SIGNANDENCRYPT;
    return UA_MESSAGESECURITYMODE_INVALID;
}
