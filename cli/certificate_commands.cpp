#include "cli/certificate_commands.h"

#include <ostream>

#include "engine/certificate_facts.h"
#include "engine/certificate_file.h"
#include "engine/client_identity.h"
#include "engine/pki_files.h"
#include "engine/trust_store.h"
#include "texts/certificate_texts.h"
#include "texts/connect_failure.h"
#include "texts/text_table.h"

int RunCertificateCommand(const CliOptions& options, CliStreams& io) {
    std::string error;
    std::optional<UnsafePath> unsafe;
    const auto identity = LoadOrCreateIdentity(PkiRoot(), &error, &unsafe);
    if (unsafe) {
        io.err << "quorvane: " << UnsafePathText(*unsafe) << "\n";
        return kCliUntrusted;
    }
    if (!identity) {
        io.err << "quorvane: " << Text(TextKey::ClientIdentityFailed) << error << "\n";
        return kCliIdentityFailed;
    }
    if (options.showCertificate) {
        io.out << Text(TextKey::CliCertificatePath) << identity->certificatePath.string() << "\n"
               << Text(TextKey::CertApplicationUri) << identity->applicationUri << "\n"
               << Text(TextKey::CertFingerprint) << FingerprintText(Sha256Of(identity->certificate))
               << "\n";
    }
    if (!options.exportCertificate.empty() &&
        !WriteCertificateFile(identity->certificate, options.exportCertificate)) {
        io.err << "quorvane: " << Text(TextKey::CertificateWriteFailed) << ": "
               << options.exportCertificate << "\n";
        return kCliExportFailed;
    }
    return kCliDone;
}

int ReportUntrustedServer(const ServerTrust& trust, const std::string& url,
                          const std::string& trustServer, CliStreams& io) {
    const bool changed = trust.verdict == TrustVerdict::Changed;
    io.err << "quorvane: "
           << Text(changed ? TextKey::CliServerChanged : TextKey::CliServerUntrusted) << "\n";
    if (!trustServer.empty() && trustServer != FingerprintText(trust.presented.fingerprint))
        io.err << Text(TextKey::CliTrustMismatch) << trustServer << "\n";
    io.err << ServerCertificateDescription(trust, url);
    io.err << Text(TextKey::CliTrustHint) << FingerprintText(trust.presented.fingerprint)
           << " --url " << url << " ...\n";
    return kCliUntrusted;
}

TrustAnswer CliDecider::DecideTrust(const ServerTrust& trust, const std::string&) {
    // Naming the new fingerprint is the user's answer to a changed certificate too.
    return !trustServer.empty() && FingerprintText(trust.presented.fingerprint) == trustServer
               ? TrustAnswer::Always
               : TrustAnswer::Cancel;
}

void CliDecider::TrustNotStored(const std::string& where) {
    io.err << "quorvane: " << Text(TextKey::CliTrustNotStored) << where << "\n";
}
