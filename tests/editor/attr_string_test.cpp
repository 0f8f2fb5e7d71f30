// CAttrString keeps text and width words in step through every operation, and cuts
// out-of-range arguments to the string.
#include "editor/text_store_testing.h"

#include <gtest/gtest.h>

namespace {

using Words = std::vector<uint16_t>;

// "abcdef" with the words 1 ... 6.
CAttrString Numbered()
{
    CAttrString s;
    EXPECT_TRUE(s.SetTextAndAttributes(QStringLiteral("abcdef"), {1, 2, 3, 4, 5, 6}));
    return s;
}

TEST(AttrStringTest, StretchesAndEditsCarryTheirWords)
{
    const CAttrString s = Numbered();
    EXPECT_EQ(WidthWords(s.Mid(2, 3)), Words({3, 4, 5}));
    EXPECT_EQ(WidthWords(s.Left(1) + s.Right(2)), Words({1, 5, 6}));
    CAttrString edited = s;
    edited.Remove(1, 3);
    edited.Insert(1, CAttrString(QStringLiteral("xy"), 9));
    EXPECT_EQ(edited.Text(), QStringLiteral("axyef"));
    EXPECT_EQ(WidthWords(edited), Words({1, 9, 9, 5, 6}));
}

TEST(AttrStringTest, CopiesOwnTheirWordsAndSelfEditsKeepThem)
{
    const CAttrString s = Numbered();
    CAttrString copy = s;
    copy.MutableAttributes()[0] = 9;
    EXPECT_EQ(WidthWords(s), Words({1, 2, 3, 4, 5, 6}));
    copy = s;
    copy += copy;
    EXPECT_EQ(WidthWords(copy), Words({1, 2, 3, 4, 5, 6, 1, 2, 3, 4, 5, 6}));
    copy = s.Left(2);
    copy.Insert(1, copy);
    EXPECT_EQ(copy.Text(), QStringLiteral("aabb"));
    EXPECT_EQ(WidthWords(copy), Words({1, 1, 2, 2}));
    CAttrString moved = std::move(copy);
    copy.Remove(0, 1); // a moved-from string is empty and stays usable
    copy += moved;
    EXPECT_EQ(copy, moved);
    moved.Remove(0, 4);
    EXPECT_EQ(moved, CAttrString());
}

TEST(AttrStringTest, OutOfRangeArgumentsAreCut)
{
    const CAttrString s = Numbered();
    EXPECT_EQ(s.Mid(-2, 2), s.Left(2)); // start counts as 0, count is kept
    EXPECT_EQ(s.Mid(4, 100), s.Right(2));
    EXPECT_EQ(s.Mid(9, 1), CAttrString());
    EXPECT_EQ(s.Mid(1, -1), CAttrString());
    EXPECT_EQ(s.Right(9), s);
    CAttrString edited = s;
    edited.Remove(4, 100);
    edited.Insert(99, s.Right(1));
    edited.Remove(-1, 1);
    EXPECT_EQ(edited.Text(), QStringLiteral("bcdf"));
    EXPECT_EQ(WidthWords(edited), Words({2, 3, 4, 6}));
}

TEST(AttrStringTest, SettingTextChecksTheWordsAndWidthsSumTheirLowTwelveBits)
{
    CAttrString s(QStringLiteral("ab"), 7);
    EXPECT_FALSE(s.SetTextAndAttributes(QStringLiteral("xyz"), {1, 2}));
    EXPECT_EQ(s, CAttrString(QStringLiteral("ab"), 7));
    s.SetText(QStringLiteral("xyz"));
    EXPECT_EQ(WidthWords(s), Words({0, 0, 0}));
    s.MutableAttributes()[1] = 5;
    s.ResetAttributes();
    EXPECT_EQ(WidthWords(s), Words({0, 0, 0}));
    ASSERT_TRUE(s.SetTextAndAttributes(QStringLiteral("abc"), {0xF010, 0x0FFF, 1}));
    EXPECT_EQ(s.TotalWidth(), 0x10 + 0xFFF + 1);
    EXPECT_EQ(s.WidthOf(1, 5), 0xFFF + 1);
    EXPECT_EQ(CAttrString(QString(600000, u'a'), 4095).TotalWidth(), qint64(600000) * 4095);
}

} // namespace
