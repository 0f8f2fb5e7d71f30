// CAttrString keeps text and width words in step through every operation, and cuts
// out-of-range arguments to the string.
#include "editor/attr_string.h"

#include <gtest/gtest.h>

namespace {

CAttrString Numbered(const QString& text)
{
    CAttrString s;
    std::vector<uint16_t> words;
    for (qsizetype i = 0; i < text.size(); ++i)
        words.push_back(uint16_t(i + 1));
    EXPECT_TRUE(s.SetTextAndAttributes(text, words));
    return s;
}

std::vector<uint16_t> Words(std::initializer_list<uint16_t> words)
{
    return words;
}

TEST(AttrStringTest, StretchesCarryTheirWords)
{
    const CAttrString s = Numbered(QStringLiteral("abcdef"));
    EXPECT_EQ(s.Mid(2, 3).Text(), QStringLiteral("cde"));
    EXPECT_EQ(s.Mid(2, 3).Attributes(), Words({3, 4, 5}));
    EXPECT_EQ(s.Left(2).Attributes(), Words({1, 2}));
    EXPECT_EQ(s.Right(2).Attributes(), Words({5, 6}));
    const CAttrString joined = s.Left(1) + s.Right(1);
    EXPECT_EQ(joined.Text(), QStringLiteral("af"));
    EXPECT_EQ(joined.Attributes(), Words({1, 6}));
}

TEST(AttrStringTest, OutOfRangeArgumentsAreCut)
{
    const CAttrString s = Numbered(QStringLiteral("abc"));
    EXPECT_EQ(s.Mid(-2, 2), s.Left(2)); // start counts as 0, count is kept
    EXPECT_EQ(s.Mid(1, 100), s.Right(2));
    EXPECT_EQ(s.Mid(5, 1), CAttrString());
    EXPECT_EQ(s.Mid(1, -1), CAttrString());
    EXPECT_EQ(s.Left(-1), CAttrString());
    EXPECT_EQ(s.Right(9), s);

    CAttrString edited = s;
    edited.Remove(2, 100);
    EXPECT_EQ(edited, s.Left(2));
    edited.Insert(99, Numbered(QStringLiteral("x")));
    EXPECT_EQ(edited.Text(), QStringLiteral("abx"));
    EXPECT_EQ(edited.Attributes(), Words({1, 2, 1}));
    edited.Remove(-1, 1);
    EXPECT_EQ(edited.Text(), QStringLiteral("bx"));
}

TEST(AttrStringTest, InsertPlacesWordsWithTheirCharacters)
{
    CAttrString s = Numbered(QStringLiteral("ad"));
    s.Insert(1, CAttrString(QStringLiteral("bc"), 9));
    EXPECT_EQ(s.Text(), QStringLiteral("abcd"));
    EXPECT_EQ(s.Attributes(), Words({1, 9, 9, 2}));
}

TEST(AttrStringTest, SettingTextResetsOrChecksTheWords)
{
    CAttrString s(QStringLiteral("ab"), 7);
    EXPECT_FALSE(s.SetTextAndAttributes(QStringLiteral("xyz"), {1, 2}));
    EXPECT_EQ(s.Text(), QStringLiteral("ab"));
    EXPECT_EQ(s.Attributes(), Words({7, 7}));
    s.SetText(QStringLiteral("xyz"));
    EXPECT_EQ(s.Attributes(), Words({0, 0, 0}));
    s.MutableAttributes()[1] = 5;
    s.ResetAttributes();
    EXPECT_EQ(s.Attributes(), Words({0, 0, 0}));
}

TEST(AttrStringTest, TotalWidthSumsTheLowTwelveBits)
{
    CAttrString s;
    ASSERT_TRUE(s.SetTextAndAttributes(QStringLiteral("abc"), {0xF010, 0x0FFF, 1}));
    EXPECT_EQ(s.TotalWidth(), 0x10 + 0xFFF + 1);
    EXPECT_EQ(s.WidthOf(1, 5), 0xFFF + 1);
    EXPECT_EQ(CAttrString(QString(600000, u'a'), 4095).TotalWidth(), qint64(600000) * 4095);
}

} // namespace
