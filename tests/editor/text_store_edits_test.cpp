// Edits of the text store: each must leave ordinals, first lines and total lines consistent,
// rewrap only what it touched, and treat positions outside the text harmlessly (widths: ASCII
// 8 px, other characters 16 px, line feed 0; lines 64 px wide).
#include "editor/text_store_testing.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>

namespace {

class TextStoreEditsTest : public TextStoreTest {
protected:
    // Every paragraph's breaks, in chain order.
    QList<QList<int>> AllBreaks() const
    {
        QList<QList<int>> breaks;
        for (const CTextPara* para = m_store.FirstParagraph(); para; para = para->next)
            breaks.append(Breaks(*para));
        return breaks;
    }
    // An edit's widths and layout must be the ones a fresh relayout of the same text gives.
    void ExpectLayoutAsRelaidOut()
    {
        const QList<QList<int>> afterEdits = AllBreaks();
        m_store.RelayoutAll(m_wrap, true);
        EXPECT_EQ(AllBreaks(), afterEdits);
    }
};

TEST_F(TextStoreEditsTest, PositionsOutsideTheTextAreClampedOrIgnored)
{
    m_store.InsertText(0, 0, QStringLiteral("ab\nc"), m_wrap); // into an empty store
    EXPECT_TRUE(ChainIsConsistent(m_store));
    m_store.InsertCharacters(0, 99, QStringLiteral("z"), m_wrap); // before the line feed
    m_store.InsertCharacters(0, -3, QStringLiteral("y"), m_wrap);
    m_store.InsertCharacters(5, 0, QStringLiteral("w"), m_wrap);
    m_store.InsertCharacters(0, 0, QStringLiteral("v\nv"), m_wrap); // line feeds are refused
    m_store.InsertText(1, 9, QStringLiteral("\nx"), m_wrap);
    m_store.InsertText(3, 0, QStringLiteral("u\nu"), m_wrap);
    m_store.SplitParagraph(9, 0, m_wrap);
    EXPECT_EQ(m_store.WholeText(), QStringLiteral("yabz\nc\nx"));
    m_store.DeleteCharacter(2, 1, m_wrap); // the last line feed stays
    m_store.DeleteCharacter(0, 9, m_wrap); // past the line feed: nothing
    m_store.DeleteCharacter(7, 0, m_wrap);
    m_store.DeleteRange({1, 1}, {0, 0}, m_wrap); // inverted: nothing
    m_store.DeleteRange({0, 0}, {9, 0}, m_wrap); // end does not exist: nothing
    EXPECT_EQ(m_store.WholeText(), QStringLiteral("yabz\nc\nx"));
    EXPECT_TRUE(ChainIsConsistent(m_store));
    m_store.DeleteRange({0, 0}, {2, 99}, m_wrap); // everything; the last line feed stays
    EXPECT_TRUE(ChainIsConsistent(m_store));
    EXPECT_EQ(m_store.WholeText(), QString());
}

// Only the new characters are measured: an old line feed keeps its width, a new one gets the
// measurer's.
TEST_F(TextStoreEditsTest, EditsMeasureOnlyTheNewCharacters)
{
    Load({QStringLiteral("ab"), QStringLiteral("cd")}); // line feeds measured 0 wide
    FixedWidthMeasurer lineFeed20(20);
    const WrapSettings wrap20 = TestWrap(lineFeed20, 64);
    m_store.InsertCharacters(1, 0, QStringLiteral("z"), wrap20);
    m_store.InsertText(0, 1, QStringLiteral("あ\nxy\nz"), wrap20);
    m_store.SplitParagraph(3, 1, wrap20);
    const auto widths = [&](int line) { return WidthWords(m_store.ParagraphOfLine(line)); };
    EXPECT_EQ(m_store.WholeText(), QStringLiteral("aあ\nxy\nzb\nz\ncd"));
    EXPECT_EQ(widths(0), (std::vector<uint16_t>{8, 16, 20}));
    EXPECT_EQ(widths(1), (std::vector<uint16_t>{8, 8, 20}));
    EXPECT_EQ(widths(2), (std::vector<uint16_t>{8, 8, 0}));
    EXPECT_EQ(widths(3), (std::vector<uint16_t>{8, 20}));
    EXPECT_EQ(widths(4), (std::vector<uint16_t>{8, 8, 0}));
}

// The store caches the last paragraph it found; deleting that paragraph must not leave the
// cache pointing at it.
TEST_F(TextStoreEditsTest, DeletingTheCachedParagraphKeepsLookupsRight)
{
    Load({QStringLiteral("ab"), QStringLiteral("cd"), QStringLiteral("あいうえお"), QStringLiteral("ef"),
          QStringLiteral("gh"), QStringLiteral("ij")});
    ASSERT_NE(m_store.FindParagraph(1), nullptr);
    m_store.DeleteCharacter(0, 2, m_wrap);
    EXPECT_TRUE(ChainIsConsistent(m_store));
    EXPECT_EQ(m_store.LineText(1), QStringLiteral("あいうえ"));
    ASSERT_NE(m_store.FindParagraph(4), nullptr); // cached inside the range
    m_store.DeleteRange({0, 1}, {4, 1}, m_wrap);
    EXPECT_TRUE(ChainIsConsistent(m_store));
    EXPECT_EQ(m_store.WholeText(), QStringLiteral("ah\nij"));
    EXPECT_EQ(m_store.LineText(1), QStringLiteral("ij\n"));
}

// Random edits at random places, checked after each against a plain string and a fresh layout;
// the lines an edit says it changed hold every line that shows something else.
TEST_F(TextStoreEditsTest, RandomEditsKeepTextAndLayoutRight)
{
    const QStringList alphabet = QStringLiteral("a b あ い う 、 。 「 （ \t 𠮷 😀").split(u' ');
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
        qsizetype offset = random.bounded(model.size());
        offset -= SplitsPair(model, offset) ? 1 : 0;
        const qsizetype paraStart = offset == 0 ? 0 : model.lastIndexOf(u'\n', offset - 1) + 1;
        const CTextPara* para = m_store.FirstParagraph();
        for (qsizetype at = 0; at < paraStart; at = model.indexOf(u'\n', at) + 1)
            para = para->next;
        return {m_store.OffsetToPosition(*para, int(offset - paraStart)), offset};
    };
    const auto shownLines = [&] {
        QStringList shown;
        for (int line = 0; line < m_store.TotalLines(); ++line)
            shown.append(m_store.LineText(line)); // its line feed when it ends a paragraph
        return shown;
    };
    for (int step = 0; step < 1500; ++step) {
        const QStringList shownBefore = shownLines();
        m_store.TakeChangedLines();
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
                model.remove(offset, CharacterUnits(model, offset));
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
        ExpectLayoutAsRelaidOut();
        const ChangedLines changed = m_store.TakeChangedLines();
        const QStringList shown = shownLines();
        ASSERT_TRUE(changed.moved || shown.size() == shownBefore.size()) << "step " << step;
        for (int line = 0; line < shown.size(); ++line) {
            if (line < changed.first || (line >= changed.end && !changed.moved)) {
                ASSERT_EQ(shown[line], shownBefore[line]) << "step " << step << ", line " << line;
            }
        }
    }
}

} // namespace
