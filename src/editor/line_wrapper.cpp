// Line breaking of one paragraph (see line_wrapper.h).
#include "line_wrapper.h"

#include "editor/char_measurer.h"
#include "editor/text_store.h"
#include "platform/text_cut.h"

#include <algorithm>

namespace {
constexpr uint16_t kUnknownWidth = 0xFFFF; // never a stored width (those have 12 bits)

// Whether a kinsoku set holds `character` (one unit, or a surrogate pair).
bool Holds(const QString& set, QStringView character)
{
    return character.size() == 1 ? set.contains(character.front()) : set.contains(character);
}
} // namespace

uint16_t StoredWidth(int measured)
{
    return uint16_t(qAbs(qint64(measured)) & CAttrString::kWidthMask);
}

CLineWrapper::CLineWrapper(const WrapSettings& settings, std::shared_ptr<const WidthTable> table)
    : m_settings(settings), m_spaceWidth(Measure(u' ')), m_paragraphTable(std::move(table))
{
}

uint16_t CLineWrapper::Measure(char32_t character) const
{
    return m_settings.measurer ? StoredWidth(m_settings.measurer->Width(character)) : 0;
}

WidthTable& CLineWrapper::OwnTable()
{
    if (!m_ownTable)
        m_ownTable = std::make_shared<WidthTable>(0x10000, kUnknownWidth);
    return *m_ownTable;
}

void CLineWrapper::MeasureText(QStringView text, std::span<uint16_t> widths)
{
    MeasureInto(text, widths, false);
}

// The table lookup comes first, so that a known width costs no more than one compare: tabs and
// surrogates are never entered in the table, so they always reach the measurer.
bool CLineWrapper::MeasureInto(QStringView text, std::span<uint16_t> widths, bool useTable)
{
    uint16_t* table = useTable ? OwnTable().data() : nullptr;
    bool tableWidths = true;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i].unicode();
        uint16_t* known = table ? table + unit : nullptr;
        if (known && *known != kUnknownWidth) {
            widths[size_t(i)] = *known;
        } else if (CharacterUnits(text, i) == 2) {
            widths[size_t(i)] = Measure(QChar::surrogateToUcs4(unit, text[i + 1].unicode()));
            widths[size_t(++i)] = 0;
            tableWidths = false;
        } else {
            widths[size_t(i)] = Measure(unit);
            if (unit == u'\t' || QChar::isSurrogate(unit))
                tableWidths = false;
            else if (known)
                *known = widths[size_t(i)];
        }
    }
    return tableWidths;
}

// Tab stops every four space widths from the start of the display line; a tab standing on a
// stop advances a full four. Without a space width there are no stops and the tab is empty.
uint16_t CLineWrapper::TabWidth(qint64 x) const
{
    if (m_spaceWidth == 0)
        return 0;
    return StoredWidth(int(m_spaceWidth * (4 - (x / m_spaceWidth) % 4)));
}

int CLineWrapper::Wrap(CTextPara& para, bool remeasure)
{
    if (remeasure)
        return WrapMeasured(para, false);
    const std::span<uint16_t> widths = StoredWidths(para);
    m_lineEnds.clear();
    BreakLines(para.text.Text(), widths, 0, 0, nullptr);
    return Finish(para, widths);
}

int CLineWrapper::WrapIntoTable(CTextPara& para)
{
    OwnTable();
    if (m_paragraphTable != m_ownTable)
        m_paragraphTable = m_ownTable;
    return WrapMeasured(para, true);
}

// Measured into a buffer, not into the words: most paragraphs need none.
int CLineWrapper::WrapMeasured(CTextPara& para, bool intoTable)
{
    const QStringView text = para.text.Text();
    if (m_widths.size() < size_t(text.size()))
        m_widths.resize(size_t(text.size()));
    const std::span<uint16_t> widths(m_widths.data(), size_t(text.size()));
    const bool tableWidths = MeasureInto(text, widths, true);
    m_lineEnds.clear();
    BreakLines(text, widths, 0, 0, nullptr);
    if (intoTable && tableWidths)
        para.DropWords();
    else
        para.KeepWords(widths);
    return Finish(para, widths);
}

std::span<uint16_t> CLineWrapper::StoredWidths(CTextPara& para)
{
    if (para.KeepsWords())
        return para.text.MutableAttributes();
    para.Widths(0, para.Length(), m_paragraphTable.get(), m_widths);
    return {m_widths.data(), size_t(para.Length())};
}

// The wrap resumes at the start of a line whose break is known to stay: one decided before the
// edit (at most the character after the break is read there) and ordinary, which a break in
// front of a RightKin character may not be. So an edit at a line's first characters starts
// from the line before, whose hanging or pushed-back character may change. After an ordinary
// break the line holds the first character with its stored width (a tab keeps the width it had
// where it overflowed).
RewrappedLines CLineWrapper::Rewrap(CTextPara& para, int offset, int removed, int inserted)
{
    if (!para.laidOut) {
        Wrap(para, false);
        return {0, para.LineCount()};
    }
    const QStringView text = para.text.Text();
    const std::span<uint16_t> widths = StoredWidths(para);
    const int oldCount = para.LineCount();
    const int edited = para.LineAt(offset);
    int resume = edited;
    for (; resume > 0; --resume) {
        const qsizetype start = para.LineStart(resume);
        const qsizetype units = CharacterUnits(text, start);
        if (start + units <= offset && !Holds(m_settings.rightKin, text.sliced(start, units)))
            break;
    }
    m_lineEnds.clear();
    for (int k = 0; k < resume; ++k)
        m_lineEnds.push_back(uint32_t(para.LineEnd(k)));
    qsizetype from = 0;
    qint64 x = 0;
    if (resume > 0) {
        from = para.LineStart(resume);
        x = widths[size_t(from)] & CAttrString::kWidthMask;
        from += CharacterUnits(text, from);
    }
    const qsizetype shift = qsizetype(inserted) - removed;
    OldBreaks old{&para, resume, qsizetype(offset) + inserted, shift};
    const int met = BreakLines(text, widths, from, x, &old);
    const int end = int(m_lineEnds.size()); // up to the line that met the old ones, or all
    if (met >= 0) {
        for (int k = met + 1; k < oldCount - 1; ++k)
            m_lineEnds.push_back(uint32_t(para.LineEnd(k) + shift));
        m_lineEnds.push_back(uint32_t(text.size()));
    }
    // Lines before the edit's are changed from the first whose end moved.
    int first = edited;
    for (int k = resume; k < edited; ++k) {
        if (k >= int(m_lineEnds.size()) - 1 || m_lineEnds[size_t(k)] != uint32_t(para.LineEnd(k))) {
            first = k;
            break;
        }
    }
    Finish(para, widths);
    return {first, end};
}

// A surrogate pair's width stands on its first unit, so the loop walks units and looks at
// pairs only where a line overflows: there a pair is never split, and the kinsoku sets may
// hold characters outside the Basic Multilingual Plane.
//
// Past the edit, the old lines continue from an ordinary break at an old line's end moved by
// the edit: the text after it is the same, and so is the state there (the character there on
// the line, its width, hang and push-back unused). The break must not stand in front of a
// RightKin character (the old one there may have been a push-back) nor of a tab (whose width
// comes from the line before).
// x is 64-bit: a hanging character may pass even a limit near INT_MAX.
int CLineWrapper::BreakLines(QStringView text, std::span<uint16_t> widths, qsizetype i, qint64 x, OldBreaks* old)
{
    const qsizetype length = text.size();
    // The closing line feed always ends the last line and takes no room there: a paragraph
    // that fills its line exactly has no empty display line after it.
    const qsizetype end = text.endsWith(u'\n') ? length - 1 : length;
    const qint64 limit = m_settings.textWidth;
    std::vector<uint32_t>& breaks = m_lineEnds;

    bool hangUsed = false;
    bool pushedBack = false;
    for (; i < end; ++i) {
        uint16_t w = widths[size_t(i)] & CAttrString::kWidthMask;
        if (text[i] == u'\t') {
            w = TabWidth(x);
            widths[size_t(i)] = w;
        }
        if (x + w <= limit) [[likely]] {
            x += w;
            continue;
        }
        if (SplitsPair(text, i)) { // a pair's second half stays with its first
            x += w;
            continue;
        }
        const qsizetype lineStart = breaks.empty() ? 0 : breaks.back();
        const qsizetype previous = PreviousCharacterStart(text, i);
        const QStringView character = text.sliced(i, CharacterUnits(text, i));
        if (!hangUsed && Holds(m_settings.leftKin, character)) {
            hangUsed = true;
            x += w;
        } else if (!pushedBack && previous > lineStart && Holds(m_settings.rightKin, text.sliced(previous, i - previous))) {
            // The opening bracket moves down with the character after it. When it already
            // begins the line, moving it would only leave an empty line behind.
            breaks.push_back(uint32_t(previous));
            pushedBack = true;
            hangUsed = false;
            x = CAttrString::SumOfWidths(widths.subspan(size_t(previous), size_t(i - previous))) + w;
        } else {
            breaks.push_back(uint32_t(i));
            hangUsed = false;
            pushedBack = false;
            x = w;
            if (old && i >= old->from && text[i] != u'\t' && !Holds(m_settings.rightKin, character)) {
                const int oldInner = old->para->LineCount() - 1;
                while (old->next < oldInner && old->para->LineEnd(old->next) < i - old->shift)
                    ++old->next;
                if (old->next < oldInner && old->para->LineEnd(old->next) == i - old->shift)
                    return old->next;
            }
        }
    }
    breaks.push_back(uint32_t(length));
    return -1;
}

int CLineWrapper::Finish(CTextPara& para, std::span<const uint16_t> widths)
{
    if (!para.KeepsWords() && !m_paragraphTable && para.text.Text().contains(u'\t'))
        para.KeepWords(widths);
    para.SetLineEnds(m_lineEnds);
    para.laidOut = true;
    return para.LineCount();
}

int WrapParagraph(CTextPara& para, const WrapSettings& settings, bool remeasure)
{
    return CLineWrapper(settings).Wrap(para, remeasure);
}
