#include "export/export_source.h"

#include "engine/certificate_facts.h"
#include "engine/client_identity.h"
#include "engine/pki_files.h"

ExportSource MakeExportSource(const ConnectionSettings& settings,
                              const std::optional<ServerTrust>& serverTrust, bool unsecured) {
    ExportSource source;
    source.endpoint = settings.url;
    source.securityPolicy = settings.securityPolicy;
    source.securityMode = settings.securityMode;
    // Left open, anonymous runs None/None and a sign-in the strongest secure endpoint, unless
    // the server offered none; "auto" then lets the collector find that endpoint again.
    const bool open = settings.securityPolicy.empty() && settings.securityMode.empty();
    if (open && (settings.authKind == 1 || unsecured)) {
        source.securityPolicy = "None";
        source.securityMode = "None";
    }
    source.authKind = settings.authKind;
    if (settings.authKind == 2) source.userName = settings.userName;
    if (serverTrust && !serverTrust->presented.der.empty()) {
        source.serverApplicationUri = serverTrust->presented.applicationUri;
        source.serverFingerprint = FingerprintText(serverTrust->presented.fingerprint);
    }
    const bool secureChannel = settings.securityMode == "Sign" ||
                               settings.securityMode == "Sign & Encrypt" ||
                               (open && settings.authKind != 1 && !unsecured);
    if (settings.authKind == 3 && !settings.certificatePath.empty()) {
        source.certificatePath = settings.certificatePath;
        source.privateKeyPath = settings.privateKeyPath;
    } else if (secureChannel) {
        const std::filesystem::path pki = PkiRootOr(settings.pkiRoot);
        source.certificatePath = IdentityCertificatePath(pki).string();
        source.privateKeyPath = IdentityKeyPath(pki).string();
    }
    return source;
}
