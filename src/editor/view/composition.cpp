// The input method's text being composed, laid out in its paragraph (see composition.h).
#include "composition.h"

#include "editor/line_wrapper.h"

#include <algorithm>

void Composition::SetPreedit(const QInputMethodEvent& event)
{
    m_preedit = event.preeditString();
    m_segments.clear();
    m_cursor = int(m_preedit.size());
    m_cursorShown = true;
    const auto inPreedit = [this](int unit) { return std::clamp(unit, 0, int(m_preedit.size())); };
    for (const QInputMethodEvent::Attribute& attribute : event.attributes()) {
        if (attribute.type == QInputMethodEvent::Cursor) {
            m_cursor = inPreedit(attribute.start);
            m_cursorShown = attribute.length != 0;
        } else if (attribute.type == QInputMethodEvent::TextFormat) {
            const int start = inPreedit(attribute.start);
            const int end = inPreedit(attribute.start + attribute.length);
            const QTextCharFormat format = attribute.value.value<QTextFormat>().toCharFormat();
            if (start < end && format.isValid())
                m_segments.append({start, end - start, format});
        }
    }
    if (m_segments.isEmpty() && Active()) {
        QTextCharFormat underlined;
        underlined.setUnderlineStyle(QTextCharFormat::SingleUnderline);
        m_segments.append({0, int(m_preedit.size()), underlined});
    }
}

void Composition::Clear()
{
    m_preedit.clear();
    m_segments.clear();
    m_para.text = {};
}

void Composition::LayOut(const CTextPara& para, int offset, const WrapSettings& wrap)
{
    m_firstLine = para.firstLine;
    m_storeLineCount = para.LineCount();
    m_offset = std::clamp(offset, 0, para.Length() - 1); // before the closing line feed
    // All measured the way the store measures typed text, so the preedit breaks where it would.
    m_para.text.SetText(para.text.Text());
    m_para.text.Insert(m_offset, CAttrString(m_preedit, 0));
    WrapParagraph(m_para, wrap, true);
}

int Composition::StoreLine(int row) const
{
    if (!Active() || row < m_firstLine)
        return row;
    if (row < m_firstLine + m_para.LineCount())
        return -1;
    return row - ExtraLines();
}

std::pair<int, int> Composition::CursorPlace() const
{
    const int at = m_offset + m_cursor;
    const int row = m_para.LineAt(at);
    const int start = m_para.LineStart(row);
    return {row, int(m_para.text.WidthOf(start, at - start))};
}
