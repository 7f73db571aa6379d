#include "engine/certificate_facts.h"

#include <arpa/inet.h>
#include <openssl/asn1.h>
#include <openssl/bio.h>
#include <openssl/evp.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <ctime>
#include <memory>

#include "engine/openssl_ptr.h"

namespace {

std::string NameText(const X509_NAME* name) {
    const BioPtr out(BIO_new(BIO_s_mem()));
    if (!out) return {};
    // One line, most specific part first is not needed; RFC 2253 order reads well enough.
    X509_NAME_print_ex(out.get(), name, 0, XN_FLAG_RFC2253 & ~ASN1_STRFLGS_ESC_MSB);
    char* data = nullptr;
    const long length = BIO_get_mem_data(out.get(), &data);
    return length > 0 ? std::string(data, static_cast<std::size_t>(length)) : std::string();
}

std::int64_t SecondsOf(const ASN1_TIME* time) {
    struct tm parts {};
    if (time == nullptr || ASN1_TIME_to_tm(time, &parts) != 1) return 0;
    return static_cast<std::int64_t>(timegm(&parts));
}

std::string IpText(const ASN1_OCTET_STRING* ip) {
    char text[INET6_ADDRSTRLEN] = {};
    const int length = ASN1_STRING_length(ip);
    const unsigned char* bytes = ASN1_STRING_get0_data(ip);
    if (length == 4) inet_ntop(AF_INET, bytes, text, sizeof text);
    if (length == 16) inet_ntop(AF_INET6, bytes, text, sizeof text);
    return text;
}

void ReadAltNames(X509* certificate, CertificateFacts& facts) {
    const GeneralNamesPtr names(static_cast<GENERAL_NAMES*>(
        X509_get_ext_d2i(certificate, NID_subject_alt_name, nullptr, nullptr)));
    if (!names) return;
    for (int i = 0; i < sk_GENERAL_NAME_num(names.get()); ++i) {
        const GENERAL_NAME* name = sk_GENERAL_NAME_value(names.get(), i);
        if (name->type == GEN_URI && facts.applicationUri.empty()) {
            const ASN1_IA5STRING* uri = name->d.uniformResourceIdentifier;
            facts.applicationUri.assign(reinterpret_cast<const char*>(ASN1_STRING_get0_data(uri)),
                                        static_cast<std::size_t>(ASN1_STRING_length(uri)));
        } else if (name->type == GEN_DNS) {
            const ASN1_IA5STRING* dns = name->d.dNSName;
            facts.dnsNames.emplace_back(reinterpret_cast<const char*>(ASN1_STRING_get0_data(dns)),
                                        static_cast<std::size_t>(ASN1_STRING_length(dns)));
        } else if (name->type == GEN_IPADD) {
            facts.ipAddresses.push_back(IpText(name->d.iPAddress));
        }
    }
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// The canonical text of an address, so "::0001" and "::1" compare equal; empty when not one.
std::string CanonicalIp(const std::string& text) {
    unsigned char bytes[16];
    char out[INET6_ADDRSTRLEN] = {};
    if (inet_pton(AF_INET, text.c_str(), bytes) == 1)
        return inet_ntop(AF_INET, bytes, out, sizeof out) ? out : "";
    if (inet_pton(AF_INET6, text.c_str(), bytes) == 1)
        return inet_ntop(AF_INET6, bytes, out, sizeof out) ? out : "";
    return {};
}

}  // namespace

Fingerprint Sha256Of(std::span<const std::uint8_t> bytes) {
    Fingerprint digest{};
    unsigned int length = 0;
    EVP_Digest(bytes.data(), bytes.size(), digest.data(), &length, EVP_sha256(), nullptr);
    return digest;
}

std::optional<CertificateFacts> ReadCertificateFacts(std::span<const std::uint8_t> der) {
    const unsigned char* cursor = der.data();
    const X509Ptr certificate(d2i_X509(nullptr, &cursor, static_cast<long>(der.size())));
    if (!certificate) return std::nullopt;
    CertificateFacts facts;
    // Only the leaf's own bytes: what follows it in a chain is not part of its identity.
    facts.der.assign(der.data(), cursor);
    facts.fingerprint = Sha256Of(facts.der);
    facts.subject = NameText(X509_get_subject_name(certificate.get()));
    facts.issuer = NameText(X509_get_issuer_name(certificate.get()));
    facts.notBefore = SecondsOf(X509_get0_notBefore(certificate.get()));
    facts.notAfter = SecondsOf(X509_get0_notAfter(certificate.get()));
    ReadAltNames(certificate.get(), facts);
    return facts;
}

std::string FingerprintText(const Fingerprint& fingerprint) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(fingerprint.size() * 3);
    for (std::uint8_t byte : fingerprint) {
        if (!text.empty()) text += ':';
        text += kHex[byte >> 4];
        text += kHex[byte & 15];
    }
    return text;
}

std::optional<Fingerprint> ParseFingerprint(const std::string& text) {
    std::string digits;
    for (char c : text) {
        if (c == ':') continue;
        if (!std::isxdigit(static_cast<unsigned char>(c))) return std::nullopt;
        digits += c;
    }
    if (digits.size() != 64) return std::nullopt;
    Fingerprint result{};
    for (std::size_t i = 0; i < result.size(); ++i)
        result[i] = static_cast<std::uint8_t>(std::stoi(digits.substr(i * 2, 2), nullptr, 16));
    return result;
}

std::string UtcTimeText(std::int64_t secondsSince1970) {
    const time_t seconds = static_cast<time_t>(secondsSince1970);
    struct tm parts {};
    if (gmtime_r(&seconds, &parts) == nullptr) return {};
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M UTC", &parts);
    return text;
}

std::string HostOfUrl(const std::string& url) {
    const auto scheme = url.find("://");
    std::size_t start = scheme == std::string::npos ? 0 : scheme + 3;
    const auto at = url.find('@', start);
    const auto slash = url.find('/', start);
    if (at != std::string::npos && (slash == std::string::npos || at < slash)) start = at + 1;
    if (start < url.size() && url[start] == '[') {
        const auto close = url.find(']', start);
        return close == std::string::npos ? std::string()
                                          : url.substr(start + 1, close - start - 1);
    }
    const auto end = url.find_first_of(":/", start);
    return url.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

bool CertificateNamesHost(const CertificateFacts& facts, const std::string& host) {
    if (host.empty()) return false;
    const std::string ip = CanonicalIp(host);
    if (!ip.empty() && std::any_of(facts.ipAddresses.begin(), facts.ipAddresses.end(),
                                   [&](const std::string& a) { return CanonicalIp(a) == ip; }))
        return true;
    // Many servers list their address among the DNS names; that names it as well.
    const std::string wanted = Lower(host);
    return std::any_of(facts.dnsNames.begin(), facts.dnsNames.end(),
                       [&](const std::string& name) { return Lower(name) == wanted; });
}
