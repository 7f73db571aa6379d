// Folders of ours are 0700 whatever the umask, and a folder or file another local user could
// have changed is found, as OpenSSH's StrictModes finds them.
#include "os/private_folder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>

namespace {

mode_t ModeOf(const std::filesystem::path& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 ? (info.st_mode & 07777) : 0;
}

class PrivateFolder : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (std::filesystem::temp_directory_path() / "qv-os-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
    std::filesystem::path dir;
};

TEST_F(PrivateFolder, EveryFolderMadeIs0700UnderAnyUmask) {
    for (const mode_t mask : {mode_t{0}, mode_t{022}, mode_t{0177}}) {
        const std::filesystem::path top = dir / ("m" + std::to_string(mask));
        const mode_t saved = ::umask(mask);
        const bool made = MakePrivateFolders(top / "quorvane" / "pki" / "trusted");
        ::umask(saved);
        ASSERT_TRUE(made) << mask;
        for (const auto& path : {top, top / "quorvane", top / "quorvane" / "pki",
                                 top / "quorvane" / "pki" / "trusted"})
            EXPECT_EQ(ModeOf(path), 0700u) << path << " under umask " << mask;
    }
    // A folder that was there keeps its mode: it is not ours to change.
    ASSERT_EQ(::chmod(dir.c_str(), 0755), 0);
    EXPECT_TRUE(MakePrivateFolders(dir / "new"));
    EXPECT_EQ(ModeOf(dir), 0755u);
    std::ofstream(dir / "file") << "x";
    EXPECT_FALSE(MakePrivateFolders(dir / "file"));
    EXPECT_FALSE(MakePrivateFolders(dir / "file" / "below"));
}

TEST_F(PrivateFolder, StrictModesRefusals) {
    const std::filesystem::path pki = dir / "pki";
    ASSERT_TRUE(MakePrivateFolders(pki / "trusted"));
    std::ofstream(pki / "trusted" / "a.der") << "x";
    ::chmod((pki / "trusted" / "a.der").c_str(), 0644);
    const struct {
        const char* name;
        std::function<void()> spoil;
        std::filesystem::path found;  // empty: safe
        UnsafeReason reason;
    } cases[] = {
        {"as made", [] {}, {}, {}},
        {"trusted world-writable", [&] { ::chmod((pki / "trusted").c_str(), 0777); },
         pki / "trusted", UnsafeReason::WritableByOthers},
        {"pki group-writable", [&] { ::chmod(pki.c_str(), 0770); }, pki,
         UnsafeReason::WritableByOthers},
        {"file group-writable", [&] { ::chmod((pki / "trusted" / "a.der").c_str(), 0664); },
         pki / "trusted" / "a.der", UnsafeReason::WritableByOthers},
        {"trusted another user's",
         [&] { ASSERT_EQ(::lchown((pki / "trusted").c_str(), 65534, 65534), 0); }, pki / "trusted",
         UnsafeReason::NotOwned},
        {"trusted a link",
         [&] {
             std::filesystem::rename(pki / "trusted", dir / "elsewhere");
             std::filesystem::create_directory_symlink(dir / "elsewhere", pki / "trusted");
         },
         pki / "trusted", UnsafeReason::SymbolicLink},
        {"top shared without sticky", [&] { ::chmod(dir.c_str(), 0777); }, dir,
         UnsafeReason::WritableByOthers},
        {"top shared and sticky like /tmp", [&] { ::chmod(dir.c_str(), 01777); }, {}, {}},
    };
    for (const auto& c : cases) {
        if (c.reason == UnsafeReason::NotOwned && ::geteuid() != 0) continue;  // needs chown
        c.spoil();
        std::optional<UnsafePath> found = CheckPrivateChain(dir, pki / "trusted");
        if (!found) found = CheckPrivatePath(pki / "trusted" / "a.der");
        if (c.found.empty()) {
            EXPECT_FALSE(found) << c.name << ": " << found->path;
        } else {
            ASSERT_TRUE(found) << c.name;
            EXPECT_EQ(found->path, c.found) << c.name;
            EXPECT_EQ(found->reason, c.reason) << c.name;
        }
        // Back to safe for the next case.
        std::error_code ignored;
        if (std::filesystem::is_symlink(pki / "trusted")) {
            std::filesystem::remove(pki / "trusted");
            std::filesystem::rename(dir / "elsewhere", pki / "trusted");
        }
        ::chmod(dir.c_str(), 0700);
        ::chmod(pki.c_str(), 0700);
        ::chmod((pki / "trusted").c_str(), 0700);
        ::lchown((pki / "trusted").c_str(), ::geteuid(), ::getegid());
        ::chmod((pki / "trusted" / "a.der").c_str(), 0644);
    }
}

}  // namespace
