#pragma once

#include <openssl/bio.h>
#include <openssl/evp.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <memory>

// One owner for each OpenSSL object the engine makes, freed by OpenSSL's own function.

template <class T, void (*Free)(T*)>
struct OpenSslFree {
    void operator()(T* object) const { Free(object); }
};

using X509Ptr = std::unique_ptr<X509, OpenSslFree<X509, X509_free>>;
using EvpKeyPtr = std::unique_ptr<EVP_PKEY, OpenSslFree<EVP_PKEY, EVP_PKEY_free>>;
using X509ExtensionPtr =
    std::unique_ptr<X509_EXTENSION, OpenSslFree<X509_EXTENSION, X509_EXTENSION_free>>;
using GeneralNamesPtr =
    std::unique_ptr<GENERAL_NAMES, OpenSslFree<GENERAL_NAMES, GENERAL_NAMES_free>>;

// BIO_free returns a result; the owner has nothing to do with it.
inline void FreeBio(BIO* bio) { BIO_free(bio); }
using BioPtr = std::unique_ptr<BIO, OpenSslFree<BIO, FreeBio>>;
