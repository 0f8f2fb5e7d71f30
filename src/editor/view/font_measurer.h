// FontMeasurer: character widths of one font through QFontMetrics, each UTF-16 unit measured
// once and then read from a table (a QFontMetrics call costs tens of nanoseconds; layout asks
// for every character).
#pragma once

#include "editor/char_measurer.h"

#include <QFont>
#include <QFontMetrics>
#include <cstdint>
#include <vector>

class FontMeasurer : public CharMeasurer {
public:
    explicit FontMeasurer(const QFont& font);

    // Switches to another font; the cached widths are dropped.
    void SetFont(const QFont& font);
    const QFont& Font() const { return m_font; }
    int Width(char16_t unit) override;

private:
    static constexpr uint16_t kUnknown = 0xFFFF;

    QFont m_font;
    QFontMetrics m_metrics;
    std::vector<uint16_t> m_widths;
};
