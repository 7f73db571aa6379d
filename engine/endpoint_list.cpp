#include "engine/endpoint_list.h"

#include <open62541/client_config_default.h>

#include <algorithm>
#include <iterator>

#include "engine/connect_diagnosis.h"
#include "engine/connection_settings.h"
#include "engine/library_log.h"
#include "engine/password_token.h"
#include "engine/run_until.h"
#include "engine/session_config.h"

namespace {

std::string PolicyName(const UA_String& uri) {
    const std::string text(reinterpret_cast<const char*>(uri.data), uri.length);
    const auto hash = text.rfind('#');
    return hash == std::string::npos ? text : text.substr(hash + 1);
}

int PolicyIndex(const std::string& name) {
    const auto found = std::find_if(std::begin(kSecurityPolicies), std::end(kSecurityPolicies),
                                    [&](const char* p) { return name == p; });
    if (found == std::end(kSecurityPolicies)) return -1;
    return static_cast<int>(found - std::begin(kSecurityPolicies));
}

int ModeIndex(UA_MessageSecurityMode mode) {
    switch (mode) {
        case UA_MESSAGESECURITYMODE_NONE:
            return 0;
        case UA_MESSAGESECURITYMODE_SIGN:
            return 1;
        case UA_MESSAGESECURITYMODE_SIGNANDENCRYPT:
            return 2;
        default:
            return -1;
    }
}

// Every user-name token policy of `endpoint` is protected by RSA 1.5 at best.
bool PasswordOnlyRsa15(const UA_EndpointDescription& endpoint) {
    int best = -1;
    for (std::size_t i = 0; i < endpoint.userIdentityTokensSize; ++i) {
        const UA_UserTokenPolicy& token = endpoint.userIdentityTokens[i];
        if (token.tokenType != UA_USERTOKENTYPE_USERNAME) continue;
        best = std::max(best, PolicyStrength(TokenSecurityPolicyUri(endpoint, token)));
    }
    return best == 1;
}

unsigned TokenBits(const UA_EndpointDescription& endpoint) {
    unsigned bits = 0;
    for (std::size_t i = 0; i < endpoint.userIdentityTokensSize; ++i) {
        switch (endpoint.userIdentityTokens[i].tokenType) {
            case UA_USERTOKENTYPE_ANONYMOUS:
                bits |= kTokenAnonymous;
                break;
            case UA_USERTOKENTYPE_USERNAME:
                bits |= kTokenUserName;
                break;
            case UA_USERTOKENTYPE_CERTIFICATE:
                bits |= kTokenCertificate;
                break;
            case UA_USERTOKENTYPE_ISSUEDTOKEN:
                bits |= kTokenIssued;
                break;
            default:
                break;
        }
    }
    return bits;
}

}  // namespace

UA_StatusCode FetchEndpoints(const std::string& url, int timeoutSeconds, Endpoints& out,
                             const std::atomic<bool>* cancel, bool& cancelled) {
    const UaClientPtr probe = NewClient();
    if (!probe) return UA_STATUSCODE_BADOUTOFMEMORY;
    UA_ClientConfig* config = UA_Client_getConfig(probe.get());
    UA_ClientConfig_setDefault(config);
    ApplyTimeout(*config, timeoutSeconds);
    UA_StatusCode status = UA_Client_connectSecureChannelAsync(probe.get(), url.c_str());
    if (status == UA_STATUSCODE_GOOD) {
        status = RunUntil(probe.get(), cancel, cancelled,
                          [](UA_SecureChannelState channel, UA_SessionState) {
                              return channel == UA_SECURECHANNELSTATE_OPEN;
                          });
    }
    if (status != UA_STATUSCODE_GOOD) return status;
    status = UA_Client_getEndpoints(probe.get(), url.c_str(), &out.count, &out.items);
    UA_Client_disconnect(probe.get());
    return status;
}

std::vector<EndpointInfo> DescribeEndpoints(std::span<const UA_EndpointDescription> endpoints) {
    std::vector<EndpointInfo> described;
    for (const UA_EndpointDescription& e : endpoints) {
        EndpointInfo info{PolicyName(e.securityPolicyUri), 0, ModeIndex(e.securityMode),
                          TokenBits(e), e.securityLevel};
        info.policyIndex = PolicyIndex(info.policy);
        info.passwordRsa15 = PasswordOnlyRsa15(e);
        // A server listing one pair under several URLs (host names, addresses) shows it once,
        // with every sign-in kind any of them takes.
        const auto same = std::find_if(described.begin(), described.end(), [&](const auto& d) {
            return d.policy == info.policy && d.modeIndex == info.modeIndex;
        });
        if (same != described.end()) {
            same->tokens |= info.tokens;
            same->passwordRsa15 = same->passwordRsa15 && info.passwordRsa15;
            same->level = std::max(same->level, info.level);
            continue;
        }
        described.push_back(std::move(info));
    }
    // Among equal levels (servers often give several the same) the stronger protection first:
    // the mode, then the policy by this program's ranking; the server's order after that.
    const auto strength = [](const EndpointInfo& e) {
        const auto rank =
            std::find(std::begin(kPolicyStrength), std::end(kPolicyStrength), e.policyIndex);
        const int policy = rank == std::end(kPolicyStrength)
                               ? -1  // None, or a policy this program does not know
                               : static_cast<int>(rank - std::begin(kPolicyStrength));
        return std::pair(e.modeIndex, policy);
    };
    std::stable_sort(described.begin(), described.end(),
                     [&](const EndpointInfo& a, const EndpointInfo& b) {
                         if (a.level != b.level) return a.level > b.level;
                         return strength(a) > strength(b);
                     });
    return described;
}

EndpointListing ListEndpoints(const std::string& url, int timeoutSeconds,
                              const std::atomic<bool>* cancel) {
    EndpointListing listing;
    if (!ParseOpcTcpUrl(url)) {
        listing.status = UA_STATUSCODE_BADTCPENDPOINTURLINVALID;
        listing.cause = UnreachableCause::BadUrl;
        return listing;
    }
    Endpoints endpoints;
    listing.status = FetchEndpoints(url, timeoutSeconds, endpoints, cancel, listing.cancelled);
    if (listing.status == UA_STATUSCODE_GOOD) {
        listing.endpoints = DescribeEndpoints(endpoints.View());
    } else if (!listing.cancelled) {
        listing.cause = DiagnoseUnreachable(url, listing.status, kDiagnosisBudget);
    }
    return listing;
}

std::string ModeWord(int modeIndex) {
    switch (modeIndex) {
        case 0:
            return "None";
        case 1:
            return "Sign";
        case 2:
            return "SignAndEncrypt";
        default:
            return "Invalid";
    }
}

std::string TokenWords(unsigned tokens) {
    static constexpr std::pair<unsigned, const char*> kWords[] = {
        {kTokenAnonymous, "anonymous"},
        {kTokenUserName, "username"},
        {kTokenCertificate, "certificate"},
        {kTokenIssued, "issued"}};
    std::string words;
    for (const auto& [bit, word] : kWords) {
        if ((tokens & bit) == 0) continue;
        if (!words.empty()) words += ',';
        words += word;
    }
    return words.empty() ? "none" : words;
}

std::string EndpointLine(const EndpointInfo& e) {
    return e.policy + " " + ModeWord(e.modeIndex) + " " + TokenWords(e.tokens) + " level " +
           std::to_string(e.level) + (e.passwordRsa15 ? " password-rsa15" : "");
}

std::string OfferedPairs(const std::vector<EndpointInfo>& endpoints) {
    std::string pairs;
    for (const EndpointInfo& e : endpoints) {
        if (!pairs.empty()) pairs += ", ";
        pairs += e.policy + "/" + ModeWord(e.modeIndex);
    }
    return pairs;
}

std::string OfferedSignIns(const std::vector<EndpointInfo>& endpoints) {
    std::string pairs;
    for (const EndpointInfo& e : endpoints) {
        if (!pairs.empty()) pairs += ", ";
        pairs += e.policy + "/" + ModeWord(e.modeIndex) + " " + TokenWords(e.tokens);
    }
    return pairs;
}
