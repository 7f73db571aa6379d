#include "engine/endpoint_recheck.h"

#include <utility>

namespace {

// A reconnect to the URL the server names for itself closes the channel under the first
// request; a server that keeps failing it gets no session.
constexpr int kMostAttempts = 3;

}  // namespace

EndpointRecheck::EndpointRecheck(UA_Client* client, std::string url,
                                 std::span<const UA_EndpointDescription> listed)
    : client(client), url(std::move(url)), listed(listed) {}

bool EndpointRecheck::Ready(UA_SecureChannelState channel, UA_SessionState session) {
    if (change != EndpointChange::None || status != UA_STATUSCODE_GOOD) return true;
    if (session == UA_SESSIONSTATE_ACTIVATED) return true;
    if (!agreed && !pending && channel == UA_SECURECHANNELSTATE_OPEN) Send();
    return status != UA_STATUSCODE_GOOD;
}

void EndpointRecheck::ChannelChanged(UA_SecureChannelState channel) {
    if (channel == UA_SECURECHANNELSTATE_OPEN) return;
    agreed = false;
    pending = false;
    pendingRequest = 0;
    UA_Client_getConfig(client)->noSession = true;
}

void EndpointRecheck::Send() {
    ++attempts;
    UA_GetEndpointsRequest request;
    UA_GetEndpointsRequest_init(&request);
    // The same question as the first time, so that a server filtering by URL answers alike.
    request.endpointUrl = UA_STRING(url.data());
    const UA_StatusCode sent = __UA_Client_AsyncService(
        client, &request, &UA_TYPES[UA_TYPES_GETENDPOINTSREQUEST], Answered,
        &UA_TYPES[UA_TYPES_GETENDPOINTSRESPONSE], this, &pendingRequest);
    if (sent == UA_STATUSCODE_GOOD) {
        pending = true;
    } else if (attempts >= kMostAttempts) {
        status = sent;
    }
}

// Runs inside the library's handling of the answer; the library goes on to CreateSession in
// the same pass once noSession is cleared.
void EndpointRecheck::Answered(UA_Client* client, void* self, UA_UInt32 requestId, void* response) {
    auto* check = static_cast<EndpointRecheck*>(self);
    auto* answer = static_cast<UA_GetEndpointsResponse*>(response);
    if (!check->pending || requestId != check->pendingRequest) return;  // an earlier channel's
    check->pending = false;
    const UA_StatusCode result = answer->responseHeader.serviceResult;
    if (result != UA_STATUSCODE_GOOD) {
        if (check->attempts >= kMostAttempts) check->status = result;
        return;  // sent again once the channel is open
    }
    check->change = CompareEndpoints(check->listed, {answer->endpoints, answer->endpointsSize});
    if (check->change != EndpointChange::None) return;  // no session: the caller closes it
    check->agreed = true;
    UA_Client_getConfig(client)->noSession = false;
}
