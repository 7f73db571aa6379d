#include "discovery/sources/mdns_browse.h"

#include <avahi-client/client.h>
#include <avahi-client/lookup.h>
#include <avahi-common/error.h>
#include <avahi-common/malloc.h>
#include <avahi-common/simple-watch.h>

#include <algorithm>
#include <memory>

namespace {

struct PollFree {
    void operator()(AvahiSimplePoll* poll) const { avahi_simple_poll_free(poll); }
};
struct ClientFree {
    void operator()(AvahiClient* client) const { avahi_client_free(client); }
};

struct Browse {
    MdnsAnswer answer;
    int resolving = 0;
    bool allForNow = false;
};

std::string PathOf(AvahiStringList* txt) {
    AvahiStringList* entry = avahi_string_list_find(txt, "path");
    if (entry == nullptr) return {};
    char* key = nullptr;
    char* value = nullptr;
    if (avahi_string_list_get_pair(entry, &key, &value, nullptr) != 0) return {};
    std::string path = value != nullptr ? value : "";
    avahi_free(key);
    avahi_free(value);
    if (!path.empty() && path.front() != '/') path.insert(path.begin(), '/');
    return path;
}

void Resolved(AvahiServiceResolver* resolver, AvahiIfIndex, AvahiProtocol protocol,
              AvahiResolverEvent event, const char*, const char*, const char*, const char* hostName,
              const AvahiAddress* address, uint16_t port, AvahiStringList* txt,
              AvahiLookupResultFlags, void* context) {
    auto* browse = static_cast<Browse*>(context);
    if (event == AVAHI_RESOLVER_FOUND && address != nullptr) {
        char text[AVAHI_ADDRESS_STR_MAX] = {};
        avahi_address_snprint(text, sizeof text, address);
        // The announced host name is what the server calls itself; the address is what works.
        const std::string host =
            protocol == AVAHI_PROTO_INET6 ? "[" + std::string(text) + "]" : std::string(text);
        (void)hostName;
        const std::string url = "opc.tcp://" + host + ":" + std::to_string(port) + PathOf(txt);
        auto& urls = browse->answer.urls;
        if (std::find(urls.begin(), urls.end(), url) == urls.end()) urls.push_back(url);
    }
    avahi_service_resolver_free(resolver);
    --browse->resolving;
}

void Browsed(AvahiServiceBrowser* browser, AvahiIfIndex interface, AvahiProtocol protocol,
             AvahiBrowserEvent event, const char* name, const char* type, const char* domain,
             AvahiLookupResultFlags, void* context) {
    auto* browse = static_cast<Browse*>(context);
    switch (event) {
        case AVAHI_BROWSER_NEW:
            if (avahi_service_resolver_new(avahi_service_browser_get_client(browser), interface,
                                           protocol, name, type, domain, AVAHI_PROTO_UNSPEC,
                                           static_cast<AvahiLookupFlags>(0), Resolved,
                                           browse) != nullptr)
                ++browse->resolving;
            break;
        case AVAHI_BROWSER_ALL_FOR_NOW:
            browse->allForNow = true;
            break;
        case AVAHI_BROWSER_FAILURE:
            browse->answer.failure =
                avahi_strerror(avahi_client_errno(avahi_service_browser_get_client(browser)));
            break;
        default:
            break;
    }
}

void ClientState(AvahiClient*, AvahiClientState, void*) {}

}  // namespace

MdnsAnswer BrowseMdns(std::chrono::milliseconds wait, const std::atomic<bool>& cancel) {
    Browse browse;
    const std::unique_ptr<AvahiSimplePoll, PollFree> poll(avahi_simple_poll_new());
    if (!poll) {
        browse.answer.failure = "out of memory";
        return browse.answer;
    }
    int error = 0;
    const std::unique_ptr<AvahiClient, ClientFree> client(
        avahi_client_new(avahi_simple_poll_get(poll.get()), static_cast<AvahiClientFlags>(0),
                         ClientState, nullptr, &error));
    if (!client) {
        if (error == AVAHI_ERR_NO_DAEMON)
            browse.answer.unavailable = true;
        else
            browse.answer.failure = avahi_strerror(error);
        return browse.answer;
    }
    AvahiServiceBrowser* browser = avahi_service_browser_new(
        client.get(), AVAHI_IF_UNSPEC, AVAHI_PROTO_UNSPEC, "_opcua-tcp._tcp", nullptr,
        static_cast<AvahiLookupFlags>(0), Browsed, &browse);
    if (browser == nullptr) {
        browse.answer.failure = avahi_strerror(avahi_client_errno(client.get()));
        return browse.answer;
    }
    const auto end = std::chrono::steady_clock::now() + wait;
    while (!cancel.load() && !browse.answer.failure &&
           !(browse.allForNow && browse.resolving == 0) && std::chrono::steady_clock::now() < end) {
        if (avahi_simple_poll_iterate(poll.get(), 50) != 0) break;
    }
    // Freeing the client frees its browser and the resolvers still running.
    return browse.answer;
}
