#include "engine/session_config.h"

#include <open62541/client_config_default.h>
#include <open62541/plugin/securitypolicy_default.h>

#include <algorithm>
#include <limits>

#include "engine/certificate_pin.h"

void ApplyTimeout(UA_ClientConfig& config, int timeoutSeconds, const SessionTiming& timing) {
    // Saturate instead of wrapping for values no dialog would pass.
    constexpr long long kMaxSeconds = std::numeric_limits<UA_UInt32>::max() / 1000;
    const auto milliseconds =
        static_cast<UA_UInt32>(std::clamp<long long>(timeoutSeconds, 0, kMaxSeconds) * 1000);
    config.timeout = milliseconds;
    config.secureChannelLifeTime = timing.channelLifetimeMs;
    config.requestedSessionTimeout = timing.sessionTimeoutMs;
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

namespace {

using PolicyFactory = UA_StatusCode (*)(UA_SecurityPolicy*, const UA_ByteString,
                                        const UA_ByteString, const UA_Logger*);

// The library asks for a password on standard input when a key does not parse; a desktop
// program has nobody there, so an unusable key simply yields no encrypting policies.
UA_StatusCode RefusePrivateKeyPassword(UA_ClientConfig*, UA_ByteString*) {
    return UA_STATUSCODE_BADSECURITYCHECKSFAILED;
}

bool HasPolicy(const UA_SecurityPolicy* policies, size_t count, const UA_String& uri) {
    for (size_t i = 0; i < count; ++i)
        if (UA_String_equal(&policies[i].policyUri, &uri)) return true;
    return false;
}

// Appends the encrypting policies the library's default set lacks (the two deprecated ones
// always, the others where the library left them out). A policy that cannot be built (no
// certificate, an unusable key) is left out, as the library does with its own.
void AddPolicies(UA_SecurityPolicy*& policies, size_t& count, const UA_ByteString& certificate,
                 const UA_ByteString& privateKey, const UA_Logger* logging) {
    static constexpr PolicyFactory kFactories[] = {
        UA_SecurityPolicy_Basic128Rsa15, UA_SecurityPolicy_Basic256,
        UA_SecurityPolicy_Basic256Sha256, UA_SecurityPolicy_Aes128Sha256RsaOaep,
        UA_SecurityPolicy_Aes256Sha256RsaPss};
    constexpr size_t kExtra = sizeof kFactories / sizeof kFactories[0];
    auto* grown = static_cast<UA_SecurityPolicy*>(
        UA_realloc(policies, sizeof(UA_SecurityPolicy) * (count + kExtra)));
    if (!grown) return;  // out of memory: the connect will fail on its own
    policies = grown;
    for (PolicyFactory make : kFactories) {
        if (make(&policies[count], certificate, privateKey, logging) != UA_STATUSCODE_GOOD)
            continue;
        if (HasPolicy(policies, count, policies[count].policyUri)) {
            policies[count].clear(&policies[count]);
            continue;
        }
        ++count;
    }
}

// The None policy the defaults made carries no certificate; servers that want the client's
// certificate even without security get it this way.
void RecreateNonePolicy(UA_ClientConfig& config, const UA_ByteString& certificate) {
    for (size_t i = 0; i < config.securityPoliciesSize; ++i) {
        UA_SecurityPolicy& policy = config.securityPolicies[i];
        if (!UA_String_equal(&policy.policyUri, &UA_SECURITY_POLICY_NONE_URI)) continue;
        policy.clear(&policy);
        if (UA_SecurityPolicy_None(&policy, certificate, config.logging) != UA_STATUSCODE_GOOD) {
            // Nothing usable is left in the slot; close the gap so the config never clears it.
            for (size_t j = i + 1; j < config.securityPoliciesSize; ++j)
                config.securityPolicies[j - 1] = config.securityPolicies[j];
            --config.securityPoliciesSize;
        }
        return;
    }
}

}  // namespace

void ConfigureSecurity(UA_ClientConfig& config, const UA_ByteString& certificate,
                       const UA_ByteString& privateKey, const std::string& policyName,
                       const std::string& modeName, const std::string& applicationUri) {
    UA_String_clear(&config.securityPolicyUri);
    // No name leaves the choice to the endpoints; the bare prefix would match none of them.
    if (!policyName.empty())
        config.securityPolicyUri = UA_String_fromChars(SecurityPolicyUri(policyName).c_str());
    config.securityMode = SecurityModeFromName(modeName);

    config.privateKeyPasswordCallback = RefusePrivateKeyPassword;
    // Its result is not needed: whatever it could not build is simply missing at connect time.
    UA_ClientConfig_setDefaultEncryption(&config, certificate, privateKey, nullptr, 0, nullptr, 0);
    AddPolicies(config.securityPolicies, config.securityPoliciesSize, certificate, privateKey,
                config.logging);
    // Anonymous and user tokens are encrypted by these; without them secure sessions are refused.
    AddPolicies(config.authSecurityPolicies, config.authSecurityPoliciesSize, certificate,
                privateKey, config.logging);
    RecreateNonePolicy(config, certificate);
    // Nothing is trusted until the caller pins the certificate the user's decision covered.
    RefuseServerCertificates(config);

    UA_String_clear(&config.clientDescription.applicationUri);
    config.clientDescription.applicationUri = UA_String_fromChars(applicationUri.c_str());
}

void ApplySessionLocales(UA_ClientConfig& config, const std::vector<std::string>& localeIds) {
    UA_Array_delete(config.sessionLocaleIds, config.sessionLocaleIdsSize,
                    &UA_TYPES[UA_TYPES_LOCALEID]);
    config.sessionLocaleIds = nullptr;
    config.sessionLocaleIdsSize = 0;
    if (localeIds.empty()) return;
    auto* ids =
        static_cast<UA_LocaleId*>(UA_Array_new(localeIds.size(), &UA_TYPES[UA_TYPES_LOCALEID]));
    if (ids == nullptr) return;
    for (std::size_t i = 0; i < localeIds.size(); ++i)
        ids[i] = UA_STRING_ALLOC(localeIds[i].c_str());
    config.sessionLocaleIds = ids;
    config.sessionLocaleIdsSize = localeIds.size();
}
