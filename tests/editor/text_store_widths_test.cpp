// Widths of paragraphs that keep no words of their own and read the store's table: every query,
// copy, edit and relayout must answer as if each paragraph kept its words, and a load of memo
// lines must keep neither word blocks nor copies of the lines (widths: ASCII 8 px, other
// characters 16 px, line feed 0; lines 64 px wide).
#include "editor/text_store_testing.h"

#include <gtest/gtest.h>
#include <functional>
#include <malloc.h>

namespace {

using namespace Qt::StringLiterals;

class TextStoreWidthsTest : public TextStoreTest {
protected:
    // Every display line of both stores: text with widths, x of each column, columns at x.
    void ExpectSameAnswers(CTextStore& kept, const char* step)
    {
        EXPECT_TRUE(ChainIsConsistent(m_store)) << step;
        ASSERT_EQ(m_store.TotalLines(), kept.TotalLines()) << step;
        for (int line = 0; line < kept.TotalLines(); ++line) {
            ASSERT_EQ(m_store.LineAttributed(line), kept.LineAttributed(line)) << step << ", line " << line;
            for (int column = 0; column <= kept.LineLength(line); ++column)
                ASSERT_EQ(m_store.XOfPosition(line, column), kept.XOfPosition(line, column)) << step << ", line " << line;
            for (int x = -4; x < 80; x += 4)
                ASSERT_EQ(m_store.ColumnAtX(line, x), kept.ColumnAtX(line, x)) << step << ", line " << line;
        }
        const TextPosition end{kept.TotalLines() - 1, 1};
        EXPECT_EQ(m_store.Range({0, 1}, end), kept.Range({0, 1}, end)) << step;
        EXPECT_EQ(m_store.ParagraphOfLine(3), kept.ParagraphOfLine(3)) << step;
    }
};

TEST_F(TextStoreWidthsTest, TableWidthsAnswerAsKeptWordsThroughEditsAndRelayouts)
{
    const QList<QString> lines = {u"メモの一行目"_s, u""_s, u"a\tb\tあ"_s, u"𠮷野家の𠮷です"_s, u"あいうえおかきくけこ、"_s,
                                  u"「あいう」えお"_s, u"xyz"_s};
    Load(lines);
    CTextStore kept; // the same text typed: every paragraph measured as new characters keeps words
    kept.InsertText(0, 0, lines.join(u'\n'), m_wrap);
    ExpectSameAnswers(kept, "loaded");
    EXPECT_FALSE(m_store.FirstParagraph()->KeepsWords());

    const WrapSettings narrow = TestWrap(m_measurer, 40);
    const struct {
        std::function<void(CTextStore&)> edit;
        const char* step;
    } edits[] = {
        {[&](CTextStore& s) { s.InsertCharacters(0, 2, u"い"_s, m_wrap); }, "typed into a line"},
        {[&](CTextStore& s) { s.DeleteCharacter(1, 3, m_wrap); }, "a line feed deleted"},
        {[&](CTextStore& s) { s.DeleteRange({7, 2}, {9, 2}, m_wrap); }, "deleted across lines"},
        {[&](CTextStore& s) { s.InsertText(9, 1, u"か\nき\tく\n"_s, m_wrap); }, "pasted lines"},
        {[&](CTextStore& s) { s.RelayoutAll(narrow, false); }, "relaid out narrower"},
        {[&](CTextStore& s) { s.DeleteCharacter(0, 0, narrow); }, "deleted after that"},
    };
    for (const auto& e : edits) {
        e.edit(m_store);
        e.edit(kept);
        ExpectSameAnswers(kept, e.step);
    }

    // Before any measuring every width is 0, but a wrap gives a tab its width.
    m_store.LoadParagraphs({u"a\tb"_s});
    m_store.RelayoutAll(m_wrap, false);
    EXPECT_EQ(m_store.XOfPosition(0, 2), 32);
}

// Each line of a loaded text costs only its node: its text stays a slice of the loaded string,
// and it keeps no block of width words (a copy of a line of 30 characters would add 96 bytes,
// its words 80).
TEST_F(TextStoreWidthsTest, LoadedLinesKeepOnlyTheirNodes)
{
#ifdef __SANITIZE_ADDRESS__
    GTEST_SKIP() << "AddressSanitizer's heap does not count in mallinfo";
#endif
    constexpr int kLines = 20000;
    const QString text = (QString(30, u'語') + u'\n').repeated(kLines);
    const auto heapBytes = [] { return qint64(mallinfo2().uordblks + mallinfo2().hblkhd); };
    const qint64 before = heapBytes();
    m_wrap.textWidth = 1000; // one display line each: no blocks of line ends
    Load({text});
    const qint64 perLine = (heapBytes() - before - 0x20000) / kLines; // less the table
    EXPECT_LE(perLine, qint64(sizeof(CTextPara)) + 8); // the node and malloc's word
}

} // namespace
