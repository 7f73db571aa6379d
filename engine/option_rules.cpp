#include "engine/option_rules.h"

#include <algorithm>
#include <climits>
#include <iterator>

#include "engine/connection_settings.h"
#include "engine/endpoint_list.h"

namespace {
constexpr int kBasic256Sha256 = 3;
}  // namespace

int TimeoutFromText(std::string_view text) {
    long long value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') break;
        value = value * 10 + (c - '0');
        if (value > INT_MAX) return INT_MAX;
    }
    return static_cast<int>(value);
}

bool TimeoutAcceptable(std::string_view text) {
    const int seconds = TimeoutFromText(text);
    return seconds >= kMinTimeoutSeconds && seconds <= kMaxTimeoutSeconds;
}

int SamplingFromText(std::string_view text) { return TimeoutFromText(text); }

bool SamplingAcceptable(int milliseconds) {
    return milliseconds >= kMinSamplingMs && milliseconds <= kMaxSamplingMs;
}

bool SamplingAcceptable(std::string_view text) {
    return SamplingAcceptable(SamplingFromText(text));
}

int ModeAfterPolicyChoice(int policy, int mode) {
    if (policy == 0) return 0;
    return mode == 0 ? 1 : mode;
}

int StrongestPolicy(std::span<const int> offered) {
    int best = -1, bestRank = -1;
    for (int policy : offered) {
        const auto rank = std::find(std::begin(kPolicyStrength), std::end(kPolicyStrength), policy);
        if (rank == std::end(kPolicyStrength)) continue;
        const int r = static_cast<int>(rank - std::begin(kPolicyStrength));
        if (r > bestRank) {
            bestRank = r;
            best = policy;
        }
    }
    return best;
}

int PolicyAfterModeChoice(int mode, int policy, std::span<const int> offered) {
    if (mode == 0) return 0;
    if (policy != 0) return policy;
    const int strongest = StrongestPolicy(offered);
    return strongest >= 0 ? strongest : kBasic256Sha256;
}

bool SignInAllowed(int authKind, unsigned tokens, int modeIndex) {
    switch (authKind) {
        case 1:
            return (tokens & kTokenAnonymous) != 0;
        case 2:
            return (tokens & kTokenUserName) != 0;
        case 3:
            return modeIndex > 0 && (tokens & kTokenAnonymous) != 0;
        default:
            return false;
    }
}

SignInSections SectionsFor(int authKind) { return {authKind == 2, authKind == 3}; }
