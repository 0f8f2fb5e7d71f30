// Line breaking of one paragraph (see line_wrapper.h).
#include "line_wrapper.h"

#include "editor/char_measurer.h"
#include "editor/text_store.h"
#include "platform/text_cut.h"

namespace {
constexpr uint16_t kUnknownWidth = 0xFFFF; // never a stored width (those have 12 bits)

// Fills `widths` with the widths of `text`'s characters as `measure` gives them: a surrogate
// pair is measured once, its width on its first unit and 0 on its second.
template <typename Measure>
void FillWidths(QStringView text, std::span<uint16_t> widths, Measure measure)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (CharacterUnits(text, i) == 2) {
            widths[size_t(i)] = measure(QChar::surrogateToUcs4(text[i], text[i + 1]));
            widths[size_t(++i)] = 0;
        } else {
            widths[size_t(i)] = measure(text[i].unicode());
        }
    }
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

void CLineWrapper::MeasureText(QStringView text, std::span<uint16_t> widths) const
{
    FillWidths(text, widths, [this](char32_t character) { return Measure(character); });
}

void CLineWrapper::Remeasure(CTextPara& para)
{
    if (m_widthTable.empty())
        m_widthTable.assign(0x10000, kUnknownWidth);
    FillWidths(para.text.Text(), para.text.MutableAttributes(), [this](char32_t character) {
        if (QChar::requiresSurrogates(character))
            return Measure(character); // rare: the measurer keeps them
        uint16_t& known = m_widthTable[character];
        if (known == kUnknownWidth)
            known = Measure(character);
        return known;
    });
}

// Tab stops every four space widths from the start of the display line; a tab standing on a
// stop advances a full four. Without a space width there are no stops and the tab is empty.
uint16_t CLineWrapper::TabWidth(qint64 x) const
{
    if (m_spaceWidth == 0)
        return 0;
    return StoredWidth(int(m_spaceWidth * (4 - (x / m_spaceWidth) % 4)));
}

// The loop steps by characters, so that a surrogate pair is never split across lines and the
// kinsoku sets may hold characters outside the Basic Multilingual Plane.
int CLineWrapper::Wrap(CTextPara& para, bool remeasure)
{
    if (remeasure)
        Remeasure(para);
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
    qsizetype previous = 0; // where the character before i begins
    const auto widthOf = [&](qsizetype at, qsizetype units) {
        const qint64 first = widths[size_t(at)] & CAttrString::kWidthMask;
        return units == 1 ? first : first + (widths[size_t(at) + 1] & CAttrString::kWidthMask);
    };
    for (qsizetype i = 0, units = 1; i < end; previous = i, i += units) {
        units = CharacterUnits(text, i);
        if (text[i] == u'\t')
            widths[size_t(i)] = TabWidth(x);
        const qint64 w = widthOf(i, units);
        if (x + w <= limit) {
            x += w;
            continue;
        }
        const qsizetype lineStart = breaks.empty() ? 0 : breaks.back();
        if (!hangUsed && m_settings.leftKin.contains(text.sliced(i, units))) {
            hangUsed = true;
            x += w;
        } else if (!pushedBack && previous > lineStart
                   && m_settings.rightKin.contains(text.sliced(previous, i - previous))) {
            // The opening bracket moves down with the character after it. When it already
            // begins the line, moving it would only leave an empty line behind.
            breaks.push_back(uint32_t(previous));
            pushedBack = true;
            hangUsed = false;
            x = widthOf(previous, i - previous) + w;
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
