#include "engine/opcua_browser.h"

#include <open62541/client_config_default.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <optional>
#include <span>

#include "engine/password_token.h"
#include "engine/session_config.h"
#include "resources/hex_resources.h"

namespace {

UaClientPtr NewClient() { return UaClientPtr(UA_Client_new()); }

// A DER certificate or key is a few KiB; anything far larger is not one.
constexpr off_t kMaxKeyFileBytes = 1 << 20;

// The endpoints a server offers, as GetEndpoints answered.
struct Endpoints {
    UA_EndpointDescription* items = nullptr;
    std::size_t count = 0;

    Endpoints() = default;
    Endpoints(const Endpoints&) = delete;
    Endpoints& operator=(const Endpoints&) = delete;
    ~Endpoints() { UA_Array_delete(items, count, &UA_TYPES[UA_TYPES_ENDPOINTDESCRIPTION]); }
    std::span<const UA_EndpointDescription> View() const { return {items, count}; }
};

// Asked over a channel of its own without security, which every server offers for discovery;
// the signed-in connect then knows beforehand how the password would travel.
UA_StatusCode FetchEndpoints(const std::string& url, int timeoutSeconds, Endpoints& out) {
    const UaClientPtr probe = NewClient();
    if (!probe) return UA_STATUSCODE_BADOUTOFMEMORY;
    UA_ClientConfig* config = UA_Client_getConfig(probe.get());
    UA_ClientConfig_setDefault(config);
    ApplyTimeout(*config, timeoutSeconds);
    return UA_Client_getEndpoints(probe.get(), url.c_str(), &out.count, &out.items);
}

struct FileDescriptor {
    int fd;
    explicit FileDescriptor(int descriptor) : fd(descriptor) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() {
        if (fd >= 0) ::close(fd);
    }
};
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

void OPCUABrowser::KeepAlive() {
    if (client) UA_Client_run_iterate(client.get(), 0);
}

// A failed connect leaves no client behind, so the engine is without session.
int OPCUABrowser::FinishConnect(UA_StatusCode status) {
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
    return FinishConnect(UA_Client_connect(client.get(), url.c_str()));
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
    ApplyTimeout(*config, timeoutSeconds, timing);
    ApplySessionLocales(*config, sessionLocales);
    plainPasswordRefused = false;
    // The library would take the first user-name policy of the best endpoint, and send the
    // password as plain bytes when that policy has no security; choose one that encrypts.
    Endpoints endpoints;
    if (FetchEndpoints(url, timeoutSeconds, endpoints) != UA_STATUSCODE_GOOD)
        return FinishConnect(UA_STATUSCODE_BADCONNECTIONREJECTED);
    const std::optional<PasswordToken> token = ChoosePasswordToken(endpoints.View(), *config);
    if (!token) return FinishConnect(UA_STATUSCODE_BADIDENTITYTOKENREJECTED);
    if (!token->encrypted && !allowPlainPassword) {
        plainPasswordRefused = true;  // nothing was sent; the caller may ask and allow it
        return FinishConnect(UA_STATUSCODE_BADSECURITYMODEINSUFFICIENT);
    }
    UsePasswordToken(*config, *token);
    return FinishConnect(
        UA_Client_connectUsername(client.get(), url.c_str(), userName.c_str(), password.c_str()));
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
    ApplyTimeout(*config, timeoutSeconds, timing);
    ApplySessionLocales(*config, sessionLocales);
    // The certificate secures the channel; the session itself is anonymous.
    return FinishConnect(UA_Client_connect(client.get(), url.c_str()));
}

ConnectOutcome OPCUABrowser::Connect(const ConnectionSettings& s) {
    sessionLocales = s.localeIds;
    switch (s.authKind) {
        case 1:
            return ConnectAnonymous(s.url, s.timeoutSeconds) == 0
                       ? ConnectOutcome::Connected
                       : ConnectOutcome::AnonymousRejected;
        case 2:
            if (s.userName.empty() || s.password.empty()) {
                Disconnect();
                return ConnectOutcome::MissingUserPassword;
            }
            SetAllowPlainPassword(s.allowPlainPassword);
            if (ConnectUserPassword(s.url, s.userName, s.password, s.timeoutSeconds,
                                    s.securityPolicy, s.securityMode) == 0)
                return ConnectOutcome::Connected;
            return plainPasswordRefused ? ConnectOutcome::PlainPasswordRefused
                                        : ConnectOutcome::UserPasswordRejected;
        case 3:
            if (s.certificatePath.empty() || s.privateKeyPath.empty() ||
                s.securityPolicy.empty() || s.securityMode.empty()) {
                Disconnect();
                return ConnectOutcome::MissingCertKey;
            }
            return ConnectCertificate(s.url, s.certificatePath, s.privateKeyPath,
                                      s.timeoutSeconds, s.securityPolicy, s.securityMode) == 0
                       ? ConnectOutcome::Connected
                       : ConnectOutcome::CertKeyRejected;
        default:
            return ConnectOutcome::UnknownKind;
    }
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
