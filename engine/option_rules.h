#pragma once

#include <string_view>

inline constexpr int kMinTimeoutSeconds = 5;
inline constexpr int kMaxTimeoutSeconds = 600;

// The leading decimal digits of `text` as a number; 0 when there are none. Numbers too large for
// an int saturate, so "99999999999" still counts as above 600.
int TimeoutFromText(std::string_view text);

// What OK accepts: 5 to 600 seconds.
bool TimeoutAcceptable(std::string_view text);

// Mode index after the user picked policy `policy` while the mode was `mode`.
int ModeAfterPolicyChoice(int policy, int mode);
// Policy index after the user picked mode `mode` while the policy was `policy`.
int PolicyAfterModeChoice(int mode, int policy);

// Which parts of the sign-in frame are enabled for an authentication kind.
struct SignInSections {
    bool userPassword;
    bool certificate;
};
SignInSections SectionsFor(int authKind);
