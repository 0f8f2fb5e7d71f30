// Line breaking with exact widths: ASCII 8 px, everything else 16 px, line feed 0, so a 64 px
// line holds four full-width characters. Kinsoku: "、。" may not begin a line, "「（" may not
// end one.
#include "editor/text_store_testing.h"

#include <gtest/gtest.h>

#include <random>

using namespace Qt::StringLiterals;

namespace {

class LineWrapperTest : public ::testing::Test {
protected:
    // Wraps `text` + "\n" with remeasuring and returns the breaks.
    QList<int> Wrap(const QString& text, int width, CharMeasurer* measurer = nullptr)
    {
        m_para.text.SetText(text + u'\n');
        const int lines = WrapParagraph(m_para, TestWrap(measurer ? *measurer : m_measurer, width), true);
        EXPECT_EQ(lines, m_para.LineCount());
        EXPECT_TRUE(m_para.laidOut);
        return Breaks(m_para);
    }
    uint16_t WidthAt(int offset) const { return m_para.text.Attributes()[size_t(offset)]; }

    FixedWidthMeasurer m_measurer;
    CTextPara m_para;
};

// Rows are 64 px wide with a line feed 0 px wide unless they say otherwise.
TEST_F(LineWrapperTest, BreaksFollowTheKinsokuAndWidthRules)
{
    const struct {
        const char16_t* text;
        QList<int> breaks;
        const char* rule;
        int width = 64;
        int lineFeedWidth = 0;
    } cases[] = {
        {u"あいうえおか", {4, 7}, "ordinary break"},
        {u"", {1}, "an empty paragraph is one line"},
        {u"あいうえ、お", {5, 7}, "a closing mark hangs past the edge"},
        {u"あいうえ、、お", {5, 8}, "only one hangs per line"},
        {u"あいうえ、おかきく。け", {5, 10, 12}, "a break allows the next hang"},
        {u"あいう「え", {3, 6}, "an opening bracket moves down"},
        {u"あい「「え", {3, 6}, "of two brackets only the last moves"},
        {u"あいう「えお「か", {3, 7, 9}, "no push-back twice in a row"},
        {u"あいう「えおかきくけ「こ", {3, 7, 10, 13}, "an ordinary break allows push-back again"},
        {u"あいう「、", {6}, "hanging comes before push-back"},
        {u"あいうえ。", {6}, "the line feed stays on the line, even after a hang"},
        {u"あいう𠮷え", {5, 7}, "a surrogate pair is one character"},
        {u"あいう「𠮷", {3, 7}, "an opening bracket moves down with a pair"},
        {u"abあcd", {2, 3, 6}, "a character wider than the line stands alone", 20},
        {u"あb", {0, 1, 3}, "as the first one it leaves an empty line", 12},
        {u"あ「い", {1, 2, 4}, "a bracket that begins its line stays: moving it would empty the line", 24},
        {u"あいうえ", {5}, "a full line keeps its line feed, however wide", 64, 16},
    };
    for (const auto& c : cases) {
        FixedWidthMeasurer measurer(c.lineFeedWidth);
        EXPECT_EQ(Wrap(QString::fromUtf16(c.text), c.width, &measurer), c.breaks) << c.rule;
    }
}

TEST_F(LineWrapperTest, TabsAdvanceToTheNextStopOfFourSpaces)
{
    for (const auto& [text, tabWidth] : {std::pair{u"\tx", 32}, {u"aaaaa\tx", 24}, {u"aaaa\tx", 32}}) {
        const QString line = QString::fromUtf16(text);
        Wrap(line, 1000);
        EXPECT_EQ(WidthAt(int(line.indexOf(u'\t'))), tabWidth) << line.toStdString();
    }
    // Stops count from the start of the display line.
    EXPECT_EQ(Wrap(QStringLiteral("aaaaaaaa\t"), 60), QList<int>({7, 10}));
    EXPECT_EQ(WidthAt(8), 24);
    class NoSpace : public CharMeasurer {
        int Width(char32_t c) override { return c == u' ' ? 0 : 8; }
    } noSpace;
    Wrap(QStringLiteral("a\tb"), 100, &noSpace);
    EXPECT_EQ(WidthAt(1), 0);
}

TEST_F(LineWrapperTest, MeasuringStoresAbsoluteWidthsInTwelveBits)
{
    class Unruly : public CharMeasurer {
        int Width(char32_t c) override { return c == u'a' ? -20 : c == u'b' ? 5000 : 8; }
    } unruly;
    Wrap(QStringLiteral("ab"), 10000, &unruly);
    EXPECT_EQ(WidthAt(0), 20);
    EXPECT_EQ(WidthAt(1), 5000 & 0xFFF);
    EXPECT_EQ(StoredWidth(INT_MIN), 0);
    Wrap(QStringLiteral("a𠮷b"), 100); // a surrogate pair is measured whole, on its first unit
    EXPECT_EQ(WidthWords(m_para.text), (std::vector<uint16_t>{8, 16, 0, 8, 0}));
    // Without remeasuring the stored widths count.
    ASSERT_TRUE(m_para.text.SetTextAndAttributes(QStringLiteral("abcd\n"), {30, 30, 30, 30, 0}));
    WrapParagraph(m_para, TestWrap(m_measurer, 64), false);
    EXPECT_EQ(Breaks(m_para), QList<int>({2, 5}));
}

TEST_F(LineWrapperTest, OneWrapperMeasuresEachUnitOnce)
{
    const WrapSettings settings = TestWrap(m_measurer, 64);
    CLineWrapper wrapper(settings);
    for (int i = 0; i < 3; ++i) {
        m_para.text.SetText(QStringLiteral("あああaaa\n"));
        wrapper.Wrap(m_para, true);
    }
    EXPECT_EQ(m_measurer.calls, 4); // " " once for tabs, then "あ", "a", "\n"
}

TEST_F(LineWrapperTest, RewrapsMoveBetweenOneTwoAndManyLines)
{
    // One and two lines keep their ends in the node, three or more in a block of their own.
    for (int width : {16, 64, 200, 40, 16, 200}) {
        const QList<int> breaks = Wrap(QStringLiteral("abcdefghij"), width);
        QList<int> expected;
        for (int end = width / 8; end < 10; end += width / 8) // "j" keeps the line feed
            expected.append(end);
        expected.append(11);
        EXPECT_EQ(breaks, expected) << width;
        for (int k = 0; k < m_para.LineCount(); ++k)
            EXPECT_EQ(m_para.LineAt(m_para.LineEnd(k) - 1), k) << width;
    }
}

// Random edits of one paragraph, rewrapped from the edit, against a whole wrap of the result:
// the same line ends and stored widths (tabs). Which lines changed is checked with the store.
TEST_F(LineWrapperTest, RewrapAfterAnEditEqualsAWholeWrap)
{
    const QStringList pieces = {u"あ"_s, u"a"_s, u"bc"_s, u"、"_s, u"。"_s, u"「"_s, u"（"_s, u"\t"_s, u"𠮷"_s, u"いう"_s};
    std::mt19937 random(15);
    const auto pick = [&](int below) { return int(random() % unsigned(below)); };
    const auto someText = [&](int most) {
        QString text;
        for (int n = pick(most + 1); n > 0; --n)
            text += pieces[pick(int(pieces.size()))];
        return text;
    };
    for (int width : {12, 40, 64, 100}) {
        CLineWrapper wrapper(TestWrap(m_measurer, width));
        CTextPara para;
        para.text.SetText(someText(60) + u'\n');
        wrapper.Wrap(para, true);
        for (int edit = 0; edit < 1500; ++edit) {
            const QString before = para.text.Text();
            const int length = int(before.size());
            // Often at a line's start or end, where breaks move between lines.
            int offset = pick(2) ? para.LineStart(pick(para.LineCount())) : pick(length);
            offset = std::min(offset, length - 1);
            if (SplitsPair(before, offset))
                --offset;
            int removed = int(WholeUnits(before, offset + pick(5)) - offset);
            removed = std::clamp(removed, 0, length - 1 - offset);
            QString inserted = someText(4);
            if (pick(8) == 0) { // a split or a join: the line feed goes with what follows
                removed = length - offset;
                inserted += someText(4) + u'\n';
            }
            CAttrString measured(inserted, 0);
            wrapper.MeasureText(inserted, measured.MutableAttributes());
            para.text.Remove(offset, removed);
            para.text.Insert(offset, measured);
            wrapper.Rewrap(para, offset, removed, int(inserted.size()));
            m_para.text.SetText(para.text.Text());
            wrapper.Wrap(m_para, true);
            const std::string what = QStringLiteral("width %1, edit %2 of \"%3\" at %4: -%5 +\"%6\"")
                                         .arg(width).arg(edit).arg(before).arg(offset).arg(removed).arg(inserted)
                                         .toStdString();
            ASSERT_EQ(Breaks(para), Breaks(m_para)) << what;
            ASSERT_EQ(WidthWords(para.text), WidthWords(m_para.text)) << what;
            if (para.Length() > 200) { // kept short, so that edits often meet line ends
                para.text.Remove(0, WholeUnits(para.text.Text(), 100));
                wrapper.Wrap(para, false);
            }
        }
    }
}

} // namespace

