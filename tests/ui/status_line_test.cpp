#include "ui/status_line.h"

#include <gtest/gtest.h>

#include "texts/text_table.h"
#include "ui/window_state.h"

namespace {

struct LanguageGuard {
    ~LanguageGuard() { language = 0; }
};

}  // namespace

TEST(StatusLineCounts, CountTextsInBothLanguages) {
    LanguageGuard guard;
    struct Case {
        int lang;
        std::string filter;
        std::string total;
        std::string totalWithSince;
    };
    const Case cases[] = {
        {0, "显示 3 个点，共 120 个点", "搜索完成 共计 120 个点", "搜索完成 共计 120 个点  2 new"},
        {1, "showing 3 of 120 points", "search total count 120 points",
         "search total count 120 points  2 new"},
    };
    for (const Case& c : cases) {
        language = c.lang;
        EXPECT_EQ(FilterCountText(3, 120), c.filter);
        EXPECT_EQ(TotalCountText(TextKey::SearchDone, 120, ""), c.total);
        EXPECT_EQ(TotalCountText(TextKey::SearchDone, 120, "2 new"), c.totalWithSince);
    }
}

// A message stays until the next one; only a count may be replaced by a newer count.
TEST(StatusLineCounts, OnlyACountIsMarkedReplaceable) {
    StatusLine line(nullptr);
    EXPECT_FALSE(line.ShowsCounts());
    line.SetCount("12 points");
    EXPECT_TRUE(line.ShowsCounts());
    line.Append("1 new");
    EXPECT_EQ(line.text().toStdString(), "12 points  1 new");
    EXPECT_TRUE(line.ShowsCounts());
    line.SetStatus("connection lost");
    EXPECT_FALSE(line.ShowsCounts());
    EXPECT_EQ(line.text().toStdString(), "connection lost");
    line.MarkCount();  // the session wrote the count itself
    EXPECT_TRUE(line.ShowsCounts());
}

TEST(WindowStateStart, FirstStartSpeaksTheDesktopsLanguageLaterOnesTheLastUsed) {
    ServerHistory::WindowState first;
    EXPECT_EQ(StartLanguage(first, 1), 1);
    EXPECT_EQ(StartLanguage(first, 0), 0);
    ServerHistory::WindowState later;
    later.language = 0;
    EXPECT_EQ(StartLanguage(later, 1), 0);
}
