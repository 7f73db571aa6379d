#include "engine/certificate_file.h"

#include <openssl/evp.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <vector>

namespace {

bool WantsPem(const std::filesystem::path& path) {
    std::string extension = path.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == ".pem";
}

std::string Pem(std::span<const std::uint8_t> der) {
    std::string text = "-----BEGIN CERTIFICATE-----\n";
    constexpr std::size_t kLine = 48;  // 64 characters of Base64
    for (std::size_t at = 0; at < der.size(); at += kLine) {
        const std::size_t n = std::min(kLine, der.size() - at);
        std::vector<unsigned char> out(4 * ((n + 2) / 3) + 1);
        const int length = EVP_EncodeBlock(out.data(), der.data() + at, static_cast<int>(n));
        text.append(reinterpret_cast<const char*>(out.data()), static_cast<std::size_t>(length));
        text += '\n';
    }
    return text + "-----END CERTIFICATE-----\n";
}

}  // namespace

std::string CertificateFileContent(std::span<const std::uint8_t> der,
                                   const std::filesystem::path& path) {
    if (WantsPem(path)) return Pem(der);
    return std::string(der.begin(), der.end());
}

bool WriteCertificateFile(std::span<const std::uint8_t> der, const std::filesystem::path& path) {
    const std::string content = CertificateFileContent(der, path);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    out.close();
    return static_cast<bool>(out);
}
