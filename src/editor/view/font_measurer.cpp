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
    m_supplementary.clear();
}

int FontMeasurer::Width(char32_t character)
{
    const auto stored = [](int advance) { return uint16_t(std::abs(advance) & 0xFFF); };
    if (QChar::requiresSurrogates(character)) {
        auto known = m_supplementary.constFind(character);
        if (known == m_supplementary.cend()) {
            const QString pair = QString::fromUcs4(&character, 1);
            known = m_supplementary.insert(character, stored(m_metrics.horizontalAdvance(pair)));
        }
        return *known;
    }
    uint16_t& width = m_widths[character & 0xFFFF];
    if (width == kUnknown)
        width = stored(m_metrics.horizontalAdvance(QChar(char16_t(character))));
    return width;
}
