#include <gtest/gtest.h>

#include <QCoreApplication>

#include "tests/support/test_trust.h"

int main(int argc, char** argv) {
    UseTemporaryHome();  // never the real user's certificates
    ::testing::InitGoogleTest(&argc, argv);
    QCoreApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
