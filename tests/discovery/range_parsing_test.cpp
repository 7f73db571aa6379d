#include <gtest/gtest.h>

#include "discovery/sweep/address_range.h"

namespace {

struct RangeCase {
    const char* input;
    std::size_t hosts;
    const char* first;
    const char* last;
};

TEST(RangeParsing, AcceptsTheFormsUsersType) {
    const RangeCase cases[] = {
        {"10.1.2.0/24", 254, "10.1.2.1", "10.1.2.254"},
        {" 10.1.2.7 ", 1, "10.1.2.7", "10.1.2.7"},
        {"10.1.2.10-10.1.2.60", 51, "10.1.2.10", "10.1.2.60"},
        {"10.1.2.250 - 10.1.3.4", 11, "10.1.2.250", "10.1.3.4"},
        {"127.0.0.0/22", 1022, "127.0.0.1", "127.0.3.254"},
        {"192.168.0.4/30", 4, "192.168.0.4", "192.168.0.7"},  // small subnets keep every address
        {"10.0.0.9/32", 1, "10.0.0.9", "10.0.0.9"},
        {"::1", 1, "::1", "::1"},
        {"[fe80::0001]", 1, "fe80::1", "fe80::1"},
    };
    for (const RangeCase& c : cases) {
        const RangeParse parse = ParseRange(c.input);
        ASSERT_FALSE(parse.error) << c.input;
        ASSERT_EQ(parse.hosts.size(), c.hosts) << c.input;
        EXPECT_EQ(parse.hosts.front().address, c.first) << c.input;
        EXPECT_EQ(parse.hosts.back().address, c.last) << c.input;
    }
    EXPECT_TRUE(ParseRange("::1").hosts.front().ipv6);
}

TEST(RangeParsing, HostNamesResolveAndKeepTheirName) {
    const RangeParse parse = ParseRange("localhost");
    ASSERT_FALSE(parse.error);
    ASSERT_FALSE(parse.hosts.empty());
    EXPECT_EQ(parse.hosts.front().name, "localhost");
    EXPECT_FALSE(parse.hosts.front().ipv6) << "IPv4 comes first";
}

TEST(RangeParsing, RefusesBadInputWithTheReason) {
    const struct {
        const char* input;
        TextKey key;
        const char* detail;
    } cases[] = {
        {"", TextKey::DiscoverBadRange, ""},
        {"10.1.2.300", TextKey::DiscoverBadRange, "10.1.2.300"},
        {"10.1.2.0/33", TextKey::DiscoverBadRange, "10.1.2.0/33"},
        {"10.1.2.0/x", TextKey::DiscoverBadRange, "10.1.2.0/x"},
        {"10.0.0.0/8", TextKey::DiscoverRangeTooWide, "10.0.0.0/8"},
        {"10.0.0.0-10.2.0.0", TextKey::DiscoverRangeTooWide, "10.0.0.0-10.2.0.0"},
        {"10.1.2.60-10.1.2.10", TextKey::DiscoverRangeReversed, "10.1.2.60-10.1.2.10"},
        {"10.1.2.1-foo", TextKey::DiscoverBadRange, "10.1.2.1-foo"},
        {"no host!", TextKey::DiscoverBadRange, "no host!"},
        {"no-such-host.invalid", TextKey::DiscoverUnknownHost, "no-such-host.invalid"},
    };
    for (const auto& c : cases) {
        const RangeParse parse = ParseRange(c.input);
        ASSERT_TRUE(parse.error) << c.input;
        EXPECT_EQ(parse.error->key, c.key) << c.input;
        EXPECT_EQ(parse.error->detail, c.detail) << c.input;
        EXPECT_TRUE(parse.hosts.empty()) << c.input;
    }
}

TEST(PortParsing, ListsAndSpansEachPortOnce) {
    EXPECT_EQ(ParsePorts("4840").ports, (std::vector<std::uint16_t>{4840}));
    EXPECT_EQ(ParsePorts("4841, 4840,4841").ports, (std::vector<std::uint16_t>{4841, 4840}));
    EXPECT_EQ(ParsePorts("48010-48012,1").ports,
              (std::vector<std::uint16_t>{48010, 48011, 48012, 1}));
    EXPECT_EQ(ParsePorts("65535").ports, (std::vector<std::uint16_t>{65535}));
    EXPECT_EQ(DefaultPorts().size(), 16u);
    EXPECT_EQ(DefaultPorts().front(), 4840);
}

TEST(PortParsing, RefusesBadListsNamingTheBadItem) {
    const struct {
        const char* input;
        const char* detail;
    } cases[] = {
        {"", ""},
        {"0", "0"},
        {"65536", "65536"},
        {"4840,,4841", "4840,,4841"},
        {"48020-48010", "48020-48010"},
        {"48a", "48a"},
        {"4840,-1", "-1"},
        {"1-", "1-"},
    };
    for (const auto& c : cases) {
        const PortParse parse = ParsePorts(c.input);
        ASSERT_TRUE(parse.error) << c.input;
        EXPECT_EQ(parse.error->key, TextKey::DiscoverBadPorts);
        EXPECT_EQ(parse.error->detail, c.detail) << c.input;
        EXPECT_TRUE(parse.ports.empty());
    }
}

TEST(PortParsing, UrlsBracketIpv6) {
    EXPECT_EQ(OpcTcpUrl("10.1.2.3", 4840), "opc.tcp://10.1.2.3:4840");
    EXPECT_EQ(OpcTcpUrl("::1", 48010), "opc.tcp://[::1]:48010");
}

}  // namespace
