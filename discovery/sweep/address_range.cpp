#include "discovery/sweep/address_range.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <sys/socket.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <memory>
#include <set>

namespace {

std::string Trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

std::optional<std::uint32_t> Ipv4Of(const std::string& text) {
    in_addr addr{};
    if (::inet_pton(AF_INET, text.c_str(), &addr) != 1) return std::nullopt;
    return ntohl(addr.s_addr);
}

std::string Ipv4Text(std::uint32_t value) {
    in_addr addr{};
    addr.s_addr = htonl(value);
    char buffer[INET_ADDRSTRLEN] = {};
    ::inet_ntop(AF_INET, &addr, buffer, sizeof buffer);
    return buffer;
}

std::optional<int> NumberOf(const std::string& text, int low, int high) {
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [at, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || at != end || value < low || value > high)
        return std::nullopt;
    return value;
}

RangeParse Refused(TextKey key, const std::string& detail) {
    RangeParse parse;
    parse.error = InputError{key, detail};
    return parse;
}

RangeParse Span(std::uint32_t first, std::uint32_t last) {
    RangeParse parse;
    for (std::uint64_t a = first; a <= last; ++a)
        parse.hosts.push_back({Ipv4Text(static_cast<std::uint32_t>(a)), {}, false});
    return parse;
}

RangeParse Cidr(const std::string& text, std::size_t slash) {
    const auto base = Ipv4Of(text.substr(0, slash));
    const auto bits = NumberOf(text.substr(slash + 1), 0, 32);
    if (!base || !bits) return Refused(TextKey::DiscoverBadRange, text);
    if (*bits < 16) return Refused(TextKey::DiscoverRangeTooWide, text);
    const std::uint32_t mask = *bits == 0 ? 0 : ~std::uint32_t{0} << (32 - *bits);
    std::uint32_t first = *base & mask;
    std::uint32_t last = first | ~mask;
    // The network and broadcast addresses of a real subnet answer nobody.
    if (*bits <= 24) {
        ++first;
        --last;
    }
    return Span(first, last);
}

RangeParse Dashed(const std::string& text, std::size_t dash) {
    const auto first = Ipv4Of(Trimmed(text.substr(0, dash)));
    const auto last = Ipv4Of(Trimmed(text.substr(dash + 1)));
    if (!first || !last) return Refused(TextKey::DiscoverBadRange, text);
    if (*last < *first) return Refused(TextKey::DiscoverRangeReversed, text);
    if (*last - *first >= kMaxRangeHosts) return Refused(TextKey::DiscoverRangeTooWide, text);
    return Span(*first, *last);
}

struct AddrInfoFree {
    void operator()(addrinfo* info) const { ::freeaddrinfo(info); }
};

RangeParse Resolved(const std::string& name) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* raw = nullptr;
    if (::getaddrinfo(name.c_str(), nullptr, &hints, &raw) != 0 || raw == nullptr)
        return Refused(TextKey::DiscoverUnknownHost, name);
    const std::unique_ptr<addrinfo, AddrInfoFree> list(raw);
    RangeParse parse;
    std::set<std::string> seen;
    for (int family : {AF_INET, AF_INET6}) {
        for (const addrinfo* a = list.get(); a != nullptr; a = a->ai_next) {
            if (a->ai_family != family) continue;
            char buffer[INET6_ADDRSTRLEN] = {};
            const void* bytes =
                family == AF_INET
                    ? static_cast<const void*>(
                          &reinterpret_cast<const sockaddr_in*>(a->ai_addr)->sin_addr)
                    : static_cast<const void*>(
                          &reinterpret_cast<const sockaddr_in6*>(a->ai_addr)->sin6_addr);
            ::inet_ntop(family, bytes, buffer, sizeof buffer);
            if (seen.insert(buffer).second)
                parse.hosts.push_back({buffer, name, family == AF_INET6});
        }
    }
    return parse;
}

bool LooksLikeHostName(const std::string& text) {
    if (text.empty() || text.size() > 253) return false;
    return std::all_of(text.begin(), text.end(), [](unsigned char c) {
        return std::isalnum(c) || c == '-' || c == '.' || c == '_';
    });
}

}  // namespace

RangeParse ParseRange(const std::string& input) {
    const std::string text = Trimmed(input);
    if (text.empty()) return Refused(TextKey::DiscoverBadRange, input);
    std::string bare = text;
    if (bare.size() > 2 && bare.front() == '[' && bare.back() == ']')
        bare = bare.substr(1, bare.size() - 2);
    in6_addr v6{};
    if (::inet_pton(AF_INET6, bare.c_str(), &v6) == 1) {
        char buffer[INET6_ADDRSTRLEN] = {};
        ::inet_ntop(AF_INET6, &v6, buffer, sizeof buffer);
        RangeParse parse;
        parse.hosts.push_back({buffer, {}, true});
        return parse;
    }
    if (const auto slash = text.find('/'); slash != std::string::npos) return Cidr(text, slash);
    if (const auto dash = text.find('-');
        dash != std::string::npos && Ipv4Of(Trimmed(text.substr(0, dash))))
        return Dashed(text, dash);
    if (const auto single = Ipv4Of(text)) return Span(*single, *single);
    // Digits and dots only, yet no address: a typo, not a name to look up.
    if (text.find_first_not_of("0123456789.") == std::string::npos || !LooksLikeHostName(text))
        return Refused(TextKey::DiscoverBadRange, text);
    return Resolved(text);
}

PortParse ParsePorts(const std::string& text) {
    PortParse parse;
    std::set<std::uint16_t> seen;
    std::size_t start = 0;
    while (start <= text.size()) {
        const auto comma = std::min(text.find(',', start), text.size());
        const std::string item = Trimmed(text.substr(start, comma - start));
        start = comma + 1;
        const auto dash = item.find('-');
        const auto low = NumberOf(Trimmed(item.substr(0, dash)), 1, 65535);
        const auto high =
            dash == std::string::npos ? low : NumberOf(Trimmed(item.substr(dash + 1)), 1, 65535);
        if (!low || !high || *high < *low) {
            parse.ports.clear();
            parse.error = InputError{TextKey::DiscoverBadPorts, item.empty() ? text : item};
            return parse;
        }
        for (int p = *low; p <= *high; ++p) {
            if (seen.insert(static_cast<std::uint16_t>(p)).second)
                parse.ports.push_back(static_cast<std::uint16_t>(p));
        }
    }
    return parse;
}

std::vector<std::uint16_t> DefaultPorts() {
    return {4840,  4841,  4843,  4897,  26543, 48010, 48020, 48030,
            48400, 48401, 49320, 49380, 51210, 52520, 53530, 62541};
}

std::string OpcTcpUrl(const std::string& address, std::uint16_t port) {
    const bool v6 = address.find(':') != std::string::npos;
    return "opc.tcp://" + (v6 ? "[" + address + "]" : address) + ":" + std::to_string(port);
}
