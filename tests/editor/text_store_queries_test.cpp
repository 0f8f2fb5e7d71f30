// Queries of the text store by display line and column, with exact widths (ASCII 8 px, other
// characters 16 px, line feed 0) and 64 px lines unless a test says otherwise.
#include "editor/text_store_testing.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>

namespace {

class TextStoreQueriesTest : public ::testing::Test {
protected:
    FixedWidthMeasurer m_measurer;
    WrapSettings m_wrap = TestWrap(m_measurer, 64);
    CTextStore m_store;
};

TEST_F(TextStoreQueriesTest, EmptyMemoIsOneEmptyLine)
{
    EXPECT_TRUE(ChainIsConsistent(m_store));
    EXPECT_EQ(m_store.TotalLines(), 1);
    EXPECT_EQ(m_store.LineText(0), QStringLiteral("\n"));
    EXPECT_EQ(m_store.LineLength(0), 1);
    EXPECT_EQ(m_store.VisibleLength(0), 0);
    EXPECT_EQ(m_store.ColumnAtX(0, 100), 0);
    EXPECT_EQ(m_store.WholeText(), QString());
    EXPECT_FALSE(m_store.Edited());
    EXPECT_EQ(m_store.Encoding(), 0);

    m_store.LoadParagraphs({});
    EXPECT_TRUE(ChainIsConsistent(m_store));
    EXPECT_EQ(m_store.LineText(0), QStringLiteral("\n"));
}

TEST_F(TextStoreQueriesTest, LineFeedsInsideLinesStartParagraphs)
{
    CTextStore store(QStringLiteral("a\nb"));
    EXPECT_EQ(store.TotalLines(), 2);
    store.LoadParagraphs({QStringLiteral("x\n"), QStringLiteral("y")});
    EXPECT_TRUE(ChainIsConsistent(store));
    EXPECT_EQ(store.WholeText(), QStringLiteral("x\n\ny"));
}

TEST_F(TextStoreQueriesTest, LoadedParagraphsCountOneLineUntilWrapped)
{
    m_store.LoadParagraphs({QStringLiteral("あいうえおかき"), QStringLiteral("b")});
    EXPECT_TRUE(ChainIsConsistent(m_store));
    EXPECT_EQ(m_store.LineText(1), QStringLiteral("b\n"));
    m_store.RelayoutAll(m_wrap, true);
    EXPECT_TRUE(ChainIsConsistent(m_store));
    EXPECT_EQ(m_store.TotalLines(), 3);
    EXPECT_EQ(m_store.LineText(1), QStringLiteral("おかき\n"));
    EXPECT_EQ(m_store.LineText(2), QStringLiteral("b\n"));
}

TEST_F(TextStoreQueriesTest, LinesThatDoNotExistGiveNothing)
{
    Load(m_store, {QStringLiteral("abc")}, m_wrap);
    for (int line : {-1, 1, 1000}) {
        EXPECT_EQ(m_store.FindParagraph(line), nullptr);
        EXPECT_EQ(m_store.LineText(line), QString());
        EXPECT_EQ(m_store.LineAttributed(line), CAttrString());
        EXPECT_EQ(m_store.LineLength(line), -1);
        EXPECT_EQ(m_store.VisibleLength(line), -1);
        EXPECT_EQ(m_store.ParagraphOfLine(line), CAttrString());
        EXPECT_EQ(m_store.RestOfParagraph(line, 0), CAttrString());
        EXPECT_EQ(m_store.XOfPosition(line, 0), -1);
        EXPECT_EQ(m_store.ColumnAtX(line, 0), -1);
        EXPECT_EQ(m_store.Range({0, 0}, {line, 0}), CAttrString());
    }
}

TEST_F(TextStoreQueriesTest, LinesOfAWrappedParagraph)
{
    Load(m_store, {QStringLiteral("あいうえおか")}, m_wrap);
    EXPECT_EQ(m_store.LineText(0), QStringLiteral("あいうえ"));
    EXPECT_EQ(m_store.LineLength(0), 4);
    EXPECT_EQ(m_store.VisibleLength(0), 4); // no line feed at its end
    EXPECT_EQ(m_store.LineLength(1), 3);
    EXPECT_EQ(m_store.VisibleLength(1), 2);
    EXPECT_EQ(m_store.LineAttributed(1).Attributes(), (std::vector<uint16_t>{16, 16, 0}));
    EXPECT_EQ(m_store.ParagraphOfLine(1).Text(), QStringLiteral("あいうえおか\n"));
    EXPECT_EQ(m_store.RestOfParagraph(0, 3).Text(), QStringLiteral("えおか\n"));
    EXPECT_EQ(m_store.RestOfParagraph(1, 1).Text(), QStringLiteral("か\n"));
    EXPECT_EQ(m_store.RestOfParagraph(1, 50).Text(), QString());
}

TEST_F(TextStoreQueriesTest, HitTestLandsAfterACharacterFromItsMiddle)
{
    Load(m_store, {QStringLiteral("aあb")}, m_wrap); // 8, 16, 8 px
    const QList<std::pair<int, int>> xToColumn = {
        {-5, 0}, {3, 0}, {4, 1}, {15, 1}, {16, 2}, {27, 2}, {28, 3}, {32, 3}, {1000, 3}};
    for (auto [x, column] : xToColumn)
        EXPECT_EQ(m_store.ColumnAtX(0, x), column) << "x " << x;
}

TEST_F(TextStoreQueriesTest, XOfPositionSumsTheWidthsBeforeTheColumn)
{
    Load(m_store, {QStringLiteral("aあbおかきく")}, m_wrap); // lines "aあbおか", "きく\n"
    EXPECT_EQ(m_store.XOfPosition(0, 0), 0);
    EXPECT_EQ(m_store.XOfPosition(0, 3), 32);
    EXPECT_EQ(m_store.XOfPosition(1, 2), 32);
    EXPECT_EQ(m_store.XOfPosition(0, 7), 96); // on past the display line, within the paragraph
    EXPECT_EQ(m_store.XOfPosition(1, 3), 32);
    EXPECT_EQ(m_store.XOfPosition(1, 4), -1);
}

TEST_F(TextStoreQueriesTest, OffsetToPositionFollowsTheBreaks)
{
    Load(m_store, {QStringLiteral("x"), QStringLiteral("あいうえおか")}, m_wrap);
    const CTextPara& para = *m_store.FirstParagraph()->next; // lines 1 and 2, breaks 4 and 7
    EXPECT_EQ(m_store.OffsetToPosition(para, 0), (TextPosition{1, 0}));
    EXPECT_EQ(m_store.OffsetToPosition(para, 3), (TextPosition{1, 3}));
    EXPECT_EQ(m_store.OffsetToPosition(para, 4), (TextPosition{2, 0}));
    EXPECT_EQ(m_store.OffsetToPosition(para, 6), (TextPosition{2, 2}));
    EXPECT_EQ(m_store.OffsetToPosition(para, 7), (TextPosition{3, 0}));
    EXPECT_EQ(m_store.OffsetToPosition(para, 9), (TextPosition{3, 2}));
}

TEST_F(TextStoreQueriesTest, RangeSpansParagraphsWithTheirLineFeeds)
{
    Load(m_store, {QStringLiteral("あいうえおか"), QStringLiteral("ab"), QStringLiteral("cd")}, m_wrap);
    EXPECT_EQ(m_store.Range({0, 1}, {0, 3}).Text(), QStringLiteral("いう"));
    EXPECT_EQ(m_store.Range({0, 2}, {1, 1}).Text(), QStringLiteral("うえお"));
    const CAttrString across = m_store.Range({1, 1}, {3, 1});
    EXPECT_EQ(across.Text(), QStringLiteral("か\nab\nc"));
    EXPECT_EQ(across.Attributes(), (std::vector<uint16_t>{16, 0, 8, 8, 0, 8}));
    EXPECT_EQ(m_store.Range({3, 0}, {3, 9}).Text(), QStringLiteral("cd\n"));
    EXPECT_EQ(m_store.Range({2, 1}, {1, 0}), CAttrString()); // inverted
    EXPECT_EQ(m_store.Range({0, 2}, {0, 1}), CAttrString());
}

TEST_F(TextStoreQueriesTest, LookupsFarFromTheCacheFindTheRightLine)
{
    // Paragraphs of 1 to 4 display lines; lines visited in random order.
    QList<QString> lines;
    QList<QString> expected;
    for (int i = 0; i < 500; ++i) {
        const QString text = QString::number(i).rightJustified(3, u'0') + QString(5 * (i % 4), u'z');
        lines.append(text);
        for (qsizetype start = 0; start < text.size(); start += 8)
            expected.append(text.mid(start, 8) + (start + 8 >= text.size() ? QStringLiteral("\n") : QString()));
    }
    Load(m_store, lines, m_wrap);
    ASSERT_EQ(m_store.TotalLines(), expected.size());
    QRandomGenerator random(7);
    for (int i = 0; i < 3000; ++i) {
        const int line = int(random.bounded(expected.size()));
        ASSERT_EQ(m_store.LineText(line), expected[line]) << "line " << line;
    }
    for (int line = int(expected.size()) - 1; line >= 0; --line)
        ASSERT_EQ(m_store.LineText(line), expected[line]);
}

TEST_F(TextStoreQueriesTest, WholeTextLeavesOutTheLastLineFeed)
{
    Load(m_store, {QStringLiteral("ab"), QString(), QStringLiteral("c")}, m_wrap);
    EXPECT_EQ(m_store.WholeText(), QStringLiteral("ab\n\nc"));
}

TEST_F(TextStoreQueriesTest, LeadingTextFoldsBlanksParagraphByParagraph)
{
    m_store.LoadParagraphs({QStringLiteral("a -=b\tc\r"), QStringLiteral("d\u3000 \u3000 e   f"), QString()});
    // Line feeds become two blanks, then every pair of blanks one (in a single pass).
    EXPECT_EQ(m_store.LeadingText(), QStringLiteral("a b c d e  f  "));
}

TEST_F(TextStoreQueriesTest, LeadingTextStopsAfterPassing80Characters)
{
    const QString fifty(50, u'x');
    m_store.LoadParagraphs({fifty, fifty, fifty});
    EXPECT_EQ(m_store.LeadingText(), fifty + u' ' + fifty + u' ');
    m_store.LoadParagraphs({QString(79, u'y'), fifty, fifty});
    EXPECT_EQ(m_store.LeadingText().size(), 80 + 51);
}

TEST_F(TextStoreQueriesTest, ParagraphLongerThan65535CharactersStaysWhole)
{
    Load(m_store, {QString(70000, u'a'), QStringLiteral("b")}, TestWrap(m_measurer, 800));
    EXPECT_TRUE(ChainIsConsistent(m_store));
    EXPECT_EQ(m_store.TotalLines(), 701);
    EXPECT_EQ(m_store.LineLength(699), 101);
    EXPECT_EQ(m_store.LineText(700), QStringLiteral("b\n"));
    const CTextPara& para = *m_store.FirstParagraph();
    EXPECT_EQ(m_store.OffsetToPosition(para, 69950), (TextPosition{699, 50}));
    EXPECT_EQ(m_store.RestOfParagraph(690, 0).Length(), 1001);
    EXPECT_EQ(m_store.WholeText().size(), 70002);
}

} // namespace
