#include "ui/text_table.h"
#include "ui/window_title.h"

#include <gtest/gtest.h>

#include <regex>

namespace {

class TextTable : public ::testing::Test {
protected:
    void TearDown() override { language = 0; }
};

TEST_F(TextTable, EveryKeyHasAChineseAndAnEnglishText) {
    for (int k = 0; k < static_cast<int>(TextKey::Count); ++k) {
        const auto key = static_cast<TextKey>(k);
        EXPECT_FALSE(Text(key, 0).empty()) << "key " << k;
        EXPECT_FALSE(Text(key, 1).empty()) << "key " << k;
    }
}

TEST_F(TextTable, LookupFollowsTheCurrentLanguage) {
    language = 0;
    EXPECT_EQ(Text(TextKey::SearchDone), "搜索完成 共计 %d 个点");
    EXPECT_EQ(Text(TextKey::Stop), "停止");
    language = 1;
    EXPECT_EQ(Text(TextKey::SearchDone), "search total count %d points");
    EXPECT_EQ(Text(TextKey::Stop), "Stop");
}

TEST_F(TextTable, FormatReplacesThePlaceholder) {
    language = 0;
    EXPECT_EQ(FormatText(TextKey::SearchDone, 0), "搜索完成 共计 0 个点");
    language = 1;
    EXPECT_EQ(FormatText(TextKey::SearchDone, 123456), "search total count 123456 points");
    EXPECT_EQ(FormatText(TextKey::ExportCapped, 4465),
              "exported the first 65535 points, 4465 points not exported");
    // A text without a placeholder comes back unchanged.
    EXPECT_EQ(FormatText(TextKey::Stop, 7), "Stop");
}

TEST_F(TextTable, TitlePrefixIsTheSameInBothLanguages) {
    EXPECT_EQ(Text(TextKey::TitlePrefix, 0), Text(TextKey::TitlePrefix, 1));
    EXPECT_EQ(Text(TextKey::TitlePrefix, 0).rfind("Quorvane[Brelmont][", 0), 0u);
    EXPECT_EQ(Text(TextKey::TitlePrefix, 0).substr(Text(TextKey::TitlePrefix, 0).size() - 2), "][");
}

TEST_F(TextTable, ChineseServerLabelEndsInAnAsciiColon) {
    EXPECT_EQ(Text(TextKey::ServerLabel, 0), "OPC UA 服务器:");
    EXPECT_EQ(Text(TextKey::ServerLabel, 1), "OPC UA Server:");
}

TEST_F(TextTable, TitleHasPrefixBuildDateAndClosingBracket) {
    EXPECT_EQ(MainWindowTitle("Aug  5 2024"),
              Text(TextKey::TitlePrefix) + " Build: Aug  5 2024(MBCS)]");
    // The compiler's date form: month abbreviation, day right-aligned in two, year.
    EXPECT_TRUE(std::regex_match(BuildDate(), std::regex("[A-Z][a-z]{2} [ 1-3][0-9] [0-9]{4}")))
        << BuildDate();
}

}  // namespace
