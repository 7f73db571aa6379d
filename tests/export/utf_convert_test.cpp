#include "export/util/utf_convert.h"

#include <gtest/gtest.h>

namespace {

TEST(Utf8ToUtf16Test, WellFormedText) {
    EXPECT_EQ(Utf8ToUtf16("Tank.Level"), u"Tank.Level");
    EXPECT_EQ(Utf8ToUtf16("\xE6\xB3\xB5\xE7\x82\xB9"), u"泵点");
    EXPECT_EQ(Utf8ToUtf16("\xC3\xBC"), u"ü");
    EXPECT_EQ(Utf8ToUtf16("\xF0\x9F\x98\x80"), u"\U0001F600");  // surrogate pair
    EXPECT_EQ(Utf8ToUtf16(""), u"");
}

TEST(Utf8ToUtf16Test, MalformedSequencesBecomeReplacementCharacters) {
    // A character cut at the end of its area: one replacement for the whole stump.
    EXPECT_EQ(Utf8ToUtf16("ab\xE6\xB3"), u"ab\uFFFD");
    EXPECT_EQ(Utf8ToUtf16("\xF0\x9F\x98"), u"\uFFFD");
    // A stump followed by more text: the text survives.
    EXPECT_EQ(Utf8ToUtf16("\xE6\xB3x"), u"\uFFFDx");
    // Bytes that cannot start a sequence, one replacement each.
    EXPECT_EQ(Utf8ToUtf16("\x80\xBF"), u"\uFFFD\uFFFD");
    EXPECT_EQ(Utf8ToUtf16("\xC0\xAF"), u"\uFFFD\uFFFD");  // overlong '/'
    EXPECT_EQ(Utf8ToUtf16("\xFF"), u"\uFFFD");
    // Overlong three-byte form, encoded surrogate, beyond U+10FFFF: the lead byte cannot go on.
    EXPECT_EQ(Utf8ToUtf16("\xE0\x80\x80"), u"\uFFFD\uFFFD\uFFFD");
    EXPECT_EQ(Utf8ToUtf16("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD");
    EXPECT_EQ(Utf8ToUtf16("\xF4\x90\x80\x80"), u"\uFFFD\uFFFD\uFFFD\uFFFD");
    // The highest code points that are allowed.
    EXPECT_EQ(Utf8ToUtf16("\xF4\x8F\xBF\xBF"), u"\U0010FFFF");
    EXPECT_EQ(Utf8ToUtf16("\xED\x9F\xBF"), u"\uD7FF");
}

TEST(Utf16ToUtf8Test, ConvertsAndReplacesLoneSurrogates) {
    EXPECT_EQ(Utf16ToUtf8(u"/tmp/点表.xls"), "/tmp/\xE7\x82\xB9\xE8\xA1\xA8.xls");
    EXPECT_EQ(Utf16ToUtf8(u"\U0001F600"), "\xF0\x9F\x98\x80");
    EXPECT_EQ(Utf16ToUtf8(std::u16string{u'a', 0xD800, u'b'}),
              "a\xEF\xBF\xBD"
              "b");
    EXPECT_EQ(Utf16ToUtf8(std::u16string{0xDC00}), "\xEF\xBF\xBD");
    EXPECT_EQ(Utf16ToUtf8(std::u16string{0xD83D}), "\xEF\xBF\xBD");
}

}  // namespace
