#include "session/session_state.h"

#include <array>

namespace {

using S = SessionState;
using E = SessionEvent;

struct Transition {
    S from;
    E event;
    S to;
};

// Every transition there is. Connect, Stop and Close are taken in every state where work can be
// under way; what is still on its way back then belongs to nobody.
constexpr std::array kTransitions{
    Transition{S::Idle, E::Connect, S::Connecting},
    Transition{S::Idle, E::Close, S::Stopping},

    Transition{S::Connecting, E::Connect, S::Connecting},
    Transition{S::Connecting, E::ConnectFailed, S::Idle},
    Transition{S::Connecting, E::DecisionNeeded, S::AwaitingDecision},
    Transition{S::Connecting, E::Connected, S::Scanning},
    Transition{S::Connecting, E::Stop, S::Stopping},
    Transition{S::Connecting, E::Close, S::Stopping},

    Transition{S::AwaitingDecision, E::Connect, S::Connecting},
    Transition{S::AwaitingDecision, E::Decided, S::Connecting},
    Transition{S::AwaitingDecision, E::ConnectFailed, S::Idle},
    Transition{S::AwaitingDecision, E::Stop, S::Stopping},
    Transition{S::AwaitingDecision, E::Close, S::Stopping},

    Transition{S::Scanning, E::Connect, S::Connecting},
    Transition{S::Scanning, E::WalkEnded, S::Refreshing},
    Transition{S::Scanning, E::WalkLostSession, S::Reconnecting},
    Transition{S::Scanning, E::Stop, S::Stopping},
    Transition{S::Scanning, E::Close, S::Stopping},

    Transition{S::Refreshing, E::Connect, S::Connecting},
    Transition{S::Refreshing, E::ReadFailed, S::Reconnecting},
    Transition{S::Refreshing, E::Stop, S::Stopping},
    Transition{S::Refreshing, E::Close, S::Stopping},

    Transition{S::Reconnecting, E::Connect, S::Connecting},
    Transition{S::Reconnecting, E::Reconnected, S::Refreshing},
    Transition{S::Reconnecting, E::ReadFailed, S::Reconnecting},
    Transition{S::Reconnecting, E::ReconnectFailed, S::Reconnecting},
    Transition{S::Reconnecting, E::CertificateChanged, S::Idle},
    Transition{S::Reconnecting, E::Stop, S::Stopping},
    Transition{S::Reconnecting, E::Close, S::Stopping},

    Transition{S::Stopping, E::Connect, S::Connecting},
    Transition{S::Stopping, E::Settled, S::Idle},
    Transition{S::Stopping, E::Close, S::Stopping},
};

}  // namespace

std::optional<SessionState> NextState(SessionState state, SessionEvent event) {
    for (const Transition& t : kTransitions)
        if (t.from == state && t.event == event) return t.to;
    return std::nullopt;
}

bool StopsOnCommand(SessionState state) {
    return state != SessionState::Idle && state != SessionState::Stopping;
}

const char* StateName(SessionState state) {
    switch (state) {
        case S::Idle:
            return "Idle";
        case S::Connecting:
            return "Connecting";
        case S::AwaitingDecision:
            return "AwaitingDecision";
        case S::Scanning:
            return "Scanning";
        case S::Refreshing:
            return "Refreshing";
        case S::Reconnecting:
            return "Reconnecting";
        case S::Stopping:
            return "Stopping";
    }
    return "?";
}
