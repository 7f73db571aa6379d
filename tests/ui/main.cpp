#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

// Every test starts as a fresh installation: its own empty home and settings directory, so
// nothing one test remembers reaches the next and the user's own settings are never touched.
class FreshSettings : public ::testing::EmptyTestEventListener {
public:
    void OnTestStart(const ::testing::TestInfo&) override {
        std::string pattern = (std::filesystem::temp_directory_path() / "qv-home-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) std::abort();
        home = pattern;
        setenv("HOME", home.c_str(), 1);
        setenv("XDG_CONFIG_HOME", (home + "/config").c_str(), 1);
        setenv("XDG_DATA_HOME", (home + "/data").c_str(), 1);  // the scan history
    }
    void OnTestEnd(const ::testing::TestInfo&) override {
        std::error_code ignored;
        std::filesystem::remove_all(home, ignored);
    }

private:
    std::string home;
};

}  // namespace

#include "tests/support/test_trust.h"

int main(int argc, char** argv) {
    // CTest sets this too; a hand run should not need a display either.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    UseTemporaryHome();  // never the real user's certificates
    // The window's tests read its texts in Chinese: a first start follows a desktop whose
    // messages are Chinese (only the messages: fonts and formats stay as the machine has them).
    unsetenv("LC_ALL");
    setenv("LC_MESSAGES", "zh_CN.UTF-8", 1);
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new FreshSettings);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
