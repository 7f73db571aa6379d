#include "tools/demo-server/server_security.h"

#include <open62541/plugin/accesscontrol_default.h>
#include <open62541/plugin/create_certificate.h>
#include <open62541/plugin/pki_default.h>
#include <open62541/server_config_default.h>

namespace {

struct ByteStrings {
    UA_ByteString certificate = UA_BYTESTRING_NULL;
    UA_ByteString key = UA_BYTESTRING_NULL;
    ~ByteStrings() {
        UA_ByteString_clear(&certificate);
        UA_ByteString_clear(&key);
    }
};

UA_StatusCode MakeCertificate(const UA_Logger* log, const std::string& host, ByteStrings* out) {
    UA_String subject[2] = {UA_STRING_STATIC("O=Quorvane"),
                            UA_STRING_STATIC("CN=Quorvane demo server")};
    const std::string dns = "DNS:" + host;
    UA_String altNames[2] = {UA_STRING(const_cast<char*>(dns.c_str())),
                             UA_STRING_STATIC("URI:urn:open62541.server.application")};
    // 2048 bits: the default of 4096 makes every start take seconds.
    UA_UInt16 keySize = 2048;
    UA_KeyValuePair param;
    param.key = UA_QUALIFIEDNAME(0, const_cast<char*>("key-size-bits"));
    UA_Variant_setScalar(&param.value, &keySize, &UA_TYPES[UA_TYPES_UINT16]);
    UA_KeyValueMap params = {1, &param};
    return UA_CreateCertificate(log, subject, 2, altNames, 2, UA_CERTIFICATEFORMAT_DER, &params,
                                &out->key, &out->certificate);
}

void AcceptAll(UA_CertificateVerification* cv) {
    if (cv->clear) cv->clear(cv);
    UA_CertificateVerification_AcceptAll(cv);
}

}  // namespace

UA_StatusCode ConfigureSecureServer(UA_ServerConfig* config, UA_UInt16 port,
                                    const std::string& host) {
    ByteStrings pair;
    UA_StatusCode s = MakeCertificate(config->logging, host, &pair);
    if (s != UA_STATUSCODE_GOOD) return s;
    s = UA_ServerConfig_setDefaultWithSecurityPolicies(config, port, &pair.certificate, &pair.key,
                                                       nullptr, 0, nullptr, 0, nullptr, 0);
    if (s != UA_STATUSCODE_GOOD) return s;
    // The defaults leave out the two older policies.
    s = UA_ServerConfig_addSecurityPolicyBasic128Rsa15(config, &pair.certificate, &pair.key);
    if (s == UA_STATUSCODE_GOOD)
        s = UA_ServerConfig_addSecurityPolicyBasic256(config, &pair.certificate, &pair.key);
    if (s != UA_STATUSCODE_GOOD) return s;
    for (const char* uri : {"http://opcfoundation.org/UA/SecurityPolicy#Basic128Rsa15",
                            "http://opcfoundation.org/UA/SecurityPolicy#Basic256"}) {
        for (UA_MessageSecurityMode mode :
             {UA_MESSAGESECURITYMODE_SIGN, UA_MESSAGESECURITYMODE_SIGNANDENCRYPT}) {
            s = UA_ServerConfig_addEndpoint(config, UA_STRING(const_cast<char*>(uri)), mode);
            if (s != UA_STATUSCODE_GOOD) return s;
        }
    }
    // A test server: any client certificate is welcome, self-signed ones included.
    AcceptAll(&config->secureChannelPKI);
    AcceptAll(&config->sessionPKI);
    return UA_STATUSCODE_GOOD;
}

UA_StatusCode ConfigureUsers(UA_ServerConfig* config,
                             const std::vector<std::pair<std::string, std::string>>& users) {
    if (users.empty()) return UA_STATUSCODE_GOOD;
    std::vector<UA_UsernamePasswordLogin> logins;
    for (const auto& [name, password] : users) {
        logins.push_back({UA_STRING(const_cast<char*>(name.c_str())),
                          UA_STRING(const_cast<char*>(password.c_str()))});
    }
    // Clients may sign in with a password over the None policy too.
    config->allowNonePolicyPassword = true;
    return UA_AccessControl_default(config, true, nullptr, logins.size(), logins.data());
}
