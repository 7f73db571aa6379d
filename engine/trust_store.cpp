#include "engine/trust_store.h"

#include <algorithm>
#include <cctype>
#include <sstream>

#include "engine/pki_files.h"
#include "os/file_io.h"

namespace {

// Why the endpoint list could not be read, as a reason to refuse the store.
UnsafeReason UnreadableReason(const std::filesystem::path& path) {
    return ReadFileUpTo(path, kSmallFileLimit, false).failure == ReadFailure::TooBig
               ? UnsafeReason::TooBig
               : UnsafeReason::Unreadable;
}

std::string HexOf(const Fingerprint& fingerprint) {
    std::string text = FingerprintText(fingerprint);
    text.erase(std::remove(text.begin(), text.end(), ':'), text.end());
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

}  // namespace

namespace {

// `url` with its scheme and host in lower case; the path after them is kept as it is.
std::string UrlKey(const std::string& url) {
    const auto scheme = url.find("://");
    const auto hostEnd = url.find('/', scheme == std::string::npos ? 0 : scheme + 3);
    std::string key = url;
    std::transform(key.begin(), hostEnd == std::string::npos ? key.end() : key.begin() + hostEnd,
                   key.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return key;
}

}  // namespace

bool SameServer(const TrustedCertificate& trusted, const CertificateFacts& presented,
                const std::string& url) {
    if (trusted.facts.fingerprint == presented.fingerprint) return true;
    if (!presented.applicationUri.empty() &&
        trusted.facts.applicationUri == presented.applicationUri)
        return true;
    const std::string key = UrlKey(url);
    return std::any_of(trusted.endpointUrls.begin(), trusted.endpointUrls.end(),
                       [&](const std::string& known) { return UrlKey(known) == key; });
}

bool HasControlCharacter(const std::string& url) {
    return std::any_of(url.begin(), url.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 || byte == 0x7F;
    });
}

std::string TrustedFileName(const Fingerprint& fingerprint) { return HexOf(fingerprint) + ".der"; }

TrustStore::TrustStore(std::filesystem::path pkiRoot) : root(std::move(pkiRoot)) {}

std::optional<std::vector<std::pair<std::string, std::string>>> TrustStore::ReadEndpoints() const {
    std::vector<std::pair<std::string, std::string>> lines;
    const SmallFile content = ReadFileUpTo(EndpointsFile(), kSmallFileLimit, false);
    if (content.failure == ReadFailure::Missing) return lines;
    if (!content.Ok()) return std::nullopt;
    std::istringstream in(std::string(content.bytes.begin(), content.bytes.end()));
    std::string line;
    while (std::getline(in, line)) {
        const auto space = line.find(' ');
        // A line this program did not write is skipped, not guessed at.
        if (space != 64 || line.size() <= space + 1) continue;
        std::string url = line.substr(space + 1);
        if (HasControlCharacter(url)) continue;
        lines.emplace_back(line.substr(0, space), std::move(url));
    }
    return lines;
}

bool TrustStore::WriteEndpoints(
    const std::vector<std::pair<std::string, std::string>>& lines) const {
    std::string text;
    for (const auto& [hex, url] : lines) text += hex + " " + url + "\n";
    return WriteFileAtomically(
        EndpointsFile(), {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()}, 0644);
}

TrustStore::Contents TrustStore::Load() const {
    Contents contents;
    contents.refused = CheckPkiFolder(root, TrustedDir());
    if (!contents.refused) contents.refused = CheckPrivatePath(EndpointsFile());
    if (contents.refused) return contents;
    std::error_code error;
    std::filesystem::directory_iterator it(TrustedDir(), error);
    if (error) return contents;  // nothing trusted yet
    const auto endpoints = ReadEndpoints();
    if (!endpoints) {
        contents.refused = UnsafePath{EndpointsFile(), UnreadableReason(EndpointsFile())};
        return contents;
    }
    std::vector<std::filesystem::path> files;
    for (const auto& entry : it) {
        if (entry.path().extension() == ".der") files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());  // the same order on every run
    for (const auto& path : files) {
        const auto bytes = ReadSmallFile(path);
        auto facts = bytes ? ReadCertificateFacts(*bytes) : std::nullopt;
        if (!facts) {
            contents.notes.push_back(path.string());
            continue;
        }
        TrustedCertificate trusted{std::move(*facts), {}};
        const std::string hex = HexOf(trusted.facts.fingerprint);
        for (const auto& [lineHex, url] : *endpoints)
            if (lineHex == hex) trusted.endpointUrls.push_back(url);
        contents.certificates.push_back(std::move(trusted));
    }
    return contents;
}

bool TrustStore::Trust(const CertificateFacts& certificate, const std::string& url, bool replace) {
    if (HasControlCharacter(url)) return false;
    const Contents before = Load();
    if (before.refused) return false;
    auto read = ReadEndpoints();
    if (!read) return false;  // rewritten, it would lose every URL it holds
    auto endpoints = std::move(*read);
    if (replace) {
        for (const TrustedCertificate& old : before.certificates) {
            if (old.facts.fingerprint == certificate.fingerprint) continue;
            if (!SameServer(old, certificate, url)) continue;
            std::error_code error;
            std::filesystem::remove(TrustedDir() / TrustedFileName(old.facts.fingerprint), error);
            const std::string oldHex = HexOf(old.facts.fingerprint);
            std::erase_if(endpoints, [&](const auto& line) { return line.first == oldHex; });
        }
    }
    if (!WriteFileAtomically(TrustedDir() / TrustedFileName(certificate.fingerprint),
                             certificate.der, 0644))
        return false;
    const std::string hex = HexOf(certificate.fingerprint);
    if (std::find(endpoints.begin(), endpoints.end(), std::make_pair(hex, url)) == endpoints.end())
        endpoints.emplace_back(hex, url);
    return WriteEndpoints(endpoints);
}
