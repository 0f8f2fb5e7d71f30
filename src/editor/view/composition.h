// Composition: the text an input method is composing (its preedit), laid out inside the
// paragraph that holds the caret as typed text would be: the text after it moves on, and the
// paragraph wraps at the page edge. It is for the screen only; the text store and the undo ring
// never see it, and a commit reaches them as typed text.
//
// Invariants: while active, Paragraph() is the store paragraph's text (from the last LayOut)
// with the preedit inserted at PreeditStart(), measured whole (so it keeps its width words) and
// wrapped with the editor's settings. On screen
// it takes the place of that paragraph's display lines, from FirstLine() on, and every display
// line after it moves down by ExtraLines() (up when negative). Inactive, rows are store lines.
#pragma once

#include "editor/text_store.h"

#include <QInputMethodEvent>
#include <QList>
#include <QString>
#include <QTextCharFormat>
#include <utility>

class Composition {
public:
    // A stretch of the preedit (units from its start) in the look the input method asked for.
    struct Segment {
        int start = 0;
        int length = 0;
        QTextCharFormat format;
    };

    // The preedit, its formats and its cursor from an input method event. An empty preedit ends
    // the composition. A preedit without formats is underlined whole, so it stands out.
    void SetPreedit(const QInputMethodEvent& event);
    void Clear();
    bool Active() const { return !m_preedit.isEmpty(); }
    const QList<Segment>& Segments() const { return m_segments; }

    // Lays the preedit out at `offset` of `para` (a paragraph of the store, whose display lines
    // are current).
    void LayOut(const CTextPara& para, int offset, const WrapSettings& wrap);

    const CTextPara& Paragraph() const { return m_para; }
    int PreeditStart() const { return m_offset; }
    int FirstLine() const { return m_firstLine; }
    int ExtraLines() const { return Active() ? m_para.LineCount() - m_storeLineCount : 0; }
    // The store line shown on display row `row`; -1 for the rows of the composed paragraph.
    int StoreLine(int row) const;
    // Where the input method's cursor stands: a row of Paragraph() and x from the text's left
    // edge. The method's own windows go there even while it hides the cursor.
    std::pair<int, int> CursorPlace() const;
    bool CursorShown() const { return m_cursorShown; }

private:
    QString m_preedit;
    QList<Segment> m_segments;
    int m_cursor = 0; // in the preedit
    bool m_cursorShown = true;
    CTextPara m_para;
    int m_offset = 0;
    int m_firstLine = 0;
    int m_storeLineCount = 1;
};
