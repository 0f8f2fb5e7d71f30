// Edits of the text store: each must leave ordinals, first lines and total lines consistent,
// rewrap only what it touched, and treat positions outside the text harmlessly (widths: ASCII
// 8 px, other characters 16 px, line feed 0; lines 64 px wide).
#include "editor/text_store_testing.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>

namespace {

class TextStoreEditsTest : public TextStoreTest {
protected:
    QList<int> FirstLines() const
    {
        QList<int> firstLines;
        for (const CTextPara* para = m_store.FirstParagraph(); para; para = para->next)
            firstLines.append(para->firstLine);
        return firstLines;
    }
    // Every paragraph's breaks, in chain order.
    QList<QList<int>> AllBreaks() const
    {
        QList<QList<int>> breaks;
        for (const CTextPara* para = m_store.FirstParagraph(); para; para = para->next)
            breaks.append(Breaks(*para));
        return breaks;
    }
    // An edit's layout must be the one a fresh relayout of the same text gives.
    void ExpectLayoutAsRelaidOut()
    {
        const QList<QList<int>> afterEdits = AllBreaks();
        m_store.RelayoutAll(m_wrap, false);
        EXPECT_EQ(AllBreaks(), afterEdits);
    }
};

TEST_F(TextStoreEditsTest, InsertRewrapsAndMovesTheFollowingParagraphs)
{
    Load({QStringLiteral("ab"), QStringLiteral("あいうえおか"), QStringLiteral("c")});
    m_store.InsertCharacters(0, 1, QStringLiteral("xxxxxxxxx"), m_wrap);
    EXPECT_EQ(m_store.LineText(1), QStringLiteral("xxb\n"));
    EXPECT_EQ(FirstLines(), QList<int>({0, 2, 4}));
    m_store.InsertCharacters(2, 4, QStringLiteral("き"), m_wrap); // same line count
    EXPECT_EQ(m_store.LineText(3), QStringLiteral("きおか\n"));
    EXPECT_TRUE(ChainIsConsistent(m_store));
    // Only the new characters are measured: the line feed keeps its width.
    FixedWidthMeasurer lineFeed20(20);
    m_store.InsertCharacters(0, 0, QStringLiteral("z"), TestWrap(lineFeed20, 64));
    EXPECT_EQ(m_store.ParagraphOfLine(0).Attributes()[12], 0);
}

TEST_F(TextStoreEditsTest, InsertOutsideTheTextIsClampedOrIgnored)
{
    Load({QStringLiteral("ab"), QStringLiteral("c")});
    m_store.InsertCharacters(0, 99, QStringLiteral("z"), m_wrap); // before the line feed
    m_store.InsertCharacters(0, -3, QStringLiteral("y"), m_wrap);
    m_store.InsertCharacters(5, 0, QStringLiteral("w"), m_wrap);
    m_store.InsertCharacters(0, 0, QStringLiteral("v\nv"), m_wrap); // line feeds are refused
    EXPECT_EQ(m_store.WholeText(), QStringLiteral("yabz\nc"));
    EXPECT_TRUE(ChainIsConsistent(m_store));
}

TEST_F(TextStoreEditsTest, InsertTextMakesAParagraphOfEachLine)
{
    struct Case {
        const char* what;
        QList<QString> lines;
        TextPosition at;
        QString text;
        QString expected;
    };
    const Case cases[] = {
        {"into an empty store", {}, {0, 0}, QStringLiteral("a\nb"), QStringLiteral("a\nb")},
        {"at the start, a trailing line feed", {QStringLiteral("abcdef")}, {0, 0}, QStringLiteral("x\ny\n"),
         QStringLiteral("x\ny\nabcdef")},
        {"inside a wrapped line", {QStringLiteral("ab"), QStringLiteral("あいうえおか"), QStringLiteral("c")}, {2, 1},
         QStringLiteral("いろはにほへと\n\nz"), QStringLiteral("ab\nあいうえおいろはにほへと\n\nzか\nc")},
        {"at the end", {QStringLiteral("ab"), QStringLiteral("c")}, {1, 9}, QStringLiteral("\nz"),
         QStringLiteral("ab\nc\nz")},
        {"only line feeds", {QStringLiteral("ab")}, {0, 1}, QStringLiteral("\n\n"), QStringLiteral("a\n\nb")},
        {"no line feed", {QStringLiteral("ab")}, {0, 1}, QStringLiteral("xyz"), QStringLiteral("axyzb")},
        {"on no line", {QStringLiteral("ab")}, {3, 0}, QStringLiteral("x\ny"), QStringLiteral("ab")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Load(c.lines);
        m_store.InsertText(c.at.line, c.at.column, c.text, m_wrap);
        EXPECT_EQ(m_store.WholeText(), c.expected);
        EXPECT_TRUE(ChainIsConsistent(m_store));
        EXPECT_EQ(m_store.LineText(m_store.TotalLines() - 1), c.expected.section(u'\n', -1) + u'\n');
        ExpectLayoutAsRelaidOut();
    }
}

TEST_F(TextStoreEditsTest, InsertTextMeasuresOnlyTheNewCharacters)
{
    Load({QStringLiteral("ab")}); // the line feed measured 0 wide
    FixedWidthMeasurer lineFeed20(20);
    m_store.InsertText(0, 1, QStringLiteral("あ\nxy\nz"), TestWrap(lineFeed20, 64));
    const auto widths = [&](int line) { return WidthWords(m_store.ParagraphOfLine(line)); };
    EXPECT_EQ(widths(0), (std::vector<uint16_t>{8, 16, 20}));
    EXPECT_EQ(widths(1), (std::vector<uint16_t>{8, 8, 20}));
    EXPECT_EQ(widths(2), (std::vector<uint16_t>{8, 8, 0})); // the old line feed keeps its width
}

TEST_F(TextStoreEditsTest, SplitMakesANewParagraphAndRenumbers)
{
    FixedWidthMeasurer lineFeed5(5);
    Load({QStringLiteral("abcd"), QStringLiteral("あいうえおか"), QStringLiteral("e")});
    m_store.SplitParagraph(0, 2, TestWrap(lineFeed5, 64));
    EXPECT_TRUE(ChainIsConsistent(m_store));
    EXPECT_EQ(WidthWords(m_store.ParagraphOfLine(0)), (std::vector<uint16_t>{8, 8, 5}));
    EXPECT_EQ(WidthWords(m_store.ParagraphOfLine(1)), (std::vector<uint16_t>{8, 8, 0}));
    EXPECT_EQ(FirstLines(), QList<int>({0, 1, 2, 4}));
    m_store.SplitParagraph(3, 0, m_wrap); // at the start of a wrapped line
    m_store.SplitParagraph(4, 1, m_wrap); // before the last line feed
    m_store.SplitParagraph(9, 0, m_wrap); // no such line
    EXPECT_TRUE(ChainIsConsistent(m_store));
    EXPECT_EQ(m_store.WholeText(), QStringLiteral("ab\ncd\nあいうえ\nおか\ne\n"));
}

TEST_F(TextStoreEditsTest, DeleteCharacterJoinsAtALineFeed)
{
    Load({QStringLiteral("ab"), QStringLiteral("cd"), QStringLiteral("あいうえお")});
    ASSERT_NE(m_store.FindParagraph(1), nullptr); // the cache now holds the paragraph to go
    m_store.DeleteCharacter(0, 2, m_wrap);
    EXPECT_TRUE(ChainIsConsistent(m_store));
    EXPECT_EQ(m_store.LineText(1), QStringLiteral("あいうえ"));
    m_store.DeleteCharacter(1, 1, m_wrap); // the paragraph shrinks to one line
    m_store.DeleteCharacter(1, 4, m_wrap); // the last line feed stays
    m_store.DeleteCharacter(0, 9, m_wrap); // past the line feed: nothing
    m_store.DeleteCharacter(7, 0, m_wrap);
    EXPECT_TRUE(ChainIsConsistent(m_store));
    EXPECT_EQ(m_store.WholeText(), QStringLiteral("abcd\nあうえお"));
}

TEST_F(TextStoreEditsTest, DeleteRangeRenumbersTheFollowingParagraphs)
{
    Load({QStringLiteral("ab"), QStringLiteral("あいうえおか"), QStringLiteral("cd"), QStringLiteral("ef"),
          QStringLiteral("gh"), QStringLiteral("ij")});
    ASSERT_NE(m_store.FindParagraph(3), nullptr); // cached inside the range
    m_store.DeleteRange({0, 1}, {3, 1}, m_wrap);
    EXPECT_TRUE(ChainIsConsistent(m_store));
    EXPECT_EQ(m_store.WholeText(), QStringLiteral("ad\nef\ngh\nij"));
    EXPECT_EQ(m_store.LineText(3), QStringLiteral("ij\n"));
    m_store.DeleteRange({1, 2}, {2, 0}, m_wrap); // exactly one line feed
    m_store.DeleteRange({2, 1}, {2, 2}, m_wrap); // within one paragraph
    m_store.DeleteRange({2, 1}, {0, 0}, m_wrap); // inverted: nothing
    m_store.DeleteRange({0, 0}, {9, 0}, m_wrap); // end does not exist: nothing
    EXPECT_EQ(m_store.WholeText(), QStringLiteral("ad\nefgh\ni"));
    m_store.DeleteRange({0, 0}, {2, 99}, m_wrap); // everything; the last line feed stays
    EXPECT_TRUE(ChainIsConsistent(m_store));
    EXPECT_EQ(m_store.WholeText(), QString());
}

// Random edits at random places, checked against a plain string and against a fresh layout.
TEST_F(TextStoreEditsTest, RandomEditsKeepTextAndLayoutRight)
{
    const QString alphabet = QStringLiteral("abあいう、。「（\t");
    QRandomGenerator random(2024);
    const auto randomText = [&](int maxLength) {
        QString text;
        for (int n = int(random.bounded(1, maxLength + 1)); n > 0; --n)
            text += alphabet[random.bounded(alphabet.size())];
        return text;
    };
    QList<QString> lines;
    for (int i = 0; i < 20; ++i)
        lines.append(randomText(30));
    Load(lines);
    QString model = lines.join(u'\n') + u'\n';

    // A random place: its display position and its offset in `model`.
    const auto randomPlace = [&]() -> std::pair<TextPosition, qsizetype> {
        const qsizetype offset = random.bounded(model.size());
        const qsizetype paraStart = offset == 0 ? 0 : model.lastIndexOf(u'\n', offset - 1) + 1;
        const CTextPara* para = m_store.FirstParagraph();
        for (qsizetype at = 0; at < paraStart; at = model.indexOf(u'\n', at) + 1)
            para = para->next;
        return {m_store.OffsetToPosition(*para, int(offset - paraStart)), offset};
    };
    for (int step = 0; step < 1500; ++step) {
        const auto [at, offset] = randomPlace();
        switch (random.bounded(5)) {
        case 0: {
            const QString text = randomText(12);
            m_store.InsertCharacters(at.line, at.column, text, m_wrap);
            model.insert(offset, text);
            break;
        }
        case 1:
            m_store.SplitParagraph(at.line, at.column, m_wrap);
            model.insert(offset, u'\n');
            break;
        case 2:
            m_store.DeleteCharacter(at.line, at.column, m_wrap);
            if (offset != model.size() - 1)
                model.remove(offset, 1);
            break;
        case 3: {
            const QString text = randomText(12).replace(u'\t', u'\n') + randomText(12).replace(u'a', u'\n');
            m_store.InsertText(at.line, at.column, text, m_wrap);
            model.insert(offset, text);
            break;
        }
        default: {
            const auto [end, endOffset] = randomPlace();
            m_store.DeleteRange(at, end, m_wrap);
            if (endOffset > offset)
                model.remove(offset, endOffset - offset);
            break;
        }
        }
        ASSERT_TRUE(ChainIsConsistent(m_store)) << "step " << step;
        ASSERT_EQ(m_store.WholeText() + u'\n', model) << "step " << step;
    }
    ExpectLayoutAsRelaidOut();
}

} // namespace
