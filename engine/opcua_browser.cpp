#include "engine/opcua_browser.h"

#include <open62541/client_config_default.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <memory>

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
    ApplyTimeout(*config, timeoutSeconds);
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
    ApplyTimeout(*config, timeoutSeconds);
    ApplySessionLocales(*config, sessionLocales);
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
    ApplyTimeout(*config, timeoutSeconds);
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
            return ConnectUserPassword(s.url, s.userName, s.password, s.timeoutSeconds,
                                       s.securityPolicy, s.securityMode) == 0
                       ? ConnectOutcome::Connected
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
