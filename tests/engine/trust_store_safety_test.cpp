// A trust store another local user could have changed is not used at all; what is stored is
// never a line the program did not mean, and a list it cannot read is never rewritten empty.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "engine/client_identity.h"
#include "engine/trust_store.h"
#include "tests/engine/engine_test_support.h"

using engine_test::TempDir;

namespace {

const CertificateFacts& Server() {
    static const CertificateFacts facts =
        *ReadCertificateFacts(GenerateIdentity("urn:plant:server", "plant-a")->certificate);
    return facts;
}

std::string ReadText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

constexpr const char* kUrl = "opc.tcp://plant-a:4840";

TEST(TrustStoreSafety, AStoreOthersCouldChangeTrustsNothing) {
    const struct {
        const char* name;
        std::function<void(const std::filesystem::path& pki)> spoil;
        std::string found;  // below the pki folder
        UnsafeReason reason;
    } cases[] = {
        {"trusted world-writable",
         [](const auto& pki) { ::chmod((pki / "trusted").c_str(), 0777); }, "trusted",
         UnsafeReason::WritableByOthers},
        {"pki group-writable", [](const auto& pki) { ::chmod(pki.c_str(), 0770); }, "",
         UnsafeReason::WritableByOthers},
        {"a planted certificate another user's",
         [](const auto& pki) {
             const auto file = pki / "trusted" / TrustedFileName(Server().fingerprint);
             ASSERT_EQ(::chown(file.c_str(), 65534, 65534), 0);
         },
         "trusted/" + TrustedFileName(Server().fingerprint), UnsafeReason::NotOwned},
        {"a link inside trusted",
         [](const auto& pki) {
             const auto file = pki / "trusted" / TrustedFileName(Server().fingerprint);
             std::filesystem::rename(file, pki / "real.der");
             std::filesystem::create_symlink(pki / "real.der", file);
         },
         "trusted/" + TrustedFileName(Server().fingerprint), UnsafeReason::SymbolicLink},
        {"the URL list writable",
         [](const auto& pki) { ::chmod((pki / "trusted_endpoints.txt").c_str(), 0666); },
         "trusted_endpoints.txt", UnsafeReason::WritableByOthers},
        {"the URL list too big",
         [](const auto& pki) {
             std::ofstream(pki / "trusted_endpoints.txt", std::ios::app)
                 << std::string((1 << 20) + 1, '#');
         },
         "trusted_endpoints.txt", UnsafeReason::TooBig},
    };
    for (const auto& c : cases) {
        if (c.reason == UnsafeReason::NotOwned && ::geteuid() != 0) continue;  // needs chown
        TempDir dir;
        const std::filesystem::path pki = dir.Path() / "pki";
        TrustStore store(pki);
        ASSERT_TRUE(store.Trust(Server(), kUrl, false)) << c.name;
        ASSERT_EQ(store.Load().certificates.size(), 1u);
        c.spoil(pki);
        const std::string endpointsBefore = ReadText(pki / "trusted_endpoints.txt");
        const TrustStore::Contents loaded = store.Load();
        EXPECT_TRUE(loaded.certificates.empty()) << c.name;
        ASSERT_TRUE(loaded.refused) << c.name;
        EXPECT_EQ(loaded.refused->path, c.found.empty() ? pki : pki / c.found) << c.name;
        EXPECT_EQ(loaded.refused->reason, c.reason) << c.name;
        // Nor is anything written into it; the list stays as it was.
        EXPECT_FALSE(store.Trust(Server(), "opc.tcp://other:4840", false)) << c.name;
        EXPECT_EQ(ReadText(pki / "trusted_endpoints.txt"), endpointsBefore) << c.name;
    }
}

TEST(TrustStoreSafety, FoldersAreMadePrivateUnderAPermissiveUmask) {
    TempDir dir;
    const std::filesystem::path pki = dir.Path() / "data" / "quorvane" / "pki";
    const mode_t saved = ::umask(0);
    const bool trusted = TrustStore(pki).Trust(Server(), kUrl, false);
    const bool identity = LoadOrCreateIdentity(pki).has_value();
    ::umask(saved);
    ASSERT_TRUE(trusted && identity);
    for (const auto& folder :
         {dir.Path() / "data", pki.parent_path(), pki, pki / "trusted", pki / "own"}) {
        struct stat info {};
        ASSERT_EQ(::stat(folder.c_str(), &info), 0) << folder;
        EXPECT_EQ(info.st_mode & 0777, 0700u) << folder;
    }
    // And a spoiled identity folder gives no key, only the reason.
    ::chmod((pki / "own").c_str(), 0777);
    std::optional<UnsafePath> unsafe;
    EXPECT_FALSE(LoadOrCreateIdentity(pki, nullptr, &unsafe));
    ASSERT_TRUE(unsafe);
    EXPECT_EQ(unsafe->path, pki / "own");
}

TEST(TrustStoreSafety, ControlCharactersNeverReachTheList) {
    TempDir dir;
    TrustStore store(dir.Path() / "pki");
    ASSERT_TRUE(store.Trust(Server(), kUrl, false));
    const auto list = dir.Path() / "pki" / "trusted_endpoints.txt";
    const std::string before = ReadText(list);
    for (const char* url : {"opc.tcp://a:4840\nffff opc.tcp://evil", "opc.tcp://a:4840\r",
                            "opc.tcp://a\t:4840", "opc.tcp://a:4840\x7f"}) {
        EXPECT_FALSE(store.Trust(Server(), url, false)) << url;
        EXPECT_EQ(ReadText(list), before);
    }
    // A line with one that got there some other way is skipped on reading.
    const std::string hex = TrustedFileName(Server().fingerprint).substr(0, 64);
    std::ofstream(list, std::ios::app) << hex << " opc.tcp://b:4840\x1b[2J\n";
    const auto loaded = store.Load();
    ASSERT_EQ(loaded.certificates.size(), 1u);
    EXPECT_EQ(loaded.certificates[0].endpointUrls, std::vector<std::string>{kUrl});
}

}  // namespace
