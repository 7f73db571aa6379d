#include "engine/option_rules.h"

#include <climits>

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

int ModeAfterPolicyChoice(int policy, int mode) {
    if (policy == 0) return 0;
    return mode == 0 ? 1 : mode;
}

int PolicyAfterModeChoice(int mode, int policy) {
    if (mode == 0) return 0;
    return policy == 0 ? 1 : policy;
}

SignInSections SectionsFor(int authKind) {
    return {authKind == 2, authKind == 3};
}
