#include "engine/connect_cause.h"

#include <algorithm>
#include <iterator>

namespace {

constexpr UA_StatusCode kUnreachable[] = {
    UA_STATUSCODE_BADTIMEOUT,
    UA_STATUSCODE_BADREQUESTTIMEOUT,
    UA_STATUSCODE_BADCONNECTIONCLOSED,
    UA_STATUSCODE_BADCONNECTIONREJECTED,
    UA_STATUSCODE_BADCOMMUNICATIONERROR,
    UA_STATUSCODE_BADNOCOMMUNICATION,
    UA_STATUSCODE_BADNOTCONNECTED,
    UA_STATUSCODE_BADDISCONNECT,
    UA_STATUSCODE_BADSECURECHANNELCLOSED,
    UA_STATUSCODE_BADSERVERNOTCONNECTED,
    UA_STATUSCODE_BADTCPENDPOINTURLINVALID,
    UA_STATUSCODE_BADTCPINTERNALERROR,
    UA_STATUSCODE_BADTCPSERVERTOOBUSY,
    UA_STATUSCODE_BADMAXCONNECTIONSREACHED,
    UA_STATUSCODE_BADRESOURCEUNAVAILABLE,
    UA_STATUSCODE_BADSERVERHALTED,
    UA_STATUSCODE_BADSHUTDOWN,
};

constexpr UA_StatusCode kIdentity[] = {
    UA_STATUSCODE_BADUSERACCESSDENIED,
    UA_STATUSCODE_BADIDENTITYTOKENINVALID,
    UA_STATUSCODE_BADIDENTITYTOKENREJECTED,
};

constexpr UA_StatusCode kCertificate[] = {
    UA_STATUSCODE_BADCERTIFICATEINVALID,
    UA_STATUSCODE_BADCERTIFICATEUNTRUSTED,
    UA_STATUSCODE_BADCERTIFICATEREVOKED,
    UA_STATUSCODE_BADCERTIFICATETIMEINVALID,
    UA_STATUSCODE_BADCERTIFICATEURIINVALID,
    UA_STATUSCODE_BADCERTIFICATEUSENOTALLOWED,
    UA_STATUSCODE_BADCERTIFICATEHOSTNAMEINVALID,
    UA_STATUSCODE_BADCERTIFICATECHAININCOMPLETE,
    UA_STATUSCODE_BADCERTIFICATEPOLICYCHECKFAILED,
    UA_STATUSCODE_BADCERTIFICATEREVOCATIONUNKNOWN,
    UA_STATUSCODE_BADCERTIFICATEISSUERREVOKED,
    UA_STATUSCODE_BADCERTIFICATEISSUERTIMEINVALID,
    UA_STATUSCODE_BADCERTIFICATEISSUERUSENOTALLOWED,
    UA_STATUSCODE_BADCERTIFICATEISSUERREVOCATIONUNKNOWN,
    UA_STATUSCODE_BADSECURITYCHECKSFAILED,
    UA_STATUSCODE_BADNOVALIDCERTIFICATES,
};

constexpr UA_StatusCode kPolicy[] = {
    UA_STATUSCODE_BADSECURITYPOLICYREJECTED,
    UA_STATUSCODE_BADSECURITYMODEREJECTED,
    UA_STATUSCODE_BADSECURITYMODEINSUFFICIENT,
};

template <std::size_t N>
bool In(const UA_StatusCode (&codes)[N], UA_StatusCode status) {
    return std::find(std::begin(codes), std::end(codes), status) != std::end(codes);
}

ConnectOutcome RefusedFor(int authKind) {
    switch (authKind) {
        case 2:
            return ConnectOutcome::UserPasswordRejected;
        case 3:
            return ConnectOutcome::CertKeyRejected;
        default:
            return ConnectOutcome::AnonymousRejected;
    }
}

}  // namespace

ConnectCause CauseOf(UA_StatusCode status) {
    if (In(kUnreachable, status)) return ConnectCause::Unreachable;
    if (In(kIdentity, status)) return ConnectCause::IdentityRefused;
    if (In(kCertificate, status)) return ConnectCause::CertificateRefused;
    if (In(kPolicy, status)) return ConnectCause::PolicyRefused;
    return ConnectCause::Unknown;
}

ConnectOutcome FailedConnectOutcome(int authKind, UA_StatusCode status, bool sessionCreated,
                                    bool policyUsable, std::optional<bool> offered) {
    const ConnectCause cause = CauseOf(status);
    if (cause == ConnectCause::Unreachable) return ConnectOutcome::Unreachable;
    if (cause == ConnectCause::IdentityRefused && sessionCreated) {
        // Only a user name and password is an identity the user typed; a refused anonymous
        // session is the server's rule, not a wrong input.
        return authKind == 2 ? ConnectOutcome::UserPasswordRejected
                             : ConnectOutcome::AnonymousRejected;
    }
    // With a password the certificate the server judged is this installation's own; with
    // certificate sign-in it is the one the user chose.
    if (cause == ConnectCause::CertificateRefused)
        return authKind == 2 ? ConnectOutcome::ClientCertificateRefused
                             : ConnectOutcome::CertKeyRejected;
    // Without a usable key this side never had the policy to offer.
    if (!policyUsable) return ConnectOutcome::CertKeyRejected;
    if (cause == ConnectCause::PolicyRefused || offered == false)
        return ConnectOutcome::PolicyNotOffered;
    return RefusedFor(authKind);
}
