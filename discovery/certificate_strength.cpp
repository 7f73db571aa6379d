#include "discovery/certificate_strength.h"

#include <openssl/evp.h>
#include <openssl/objects.h>
#include <openssl/x509.h>

#include <memory>

namespace {

struct X509Free {
    void operator()(X509* certificate) const { X509_free(certificate); }
};

}  // namespace

CertificateStrength ReadCertificateStrength(std::span<const std::uint8_t> der) {
    CertificateStrength strength;
    const unsigned char* at = der.data();
    const std::unique_ptr<X509, X509Free> certificate(
        d2i_X509(nullptr, &at, static_cast<long>(der.size())));
    if (!certificate) return strength;
    if (EVP_PKEY* key = X509_get0_pubkey(certificate.get())) {
        const int id = EVP_PKEY_get_base_id(key);
        strength.keyType = id == EVP_PKEY_RSA ? "RSA" : id == EVP_PKEY_EC ? "EC" : OBJ_nid2sn(id);
        strength.keyBits = EVP_PKEY_get_bits(key);
    }
    int hashNid = NID_undef;
    if (X509_get_signature_info(certificate.get(), &hashNid, nullptr, nullptr, nullptr) == 1 &&
        hashNid != NID_undef) {
        strength.signatureHash = OBJ_nid2sn(hashNid);
    }
    strength.selfSigned = X509_self_signed(certificate.get(), 0) == 1;
    return strength;
}
