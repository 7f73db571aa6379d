#include "discovery/sources/lds_query.h"

#include <open62541/client_config_default.h>

#include <algorithm>

#include "engine/library_log.h"
#include "engine/ua_text.h"
#include "engine/ua_types.h"

namespace {

// The library can leave a client unusable after a failed call (its lock held when the channel
// broke), so every call gets a fresh client and none is used twice.
UaClientPtr FreshClient(std::chrono::milliseconds timeout) {
    UaClientPtr client = NewClient();
    if (!client) return client;
    UA_ClientConfig* config = UA_Client_getConfig(client.get());
    UA_ClientConfig_setDefault(config);
    config->timeout = static_cast<UA_UInt32>(timeout.count());
    return client;
}

void AddOnce(std::vector<std::string>& urls, const std::string& url) {
    if (url.empty() || std::find(urls.begin(), urls.end(), url) != urls.end()) return;
    urls.push_back(url);
}

template <class T>
struct ArrayOwner {
    T* items = nullptr;
    std::size_t count = 0;
    const UA_DataType* type;
    explicit ArrayOwner(const UA_DataType* t) : type(t) {}
    ~ArrayOwner() { UA_Array_delete(items, count, type); }
    ArrayOwner(const ArrayOwner&) = delete;
    ArrayOwner& operator=(const ArrayOwner&) = delete;
};

}  // namespace

LdsAnswer AskDiscoveryServer(const std::string& url, std::chrono::milliseconds timeout) {
    LdsAnswer answer;
    {
        const UaClientPtr client = FreshClient(timeout);
        if (!client) {
            answer.failure = UA_StatusCode_name(UA_STATUSCODE_BADOUTOFMEMORY);
            return answer;
        }
        ArrayOwner<UA_ApplicationDescription> found(&UA_TYPES[UA_TYPES_APPLICATIONDESCRIPTION]);
        const UA_StatusCode s = UA_Client_findServers(client.get(), url.c_str(), 0, nullptr, 0,
                                                      nullptr, &found.count, &found.items);
        UA_Client_disconnect(client.get());
        if (s != UA_STATUSCODE_GOOD) {
            answer.failure = UA_StatusCode_name(s);
            return answer;
        }
        for (std::size_t i = 0; i < found.count; ++i) {
            const UA_ApplicationDescription& app = found.items[i];
            if (app.applicationType == UA_APPLICATIONTYPE_CLIENT) continue;
            for (std::size_t u = 0; u < app.discoveryUrlsSize; ++u) {
                const std::string discoveryUrl = UaText(app.discoveryUrls[u]);
                if (discoveryUrl.rfind("opc.tcp://", 0) != 0) continue;
                AddOnce(answer.urls, discoveryUrl);
                break;
            }
        }
    }
    const UaClientPtr client = FreshClient(timeout);
    if (!client) return answer;
    ArrayOwner<UA_ServerOnNetwork> onNetwork(&UA_TYPES[UA_TYPES_SERVERONNETWORK]);
    const UA_StatusCode s = UA_Client_findServersOnNetwork(
        client.get(), url.c_str(), 0, 0, 0, nullptr, &onNetwork.count, &onNetwork.items);
    UA_Client_disconnect(client.get());
    if (s != UA_STATUSCODE_GOOD) return answer;
    for (std::size_t i = 0; i < onNetwork.count; ++i)
        AddOnce(answer.urls, UaText(onNetwork.items[i].discoveryUrl));
    return answer;
}
