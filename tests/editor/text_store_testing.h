// Test helpers for the text model: a measurer with exact widths (ASCII 8 px, every other
// character 16 px, the line feed a chosen width), a string's widths and a paragraph's line ends, a fixture
// with a store wrapped at 64 px, and a check of every invariant of a paragraph chain.
#pragma once

#include "editor/char_measurer.h"
#include "editor/text_store.h"
#include "platform/text_cut.h"

#include <gtest/gtest.h>

class FixedWidthMeasurer : public CharMeasurer {
public:
    explicit FixedWidthMeasurer(int lineFeedWidth = 0) : m_lineFeedWidth(lineFeedWidth) {}
    int Width(char32_t character) override
    {
        ++calls;
        return character == u'\n' ? m_lineFeedWidth : character < 0x80 ? 8 : 16;
    }
    int calls = 0;

private:
    int m_lineFeedWidth;
};

// Kinsoku sets: "、" and "。" may not begin a line, "「" and "（" may not end one.
inline WrapSettings TestWrap(CharMeasurer& measurer, int textWidth)
{
    return {&measurer, textWidth, QStringLiteral("、。"), QStringLiteral("「（")};
}

// A string's width words, for comparisons.
inline std::vector<uint16_t> WidthWords(const CAttrString& s)
{
    return {s.Attributes().begin(), s.Attributes().end()};
}

// Where each display line of the paragraph ends.
inline QList<int> Breaks(const CTextPara& para)
{
    QList<int> ends;
    for (int k = 0; k < para.LineCount(); ++k)
        ends.append(para.LineEnd(k));
    return ends;
}

// A store wrapped at 64 px with the measurer above.
class TextStoreTest : public ::testing::Test {
protected:
    // One paragraph per line, wrapped with remeasuring.
    void Load(const QList<QString>& lines)
    {
        m_store.LoadParagraphs(lines);
        m_store.RelayoutAll(m_wrap, true);
    }

    FixedWidthMeasurer m_measurer;
    WrapSettings m_wrap = TestWrap(m_measurer, 64);
    CTextStore m_store;
};

inline ::testing::AssertionResult ChainIsConsistent(const CTextStore& store)
{
    int ordinal = 0;
    int line = 0;
    for (const CTextPara* para = store.FirstParagraph(); para; para = para->next, ++ordinal) {
        const QString& text = para->text.Text();
        const QList<int> ends = Breaks(*para);
        const char* fault = para->ordinal != ordinal ? "ordinal"
            : para->firstLine != line                ? "first line"
            : (ordinal == 0) != !para->prev || (para->next && para->next->prev != para) ? "links"
            : text.indexOf(u'\n') != text.size() - 1 ? "not one closing line feed"
            : store.Widths(*para, 0, text.size()).size() != size_t(text.size()) ? "width count"
            : std::adjacent_find(ends.begin(), ends.end(), std::greater_equal<>()) != ends.end()
            ? "line ends do not rise"
            : std::any_of(ends.begin(), ends.end(), [&](int end) { return SplitsPair(text, end); })
            ? "a line ends inside a surrogate pair"
            : nullptr;
        if (fault)
            return ::testing::AssertionFailure() << "paragraph " << ordinal << ": " << fault;
        line += para->LineCount();
    }
    if (store.TotalLines() != line)
        return ::testing::AssertionFailure() << "total lines " << store.TotalLines() << ", counted " << line;
    return ::testing::AssertionSuccess();
}
