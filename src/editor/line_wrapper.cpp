// Line breaking of one paragraph (see line_wrapper.h).
#include "line_wrapper.h"

#include "editor/char_measurer.h"
#include "editor/text_store.h"
#include "platform/text_cut.h"

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

CLineWrapper::CLineWrapper(const WrapSettings& settings)
    : m_settings(settings), m_spaceWidth(Measure(u' '))
{
}

uint16_t CLineWrapper::Measure(char32_t character) const
{
    return m_settings.measurer ? StoredWidth(m_settings.measurer->Width(character)) : 0;
}

void CLineWrapper::MeasureText(QStringView text, std::span<uint16_t> widths)
{
    MeasureInto(text, widths, false);
}

// The table lookup comes first, so that a known width costs no more than one compare: a high
// surrogate is never entered in the table (its width belongs to its pair), so pairs always
// reach the measurer.
void CLineWrapper::MeasureInto(QStringView text, std::span<uint16_t> widths, bool useTable)
{
    if (useTable && m_widthTable.empty())
        m_widthTable.assign(0x10000, kUnknownWidth);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i].unicode();
        uint16_t* known = useTable ? &m_widthTable[unit] : nullptr;
        if (known && *known != kUnknownWidth) {
            widths[size_t(i)] = *known;
        } else if (CharacterUnits(text, i) == 2) {
            widths[size_t(i)] = Measure(QChar::surrogateToUcs4(unit, text[i + 1].unicode()));
            widths[size_t(++i)] = 0;
        } else {
            widths[size_t(i)] = Measure(unit);
            if (known && !QChar::isHighSurrogate(unit))
                *known = widths[size_t(i)];
        }
    }
}

// Tab stops every four space widths from the start of the display line; a tab standing on a
// stop advances a full four. Without a space width there are no stops and the tab is empty.
uint16_t CLineWrapper::TabWidth(qint64 x) const
{
    if (m_spaceWidth == 0)
        return 0;
    return StoredWidth(int(m_spaceWidth * (4 - (x / m_spaceWidth) % 4)));
}

// A surrogate pair's width stands on its first unit, so the loop walks units and looks at
// pairs only where a line overflows: there a pair is never split, and the kinsoku sets may
// hold characters outside the Basic Multilingual Plane.
int CLineWrapper::Wrap(CTextPara& para, bool remeasure)
{
    if (remeasure)
        MeasureInto(para.text.Text(), para.text.MutableAttributes(), true);
    const QStringView text = para.text.Text();
    std::span<uint16_t> widths = para.text.MutableAttributes();
    const qsizetype length = text.size();
    // The closing line feed always ends the last line and takes no room there: a paragraph
    // that fills its line exactly has no empty display line after it.
    const qsizetype end = text.endsWith(u'\n') ? length - 1 : length;
    const qint64 limit = m_settings.textWidth;
    std::vector<uint32_t>& breaks = m_lineEnds;
    breaks.clear();

    qint64 x = 0; // 64-bit: a hanging character may pass even a limit near INT_MAX
    bool hangUsed = false;
    bool pushedBack = false;
    for (qsizetype i = 0; i < end; ++i) {
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
        if (!hangUsed && Holds(m_settings.leftKin, text.sliced(i, CharacterUnits(text, i)))) {
            hangUsed = true;
            x += w;
        } else if (!pushedBack && previous > lineStart && Holds(m_settings.rightKin, text.sliced(previous, i - previous))) {
            // The opening bracket moves down with the character after it. When it already
            // begins the line, moving it would only leave an empty line behind.
            breaks.push_back(uint32_t(previous));
            pushedBack = true;
            hangUsed = false;
            x = para.text.WidthOf(previous, i - previous) + w;
        } else {
            breaks.push_back(uint32_t(i));
            hangUsed = false;
            pushedBack = false;
            x = w;
        }
    }
    breaks.push_back(uint32_t(length));
    para.SetLineEnds(breaks);
    para.laidOut = true;
    return para.LineCount();
}

int WrapParagraph(CTextPara& para, const WrapSettings& settings, bool remeasure)
{
    return CLineWrapper(settings).Wrap(para, remeasure);
}
