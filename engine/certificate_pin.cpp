#include "engine/certificate_pin.h"

#include <algorithm>
#include <vector>

#include "engine/certificate_facts.h"

namespace {

using Pinned = std::vector<std::uint8_t>;

const Pinned* PinnedOf(const UA_CertificateVerification* cv) {
    return static_cast<const Pinned*>(cv->context);
}

UA_StatusCode Verify(const UA_CertificateVerification* cv, const UA_ByteString* certificate) {
    const Pinned* pinned = PinnedOf(cv);
    if (pinned == nullptr || pinned->empty() || certificate == nullptr)
        return UA_STATUSCODE_BADCERTIFICATEUNTRUSTED;
    const auto facts = ReadCertificateFacts({certificate->data, certificate->length});
    if (!facts || facts->der != *pinned) return UA_STATUSCODE_BADCERTIFICATEUNTRUSTED;
    return UA_STATUSCODE_GOOD;
}

// Asked about this client's own certificate, to warn when it names another application.
UA_StatusCode VerifyUri(const UA_CertificateVerification*, const UA_ByteString* certificate,
                        const UA_String* uri) {
    if (certificate == nullptr || uri == nullptr) return UA_STATUSCODE_BADCERTIFICATEURIINVALID;
    const auto facts = ReadCertificateFacts({certificate->data, certificate->length});
    const bool same = facts && facts->applicationUri.size() == uri->length &&
                      std::equal(facts->applicationUri.begin(), facts->applicationUri.end(),
                                 reinterpret_cast<const char*>(uri->data));
    return same ? UA_STATUSCODE_GOOD : UA_STATUSCODE_BADCERTIFICATEURIINVALID;
}

UA_StatusCode ExpirationDate(UA_DateTime* expiry, UA_ByteString* certificate) {
    const auto facts = ReadCertificateFacts({certificate->data, certificate->length});
    if (!facts) return UA_STATUSCODE_BADCERTIFICATEINVALID;
    *expiry = UA_DATETIME_UNIX_EPOCH + facts->notAfter * UA_DATETIME_SEC;
    return UA_STATUSCODE_GOOD;
}

UA_StatusCode SubjectName(UA_String* subject, UA_ByteString* certificate) {
    const auto facts = ReadCertificateFacts({certificate->data, certificate->length});
    if (!facts) return UA_STATUSCODE_BADCERTIFICATEINVALID;
    *subject = UA_STRING_ALLOC(facts->subject.c_str());
    return UA_STATUSCODE_GOOD;
}

void Clear(UA_CertificateVerification* cv) {
    delete static_cast<Pinned*>(cv->context);
    cv->context = nullptr;
}

}  // namespace

void RefuseServerCertificates(UA_ClientConfig& config) {
    UA_CertificateVerification& cv = config.certificateVerification;
    const UA_Logger* logging = cv.logging;
    if (cv.clear) cv.clear(&cv);
    cv = UA_CertificateVerification{};
    cv.context = new Pinned();
    cv.verifyCertificate = Verify;
    cv.verifyApplicationURI = VerifyUri;
    cv.getExpirationDate = ExpirationDate;
    cv.getSubjectName = SubjectName;
    cv.clear = Clear;
    cv.logging = logging != nullptr ? logging : config.logging;
}

void PinServerCertificate(UA_ClientConfig& config, std::span<const std::uint8_t> certificate) {
    if (config.certificateVerification.clear != Clear) RefuseServerCertificates(config);
    auto* pinned = static_cast<Pinned*>(config.certificateVerification.context);
    const auto facts = ReadCertificateFacts(certificate);
    if (facts)
        *pinned = facts->der;
    else
        pinned->clear();
}

UA_StatusCode CheckPinnedCertificate(const UA_CertificateVerification& verification,
                                     const UA_ByteString& certificate) {
    return verification.verifyCertificate(&verification, &certificate);
}
