#pragma once

#include <optional>

// Where a scan session stands. Connect or Stop, the captions and which results still count
// follow from it alone.
enum class SessionState {
    Idle,              // no work; rows, if any, stay as the last scan left them
    Connecting,        // a connect runs on the session's thread
    AwaitingDecision,  // the connect stopped at a question for the user
    Scanning,          // the walk runs; the scan poll takes its records
    Refreshing,        // connected; the refresh cycle keeps the rows on screen current
    Reconnecting,      // a read failed; each pass tries to re-establish the session first
    Stopping,          // work was given up; the session's thread is finishing what it had
};

enum class SessionEvent {
    Connect,             // the user asked for a new scan
    ConnectFailed,       // the attempt failed, or a question was declined
    DecisionNeeded,      // the attempt needs the user's consent or trust
    Decided,             // the user said yes: connect again
    Connected,           // the session is up; the walk starts
    WalkEnded,           // the end marker arrived
    WalkLostSession,     // the end marker arrived from a walk that lost its session
    ReadFailed,          // a refresh pass's read failed
    ReconnectFailed,     // a pass could not re-establish the session
    Reconnected,         // a pass re-established the session and read
    CertificateChanged,  // the reconnect met another certificate than the one accepted
    Stop,                // the user pressed Stop
    Close,               // the session is going away
    Settled,             // everything the session's thread had was run
};

// The state after `event` in `state`; none when the event cannot happen there (it is ignored).
std::optional<SessionState> NextState(SessionState state, SessionEvent event);

// True for the states in which the command button stops rather than connects.
bool StopsOnCommand(SessionState state);

const char* StateName(SessionState state);
