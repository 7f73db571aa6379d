// The plain rules behind the filter box and the column sort.
#include "ui/point_filter.h"

#include <gtest/gtest.h>

#include <memory>

#include "tests/ui/point_ids.h"

namespace {

std::unique_ptr<OPCUAItemData> Record(const char* name, const char* value, const char* type,
                                      std::uint16_t typeIndex, UA_UInt32 id = 7) {
    auto r = std::make_unique<OPCUAItemData>(NumericId(2, id), value, type, name, "", "");
    r->typeIndex = typeIndex;
    return r;
}

TEST(FilterWords, SplitAtWhiteSpaceAndFolded) {
    EXPECT_EQ(FilterWords("  Pump\tSPEED  "), (std::vector<std::string>{"pump", "speed"}));
    EXPECT_TRUE(FilterWords(" \t ").empty());
    EXPECT_EQ(FilterWords("ÄRGER 泵"), (std::vector<std::string>{"ärger", "泵"}));
}

TEST(MatchesFilter, EachWordSomewhereNeverAcrossTwoParts) {
    const auto r = Record("Pump Speed", "1450", "Int32", 5);
    const std::string key = FixedFilterKey(*r);
    std::string scratch;
    struct Case {
        const char* text;
        bool matches;
    };
    const Case cases[] = {
        {"", true},
        {"pump", true},
        {"ns=2;i=7", true},
        {"INT32 145", true},
        {"speed pump", true},
        {"pump valve", false},
        {"speed1450", false},  // no word spans two
                               // parts
        {"i=7pump", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MatchesFilter(FilterWords(c.text), key, *r, scratch), c.matches) << c.text;
    }
    const auto chinese = Record("泵速 Ä", "", "", 11);
    EXPECT_TRUE(MatchesFilter(FilterWords("泵 ä"), FixedFilterKey(*chinese), *chinese, scratch));
}

TEST(SortKeys, NumbersAndInstantsByValue) {
    EXPECT_EQ(NumberOf("-3"), -3.0);
    EXPECT_EQ(NumberOf("3.142"), 3.142);
    EXPECT_FALSE(NumberOf("12 kg"));
    EXPECT_FALSE(NumberOf(""));
    // Day first and year first give the same order.
    EXPECT_LT(*InstantOf("5-8-2024 6:3:9.007"), *InstantOf("5-8-2024 6:3:10.000"));
    EXPECT_LT(*InstantOf("31-12-2023 23:59:59.999"), *InstantOf("1-1-2024 0:0:0.000"));
    EXPECT_LT(*InstantOf("2024-08-05 14:03:09"), *InstantOf("2024-08-05 14:10:00"));
    EXPECT_EQ(*InstantOf("5-8-2024 6:3:9.000"), *InstantOf("2024-08-05 06:03:09"));
    EXPECT_FALSE(InstantOf("no time"));

    const auto small = Record("a", "9", "Int32", 5);
    const auto large = Record("b", "10", "Int32", 5);
    const auto text = Record("c", "1 kg", "String", 11);
    const auto compare = [](const OPCUAItemData& a, const OPCUAItemData& b, int column) {
        return CompareInColumn(a, SortKeyOf(a, column), b, SortKeyOf(b, column), column);
    };
    EXPECT_LT(compare(*small, *large, 3), 0);  // 9 before 10, not as texts
    EXPECT_LT(compare(*large, *text, 3), 0);   // numbers before texts
    EXPECT_GT(compare(*large, *small, 2), 0);  // names as texts
    const auto id9 = Record("", "", "", 5, 9);
    const auto id10 = Record("", "", "", 5, 10);
    EXPECT_LT(compare(*id9, *id10, 1), 0);  // numeric identifiers by number
}

}  // namespace
