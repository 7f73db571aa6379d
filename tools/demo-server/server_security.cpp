#include "tools/demo-server/server_security.h"

#include <open62541/client_config_default.h>
#include <open62541/plugin/accesscontrol_default.h>
#include <open62541/plugin/create_certificate.h>
#include <open62541/plugin/pki_default.h>
#include <open62541/server_config_default.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "tools/demo-server/demo_server.h"

namespace {

struct ByteStrings {
    UA_ByteString certificate = UA_BYTESTRING_NULL;
    UA_ByteString key = UA_BYTESTRING_NULL;
    ~ByteStrings() {
        UA_ByteString_clear(&certificate);
        UA_ByteString_clear(&key);
    }
};

UA_StatusCode MakeCertificate(const UA_Logger* log, const DemoServerOptions& options,
                              ByteStrings* out) {
    const std::string& host = options.host;
    UA_String subject[2] = {UA_STRING_STATIC("O=Quorvane"),
                            UA_STRING_STATIC("CN=Quorvane demo server")};
    const std::string dns = "DNS:" + host;
    const std::string uri = "URI:" + options.applicationUri;
    UA_String altNames[2] = {UA_STRING(const_cast<char*>(dns.c_str())),
                             UA_STRING(const_cast<char*>(uri.c_str()))};
    // 2048 bits by default: the library's 4096 makes every start take seconds.
    UA_UInt16 keySize = options.keyBits;
    UA_UInt16 days =
        static_cast<UA_UInt16>(std::min<std::uint32_t>(options.certificateDays, 65535));
    UA_KeyValuePair param[2];
    param[0].key = UA_QUALIFIEDNAME(0, const_cast<char*>("key-size-bits"));
    UA_Variant_setScalar(&param[0].value, &keySize, &UA_TYPES[UA_TYPES_UINT16]);
    param[1].key = UA_QUALIFIEDNAME(0, const_cast<char*>("expires-in-days"));
    UA_Variant_setScalar(&param[1].value, &days, &UA_TYPES[UA_TYPES_UINT16]);
    UA_KeyValueMap params = {2, param};
    return UA_CreateCertificate(log, subject, 2, altNames, 2, UA_CERTIFICATEFORMAT_DER, &params,
                                &out->key, &out->certificate);
}

bool ReadFile(const std::filesystem::path& path, UA_ByteString* out) {
    std::ifstream in(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (bytes.empty()) return false;
    if (UA_ByteString_allocBuffer(out, bytes.size()) != UA_STATUSCODE_GOOD) return false;
    std::memcpy(out->data, bytes.data(), bytes.size());
    return true;
}

bool WriteFile(const std::filesystem::path& path, const UA_ByteString& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data),
              static_cast<std::streamsize>(bytes.length));
    return out.good();
}

// The pair kept in the options' folder, made there first when it is missing; a fresh one
// without a folder.
UA_StatusCode CertificatePair(const UA_Logger* log, const DemoServerOptions& options,
                              ByteStrings* out) {
    if (options.certificateDir.empty()) return MakeCertificate(log, options, out);
    const std::filesystem::path dir(options.certificateDir);
    const auto cert = dir / "server_cert.der";
    const auto key = dir / "server_key.der";
    UA_ByteString_clear(&out->certificate);
    UA_ByteString_clear(&out->key);
    if (ReadFile(cert, &out->certificate) && ReadFile(key, &out->key)) return UA_STATUSCODE_GOOD;
    UA_ByteString_clear(&out->certificate);
    UA_ByteString_clear(&out->key);
    const UA_StatusCode s = MakeCertificate(log, options, out);
    if (s != UA_STATUSCODE_GOOD) return s;
    std::error_code ignored;
    std::filesystem::create_directories(dir, ignored);
    // Written under other names and renamed, so a second server starting at once never reads
    // half a file.
    const auto suffix = "." + std::to_string(::getpid());
    if (!WriteFile(key.string() + suffix, out->key) ||
        !WriteFile(cert.string() + suffix, out->certificate))
        return UA_STATUSCODE_BADINTERNALERROR;
    std::filesystem::rename(key.string() + suffix, key, ignored);
    std::filesystem::rename(cert.string() + suffix, cert, ignored);
    return UA_STATUSCODE_GOOD;
}

void AcceptAll(UA_CertificateVerification* cv) {
    if (cv->clear) cv->clear(cv);
    UA_CertificateVerification_AcceptAll(cv);
}

}  // namespace

UA_StatusCode ConfigureSecureServer(UA_ServerConfig* config, UA_UInt16 port,
                                    const DemoServerOptions& options) {
    ByteStrings pair;
    UA_StatusCode s = CertificatePair(config->logging, options, &pair);
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

UA_StatusCode ServerCertificatePair(const UA_Logger* log, const DemoServerOptions& options,
                                    UA_ByteString* certificate, UA_ByteString* key) {
    ByteStrings pair;
    const UA_StatusCode s = CertificatePair(log, options, &pair);
    if (s != UA_STATUSCODE_GOOD) return s;
    *certificate = pair.certificate;
    *key = pair.key;
    pair.certificate = UA_BYTESTRING_NULL;
    pair.key = UA_BYTESTRING_NULL;
    return UA_STATUSCODE_GOOD;
}

UA_StatusCode ConfigureRegisterClient(UA_ClientConfig* cc, const UA_ByteString& certificate,
                                      const UA_ByteString& key, const std::string& uri) {
    UA_StatusCode s =
        UA_ClientConfig_setDefaultEncryption(cc, certificate, key, nullptr, 0, nullptr, 0);
    if (s != UA_STATUSCODE_GOOD) return s;
    AcceptAll(&cc->certificateVerification);
    cc->securityMode = UA_MESSAGESECURITYMODE_SIGNANDENCRYPT;
    // The URI in the certificate, which the discovery server checks against the registration.
    UA_String_clear(&cc->clientDescription.applicationUri);
    cc->clientDescription.applicationUri = UA_STRING_ALLOC(uri.c_str());
    return UA_STATUSCODE_GOOD;
}
