// Line breaking with exact widths: ASCII 8 px, everything else 16 px, so a 64 px line holds
// four full-width characters. Kinsoku: "、。" may not begin a line, "「（" may not end one.
#include "editor/text_store_testing.h"

#include <gtest/gtest.h>

namespace {

// Widths as measured but negative or past 12 bits, to see how they are stored.
class UnrulyMeasurer : public CharMeasurer {
public:
    int Width(char16_t unit) override { return unit == u'a' ? -20 : unit == u'b' ? 5000 : 8; }
};

class LineWrapperTest : public ::testing::Test {
protected:
    // Wraps `text` + "\n" with remeasuring and returns the breaks.
    QList<int> Wrap(const QString& text, int width)
    {
        m_para.text.SetText(text + u'\n');
        WrapSettings settings = TestWrap(m_measurer, width);
        const int lines = WrapParagraph(m_para, settings, true);
        EXPECT_EQ(lines, int(m_para.breaks.size()));
        EXPECT_TRUE(m_para.laidOut);
        return Breaks(m_para);
    }

    FixedWidthMeasurer m_measurer;
    CTextPara m_para;
};

TEST_F(LineWrapperTest, BreaksBeforeTheCharacterThatDoesNotFit)
{
    EXPECT_EQ(Wrap(QStringLiteral("あいうえおか"), 64), QList<int>({4, 7}));
    EXPECT_EQ(Wrap(QStringLiteral("abcdefghij"), 64), QList<int>({8, 11}));
    EXPECT_EQ(Wrap(QStringLiteral("あいう"), 64), QList<int>({4}));
}

TEST_F(LineWrapperTest, EmptyParagraphHasOneLine)
{
    EXPECT_EQ(Wrap(QString(), 64), QList<int>({1}));
    CTextPara bare; // without even its line feed: one line ending at 0
    WrapSettings settings = TestWrap(m_measurer, 64);
    EXPECT_EQ(WrapParagraph(bare, settings, true), 1);
    EXPECT_EQ(Breaks(bare), QList<int>({0}));
}

TEST_F(LineWrapperTest, OneClosingCharacterHangsPerLine)
{
    // "、" passes the edge and stays; a second one right after starts the next line.
    EXPECT_EQ(Wrap(QStringLiteral("あいうえ、お"), 64), QList<int>({5, 7}));
    EXPECT_EQ(Wrap(QStringLiteral("あいうえ、、お"), 64), QList<int>({5, 8}));
    // A break clears the rule: the next line may hang one again.
    EXPECT_EQ(Wrap(QStringLiteral("あいうえ、おかきく。け"), 64), QList<int>({5, 10, 12}));
}

TEST_F(LineWrapperTest, OpeningBracketMovesDownWithTheNextCharacter)
{
    EXPECT_EQ(Wrap(QStringLiteral("あいう「え"), 64), QList<int>({3, 6}));
    // Of two opening brackets only the last one moves.
    EXPECT_EQ(Wrap(QStringLiteral("あい「「え"), 64), QList<int>({3, 6}));
    // No push-back twice in a row: the second line keeps its trailing bracket.
    EXPECT_EQ(Wrap(QStringLiteral("あいう「えお「か"), 64), QList<int>({3, 7, 9}));
    // Hanging is tried first.
    EXPECT_EQ(Wrap(QStringLiteral("あいう「、"), 64), QList<int>({5, 6}));
}

TEST_F(LineWrapperTest, BracketThatBeginsItsLineStaysThere)
{
    // At 24 px "「" alone fills the second line; moving it down would leave that line empty.
    EXPECT_EQ(Wrap(QStringLiteral("あ「い"), 24), QList<int>({1, 2, 4}));
}

TEST_F(LineWrapperTest, ClosingLineFeedWrapsLikeAnyCharacter)
{
    // After a hanging character nothing more fits, not even a line feed of width 0.
    EXPECT_EQ(Wrap(QStringLiteral("あいうえ。"), 64), QList<int>({5, 6}));
    FixedWidthMeasurer wideLineFeed(16);
    m_para.text.SetText(QStringLiteral("あいうえ\n"));
    WrapSettings settings = TestWrap(wideLineFeed, 64);
    WrapParagraph(m_para, settings, true);
    EXPECT_EQ(Breaks(m_para), QList<int>({4, 5}));
}

TEST_F(LineWrapperTest, CharacterWiderThanTheLineStandsAlone)
{
    EXPECT_EQ(Wrap(QStringLiteral("abあcd"), 20), QList<int>({2, 3, 6}));
    // As the first character it leaves an empty first line.
    EXPECT_EQ(Wrap(QStringLiteral("あb"), 12), QList<int>({0, 1, 3}));
}

TEST_F(LineWrapperTest, TabsAdvanceToTheNextStopOfFourSpaces)
{
    Wrap(QStringLiteral("\tx"), 1000);
    EXPECT_EQ(m_para.text.Attributes()[0], 32);
    Wrap(QStringLiteral("aaaaa\tx"), 1000);
    EXPECT_EQ(m_para.text.Attributes()[5], 24);
    Wrap(QStringLiteral("aaaa\tx"), 1000);
    EXPECT_EQ(m_para.text.Attributes()[4], 32);
    // Stops count from the start of the display line.
    EXPECT_EQ(Wrap(QStringLiteral("aaaaaaaa\t"), 60), QList<int>({7, 10}));
    EXPECT_EQ(m_para.text.Attributes()[8], 24);
}

TEST_F(LineWrapperTest, TabWithoutSpaceWidthIsEmpty)
{
    class NoSpace : public CharMeasurer {
        int Width(char16_t unit) override { return unit == u' ' ? 0 : 8; }
    } measurer;
    m_para.text.SetText(QStringLiteral("a\tb\n"));
    WrapSettings settings = TestWrap(measurer, 100);
    EXPECT_EQ(WrapParagraph(m_para, settings, true), 1);
    EXPECT_EQ(m_para.text.Attributes()[1], 0);
}

TEST_F(LineWrapperTest, StoresAbsoluteWidthsInTwelveBits)
{
    UnrulyMeasurer measurer;
    m_para.text.SetText(QStringLiteral("ab\n"));
    WrapSettings settings = TestWrap(measurer, 10000);
    WrapParagraph(m_para, settings, true);
    EXPECT_EQ(m_para.text.Attributes()[0], 20);
    EXPECT_EQ(m_para.text.Attributes()[1], 5000 & 0xFFF);
    EXPECT_EQ(StoredWidth(-5000), 5000 & 0xFFF);
    EXPECT_EQ(StoredWidth(INT_MIN), 0);
}

TEST_F(LineWrapperTest, WithoutRemeasuringUsesTheStoredWidths)
{
    ASSERT_TRUE(m_para.text.SetTextAndAttributes(QStringLiteral("abcd\n"), {30, 30, 30, 30, 0}));
    WrapSettings settings = TestWrap(m_measurer, 64);
    WrapParagraph(m_para, settings, false);
    EXPECT_EQ(Breaks(m_para), QList<int>({2, 5}));
}

TEST_F(LineWrapperTest, OneWrapperMeasuresEachUnitOnce)
{
    WrapSettings settings = TestWrap(m_measurer, 64);
    CLineWrapper wrapper(settings);
    for (int i = 0; i < 3; ++i) {
        m_para.text.SetText(QStringLiteral("あああaaa\n"));
        wrapper.Wrap(m_para, true);
    }
    EXPECT_EQ(m_measurer.calls, 4); // " " once for tabs, then "あ", "a", "\n"
}

TEST_F(LineWrapperTest, ParagraphsPast65535CharactersKeepTheirBreaks)
{
    const QList<int> breaks = Wrap(QString(70000, u'a'), 800);
    ASSERT_EQ(breaks.size(), 700);
    EXPECT_EQ(breaks[660], 66100);
    EXPECT_EQ(breaks.back(), 70001);
}

} // namespace
