#include "resources/hex_resources.h"

namespace {

// Generated in the build tree from a pair made at build time (see CMakeLists.txt).
constexpr unsigned char kClientCertificate[] = {
#include "client_certificate.inc"
};
constexpr unsigned char kClientPrivateKey[] = {
#include "client_private_key.inc"
};

}  // namespace

std::span<const unsigned char> FindHexResource(int id) {
    switch (id) {
        case kClientCertificateResource:
            return kClientCertificate;
        case kClientPrivateKeyResource:
            return kClientPrivateKey;
        default:
            return {};
    }
}
