#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "os/private_folder.h"

// What connecting takes, and how an attempt ended.

// The security choices the options offer, in their order (no sorting). New policies go at the
// end so that the indices of the older ones stay.
inline constexpr const char* kSecurityPolicies[] = {
    "None",           "Basic128Rsa15",         "Basic256",
    "Basic256Sha256", "Aes128_Sha256_RsaOaep", "Aes256_Sha256_RsaPss"};
// Policies kept for old servers but marked as no longer safe.
inline constexpr bool kPolicyDeprecated[] = {false, true, true, false, false, false};
// Policy indices from the weakest to the strongest; a secure mode without a policy takes the
// strongest one the server offers.
inline constexpr int kPolicyStrength[] = {1, 2, 3, 4, 5};
inline constexpr const char* kSecurityModes[] = {"None", "Sign", "Sign & Encrypt"};

// Connection parameters as the options dialog supplies them.
struct ConnectionSettings {
    std::string url;
    int authKind = 1;  // 1 anonymous, 2 user name and password, 3 certificate
    std::string userName;
    std::string password;
    std::string certificatePath;
    std::string privateKeyPath;
    int timeoutSeconds = 10;
    // How often the server is asked to sample a point the window follows by subscription.
    int samplingIntervalMs = 1000;
    std::string securityPolicy;  // one of kSecurityPolicies, empty until chosen
    std::string securityMode;    // one of kSecurityModes, empty until chosen
    // A password may travel unencrypted only when the caller said so for this connect.
    bool allowPlainPassword = false;
    // Locales the session asks for, most wanted first ("zh-CN", "en"); empty: the server's own.
    std::vector<std::string> localeIds;
    // Server certificates the user accepted for this run only, as SHA-256 fingerprints
    // ("AA:BB:..."): a reconnect with these settings accepts the same certificate, no other.
    std::vector<std::string> acceptedServerCertificates;
    // Where this installation's own certificate and the certificates it trusts are kept; the
    // front doors set it, empty stands for the user's (PkiRoot()).
    std::filesystem::path pkiRoot;
};

// Why nothing answered, when that could be told.
enum class UnreachableCause {
    Unknown,
    BadUrl,             // not an opc.tcp://host:port URL
    HostNotFound,       // the host name does not resolve
    ConnectionRefused,  // nothing listens on that port
    TimedOut,           // no answer within the timeout
    NotOpcUa,           // something answered the handshake, but not in OPC UA's words
    ClosedInHandshake,  // the peer accepted the connection and closed it unanswered
};

// What a failed attempt found out besides its outcome, for the failure text.
struct ConnectDetail {
    UnreachableCause cause = UnreachableCause::Unknown;
    std::string offered;  // the server's policy/mode pairs, when it was asked
    std::optional<UnsafePath> unsafe = std::nullopt;  // the folder or file that made PkiUnsafe
    // This installation's own certificate, needed for the channel, could not be made or read.
    bool ownIdentityFailed = false;
};

// How one attempt to open a session ended.
enum class ConnectOutcome {
    Connected,
    AnonymousRejected,  // the server answered and refused, for no reason told apart below
    MissingUserPassword,
    UserPasswordRejected,  // the server refused the user name or password
    MissingCertKey,
    CertKeyRejected,  // certificate or key unusable here or refused by the server
    UnknownKind,
    // Only a policy that sends the password unencrypted was offered, and the settings did not
    // allow that: nothing was sent.
    PlainPasswordRefused,
    Unreachable,       // nothing answered in time, or the connection went before a session
    PolicyNotOffered,  // the server offers no endpoint with the chosen policy and mode
    Cancelled,         // the caller gave up on the attempt
    // The server's certificate would have been used (a secure channel, an encrypted password)
    // but is not trusted: nothing was entrusted to it, the caller decides.
    ServerCertificateUntrusted,
    ServerCertificateChanged,  // another certificate is trusted for this server
    ClientCertificateRefused,  // the server does not trust this installation's certificate
    // A folder or file of the trust store or this installation's identity could have been
    // changed by another user (or cannot be read): nothing was trusted or sent.
    PkiUnsafe,
    // A secure mode was chosen for an anonymous sign-in and no endpoint with it takes one.
    AnonymousNotOffered,
    // The server's endpoints asked inside the channel differ from the ones listed before it
    // opened: no session was created, nothing was sent.
    EndpointsChanged,
};
