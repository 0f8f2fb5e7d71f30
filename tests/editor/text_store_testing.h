// Test helpers for the text model: a measurer with exact widths (ASCII 8 px, every other unit
// 16 px, the line feed a chosen width) and a check of every invariant of a paragraph chain.
#pragma once

#include "editor/char_measurer.h"
#include "editor/text_store.h"

#include <gtest/gtest.h>

class FixedWidthMeasurer : public CharMeasurer {
public:
    explicit FixedWidthMeasurer(int lineFeedWidth = 0) : m_lineFeedWidth(lineFeedWidth) {}
    int Width(char16_t unit) override
    {
        ++calls;
        if (unit == u'\n')
            return m_lineFeedWidth;
        return unit < 0x80 ? 8 : 16;
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

// One paragraph per line, wrapped with remeasuring.
inline void Load(CTextStore& store, const QList<QString>& lines, const WrapSettings& wrap)
{
    store.LoadParagraphs(lines);
    store.RelayoutAll(wrap, true);
}

inline QList<int> Breaks(const CTextPara& para)
{
    return QList<int>(para.breaks.begin(), para.breaks.end());
}

inline ::testing::AssertionResult ChainIsConsistent(const CTextStore& store)
{
    const CTextPara* para = store.FirstParagraph();
    if (!para || para->prev)
        return ::testing::AssertionFailure() << "the chain has no proper first paragraph";
    int ordinal = 0;
    int line = 0;
    for (; para; para = para->next, ++ordinal) {
        const QString& text = para->text.Text();
        auto fail = [&] { return ::testing::AssertionFailure() << "paragraph " << ordinal << ": "; };
        if (para->ordinal != ordinal)
            return fail() << "ordinal " << para->ordinal;
        if (para->firstLine != line)
            return fail() << "first line " << para->firstLine << ", expected " << line;
        if (para->next && para->next->prev != para)
            return fail() << "broken back link";
        if (text.indexOf(u'\n') != text.size() - 1)
            return fail() << "does not end with its only line feed";
        if (para->text.Attributes().size() != size_t(text.size()))
            return fail() << "width count differs from the length";
        if (para->lineCount != int(para->breaks.size()) || para->breaks.back() != uint32_t(text.size()))
            return fail() << "breaks do not match the line count and length";
        if (!std::is_sorted(para->breaks.begin(), para->breaks.end()))
            return fail() << "breaks go backwards";
        line += para->lineCount;
    }
    if (store.TotalLines() != line)
        return ::testing::AssertionFailure() << "total lines " << store.TotalLines() << ", counted " << line;
    return ::testing::AssertionSuccess();
}
