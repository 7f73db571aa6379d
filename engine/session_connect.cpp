#include "engine/session_connect.h"

#include <open62541/client_config_default.h>

#include "engine/opcua_browser.h"
#include "resources/hex_resources.h"

namespace {

UaClientPtr NewClient() { return UaClientPtr(UA_Client_new()); }

}  // namespace

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
    // The certificate secures the channel; the session itself is anonymous.
    return FinishConnect(UA_Client_connect(client.get(), url.c_str()));
}
