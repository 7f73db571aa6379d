#include "engine/live/live_subscription.h"

#include <open62541/client_highlevel.h>
#include <open62541/client_subscriptions.h>

#include <algorithm>
#include <map>
#include <mutex>

#include "engine/opcua_browser.h"

namespace {

// The subscriptions alive now, by the id the server gave them. A client may bring a session
// back by itself after its owner gave up on it; what it delivers then finds nobody here
// instead of a freed object.
std::mutex registryMutex;
std::map<const LiveSubscription*, UA_UInt32> registry;

bool Alive(const LiveSubscription* subscription, UA_UInt32 subId) {
    std::lock_guard lock(registryMutex);
    const auto it = registry.find(subscription);
    return it != registry.end() && it->second == subId;
}

bool SessionActive(UA_Client* client) {
    UA_SessionState session = UA_SESSIONSTATE_CLOSED;
    UA_Client_getState(client, nullptr, &session, nullptr);
    return session == UA_SESSIONSTATE_ACTIVATED;
}

std::uint32_t ReadMaxPerCall(UA_Client* client) {
    UaVariant value;
    const UA_StatusCode status = UA_Client_readValueAttribute(
        client,
        UA_NODEID_NUMERIC(
            0, UA_NS0ID_SERVER_SERVERCAPABILITIES_OPERATIONLIMITS_MAXMONITOREDITEMSPERCALL),
        value.get());
    if (status != UA_STATUSCODE_GOOD) return 0;
    if (UA_Variant_hasScalarType(value.get(), &UA_TYPES[UA_TYPES_UINT32]))
        return *static_cast<const UA_UInt32*>(value->data);
    return 0;
}

using UaCreateMonitoredItemsResponse =
    UaOwned<UA_CreateMonitoredItemsResponse, UA_TYPES_CREATEMONITOREDITEMSRESPONSE>;
using UaDeleteMonitoredItemsResponse =
    UaOwned<UA_DeleteMonitoredItemsResponse, UA_TYPES_DELETEMONITOREDITEMSRESPONSE>;
using UaCreateSubscriptionResponse =
    UaOwned<UA_CreateSubscriptionResponse, UA_TYPES_CREATESUBSCRIPTIONRESPONSE>;

}  // namespace

LiveSubscription::LiveSubscription(UA_Client* c, double sampling)
    : client(c), samplingMs(sampling) {}

std::unique_ptr<LiveSubscription> LiveSubscription::Create(UA_Client* client, double samplingMs,
                                                           UA_StatusCode& status) {
    if (client == nullptr || !SessionActive(client)) {
        status = UA_STATUSCODE_BADSESSIONCLOSED;
        return nullptr;
    }
    std::unique_ptr<LiveSubscription> made(new LiveSubscription(client, samplingMs));
    UA_CreateSubscriptionRequest request = UA_CreateSubscriptionRequest_default();
    request.requestedPublishingInterval = kPublishingIntervalMs;
    // Thousands of items changing every second must not wait for several publishes.
    request.maxNotificationsPerPublish = 0;
    auto response = UaCreateSubscriptionResponse::Adopt(UA_Client_Subscriptions_create(
        client, request, made.get(), &LiveSubscription::OnStatusChange, nullptr));
    status = response->responseHeader.serviceResult;
    if (status != UA_STATUSCODE_GOOD) return nullptr;
    made->subscriptionId = response->subscriptionId;
    made->revised.publishingMs = response->revisedPublishingInterval;
    {
        std::lock_guard lock(registryMutex);
        registry[made.get()] = made->subscriptionId;
    }
    made->revised.maxPerCall = ReadMaxPerCall(client);
    return made;
}

LiveSubscription::~LiveSubscription() {
    {
        std::lock_guard lock(registryMutex);
        registry.erase(this);
    }
    if (lost || !SessionActive(client)) return;
    // A server that stopped answering must not hold the session's thread for the whole
    // timeout; the session's own end would remove the subscription anyway.
    UA_ClientConfig* config = UA_Client_getConfig(client);
    const UA_UInt32 timeout = config->timeout;
    config->timeout = std::min<UA_UInt32>(timeout, kCloseSessionWaitMs);
    UA_Client_Subscriptions_deleteSingle(client, subscriptionId);
    config->timeout = timeout;
}

UA_StatusCode LiveSubscription::Add(std::span<const MonitorRequest> items,
                                    std::vector<std::pair<std::uint32_t, UA_StatusCode>>& refused) {
    for (const auto& [first, size] : BatchBounds(items.size(), revised.maxPerCall)) {
        std::vector<UA_MonitoredItemCreateRequest> requests(size);
        std::vector<void*> contexts(size);
        std::vector<UA_Client_DataChangeNotificationCallback> callbacks(
            size, &LiveSubscription::OnDataChange);
        std::vector<UA_Client_DeleteMonitoredItemCallback> deletes(size, nullptr);
        for (std::size_t i = 0; i < size; ++i) {
            const MonitorRequest& item = items[first + i];
            // The NodeIds stay the caller's: the request only points at them.
            requests[i] = UA_MonitoredItemCreateRequest_default(*item.nodeId);
            requests[i].requestedParameters.samplingInterval = samplingMs;
            requests[i].requestedParameters.queueSize = 1;
            contexts[i] = reinterpret_cast<void*>(static_cast<std::uintptr_t>(item.handle));
        }
        UA_CreateMonitoredItemsRequest request;
        UA_CreateMonitoredItemsRequest_init(&request);
        request.subscriptionId = subscriptionId;
        request.timestampsToReturn = UA_TIMESTAMPSTORETURN_BOTH;
        request.itemsToCreate = requests.data();
        request.itemsToCreateSize = size;
        auto response =
            UaCreateMonitoredItemsResponse::Adopt(UA_Client_MonitoredItems_createDataChanges(
                client, request, contexts.data(), callbacks.data(), deletes.data()));
        const UA_StatusCode status = response->responseHeader.serviceResult;
        if (status != UA_STATUSCODE_GOOD) return status;
        if (response->resultsSize != size) return UA_STATUSCODE_BADUNEXPECTEDERROR;
        for (std::size_t i = 0; i < size; ++i) {
            const UA_MonitoredItemCreateResult& result = response->results[i];
            const std::uint32_t handle = items[first + i].handle;
            if (result.statusCode != UA_STATUSCODE_GOOD) {
                refused.emplace_back(handle, result.statusCode);
                continue;
            }
            itemIds[handle] = result.monitoredItemId;
            revised.samplingMs = result.revisedSamplingInterval;
        }
    }
    return UA_STATUSCODE_GOOD;
}

UA_StatusCode LiveSubscription::Remove(std::span<const std::uint32_t> handles) {
    std::vector<UA_UInt32> ids;
    ids.reserve(handles.size());
    for (std::uint32_t handle : handles) {
        const auto it = itemIds.find(handle);
        if (it == itemIds.end()) continue;  // never made, or refused
        ids.push_back(it->second);
        itemIds.erase(it);
    }
    for (const auto& [first, size] : BatchBounds(ids.size(), revised.maxPerCall)) {
        UA_DeleteMonitoredItemsRequest request;
        UA_DeleteMonitoredItemsRequest_init(&request);
        request.subscriptionId = subscriptionId;
        request.monitoredItemIds = ids.data() + first;
        request.monitoredItemIdsSize = size;
        auto response =
            UaDeleteMonitoredItemsResponse::Adopt(UA_Client_MonitoredItems_delete(client, request));
        const UA_StatusCode status = response->responseHeader.serviceResult;
        if (status != UA_STATUSCODE_GOOD) return status;
    }
    return UA_STATUSCODE_GOOD;
}

UA_StatusCode LiveSubscription::Iterate(std::uint32_t timeoutMs, std::vector<LiveChange>& out) {
    const UA_StatusCode status = UA_Client_run_iterate(client, timeoutMs);
    if (out.empty()) {
        out.swap(arrived);
    } else {
        std::move(arrived.begin(), arrived.end(), std::back_inserter(out));
        arrived.clear();
    }
    if (status != UA_STATUSCODE_GOOD) return status;
    return SessionActive(client) ? UA_STATUSCODE_GOOD : UA_STATUSCODE_BADSESSIONCLOSED;
}

void LiveSubscription::OnDataChange(UA_Client*, UA_UInt32 subId, void* subContext, UA_UInt32,
                                    void* monContext, UA_DataValue* value) {
    auto* self = static_cast<LiveSubscription*>(subContext);
    if (value == nullptr || !Alive(self, subId)) return;
    const auto handle = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(monContext));
    self->arrived.push_back(ChangeFromDataValue(handle, *value));
}

void LiveSubscription::OnStatusChange(UA_Client*, UA_UInt32 subId, void* subContext,
                                      UA_StatusChangeNotification* notification) {
    auto* self = static_cast<LiveSubscription*>(subContext);
    if (notification == nullptr || !Alive(self, subId)) return;
    // BadTimeout: the server ended the subscription; nothing more will come through it.
    if (UA_StatusCode_isBad(notification->status)) self->lost = true;
}
