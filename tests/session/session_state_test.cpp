#include "session/session_state.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

using S = SessionState;
using E = SessionEvent;

struct Row {
    S from;
    E event;
    std::optional<S> to;  // none: the event is ignored there
};

// What the window and the session rely on; every row can fail on its own.
constexpr Row kRows[] = {
    {S::Idle, E::Connect, S::Connecting},
    {S::Idle, E::Stop, std::nullopt},       // nothing to stop
    {S::Idle, E::Connected, std::nullopt},  // a late result of an abandoned attempt
    {S::Idle, E::WalkEnded, std::nullopt},
    {S::Connecting, E::ConnectFailed, S::Idle},
    {S::Connecting, E::DecisionNeeded, S::AwaitingDecision},
    {S::Connecting, E::Connected, S::Scanning},
    {S::Connecting, E::Stop, S::Stopping},
    {S::AwaitingDecision, E::Decided, S::Connecting},
    {S::AwaitingDecision, E::ConnectFailed, S::Idle},  // declined
    {S::AwaitingDecision, E::Stop, S::Stopping},
    {S::AwaitingDecision, E::Close, S::Stopping},
    {S::AwaitingDecision, E::Connected, std::nullopt},  // no connect runs while asking
    {S::Scanning, E::WalkEnded, S::Refreshing},
    {S::Scanning, E::WalkLostSession, S::Reconnecting},
    {S::Scanning, E::Stop, S::Stopping},
    {S::Scanning, E::Connect, S::Connecting},
    {S::Scanning, E::ReadFailed, std::nullopt},  // no pass runs during the walk
    {S::Refreshing, E::ReadFailed, S::Reconnecting},
    {S::Refreshing, E::Reconnected, std::nullopt},
    {S::Refreshing, E::Stop, S::Stopping},
    {S::Reconnecting, E::ReconnectFailed, S::Reconnecting},
    {S::Reconnecting, E::Reconnected, S::Refreshing},
    {S::Reconnecting, E::CertificateChanged, S::Idle},  // retrying cannot help
    {S::Reconnecting, E::Close, S::Stopping},
    {S::Reconnecting, E::Stop, S::Stopping},
    {S::Refreshing, E::CertificateChanged, std::nullopt},  // only a reconnect meets one
    {S::Stopping, E::Settled, S::Idle},
    {S::Stopping, E::Connect, S::Connecting},
    {S::Stopping, E::Stop, std::nullopt},
    {S::Stopping, E::WalkEnded, std::nullopt},  // the stopped walk's end is for nobody
    {S::Idle, E::Settled, std::nullopt},
};

TEST(SessionStates, TransitionsAsTheTableSays) {
    for (const Row& row : kRows) {
        SCOPED_TRACE(std::string(StateName(row.from)) + " + event " +
                     std::to_string(static_cast<int>(row.event)));
        EXPECT_EQ(NextState(row.from, row.event), row.to);
    }
}

// Connect and Close are honoured wherever work can be under way, whatever it is.
TEST(SessionStates, ConnectAndCloseWorkFromEveryBusyState) {
    for (S s : {S::Connecting, S::AwaitingDecision, S::Scanning, S::Refreshing, S::Reconnecting,
                S::Stopping}) {
        SCOPED_TRACE(StateName(s));
        EXPECT_EQ(NextState(s, E::Connect), S::Connecting);
        EXPECT_EQ(NextState(s, E::Close), S::Stopping);
    }
}

TEST(SessionStates, TheButtonStopsExactlyWhileWorkIsUnderWay) {
    EXPECT_FALSE(StopsOnCommand(S::Idle));
    EXPECT_FALSE(StopsOnCommand(S::Stopping));
    for (S s : {S::Connecting, S::AwaitingDecision, S::Scanning, S::Refreshing, S::Reconnecting})
        EXPECT_TRUE(StopsOnCommand(s)) << StateName(s);
}

}  // namespace
