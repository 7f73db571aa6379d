#pragma once

#include <open62541/client.h>

#include <span>
#include <string>

#include "engine/endpoint_check.h"
#include "engine/endpoint_list.h"

// Asks the server for its endpoints again inside the channel a connect has opened, before any
// session exists, and lets the library go on to CreateSession and ActivateSession only when
// they agree with the list asked before. The client must be connecting with `noSession` set;
// this clears it once the lists agree. Over a signed channel the answer comes from the server
// whose certificate the channel was opened with; over one without security it can be rewritten
// as the first list could, and only catches a change made to one of them.
class EndpointRecheck {
public:
    EndpointRecheck(UA_Client* client, std::string url,
                    std::span<const UA_EndpointDescription> listed);
    // A pending request answers into this object: the client goes first.
    ~EndpointRecheck() = default;
    EndpointRecheck(const EndpointRecheck&) = delete;
    EndpointRecheck& operator=(const EndpointRecheck&) = delete;

    // For RunUntil: sends the request once the channel is open (again, when the library
    // reopened it to another URL); true once the session is activated, the lists differ or
    // the request failed for good.
    bool Ready(UA_SecureChannelState channel, UA_SessionState session);
    // For the client's state callback, which the library calls before it acts on a new state.
    // An agreement holds for the channel it was reached in only: once that channel is gone the
    // session waits again, so that a channel the library opens anew (to the same relay or
    // another URL) is asked again before anything is entrusted to it.
    void ChannelChanged(UA_SecureChannelState channel);

    EndpointChange Change() const { return change; }
    // Good unless the request itself failed.
    UA_StatusCode Status() const { return status; }

private:
    static void Answered(UA_Client* client, void* self, UA_UInt32 requestId, void* response);
    void Send();

    UA_Client* client;
    std::string url;
    std::span<const UA_EndpointDescription> listed;
    int attempts = 0;
    bool pending = false;
    UA_UInt32 pendingRequest = 0;  // answers to requests of an earlier channel are ignored
    bool agreed = false;
    EndpointChange change = EndpointChange::None;
    UA_StatusCode status = UA_STATUSCODE_GOOD;
};
