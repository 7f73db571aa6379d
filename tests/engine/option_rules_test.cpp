#include "engine/option_rules.h"

#include <gtest/gtest.h>

namespace {

TEST(TimeoutText, LeadingDigitsCount) {
    struct Case {
        const char* text;
        int seconds;
    } cases[] = {{"10", 10},    {"0010", 10}, {"", 0},      {"abc", 0},
                 {"12abc", 12}, {"5", 5},     {"600", 600}, {" 7", 0}};
    for (const auto& c : cases) EXPECT_EQ(TimeoutFromText(c.text), c.seconds) << c.text;
}

TEST(TimeoutText, HugeNumbersStayAboveTheLimit) {
    EXPECT_GT(TimeoutFromText("99999999999999999999999"), 600);
    EXPECT_FALSE(TimeoutAcceptable("99999999999999999999999"));
    EXPECT_FALSE(TimeoutAcceptable("4294967301"));  // wraps to 5 in 32 bits
}

TEST(SamplingText, OnlyATenthOfASecondToAMinuteIsAccepted) {
    struct Case {
        const char* text;
        int ms;
        bool accepted;
    };
    const Case cases[] = {
        {"1000", 1000, true},    {"100", 100, true},
        {"60000", 60000, true},  {"99", 99, false},
        {"60001", 60001, false}, {"", 0, false},
        {"0250", 250, true},     {"500ms", 500, true},
        {"ms", 0, false},        {"4294967396", 2147483647, false}};  // 100 once wrapped in 32 bits
    for (const Case& c : cases) {
        EXPECT_EQ(SamplingFromText(c.text), c.ms) << c.text;
        EXPECT_EQ(SamplingAcceptable(c.text), c.accepted) << c.text;
    }
}

TEST(TimeoutText, OnlyFiveToSixHundredIsAccepted) {
    for (const char* ok : {"5", "600", "10", "0010", "300s"})
        EXPECT_TRUE(TimeoutAcceptable(ok)) << ok;
    for (const char* bad : {"4", "601", "0", "", "x5"}) EXPECT_FALSE(TimeoutAcceptable(bad)) << bad;
}

TEST(SecurityCoupling, PolicyChoiceMovesTheMode) {
    // policy, mode before -> mode after
    struct Case {
        int policy, mode, expected;
    } cases[] = {{0, 0, 0}, {0, 1, 0}, {0, 2, 0}, {1, 0, 1}, {2, 0, 1},
                 {3, 0, 1}, {3, 1, 1}, {2, 2, 2}, {1, 2, 2}};
    for (const auto& c : cases) {
        EXPECT_EQ(ModeAfterPolicyChoice(c.policy, c.mode), c.expected)
            << "policy " << c.policy << " mode " << c.mode;
    }
}

TEST(SecurityCoupling, ModeChoiceMovesThePolicy) {
    // mode, policy before -> policy after
    struct Case {
        int mode, policy, expected;
    } cases[] = {{0, 0, 0}, {0, 2, 0}, {0, 3, 0}, {1, 0, 3},
                 {2, 0, 3}, {1, 3, 3}, {2, 2, 2}, {2, 1, 1}};
    for (const auto& c : cases) {
        EXPECT_EQ(PolicyAfterModeChoice(c.mode, c.policy), c.expected)
            << "mode " << c.mode << " policy " << c.policy;
    }
}

TEST(SecurityCoupling, NoneOnlyEverAppearsTogether) {
    for (int policy = 0; policy < 6; ++policy) {
        for (int mode = 0; mode < 3; ++mode) {
            const int m = ModeAfterPolicyChoice(policy, mode);
            EXPECT_EQ(policy == 0, m == 0);
            const int p = PolicyAfterModeChoice(mode, policy);
            EXPECT_EQ(mode == 0, p == 0);
        }
    }
}

// Which section each sign-in kind enables is checked through the dialog itself
// (OptionsDialog.SignInChoiceEnablesItsSectionAtOnce).

}  // namespace
