#include "discovery/local_subnets.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <netinet/in.h>

#include <algorithm>

std::string SubnetRange(unsigned address, int prefixBits, bool widen) {
    const int bits = std::clamp(prefixBits, widen ? 16 : 24, 32);
    const unsigned mask = bits == 0 ? 0u : ~0u << (32 - bits);
    in_addr network{};
    network.s_addr = htonl(address & mask);
    char text[INET_ADDRSTRLEN] = {};
    ::inet_ntop(AF_INET, &network, text, sizeof text);
    return std::string(text) + "/" + std::to_string(bits);
}

std::vector<std::string> LocalSubnets(bool widen) {
    std::vector<std::string> ranges;
    ifaddrs* list = nullptr;
    if (::getifaddrs(&list) != 0) return ranges;
    for (const ifaddrs* i = list; i != nullptr; i = i->ifa_next) {
        if (i->ifa_addr == nullptr || i->ifa_netmask == nullptr) continue;
        if (i->ifa_addr->sa_family != AF_INET) continue;
        const unsigned address =
            ntohl(reinterpret_cast<const sockaddr_in*>(i->ifa_addr)->sin_addr.s_addr);
        const unsigned mask =
            ntohl(reinterpret_cast<const sockaddr_in*>(i->ifa_netmask)->sin_addr.s_addr);
        if ((address >> 24) == 127) continue;
        const int bits = __builtin_popcount(mask);
        const std::string range = SubnetRange(address, bits, widen);
        if (std::find(ranges.begin(), ranges.end(), range) == ranges.end()) ranges.push_back(range);
    }
    ::freeifaddrs(list);
    return ranges;
}
