// FontMeasurer: character widths of one font through QFontMetrics, each character measured
// once and then read from a table (a QFontMetrics call costs tens of nanoseconds; layout asks
// for every character). Characters outside the Basic Multilingual Plane are rare and kept in
// a hash beside the table.
#pragma once

#include "editor/char_measurer.h"

#include <QFont>
#include <QFontMetrics>
#include <QHash>
#include <cstdint>
#include <vector>

class FontMeasurer : public CharMeasurer {
public:
    explicit FontMeasurer(const QFont& font);

    // Switches to another font; the cached widths are dropped.
    void SetFont(const QFont& font);
    const QFont& Font() const { return m_font; }
    int Width(char32_t character) override;

private:
    static constexpr uint16_t kUnknown = 0xFFFF;

    QFont m_font;
    QFontMetrics m_metrics;
    std::vector<uint16_t> m_widths;             // by UTF-16 unit
    QHash<char32_t, uint16_t> m_supplementary;  // above U+FFFF
};
