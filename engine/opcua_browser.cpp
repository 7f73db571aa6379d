#include "engine/opcua_browser.h"

#include <open62541/client_config_default.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <memory>
#include <optional>
#include <span>

#include "engine/connect_cause.h"
#include "engine/connect_diagnosis.h"
#include "engine/endpoint_list.h"
#include "engine/library_log.h"
#include "engine/run_until.h"
#include "engine/password_token.h"
#include "engine/session_config.h"
#include "resources/hex_resources.h"

namespace {

// A DER certificate or key is a few KiB; anything far larger is not one.
constexpr off_t kMaxKeyFileBytes = 1 << 20;

struct FileDescriptor {
    int fd;
    explicit FileDescriptor(int descriptor) : fd(descriptor) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() {
        if (fd >= 0) ::close(fd);
    }
};

bool IsKnownPolicy(const std::string& name) {
    return std::find_if(std::begin(kSecurityPolicies), std::end(kSecurityPolicies),
                        [&name](const char* p) { return name == p; }) != std::end(kSecurityPolicies);
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
void NoteSessionState(UA_Client* client, UA_SecureChannelState, UA_SessionState session,
                      UA_StatusCode) {
    if (session == UA_SESSIONSTATE_CREATED || session == UA_SESSIONSTATE_ACTIVATE_REQUESTED ||
        session == UA_SESSIONSTATE_ACTIVATED) {
        *static_cast<bool*>(UA_Client_getConfig(client)->clientContext) = true;
    }
}

// Whether the server at `url` lists an endpoint with the policy and mode; none when it could not
// be asked. What it offers goes to `offered`.
std::optional<bool> ServerOffers(const ConnectionSettings& s, std::string& offered) {
    if (!IsKnownPolicy(s.securityPolicy)) return std::nullopt;
    const EndpointListing listing = ListEndpoints(s.url, s.timeoutSeconds);
    if (listing.status != UA_STATUSCODE_GOOD) return std::nullopt;
    offered = OfferedPairs(listing.endpoints);
    const UA_MessageSecurityMode mode = SecurityModeFromName(s.securityMode);
    const int modeIndex = mode == UA_MESSAGESECURITYMODE_NONE   ? 0
                          : mode == UA_MESSAGESECURITYMODE_SIGN ? 1
                          : mode == UA_MESSAGESECURITYMODE_SIGNANDENCRYPT ? 2
                                                                          : -1;
    return std::any_of(listing.endpoints.begin(), listing.endpoints.end(), [&](const auto& e) {
        return e.policy == s.securityPolicy && (modeIndex < 0 || e.modeIndex == modeIndex);
    });
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
    return RunUntil(client.get(), cancel, cancelled, [](UA_SecureChannelState, UA_SessionState session) {
        return session == UA_SESSIONSTATE_ACTIVATED;
    });
}

// A failed connect leaves no client behind, so the engine is without session.
int OPCUABrowser::FinishConnect(UA_StatusCode status) {
    lastConnectStatus = status;
    if (status != UA_STATUSCODE_GOOD) {
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
    ApplyTimeout(*config, timeoutSeconds, timing);
    ApplySessionLocales(*config, sessionLocales);
    return FinishConnect(AwaitConnect(url));
}

int OPCUABrowser::ConnectUserPassword(std::string url, std::string userName, std::string password,
                                      int timeoutSeconds, std::string securityPolicy,
                                      std::string securityMode) {
    Disconnect();
    client = NewClient();
    if (!client) return 1;
    UA_ClientConfig* config = UA_Client_getConfig(client.get());
    {
        const UaByteString certificate = LoadHexResource(kClientCertificateResource);
        const UaByteString privateKey = LoadHexResource(kClientPrivateKeyResource);
        ConfigureSecurity(*config, *certificate, *privateKey, securityPolicy, securityMode);
    }
    policyUsable = PolicyBuilt(*config, securityPolicy);
    ApplyTimeout(*config, timeoutSeconds, timing);
    ApplySessionLocales(*config, sessionLocales);
    plainPasswordRefused = false;
    // The library would take the first user-name policy of the best endpoint, and send the
    // password as plain bytes when that policy has no security; choose one that encrypts.
    Endpoints endpoints;
    const UA_StatusCode asked = FetchEndpoints(url, timeoutSeconds, endpoints, cancel, cancelled);
    if (asked != UA_STATUSCODE_GOOD) return FinishConnect(asked);
    const std::optional<PasswordToken> token = ChoosePasswordToken(endpoints.View(), *config);
    if (!token) return FinishConnect(UA_STATUSCODE_BADIDENTITYTOKENREJECTED);
    if (!token->encrypted && !allowPlainPassword) {
        plainPasswordRefused = true;  // nothing was sent; the caller may ask and allow it
        return FinishConnect(UA_STATUSCODE_BADSECURITYMODEINSUFFICIENT);
    }
    UsePasswordToken(*config, *token);
    const UA_StatusCode identity =
        UA_ClientConfig_setAuthenticationUsername(config, userName.c_str(), password.c_str());
    return FinishConnect(identity != UA_STATUSCODE_GOOD ? identity : AwaitConnect(url));
}

int OPCUABrowser::ConnectCertificate(std::string url, std::string certificatePath,
                                     std::string privateKeyPath, int timeoutSeconds,
                                     std::string securityPolicy, std::string securityMode) {
    Disconnect();
    client = NewClient();
    if (!client) return 1;
    UA_ClientConfig* config = UA_Client_getConfig(client.get());
    {
        // Half a pair is no pair: without both paths the built-in certificate and key serve.
        const bool fromFiles = !certificatePath.empty() && !privateKeyPath.empty();
        const UaByteString certificate =
            fromFiles ? LoadFile(certificatePath) : LoadHexResource(kClientCertificateResource);
        const UaByteString privateKey =
            fromFiles ? LoadFile(privateKeyPath) : LoadHexResource(kClientPrivateKeyResource);
        ConfigureSecurity(*config, *certificate, *privateKey, securityPolicy, securityMode);
    }
    policyUsable = PolicyBuilt(*config, securityPolicy);
    ApplyTimeout(*config, timeoutSeconds, timing);
    ApplySessionLocales(*config, sessionLocales);
    // The certificate secures the channel; the session itself is anonymous.
    return FinishConnect(AwaitConnect(url));
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
    sessionLocales = s.localeIds;
    int result = 1;
    switch (s.authKind) {
        case 1: result = ConnectAnonymous(s.url, s.timeoutSeconds); break;
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
            if (s.certificatePath.empty() || s.privateKeyPath.empty() ||
                s.securityPolicy.empty() || s.securityMode.empty()) {
                Disconnect();
                cancel = nullptr;
                return ConnectOutcome::MissingCertKey;
            }
            result = ConnectCertificate(s.url, s.certificatePath, s.privateKeyPath,
                                        s.timeoutSeconds, s.securityPolicy, s.securityMode);
            break;
        default: cancel = nullptr; return ConnectOutcome::UnknownKind;
    }
    cancel = nullptr;
    if (result == 0) return ConnectOutcome::Connected;
    if (cancelled) return ConnectOutcome::Cancelled;
    if (plainPasswordRefused) return ConnectOutcome::PlainPasswordRefused;
    const ConnectOutcome outcome = FailedOutcome(s);
    if (outcome == ConnectOutcome::Unreachable)
        lastDetail.cause = DiagnoseUnreachable(s.url, lastConnectStatus, kDiagnosisBudget);
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
    // Non-blocking open: a FIFO or a device would otherwise wait here for a writer forever.
    const FileDescriptor file{::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)};
    struct stat info;
    if (file.fd < 0 || fstat(file.fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size <= 0 ||
        info.st_size > kMaxKeyFileBytes) {
        errno = 0;  // an unusable file is an expected outcome here, not an error to keep around
        return {};
    }
    UaByteString content;
    if (UA_ByteString_allocBuffer(content.get(), static_cast<std::size_t>(info.st_size)) !=
        UA_STATUSCODE_GOOD)
        return {};
    std::size_t done = 0;
    while (done < content->length) {
        const ssize_t n = ::read(file.fd, content->data + done, content->length - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {  // shrunk while being read, or unreadable
            errno = 0;
            return {};
        }
        done += static_cast<std::size_t>(n);
    }
    return content;
}

UaByteString OPCUABrowser::LoadHexResource(int id) { return ByteStringOf(FindHexResource(id)); }
