// Queries of the text store by display line and column (widths: ASCII 8 px, other characters
// 16 px, line feed 0; lines 64 px wide).
#include "editor/text_store_testing.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>

namespace {

class TextStoreQueriesTest : public TextStoreTest {};

TEST_F(TextStoreQueriesTest, EmptyMemoIsOneEmptyLine)
{
    for (const QList<QString>& lines : {QList<QString>(), QList<QString>{QString()}}) {
        m_store.LoadParagraphs(lines);
        EXPECT_TRUE(ChainIsConsistent(m_store));
        EXPECT_EQ(m_store.LineText(0), QStringLiteral("\n"));
        EXPECT_EQ(m_store.VisibleLength(0), 0);
        EXPECT_EQ(m_store.ColumnAtX(0, 100), 0);
        EXPECT_EQ(m_store.WholeText(), QString());
    }
    // A line feed inside a line starts another paragraph.
    EXPECT_EQ(CTextStore(QStringLiteral("a\nb")).TotalLines(), 2);
}

TEST_F(TextStoreQueriesTest, LinesThatDoNotExistGiveNothing)
{
    Load({QStringLiteral("abc")});
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
    m_store.LoadParagraphs({QStringLiteral("あいうえおか")}); // one line until wrapped
    EXPECT_EQ(m_store.TotalLines(), 1);
    m_store.RelayoutAll(m_wrap, true);
    EXPECT_EQ(m_store.LineText(0), QStringLiteral("あいうえ"));
    EXPECT_EQ(m_store.VisibleLength(0), 4); // no line feed at its end
    EXPECT_EQ(m_store.LineLength(1), 3);
    EXPECT_EQ(m_store.VisibleLength(1), 2);
    EXPECT_EQ(WidthWords(m_store.LineAttributed(1)), (std::vector<uint16_t>{16, 16, 0}));
    EXPECT_EQ(m_store.ParagraphOfLine(1).Text(), QStringLiteral("あいうえおか\n"));
    EXPECT_EQ(m_store.RestOfParagraph(1, 1).Text(), QStringLiteral("か\n"));
    EXPECT_EQ(m_store.RestOfParagraph(1, 50).Text(), QString());
}

TEST_F(TextStoreQueriesTest, HitTestAndXOfPosition)
{
    Load({QStringLiteral("aあbおかきく")}); // lines "aあbおか" (8, 16, 8 px, ...), "きく\n"
    // A point lands after a character from its middle on.
    const QList<std::pair<int, int>> xToColumn = {
        {-5, 0}, {3, 0}, {4, 1}, {15, 1}, {16, 2}, {27, 2}, {28, 3}, {1000, 5}};
    for (auto [x, column] : xToColumn)
        EXPECT_EQ(m_store.ColumnAtX(0, x), column) << "x " << x;
    EXPECT_EQ(m_store.XOfPosition(1, 2), 32);
    EXPECT_EQ(m_store.XOfPosition(0, 7), 96); // on past the display line, within the paragraph
    EXPECT_EQ(m_store.XOfPosition(1, 4), -1);
}

TEST_F(TextStoreQueriesTest, OffsetsFollowTheBreaksAndRangesSpanParagraphs)
{
    Load({QStringLiteral("あいうえおか"), QStringLiteral("ab"), QStringLiteral("cd")}); // breaks 4, 7
    const QList<std::pair<int, TextPosition>> offsetToPosition = {
        {0, {0, 0}}, {3, {0, 3}}, {4, {1, 0}}, {6, {1, 2}}, {7, {2, 0}}, {9, {2, 2}}};
    for (auto [offset, position] : offsetToPosition)
        EXPECT_EQ(m_store.OffsetToPosition(*m_store.FirstParagraph(), offset), position) << offset;
    EXPECT_EQ(m_store.Range({0, 2}, {1, 1}).Text(), QStringLiteral("うえお"));
    const CAttrString across = m_store.Range({1, 1}, {3, 1});
    EXPECT_EQ(across.Text(), QStringLiteral("か\nab\nc"));
    EXPECT_EQ(WidthWords(across), (std::vector<uint16_t>{16, 0, 8, 8, 0, 8}));
    EXPECT_EQ(m_store.Range({3, 0}, {3, 9}).Text(), QStringLiteral("cd\n"));
    EXPECT_EQ(m_store.Range({2, 1}, {1, 0}), CAttrString()); // inverted
    EXPECT_EQ(m_store.Range({0, 2}, {0, 1}), CAttrString());
}

TEST_F(TextStoreQueriesTest, LookupsFarFromTheCacheFindTheRightLine)
{
    // Paragraphs of 1 to 3 display lines, visited in random order and backwards.
    QList<QString> lines;
    QList<QString> expected;
    for (int i = 0; i < 500; ++i) {
        const QString text = QString::number(i).rightJustified(3, u'0') + QString(5 * (i % 4), u'z');
        lines.append(text);
        for (qsizetype start = 0; start < text.size(); start += 8)
            expected.append(text.mid(start, 8) + (start + 8 >= text.size() ? QStringLiteral("\n") : QString()));
    }
    Load(lines);
    ASSERT_EQ(m_store.TotalLines(), expected.size());
    QRandomGenerator random(7);
    for (int i = 0; i < 3000; ++i) {
        const int line = int(random.bounded(expected.size()));
        ASSERT_EQ(m_store.LineText(line), expected[line]) << "line " << line;
    }
    for (int line = int(expected.size()) - 1; line >= 0; --line)
        ASSERT_EQ(m_store.LineText(line), expected[line]);
}

TEST_F(TextStoreQueriesTest, WholeAndLeadingText)
{
    m_store.LoadParagraphs({QStringLiteral("a -=b\tc\r"), QStringLiteral("d\u3000 \u3000 e   f"), QString()});
    EXPECT_EQ(m_store.WholeText(), QStringLiteral("a -=b\tc\r\nd\u3000 \u3000 e   f\n"));
    // Line feeds become two blanks, then every pair of blanks one (in a single pass).
    EXPECT_EQ(m_store.LeadingText(), QStringLiteral("a b c d e  f  "));
    // The walk stops after the paragraph that passes 80 characters.
    const QString fifty(50, u'x');
    m_store.LoadParagraphs({fifty, fifty, fifty});
    EXPECT_EQ(m_store.LeadingText(), fifty + u' ' + fifty + u' ');
    m_store.LoadParagraphs({QString(79, u'y'), fifty, fifty});
    EXPECT_EQ(m_store.LeadingText().size(), 80 + 51);
}

TEST_F(TextStoreQueriesTest, ParagraphLongerThan65535CharactersStaysWhole)
{
    m_wrap.textWidth = 800;
    Load({QString(70000, u'a'), QStringLiteral("b")});
    EXPECT_TRUE(ChainIsConsistent(m_store));
    EXPECT_EQ(m_store.TotalLines(), 701);
    EXPECT_EQ(m_store.LineLength(699), 101);
    EXPECT_EQ(m_store.LineText(700), QStringLiteral("b\n"));
    EXPECT_EQ(m_store.OffsetToPosition(*m_store.FirstParagraph(), 69950), (TextPosition{699, 50}));
    EXPECT_EQ(m_store.RestOfParagraph(690, 0).Length(), 1001);
    EXPECT_EQ(m_store.WholeText().size(), 70002);
}

} // namespace
