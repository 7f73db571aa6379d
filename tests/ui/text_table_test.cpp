#include "texts/text_table.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "ui/window_title.h"

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

TEST_F(TextTable, LookupAndFormatFollowTheCurrentLanguage) {
    language = 0;
    EXPECT_EQ(Text(TextKey::SearchDone), "搜索完成 共计 %d 个点");
    EXPECT_EQ(Text(TextKey::Stop), "停止");
    EXPECT_EQ(FormatText(TextKey::SearchDone, 0), "搜索完成 共计 0 个点");
    language = 1;
    EXPECT_EQ(Text(TextKey::SearchDone), "search total count %d points");
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

// The server label of each language (the Chinese one with an ASCII colon) is checked through
// the window: MainWindow.LanguageToggleRelabelsAndTogglesBack.

TEST_F(TextTable, TitleHasPrefixBuildDateAndClosingBracket) {
    EXPECT_EQ(MainWindowTitle("Aug  5 2024"),
              Text(TextKey::TitlePrefix) + " Build: Aug  5 2024(MBCS)]");
    // The compiler's date form: month abbreviation, day right-aligned in two, year.
    // "Mmm dd yyyy": M upper case, m lower case, d a digit or (first) a space, y a digit.
    const std::string date = BuildDate();
    const std::string form = "Mmm dd yyyy";
    ASSERT_EQ(date.size(), form.size()) << date;
    for (std::size_t i = 0; i < form.size(); ++i) {
        const auto c = static_cast<unsigned char>(date[i]);
        const bool fits = form[i] == 'M'   ? std::isupper(c)
                          : form[i] == 'm' ? std::islower(c)
                          : form[i] == 'y' ? std::isdigit(c)
                          : form[i] == 'd' ? std::isdigit(c) || (i == 4 && c == ' ')
                                           : c == ' ';
        EXPECT_TRUE(fits) << date << " at " << i;
    }
    EXPECT_LE(date[4], '3') << date;
}

}  // namespace
