#pragma once

#include <span>
#include <string_view>

inline constexpr int kMinTimeoutSeconds = 5;
inline constexpr int kMaxTimeoutSeconds = 600;

// The leading decimal digits of `text` as a number; 0 when there are none. Numbers too large for
// an int saturate, so "99999999999" still counts as above 600.
int TimeoutFromText(std::string_view text);

// What OK accepts: 5 to 600 seconds.
bool TimeoutAcceptable(std::string_view text);

// The sampling interval of subscribed points, in milliseconds, read as the timeout is.
inline constexpr int kMinSamplingMs = 100;
inline constexpr int kMaxSamplingMs = 60000;
int SamplingFromText(std::string_view text);
bool SamplingAcceptable(std::string_view text);
bool SamplingAcceptable(int milliseconds);

// Mode index after the user picked policy `policy` while the mode was `mode`.
int ModeAfterPolicyChoice(int policy, int mode);
// Policy index after the user picked mode `mode` while the policy was `policy`. A secure mode
// with no policy yet takes the strongest of `offered` (indices of the policies the server
// offers in that mode, when known), else Basic256Sha256: the strongest policy that is not
// deprecated and that nearly every secure server offers.
int PolicyAfterModeChoice(int mode, int policy, std::span<const int> offered = {});
// The strongest of `offered` by kPolicyStrength; -1 when none of them is a secure policy.
int StrongestPolicy(std::span<const int> offered);

// Which sign-in kinds (1 anonymous, 2 user name, 3 certificate) an endpoint accepting the
// TokenKind bits `tokens` allows; the certificate kind secures the channel and signs in
// anonymously, so it needs a signing endpoint that takes anonymous sessions.
bool SignInAllowed(int authKind, unsigned tokens, int modeIndex);

// Which parts of the sign-in frame are enabled for an authentication kind.
struct SignInSections {
    bool userPassword;
    bool certificate;
};
SignInSections SectionsFor(int authKind);
