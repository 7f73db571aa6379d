#include "engine/opcua_browser.h"

#include <open62541/client_config_default.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <memory>

#include "engine/connect_cause.h"
#include "engine/session_config.h"
#include "resources/hex_resources.h"

namespace {

UaClientPtr NewClient() { return UaClientPtr(UA_Client_new()); }

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// Directories open fine but report a nonsense length at their "end".
bool IsRegularFile(std::FILE* file) {
    struct stat info;
    return fstat(fileno(file), &info) == 0 && S_ISREG(info.st_mode);
}
// How often a waiting connect looks at its cancel flag.
constexpr std::chrono::milliseconds kCancelCheck{20};

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
// be asked.
std::optional<bool> ServerOffers(const ConnectionSettings& s) {
    if (!IsKnownPolicy(s.securityPolicy)) return std::nullopt;
    UaClientPtr probe(UA_Client_new());
    if (!probe) return std::nullopt;
    UA_ClientConfig* config = UA_Client_getConfig(probe.get());
    UA_ClientConfig_setDefault(config);
    ApplyTimeout(*config, s.timeoutSeconds);
    size_t count = 0;
    UA_EndpointDescription* endpoints = nullptr;
    if (UA_Client_getEndpoints(probe.get(), s.url.c_str(), &count, &endpoints) !=
        UA_STATUSCODE_GOOD)
        return std::nullopt;
    const std::string uri = SecurityPolicyUri(s.securityPolicy);
    const UA_MessageSecurityMode mode = SecurityModeFromName(s.securityMode);
    bool offered = false;
    for (size_t i = 0; i < count && !offered; ++i) {
        const UA_String& policy = endpoints[i].securityPolicyUri;
        offered = policy.length == uri.size() &&
                  std::equal(uri.begin(), uri.end(), reinterpret_cast<const char*>(policy.data)) &&
                  (mode == UA_MESSAGESECURITYMODE_INVALID || endpoints[i].securityMode == mode);
    }
    UA_Array_delete(endpoints, count, &UA_TYPES[UA_TYPES_ENDPOINTDESCRIPTION]);
    return offered;
}

}  // namespace

OPCUABrowser::OPCUABrowser(PointList* list) : list(list) {}

OPCUABrowser::~OPCUABrowser() { Disconnect(); }

void OPCUABrowser::Disconnect() {
    if (client) {
        UA_Client_disconnect(client.get());
        client.reset();
    }
    // A later session may be with another server, or the same one reconfigured.
    maxNodesPerRead.reset();
}

// The library's own connect waits the whole timeout without a way out; this loop is the same
// wait in small steps, so that a user who gives up is not kept waiting.
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
    using Clock = std::chrono::steady_clock;
    UA_Client* c = client.get();
    const auto deadline =
        Clock::now() + std::chrono::milliseconds(UA_Client_getConfig(c)->timeout);
    UA_StatusCode status = UA_Client_connectAsync(c, url.c_str());
    while (status == UA_STATUSCODE_GOOD) {
        UA_SessionState session = UA_SESSIONSTATE_CLOSED;
        UA_StatusCode connectStatus = UA_STATUSCODE_GOOD;
        UA_Client_getState(c, nullptr, &session, &connectStatus);
        if (connectStatus != UA_STATUSCODE_GOOD) return connectStatus;
        if (session == UA_SESSIONSTATE_ACTIVATED) return UA_STATUSCODE_GOOD;
        if (cancel != nullptr && cancel->load()) {
            cancelled = true;
            return UA_STATUSCODE_BADREQUESTCANCELLEDBYCLIENT;
        }
        const auto now = Clock::now();
        if (now >= deadline) return UA_STATUSCODE_BADTIMEOUT;
        const auto wait = std::min<Clock::duration>(kCancelCheck, deadline - now);
        status = UA_Client_run_iterate(
            c, static_cast<UA_UInt32>(
                   std::chrono::duration_cast<std::chrono::milliseconds>(wait).count()));
    }
    return status;
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
    ApplyTimeout(*config, timeoutSeconds);
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
    ApplyTimeout(*config, timeoutSeconds);
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
    ApplyTimeout(*config, timeoutSeconds);
    // The certificate secures the channel; the session itself is anonymous.
    return FinishConnect(AwaitConnect(url));
}

ConnectOutcome OPCUABrowser::Connect(const ConnectionSettings& s,
                                     const std::atomic<bool>* cancelFlag) {
    cancel = cancelFlag;
    cancelled = false;
    policyUsable = true;
    int result = 1;
    switch (s.authKind) {
        case 1: result = ConnectAnonymous(s.url, s.timeoutSeconds); break;
        case 2:
            if (s.userName.empty() || s.password.empty()) {
                Disconnect();
                cancel = nullptr;
                return ConnectOutcome::MissingUserPassword;
            }
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
    return FailedOutcome(s);
}

ConnectOutcome OPCUABrowser::FailedOutcome(const ConnectionSettings& s) const {
    const ConnectCause cause = CauseOf(lastConnectStatus);
    std::optional<bool> offered;
    // Only a server that answered without saying why is asked what it offers.
    if (s.authKind != 1 && policyUsable &&
        (cause == ConnectCause::Unknown ||
         (cause == ConnectCause::IdentityRefused && !sessionCreated)))
        offered = ServerOffers(s);
    return FailedConnectOutcome(s.authKind, lastConnectStatus, sessionCreated, policyUsable,
                                offered);
}

UaByteString OPCUABrowser::LoadFile(const std::string& path) {
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        errno = 0;  // a missing file is an expected outcome here, not an error to keep around
        return {};
    }
    if (!IsRegularFile(file.get()) || std::fseek(file.get(), 0, SEEK_END) != 0) return {};
    const long length = std::ftell(file.get());
    if (length <= 0) return {};
    UaByteString content;
    if (UA_ByteString_allocBuffer(content.get(), static_cast<std::size_t>(length)) !=
        UA_STATUSCODE_GOOD)
        return {};
    std::rewind(file.get());
    if (std::fread(content->data, 1, content->length, file.get()) != content->length) return {};
    return content;
}

UaByteString OPCUABrowser::LoadHexResource(int id) { return ByteStringOf(FindHexResource(id)); }
