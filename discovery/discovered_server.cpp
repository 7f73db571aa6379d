#include "discovery/discovered_server.h"

std::string ServerKey(const DiscoveredServer& server) {
    // A name that does not resolve says nothing about where the server is: the address it was
    // found at stands in for it, so two such servers behind one name stay two.
    const std::string& url = server.advertisedResolves && !server.advertisedUrl.empty()
                                 ? server.advertisedUrl
                                 : server.foundAt;
    return server.applicationUri + "\n" + NormalUrl(url);
}

std::string NormalUrl(std::string url) {
    // Servers echo the URL they were asked at; "opc.tcp://h:4840/" names "opc.tcp://h:4840".
    while (!url.empty() && url.back() == '/') url.pop_back();
    return url;
}

std::string PolicyNameOf(const std::string& policyUri) {
    if (policyUri.empty()) return "None";
    const auto hash = policyUri.rfind('#');
    return hash == std::string::npos ? policyUri : policyUri.substr(hash + 1);
}

std::string ModeNameOf(int mode) {
    switch (mode) {
        case 1:
            return "None";
        case 2:
            return "Sign";
        case 3:
            return "SignAndEncrypt";
        default:
            return "Invalid";
    }
}

std::string TokenNameOf(int type) {
    switch (type) {
        case 0:
            return "anonymous";
        case 1:
            return "username";
        case 2:
            return "certificate";
        case 3:
            return "issued";
        default:
            return "unknown";
    }
}
