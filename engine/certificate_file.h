#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

// A certificate as a file to hand over: DER as it is, or PEM when the name ends in ".pem" (any
// case).
std::string CertificateFileContent(std::span<const std::uint8_t> der,
                                   const std::filesystem::path& path);

// Writes it to `path` (following a symbolic link to the file it names); false when it cannot.
bool WriteCertificateFile(std::span<const std::uint8_t> der, const std::filesystem::path& path);
