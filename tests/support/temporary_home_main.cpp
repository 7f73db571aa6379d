// The main of test programs that may touch this installation's certificates: a home of their
// own before any test runs, so nothing is made or trusted in the real user's files.
#include <gtest/gtest.h>

#include "tests/support/test_trust.h"

int main(int argc, char** argv) {
    UseTemporaryHome();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
