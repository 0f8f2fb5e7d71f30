#include "font_measurer.h"

#include <cstdlib>

FontMeasurer::FontMeasurer(const QFont& font)
    : m_font(font), m_metrics(font), m_widths(0x10000, kUnknown)
{
}

void FontMeasurer::SetFont(const QFont& font)
{
    m_font = font;
    m_metrics = QFontMetrics(font);
    std::fill(m_widths.begin(), m_widths.end(), kUnknown);
}

int FontMeasurer::Width(char16_t unit)
{
    uint16_t& width = m_widths[unit];
    if (width == kUnknown)
        width = uint16_t(std::abs(m_metrics.horizontalAdvance(QChar(unit))) & 0xFFF);
    return width;
}
