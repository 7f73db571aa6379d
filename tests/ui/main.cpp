#include <QApplication>

#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/support/test_trust.h"

int main(int argc, char** argv) {
    // CTest sets this too; a hand run should not need a display either.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    UseTemporaryHome();  // never the real user's certificates
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
