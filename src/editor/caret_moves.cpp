// TextEditor's movements: caret steps by character, word, line and page, the jumps to the
// text's and the window's ends, select all, scrolling the caret into view and the mapping of
// window points to text positions.
//
// Every movement starts from the caret pulled back into the text (a rewrap can leave it past a
// short line), so none of them can step outside the text; a surrogate pair is one character to
// every movement, and no caret stops between its halves. Horizontal movements and clicks set
// goal x, the caret's remembered x offset; vertical movements keep it and look for the column
// under it on the new line.
#include "editor/text_editor.h"

#include "editor/word_runs.h"
#include "platform/text_cut.h"

#include <algorithm>

namespace {

constexpr int kScrollSlack = 50; // pixels kept beside the caret when scrolling sideways

// A position as its paragraph and the offset in it.
struct CaretSpot {
    const CTextPara* para;
    int offset;
};

// `position` must lie in the text.
CaretSpot SpotOf(CTextStore& store, TextPosition position)
{
    const CTextPara* para = store.FindParagraph(position.line);
    return {para, para->LineStart(position.line - para->firstLine) + position.column};
}

// One step forward: from in front of the closing line feed to the next paragraph's start
// (nothing after the last paragraph), otherwise to offset `target` in the paragraph.
std::optional<TextPosition> Forward(CTextStore& store, CaretSpot at, int target)
{
    if (at.offset < at.para->Length() - 1)
        return store.OffsetToPosition(*at.para, target);
    if (!at.para->next)
        return std::nullopt;
    return TextPosition{at.para->next->firstLine, 0};
}

// One step back: from a paragraph's start to in front of the previous paragraph's line feed
// (nothing before the first paragraph), otherwise to offset `target` in the paragraph.
std::optional<TextPosition> Backward(CTextStore& store, CaretSpot at, int target)
{
    if (at.offset > 0)
        return store.OffsetToPosition(*at.para, target);
    if (!at.para->prev)
        return std::nullopt;
    return store.OffsetToPosition(*at.para->prev, at.para->prev->Length() - 1);
}

// A page step: the lines from the first visible line to the last one before the end of the
// visible range (at least one), and the pixels between their tops.
struct PageStep {
    int lines;
    int pixels;
};

PageStep PageStepOf(const CPageFormat& format)
{
    const int first = format.FirstVisibleLine();
    const int lines = std::max(format.EndVisibleLine() - 1 - first, 1);
    return {lines, format.LineTop(first + lines) - format.LineTop(first)};
}

} // namespace

const TextEditor::CaretPlace& TextEditor::Caret() const
{
    const quint64 revision = m_store->Revision();
    if (!m_caretPlace || m_caretPlace->caret != m_format.caret || m_caretPlace->revision != revision) {
        const TextPosition clamped = ClampToText(m_format.caret);
        m_caretPlace = {m_format.caret, revision, clamped, m_store->XOfPosition(clamped.line, clamped.column)};
    }
    return *m_caretPlace;
}

TextPosition TextEditor::ClampToText(TextPosition position) const
{
    const int line = std::clamp(position.line, 0, m_store->TotalLines() - 1);
    const int column = std::clamp(position.column, 0, m_store->VisibleLength(line));
    const CaretSpot at = SpotOf(*m_store, {line, column});
    return {line, SplitsPair(at.para->text.Text(), at.offset) ? column - 1 : column};
}

void TextEditor::MoveCaret(TextPosition to, bool extend, bool horizontal)
{
    if (m_dragInProgress)
        return;
    if (extend)
        Extend(to);
    else
        Collapse(to);
    if (horizontal) {
        const CaretPlace& at = Caret();
        m_goalX = at.clamped == to ? at.x : m_store->XOfPosition(to.line, to.column);
    }
    ScrollCaretIntoView();
}

void TextEditor::StepCaret(bool forward, bool byWord, bool extend)
{
    if (!m_store)
        return;
    const CaretSpot at = SpotOf(*m_store, Caret().clamped);
    const WordDelimiters delimiters{m_format.wordDelimitersA, m_format.wordDelimitersB};
    const QString& text = at.para->text.Text();
    const int target = !byWord ? int(forward ? at.offset + CharacterUnits(text, at.offset)
                                             : PreviousCharacterStart(text, at.offset))
                       : forward ? WordRightOffset(text, at.offset, delimiters)
                                 : WordLeftOffset(text, at.offset, delimiters);
    if (const auto to = forward ? Forward(*m_store, at, target) : Backward(*m_store, at, target))
        MoveCaret(*to, extend, true);
}

void TextEditor::MoveLeft(bool extend)
{
    StepCaret(false, false, extend);
}

void TextEditor::MoveRight(bool extend)
{
    StepCaret(true, false, extend);
}

void TextEditor::WordLeft(bool extend)
{
    StepCaret(false, true, extend);
}

void TextEditor::WordRight(bool extend)
{
    StepCaret(true, true, extend);
}

void TextEditor::MoveToLineStart(bool extend)
{
    if (m_store)
        MoveCaret({Caret().clamped.line, 0}, extend, true);
}

void TextEditor::MoveToLineEnd(bool extend)
{
    if (!m_store)
        return;
    const int line = Caret().clamped.line;
    MoveCaret({line, m_store->VisibleLength(line)}, extend, true);
}

void TextEditor::MoveToLine(int line, bool extend)
{
    const int clamped = std::clamp(line, 0, m_store->TotalLines() - 1);
    MoveCaret({clamped, m_store->ColumnAtX(clamped, m_goalX)}, extend, false);
}

void TextEditor::MoveUp(bool extend)
{
    if (!m_store)
        return;
    const int line = Caret().clamped.line;
    if (line > 0)
        MoveToLine(line - 1, extend);
}

void TextEditor::MoveDown(bool extend)
{
    if (!m_store)
        return;
    const int line = Caret().clamped.line;
    if (line < m_store->TotalLines() - 1)
        MoveToLine(line + 1, extend);
}

void TextEditor::PageDown(bool extend)
{
    if (!m_store)
        return;
    const PageStep step = PageStepOf(m_format);
    m_format.verticalScroll += step.pixels;
    MoveToLine(Caret().clamped.line + step.lines, extend);
}

void TextEditor::PageUp(bool extend)
{
    if (!m_store)
        return;
    const PageStep step = PageStepOf(m_format);
    m_format.verticalScroll = std::max(m_format.verticalScroll - step.pixels, 0);
    MoveToLine(Caret().clamped.line - step.lines, extend);
}

void TextEditor::MoveToFirstLine()
{
    if (m_store)
        MoveToLine(0, false);
}

void TextEditor::MoveToLastLine()
{
    if (m_store)
        MoveToLine(m_store->TotalLines() - 1, false);
}

void TextEditor::MoveToFirstVisibleLine()
{
    if (m_store)
        MoveToLine(m_format.FirstVisibleLine(), false);
}

void TextEditor::MoveToLastVisibleLine()
{
    if (m_store)
        MoveToLine(m_format.EndVisibleLine() - 1, false);
}

void TextEditor::ScrollTowardsStart()
{
    if (!m_store)
        return;
    m_format.verticalScroll = std::max(m_format.verticalScroll - m_format.LinePitch(), 0);
    if (Caret().clamped.line >= m_format.EndVisibleLine() - 2)
        MoveUp(false);
}

void TextEditor::ScrollTowardsEnd()
{
    if (!m_store)
        return;
    const int line = Caret().clamped.line;
    if (m_format.LineTop(line) - m_format.verticalScroll < m_format.LinePitch()) {
        if (line == m_store->TotalLines() - 1)
            return;
        MoveDown(false);
    }
    m_format.verticalScroll += m_format.LinePitch();
}

void TextEditor::SelectAll()
{
    const CTextPara* first = m_store ? m_store->FirstParagraph() : nullptr;
    if (!first || m_dragInProgress || (!first->next && first->Length() == 1))
        return;
    const int last = m_store->TotalLines() - 1;
    m_format.caret = {};
    m_format.anchor = {last, m_store->VisibleLength(last)};
    m_goalX = 0;
}

void TextEditor::ScrollCaretIntoView()
{
    if (!m_store)
        return;
    CPageFormat& f = m_format;
    const CaretPlace& place = Caret();
    const TextPosition caret = place.clamped;

    const int x = place.x + f.marginLeft + f.horizontalOffset;
    if (x < 0)
        f.horizontalOffset += kScrollSlack - x;
    else if (x > f.clientWidth)
        f.horizontalOffset += f.clientWidth - x - kScrollSlack;
    if (f.pageWidth > f.clientWidth)
        f.horizontalOffset = std::clamp(f.horizontalOffset, f.clientWidth - f.pageWidth, 0);

    if (caret.line == 0)
        f.verticalScroll = 0;
    else if (f.LineTop(caret.line) < f.verticalScroll) // above the window, or cut at its top
        f.verticalScroll = f.LineTop(caret.line);
    // Cut at the window's bottom or below it (the next line starts at or past the bottom): the
    // same as the caret's line reaching the last visible line, without walking the visible lines.
    else if (f.LineTop(caret.line + 1) - f.verticalScroll >= f.clientHeight)
        f.verticalScroll = std::max(f.verticalScroll, f.LineTop(caret.line) + f.LinePitch() - f.clientHeight);
}

std::optional<TextPosition> TextEditor::PositionAtPoint(int x, int y) const
{
    if (!m_store)
        return std::nullopt;
    const int line = m_format.LineAtY(y);
    if (line < 0 || line >= m_store->TotalLines())
        return std::nullopt;
    return TextPosition{line, m_store->ColumnAtX(line, x - m_format.marginLeft - m_format.horizontalOffset)};
}

bool TextEditor::MoveToPoint(int x, int y, bool extend)
{
    const std::optional<TextPosition> at = PositionAtPoint(x, y);
    if (at)
        MoveCaret(*at, extend, true);
    return at.has_value();
}

void TextEditor::Resize(int windowWidth, int windowHeight, int scrollBarExtent)
{
    m_format.SetWindowSize(windowWidth, windowHeight, scrollBarExtent);
    ScrollCaretIntoView();
}

int TextEditor::CaretWindowX() const
{
    return m_format.marginLeft + (m_store ? Caret().x : 0) + m_format.horizontalOffset;
}

int TextEditor::CaretWindowY() const
{
    const int line = m_store ? Caret().clamped.line : 0;
    return m_format.LineTop(line) - m_format.verticalScroll;
}
