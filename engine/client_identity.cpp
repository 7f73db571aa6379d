#include "engine/client_identity.h"

#include <fcntl.h>
#include <openssl/bn.h>
#include <openssl/evp.h>
#include <openssl/rand.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>

#include "engine/certificate_facts.h"
#include "engine/openssl_ptr.h"
#include "engine/pki_files.h"
#include "os/secret_memory.h"

namespace {

constexpr long kValiditySeconds = 5L * 365 * 24 * 60 * 60;

bool AddExtension(X509* certificate, int nid, const std::string& value) {
    X509V3_CTX context;
    X509V3_set_ctx_nodb(&context);
    X509V3_set_ctx(&context, certificate, certificate, nullptr, nullptr, 0);
    const X509ExtensionPtr extension(X509V3_EXT_conf_nid(nullptr, &context, nid, value.c_str()));
    return extension && X509_add_ext(certificate, extension.get(), -1) == 1;
}

template <class Encode, class T>
std::vector<std::uint8_t> Der(Encode encode, T* object) {
    unsigned char* bytes = nullptr;
    const int length = encode(object, &bytes);
    if (length <= 0) return {};
    std::vector<std::uint8_t> result(bytes, bytes + length);
    OPENSSL_clear_free(bytes, static_cast<std::size_t>(length));
    return result;
}

std::string HostName() {
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0 || name[0] == '\0') return "localhost";
    return name;
}

// Both parts under one lock, so that two programs starting at once (the window and a command
// line run) never store the key of one and the certificate of the other.
class PkiLock {
public:
    explicit PkiLock(const std::filesystem::path& dir) {
        // Only its owner looks inside the folder that holds the key, nor any folder above it.
        MakePrivateFolders(dir);
        fd = ::open((dir / ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd >= 0) ::flock(fd, LOCK_EX);
    }
    ~PkiLock() {
        if (fd >= 0) ::close(fd);  // closing releases the lock
    }
    PkiLock(const PkiLock&) = delete;
    PkiLock& operator=(const PkiLock&) = delete;

private:
    int fd = -1;
};

std::optional<ClientIdentity> ReadStored(const std::filesystem::path& pkiRoot) {
    auto certificate = ReadSmallFile(IdentityCertificatePath(pkiRoot));
    auto key = ReadSmallFile(IdentityKeyPath(pkiRoot));
    if (!certificate || !key || key->empty()) return std::nullopt;
    const auto facts = ReadCertificateFacts(*certificate);
    if (!facts || facts->der.size() != certificate->size()) return std::nullopt;
    // A key that does not belong to the certificate would fail every secure connect.
    const unsigned char* cursor = key->data();
    const EvpKeyPtr privateKey(
        d2i_AutoPrivateKey(nullptr, &cursor, static_cast<long>(key->size())));
    const unsigned char* certCursor = certificate->data();
    const X509Ptr x509(d2i_X509(nullptr, &certCursor, static_cast<long>(certificate->size())));
    if (!privateKey || !x509 || X509_check_private_key(x509.get(), privateKey.get()) != 1)
        return std::nullopt;
    ClientIdentity identity;
    identity.certificate = std::move(*certificate);
    identity.privateKey = std::move(*key);
    identity.applicationUri = facts->applicationUri;
    identity.certificatePath = IdentityCertificatePath(pkiRoot);
    return identity;
}

std::optional<ClientIdentity> CreateAndStore(const std::filesystem::path& pkiRoot,
                                             std::string* error) {
    auto identity = GenerateIdentity(ClientApplicationUri(), HostName());
    if (!identity) {
        if (error) *error = "OpenSSL could not make a key";
        return std::nullopt;
    }
    // The key first: a certificate without its key is never left as the only new part.
    if (!WriteFileAtomically(IdentityKeyPath(pkiRoot), identity->privateKey, 0600) ||
        !WriteFileAtomically(IdentityCertificatePath(pkiRoot), identity->certificate, 0644)) {
        if (error) *error = "cannot write " + (pkiRoot / "own").string();
        return std::nullopt;
    }
    identity->certificatePath = IdentityCertificatePath(pkiRoot);
    return identity;
}

}  // namespace

ClientIdentity::~ClientIdentity() { WipeBytes(privateKey.data(), privateKey.size()); }

std::string ClientApplicationUri() { return "urn:" + HostName() + ":Quorvane"; }

std::filesystem::path IdentityCertificatePath(const std::filesystem::path& pkiRoot) {
    return pkiRoot / "own" / "quorvane_cert.der";
}

std::filesystem::path IdentityKeyPath(const std::filesystem::path& pkiRoot) {
    return pkiRoot / "own" / "quorvane_key.der";
}

std::optional<ClientIdentity> GenerateIdentity(const std::string& applicationUri,
                                               const std::string& host) {
    const EvpKeyPtr key(EVP_RSA_gen(2048));
    const X509Ptr certificate(X509_new());
    if (!key || !certificate) return std::nullopt;
    X509* c = certificate.get();
    unsigned char serial[16];
    if (RAND_bytes(serial, sizeof serial) != 1) return std::nullopt;
    serial[0] &= 0x7f;  // a positive serial number
    BIGNUM* number = BN_bin2bn(serial, sizeof serial, nullptr);
    const bool serialSet =
        number != nullptr && BN_to_ASN1_INTEGER(number, X509_get_serialNumber(c));
    BN_free(number);
    if (!serialSet || X509_set_version(c, 2) != 1 ||
        X509_gmtime_adj(X509_getm_notBefore(c), 0) == nullptr ||
        X509_gmtime_adj(X509_getm_notAfter(c), kValiditySeconds) == nullptr ||
        X509_set_pubkey(c, key.get()) != 1)
        return std::nullopt;
    X509_NAME* name = X509_get_subject_name(c);
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_UTF8,
                               reinterpret_cast<const unsigned char*>("Quorvane"), -1, -1, 0);
    X509_NAME_add_entry_by_txt(name, "DC", MBSTRING_UTF8,
                               reinterpret_cast<const unsigned char*>(host.c_str()), -1, -1, 0);
    if (X509_set_issuer_name(c, name) != 1) return std::nullopt;
    // What servers expect of an application instance certificate.
    const bool extended =
        AddExtension(c, NID_basic_constraints, "critical,CA:FALSE") &&
        AddExtension(c, NID_key_usage,
                     "critical,digitalSignature,nonRepudiation,keyEncipherment,"
                     "dataEncipherment,keyCertSign") &&
        AddExtension(c, NID_ext_key_usage, "serverAuth,clientAuth") &&
        AddExtension(c, NID_subject_key_identifier, "hash") &&
        AddExtension(c, NID_authority_key_identifier, "keyid:always") &&
        AddExtension(c, NID_subject_alt_name, "URI:" + applicationUri + ",DNS:" + host);
    if (!extended || X509_sign(c, key.get(), EVP_sha256()) <= 0) return std::nullopt;

    ClientIdentity identity;
    identity.certificate = Der(i2d_X509, c);
    // PKCS#1: the form the encryption plugin reads without a password prompt.
    identity.privateKey = Der(i2d_PrivateKey, key.get());
    identity.applicationUri = applicationUri;
    if (identity.certificate.empty() || identity.privateKey.empty()) return std::nullopt;
    return identity;
}

// The key is only as safe as the folders it is kept in: a key another user could have placed
// would be theirs to use.
bool Unsafe(const std::filesystem::path& pkiRoot, std::string* error,
            std::optional<UnsafePath>* unsafe) {
    const auto found = CheckPkiFolder(pkiRoot, pkiRoot / "own");
    if (!found) return false;
    if (error) *error = "unsafe: " + found->path.string();
    if (unsafe) *unsafe = found;
    return true;
}

std::optional<ClientIdentity> LoadOrCreateIdentity(const std::filesystem::path& pkiRoot,
                                                   std::string* error,
                                                   std::optional<UnsafePath>* unsafe) {
    if (Unsafe(pkiRoot, error, unsafe)) return std::nullopt;
    const PkiLock lock(pkiRoot / "own");
    if (auto stored = ReadStored(pkiRoot)) return stored;
    return CreateAndStore(pkiRoot, error);
}

std::optional<ClientIdentity> RenewIdentity(const std::filesystem::path& pkiRoot,
                                            std::string* error, std::optional<UnsafePath>* unsafe) {
    if (Unsafe(pkiRoot, error, unsafe)) return std::nullopt;
    const PkiLock lock(pkiRoot / "own");
    return CreateAndStore(pkiRoot, error);
}
