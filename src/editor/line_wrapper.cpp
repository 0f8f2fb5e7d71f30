// Line breaking of one paragraph (see line_wrapper.h).
#include "line_wrapper.h"

#include "editor/char_measurer.h"
#include "editor/text_store.h"

namespace {
constexpr uint16_t kUnknownWidth = 0xFFFF; // never a stored width (those have 12 bits)
}

uint16_t StoredWidth(int measured)
{
    return uint16_t(qAbs(qint64(measured)) & CAttrString::kWidthMask);
}

CLineWrapper::CLineWrapper(const WrapSettings& settings)
    : m_settings(settings), m_spaceWidth(Measure(u' '))
{
}

uint16_t CLineWrapper::Measure(char16_t unit) const
{
    return m_settings.measurer ? StoredWidth(m_settings.measurer->Width(unit)) : 0;
}

void CLineWrapper::Remeasure(CTextPara& para)
{
    if (m_widthTable.empty())
        m_widthTable.assign(0x10000, kUnknownWidth);
    const QChar* units = para.text.Text().constData();
    std::span<uint16_t> widths = para.text.MutableAttributes();
    for (size_t i = 0; i < widths.size(); ++i) {
        uint16_t& known = m_widthTable[units[i].unicode()];
        if (known == kUnknownWidth)
            known = Measure(units[i].unicode());
        widths[i] = known;
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

int CLineWrapper::Wrap(CTextPara& para, bool remeasure)
{
    if (remeasure)
        Remeasure(para);
    const QChar* units = para.text.Text().constData();
    std::span<uint16_t> widths = para.text.MutableAttributes();
    const qsizetype length = qsizetype(widths.size());
    const qint64 limit = m_settings.textWidth;
    std::vector<uint32_t>& breaks = m_lineEnds;
    breaks.clear();

    qint64 x = 0; // 64-bit: a hanging character may pass even a limit near INT_MAX
    bool hangUsed = false;
    bool pushedBack = false;
    for (qsizetype i = 0; i < length; ++i) {
        uint16_t w = widths[i] & CAttrString::kWidthMask;
        if (units[i] == u'\t') {
            w = TabWidth(x);
            widths[i] = w;
        }
        if (x + w <= limit) {
            x += w;
            continue;
        }
        const qsizetype lineStart = breaks.empty() ? 0 : breaks.back();
        if (!hangUsed && m_settings.leftKin.contains(units[i])) {
            hangUsed = true;
            x += w;
        } else if (!pushedBack && i - 1 > lineStart && m_settings.rightKin.contains(units[i - 1])) {
            // The opening bracket moves down with the character after it. When it already
            // begins the line, moving it would only leave an empty line behind.
            breaks.push_back(uint32_t(i - 1));
            pushedBack = true;
            hangUsed = false;
            x = (widths[i - 1] & CAttrString::kWidthMask) + w;
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
