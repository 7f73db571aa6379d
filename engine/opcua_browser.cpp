#include "engine/opcua_browser.h"

#include <fcntl.h>
#include <open62541/client_config_default.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <memory>
#include <optional>
#include <span>

#include "engine/certificate_facts.h"
#include "engine/certificate_pin.h"
#include "engine/client_identity.h"
#include "engine/connect_cause.h"
#include "engine/connect_diagnosis.h"
#include "engine/endpoint_list.h"
#include "engine/endpoint_recheck.h"
#include "engine/library_log.h"
#include "engine/password_token.h"
#include "engine/pki_files.h"
#include "engine/run_until.h"
#include "engine/session_config.h"
#include "engine/trust_store.h"
#include "os/file_io.h"
#include "os/secret_memory.h"

namespace {

bool IsKnownPolicy(const std::string& name) {
    return std::find_if(std::begin(kSecurityPolicies), std::end(kSecurityPolicies),
                        [&name](const char* p) { return name == p; }) !=
           std::end(kSecurityPolicies);
}

// False when an encrypting policy was chosen but could not be built from the certificate and key.
bool PolicyBuilt(const UA_ClientConfig& config, const std::string& policyName) {
    if (!IsKnownPolicy(policyName) || policyName == "None") return true;
    const std::string uri = SecurityPolicyUri(policyName);
    const UA_String wanted{uri.size(), reinterpret_cast<UA_Byte*>(const_cast<char*>(uri.data()))};
    for (size_t i = 0; i < config.securityPoliciesSize; ++i) {
        if (UA_String_equal(&config.securityPolicies[i].policyUri, &wanted)) return true;
    }
    return false;
}

// Notes that the server created a session, so a refused identity was judged by the server and
// not a sign that no endpoint suited (the library reports both with the same status).
bool SessionBegun(UA_SessionState session) {
    return session == UA_SESSIONSTATE_CREATED || session == UA_SESSIONSTATE_ACTIVATE_REQUESTED ||
           session == UA_SESSIONSTATE_ACTIVATED;
}

void NoteSessionState(UA_Client* client, UA_SecureChannelState, UA_SessionState session,
                      UA_StatusCode) {
    if (SessionBegun(session))
        *static_cast<bool*>(UA_Client_getConfig(client)->clientContext) = true;
}

// The checked connect's state callback: the same note, and the recheck told of every channel
// change before the library acts on it.
struct CheckedConnect {
    bool* sessionCreated;
    EndpointRecheck* recheck;
};

void NoteCheckedState(UA_Client* client, UA_SecureChannelState channel, UA_SessionState session,
                      UA_StatusCode) {
    auto* context = static_cast<CheckedConnect*>(UA_Client_getConfig(client)->clientContext);
    if (SessionBegun(session)) *context->sessionCreated = true;
    context->recheck->ChannelChanged(channel);
}

// Whether the server at `url` lists an endpoint with the policy and mode; none when it could not
// be asked. What it offers goes to `offered`.
std::optional<bool> ServerOffers(const ConnectionSettings& s, std::string& offered) {
    if (!IsKnownPolicy(s.securityPolicy)) return std::nullopt;
    const EndpointListing listing = ListEndpoints(s.url, s.timeoutSeconds);
    if (listing.status != UA_STATUSCODE_GOOD) return std::nullopt;
    offered = OfferedPairs(listing.endpoints);
    const UA_MessageSecurityMode mode = SecurityModeFromName(s.securityMode);
    const int modeIndex = mode == UA_MESSAGESECURITYMODE_NONE             ? 0
                          : mode == UA_MESSAGESECURITYMODE_SIGN           ? 1
                          : mode == UA_MESSAGESECURITYMODE_SIGNANDENCRYPT ? 2
                                                                          : -1;
    return std::any_of(listing.endpoints.begin(), listing.endpoints.end(), [&](const auto& e) {
        return e.policy == s.securityPolicy && (modeIndex < 0 || e.modeIndex == modeIndex);
    });
}

bool SecureChannelChosen(const ConnectionSettings& s) {
    const bool policy = !s.securityPolicy.empty() && s.securityPolicy != "None";
    const bool mode = !s.securityMode.empty() && s.securityMode != "None";
    return policy || mode;
}

}  // namespace

OPCUABrowser::OPCUABrowser(PointList* list) : list(list) {}

OPCUABrowser::~OPCUABrowser() { Disconnect(); }

void OPCUABrowser::Disconnect() {
    if (client) {
        // Closing the session is a courtesy the client waits for; a server that stopped
        // answering must not hold a Stop, a reconnect or the window's end for the whole timeout.
        UA_ClientConfig* config = UA_Client_getConfig(client.get());
        config->timeout = std::min<UA_UInt32>(config->timeout, kCloseSessionWaitMs);
        UA_Client_disconnect(client.get());
        client.reset();
    }
    // A later session may be with another server, or the same one reconfigured.
    maxNodesPerRead.reset();
}

void OPCUABrowser::Abandon() {
    if (client) {
        // No CloseSession: the server drops the session when it times out. Whatever the
        // library still sends on the way out waits no longer than a close would.
        UA_ClientConfig* config = UA_Client_getConfig(client.get());
        config->timeout = std::min<UA_UInt32>(config->timeout, kCloseSessionWaitMs);
        UA_Client_disconnectSecureChannel(client.get());
        client.reset();
    }
    maxNodesPerRead.reset();
}

void OPCUABrowser::KeepAlive() {
    if (client) UA_Client_run_iterate(client.get(), 0);
}

UA_StatusCode OPCUABrowser::AwaitConnect(const std::string& url) {
    UA_Client* c = client.get();
    UA_ClientConfig* config = UA_Client_getConfig(c);
    sessionCreated = false;
    config->clientContext = &sessionCreated;
    config->stateCallback = NoteSessionState;
    const UA_StatusCode status = WaitForSession(url);
    config->stateCallback = nullptr;
    config->clientContext = nullptr;
    return status;
}

UA_StatusCode OPCUABrowser::WaitForSession(const std::string& url) {
    const UA_StatusCode status = UA_Client_connectAsync(client.get(), url.c_str());
    if (status != UA_STATUSCODE_GOOD) return status;
    return RunUntil(client.get(), cancel, cancelled,
                    [](UA_SecureChannelState, UA_SessionState session) {
                        return session == UA_SESSIONSTATE_ACTIVATED;
                    });
}

UA_StatusCode OPCUABrowser::AwaitCheckedConnect(const std::string& url, const Endpoints& listed) {
    UA_Client* c = client.get();
    UA_ClientConfig* config = UA_Client_getConfig(c);
    sessionCreated = false;
    // The first list came over a channel anyone could have rewritten; nothing is entrusted to
    // the server (no session, no password) before it is confirmed from inside the channel.
    config->noSession = true;
    EndpointRecheck recheck(c, url, listed.View());
    CheckedConnect context{&sessionCreated, &recheck};
    config->clientContext = &context;
    config->stateCallback = NoteCheckedState;
    UA_StatusCode status = UA_Client_connectAsync(c, url.c_str());
    if (status == UA_STATUSCODE_GOOD) {
        status = RunUntil(c, cancel, cancelled,
                          [&recheck](UA_SecureChannelState channel, UA_SessionState session) {
                              return recheck.Ready(channel, session);
                          });
    }
    if (status == UA_STATUSCODE_GOOD && recheck.Change() != EndpointChange::None) {
        endpointsChanged = true;
        status = UA_STATUSCODE_BADSECURITYCHECKSFAILED;
    } else if (status == UA_STATUSCODE_GOOD) {
        status = recheck.Status();
    }
    config->stateCallback = nullptr;
    config->clientContext = nullptr;
    // A request still on its way answers into `recheck`: the client goes before it does.
    if (status != UA_STATUSCODE_GOOD) client.reset();
    return status;
}

bool OPCUABrowser::CancelledNow() {
    if (cancel != nullptr && cancel->load()) cancelled = true;
    return cancelled;
}

// A failed connect leaves no client behind, so the engine is without session.
int OPCUABrowser::FinishConnect(UA_StatusCode status) {
    lastConnectStatus = status;
    if (status != UA_STATUSCODE_GOOD) {
        channelUnsecured = false;  // nothing travelled at all
        client.reset();
        return 1;
    }
    return 0;
}

int OPCUABrowser::ConnectAnonymous(std::string url, int timeoutSeconds) {
    Disconnect();
    client = NewClient();
    if (!client) return 1;
    UA_ClientConfig* config = UA_Client_getConfig(client.get());
    UA_ClientConfig_setDefault(config);
    UA_String_clear(&config->clientDescription.applicationUri);
    config->clientDescription.applicationUri = UA_String_fromChars(ClientApplicationUri().c_str());
    ApplyTimeout(*config, timeoutSeconds, timing);
    ApplySessionLocales(*config, sessionLocales);
    return FinishConnect(AwaitConnect(url));
}

bool OPCUABrowser::ConfigureOwnIdentity(UA_ClientConfig& config, const std::string& policy,
                                        const std::string& mode) {
    const auto identity = LoadOrCreateIdentity(PkiRootOr(pkiRoot), nullptr, &pkiRefusal);
    if (!identity) {
        identityMissing = true;
        return false;
    }
    const UA_ByteString certificate{identity->certificate.size(),
                                    const_cast<UA_Byte*>(identity->certificate.data())};
    const UA_ByteString privateKey{identity->privateKey.size(),
                                   const_cast<UA_Byte*>(identity->privateKey.data())};
    ConfigureSecurity(config, certificate, privateKey, policy, mode, identity->applicationUri);
    return true;
}

bool OPCUABrowser::DecideServerCertificate(const std::string& url,
                                           const UA_EndpointDescription& endpoint,
                                           UA_ClientConfig& config) {
    const auto facts =
        ReadCertificateFacts({endpoint.serverCertificate.data, endpoint.serverCertificate.length});
    if (!facts) return false;  // nothing to show; the connect fails as with a bad certificate
    const TrustStore store(PkiRootOr(pkiRoot));
    const TrustStore::Contents trusted = store.Load();
    if (trusted.refused) {
        // Not even a certificate accepted for this run: the store may have been planted.
        pkiRefusal = trusted.refused;
        return false;
    }
    const std::vector<Fingerprint> accepted = ParseFingerprints(acceptedCertificates);
    serverTrust = JudgeServerCertificate(*facts, url, trusted.certificates, accepted,
                                         static_cast<std::int64_t>(std::time(nullptr)));
    if (serverTrust->verdict != TrustVerdict::Trusted) {
        serverUndecided = true;
        return false;
    }
    // The channel and the password token then use this certificate and no other.
    PinServerCertificate(config, facts->der);
    return true;
}

// The start of every connect that picks its endpoint itself: a new client, then the server's
// endpoints, asked before any key is made, so a server that does not answer costs none.
UA_ClientConfig* OPCUABrowser::BeginChosenConnect(const std::string& url, int timeoutSeconds,
                                                  Endpoints& endpoints, int& result) {
    Disconnect();
    client = NewClient();
    result = 1;
    if (!client) return nullptr;
    const UA_StatusCode asked = FetchEndpoints(url, timeoutSeconds, endpoints, cancel, cancelled);
    if (asked != UA_STATUSCODE_GOOD) {
        result = FinishConnect(asked);
        return nullptr;
    }
    return UA_Client_getConfig(client.get());
}

// Once the identity is in: a last look at the cancel flag, then the timeout and the locales.
bool OPCUABrowser::CompleteConfiguration(UA_ClientConfig& config, const std::string& policy,
                                         int timeoutSeconds, int& result) {
    if (CancelledNow()) {
        result = FinishConnect(UA_STATUSCODE_BADREQUESTCANCELLEDBYCLIENT);
        return false;
    }
    policyUsable = PolicyBuilt(config, policy);
    ApplyTimeout(config, timeoutSeconds, timing);
    ApplySessionLocales(config, sessionLocales);
    return true;
}

// A connect whose channel carries this installation's own certificate: begun, the identity in,
// configured.
UA_ClientConfig* OPCUABrowser::BeginOwnIdentityConnect(const std::string& url, int timeoutSeconds,
                                                       const std::string& policy,
                                                       const std::string& mode,
                                                       Endpoints& endpoints, int& result) {
    UA_ClientConfig* config = BeginChosenConnect(url, timeoutSeconds, endpoints, result);
    if (config == nullptr) return nullptr;
    if (!ConfigureOwnIdentity(*config, policy, mode)) {
        result = FinishConnect(UA_STATUSCODE_BADCERTIFICATEINVALID);
        return nullptr;
    }
    return CompleteConfiguration(*config, policy, timeoutSeconds, result) ? config : nullptr;
}

int OPCUABrowser::ConnectUserPassword(std::string url, std::string userName, std::string password,
                                      int timeoutSeconds, std::string securityPolicy,
                                      std::string securityMode) {
    const WipeAtEnd wipePassword(password);  // the library keeps a copy of its own
    plainPasswordRefused = false;
    // The library would take the first user-name policy of the best endpoint, and send the
    // password as plain bytes when that policy has no security; choose one that encrypts.
    Endpoints endpoints;
    int result = 1;
    UA_ClientConfig* config = BeginOwnIdentityConnect(url, timeoutSeconds, securityPolicy,
                                                      securityMode, endpoints, result);
    if (config == nullptr) return result;
    const std::optional<PasswordToken> token = ChoosePasswordToken(endpoints.View(), *config);
    if (!token) return FinishConnect(UA_STATUSCODE_BADIDENTITYTOKENREJECTED);
    if (!token->encrypted && !allowPlainPassword) {
        plainPasswordRefused = true;  // nothing was sent; the caller may ask and allow it
        return FinishConnect(UA_STATUSCODE_BADSECURITYMODEINSUFFICIENT);
    }
    // The password is encrypted with the endpoint's certificate, and a secure channel uses it
    // too: either way it is decided on before the password goes anywhere.
    const bool certificateUsed =
        token->encrypted || token->endpoint->securityMode != UA_MESSAGESECURITYMODE_NONE;
    if (certificateUsed && !DecideServerCertificate(url, *token->endpoint, *config))
        return FinishConnect(UA_STATUSCODE_BADCERTIFICATEUNTRUSTED);
    channelUnsecured = securityPolicy.empty() && securityMode.empty() &&
                       token->endpoint->securityMode == UA_MESSAGESECURITYMODE_NONE;
    UsePasswordToken(*config, *token);
    const UA_StatusCode identity =
        UA_ClientConfig_setAuthenticationUsername(config, userName.c_str(), password.c_str());
    return FinishConnect(identity != UA_STATUSCODE_GOOD ? identity
                                                        : AwaitCheckedConnect(url, endpoints));
}

int OPCUABrowser::ConnectAnonymousSecure(const std::string& url, int timeoutSeconds,
                                         const std::string& securityPolicy,
                                         const std::string& securityMode) {
    Endpoints endpoints;
    int result = 1;
    UA_ClientConfig* config = BeginOwnIdentityConnect(url, timeoutSeconds, securityPolicy,
                                                      securityMode, endpoints, result);
    if (config == nullptr) return result;
    const std::optional<PasswordToken> choice = ChooseAnonymousEndpoint(endpoints.View(), *config);
    if (!choice) {
        // Never a quiet step down to another channel: the user asked for this one.
        anonymousNotOffered = true;
        lastDetail.offered = OfferedSignIns(DescribeEndpoints(endpoints.View()));
        return FinishConnect(UA_STATUSCODE_BADIDENTITYTOKENREJECTED);
    }
    if (!DecideServerCertificate(url, *choice->endpoint, *config))
        return FinishConnect(UA_STATUSCODE_BADCERTIFICATEUNTRUSTED);
    UsePasswordToken(*config, *choice);
    return FinishConnect(AwaitCheckedConnect(url, endpoints));
}

int OPCUABrowser::ConnectCertificate(std::string url, std::string certificatePath,
                                     std::string privateKeyPath, int timeoutSeconds,
                                     std::string securityPolicy, std::string securityMode) {
    // The endpoint is chosen here, not by the library, so that its certificate is decided on
    // before the secure channel is opened with it.
    Endpoints endpoints;
    int result = 1;
    UA_ClientConfig* config = BeginChosenConnect(url, timeoutSeconds, endpoints, result);
    if (config == nullptr) return result;
    // Half a pair is no pair: without both paths this installation's own pair serves.
    if (!certificatePath.empty() && !privateKeyPath.empty()) {
        const UaByteString certificate = LoadFile(certificatePath);
        const UaByteString privateKey = LoadFile(privateKeyPath);
        // The configuration holds its own copy of the key; ours is overwritten before it goes.
        const struct WipeKey {
            const UA_ByteString& key;
            ~WipeKey() { WipeBytes(key.data, key.length); }
        } wipeKey{*privateKey};
        // The server compares the announced URI with the one the certificate names.
        const auto own = ReadCertificateFacts({certificate->data, certificate->length});
        const std::string uri =
            own && !own->applicationUri.empty() ? own->applicationUri : ClientApplicationUri();
        ConfigureSecurity(*config, *certificate, *privateKey, securityPolicy, securityMode, uri);
    } else if (!ConfigureOwnIdentity(*config, securityPolicy, securityMode)) {
        return FinishConnect(UA_STATUSCODE_BADCERTIFICATEINVALID);
    }
    if (!CompleteConfiguration(*config, securityPolicy, timeoutSeconds, result)) return result;
    const std::optional<PasswordToken> choice = ChooseAnonymousEndpoint(endpoints.View(), *config);
    if (!choice) return FinishConnect(UA_STATUSCODE_BADIDENTITYTOKENREJECTED);
    // The certificate is the sign-in: left open, the choice never falls to a channel without
    // security, which would drop the certificate unseen (None/None asked for stays allowed).
    const bool open = securityPolicy.empty() && securityMode.empty();
    const bool none = choice->endpoint->securityMode == UA_MESSAGESECURITYMODE_NONE;
    if (open && none) return FinishConnect(UA_STATUSCODE_BADIDENTITYTOKENREJECTED);
    if (!none && !DecideServerCertificate(url, *choice->endpoint, *config))
        return FinishConnect(UA_STATUSCODE_BADCERTIFICATEUNTRUSTED);
    UsePasswordToken(*config, *choice);
    // The certificate secures the channel; the session itself is anonymous.
    return FinishConnect(AwaitCheckedConnect(url, endpoints));
}

ConnectOutcome OPCUABrowser::Connect(const ConnectionSettings& s,
                                     const std::atomic<bool>* cancelFlag) {
    lastDetail = {};
    if (!ParseOpcTcpUrl(s.url)) {
        // Nothing to ask the network about.
        Disconnect();
        lastConnectStatus = UA_STATUSCODE_BADTCPENDPOINTURLINVALID;
        lastDetail.cause = UnreachableCause::BadUrl;
        return ConnectOutcome::Unreachable;
    }
    cancel = cancelFlag;
    cancelled = false;
    sessionCreated = false;
    policyUsable = true;
    plainPasswordRefused = false;
    serverTrust.reset();
    serverUndecided = false;
    identityMissing = false;
    pkiRefusal.reset();
    channelUnsecured = false;
    anonymousNotOffered = false;
    endpointsChanged = false;
    acceptedCertificates = s.acceptedServerCertificates;
    pkiRoot = s.pkiRoot;
    sessionLocales = s.localeIds;
    int result = 1;
    switch (s.authKind) {
        case 1:
            // A secure channel asked for is opened or refused, never dropped for None.
            if (SecureChannelChosen(s)) {
                result = ConnectAnonymousSecure(s.url, s.timeoutSeconds, s.securityPolicy,
                                                s.securityMode);
            } else {
                result = ConnectAnonymous(s.url, s.timeoutSeconds);
            }
            break;
        case 2:
            if (s.userName.empty() || s.password.empty()) {
                Disconnect();
                cancel = nullptr;
                return ConnectOutcome::MissingUserPassword;
            }
            SetAllowPlainPassword(s.allowPlainPassword);
            result = ConnectUserPassword(s.url, s.userName, s.password, s.timeoutSeconds,
                                         s.securityPolicy, s.securityMode);
            break;
        case 3:
            // Without both files this installation's own pair signs in (ConnectCertificate).
            // Policy and mode both open take the strongest endpoint; one without the other is
            // an unfinished choice.
            if (s.securityPolicy.empty() != s.securityMode.empty()) {
                Disconnect();
                cancel = nullptr;
                return ConnectOutcome::MissingCertKey;
            }
            result = ConnectCertificate(s.url, s.certificatePath, s.privateKeyPath,
                                        s.timeoutSeconds, s.securityPolicy, s.securityMode);
            break;
        default:
            cancel = nullptr;
            return ConnectOutcome::UnknownKind;
    }
    cancel = nullptr;
    if (result == 0) return ConnectOutcome::Connected;
    if (cancelled) return ConnectOutcome::Cancelled;
    if (endpointsChanged) return ConnectOutcome::EndpointsChanged;
    if (plainPasswordRefused) return ConnectOutcome::PlainPasswordRefused;
    if (pkiRefusal) {
        lastDetail.unsafe = pkiRefusal;
        return ConnectOutcome::PkiUnsafe;
    }
    if (anonymousNotOffered) return ConnectOutcome::AnonymousNotOffered;
    if (serverUndecided) {
        return serverTrust->verdict == TrustVerdict::Changed
                   ? ConnectOutcome::ServerCertificateChanged
                   : ConnectOutcome::ServerCertificateUntrusted;
    }
    if (identityMissing) {
        lastDetail.ownIdentityFailed = true;
        return ConnectOutcome::CertKeyRejected;
    }
    const ConnectOutcome outcome = FailedOutcome(s);
    if (outcome == ConnectOutcome::Unreachable) {
        lastDetail.cause = DiagnoseUnreachable(s.url, lastConnectStatus, kDiagnosisBudget);
    } else if (!sessionCreated && CauseOf(lastConnectStatus) == ConnectCause::Unknown) {
        // A stranger on the port fails with whatever status its answer decodes to.
        const UnreachableCause cause =
            DiagnoseUnreachable(s.url, lastConnectStatus, kDiagnosisBudget);
        if (cause == UnreachableCause::NotOpcUa || cause == UnreachableCause::ClosedInHandshake) {
            lastDetail.cause = cause;
            return ConnectOutcome::Unreachable;
        }
    }
    return outcome;
}

ConnectOutcome OPCUABrowser::FailedOutcome(const ConnectionSettings& s) {
    const ConnectCause cause = CauseOf(lastConnectStatus);
    std::optional<bool> offered;
    // Only a server that answered without saying why is asked what it offers.
    if (s.authKind != 1 && policyUsable &&
        (cause == ConnectCause::Unknown || cause == ConnectCause::PolicyRefused ||
         (cause == ConnectCause::IdentityRefused && !sessionCreated)))
        offered = ServerOffers(s, lastDetail.offered);
    return FailedConnectOutcome(s.authKind, lastConnectStatus, sessionCreated, policyUsable,
                                offered);
}

UaByteString OPCUABrowser::LoadFile(const std::string& path) {
    // A DER certificate or key is a few KiB; anything far larger is not one. Never waits on a
    // FIFO or a device.
    SmallFile file = ReadFileUpTo(path);
    errno = 0;  // an unusable file is an expected outcome here, not an error to keep around
    if (!file.Ok() || file.bytes.empty()) return {};
    UaByteString content = ByteStringOf(file.bytes);
    WipeBytes(file.bytes.data(), file.bytes.size());  // it may be a private key
    return content;
}
