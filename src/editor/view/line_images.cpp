#include "line_images.h"

#include <QPainter>

#include <algorithm>

namespace {

const QColor kSelectionBackground(65, 105, 225);

int WidthOf(const CAttrString& text, int from, int to)
{
    return int(text.WidthOf(from, to - from));
}

// The paragraph-end mark: a small grey pilcrow in the upper part of an 8 x 16 pixmap, whose
// bottom is placed on the bottom of the line band.
QPixmap ParagraphMark()
{
    QPixmap mark(LineImages::kParagraphMarkWidth, 16);
    mark.fill(Qt::transparent);
    QPainter painter(&mark);
    const QColor ink(128, 128, 128);
    painter.fillRect(3, 1, 5, 1, ink);  // top bar
    painter.fillRect(4, 1, 1, 11, ink); // stems
    painter.fillRect(6, 1, 1, 11, ink);
    painter.fillRect(1, 2, 3, 3, ink);  // bowl
    painter.fillRect(2, 5, 2, 1, ink);
    return mark;
}

} // namespace

LineImages::LineImages() : m_paragraphMark(ParagraphMark()) {}

void LineImages::SetStyle(const QFont& font, int pitch, qreal devicePixelRatio)
{
    if (font == m_font && pitch == m_pitch && devicePixelRatio == m_devicePixelRatio)
        return;
    m_font = font;
    m_pitch = pitch;
    m_devicePixelRatio = devicePixelRatio;
    m_kept.clear();
}

QPixmap LineImages::Image(QStringView units, std::span<const uint16_t> widths, int selectedFrom, int selectedTo,
                          bool endsParagraph)
{
    // Qt hashes a string with its fast hardware hash only under a non-zero seed; unseeded (as
    // qHashMulti hashes its arguments) a line costs several times more.
    const size_t hash = qHashMulti(qHash(units, QHashSeed::globalSeed()), selectedFrom, selectedTo, endsParagraph);
    for (auto kept = m_kept.find(hash); kept != m_kept.end() && kept.key() == hash; ++kept) {
        if (kept->selectedFrom == selectedFrom && kept->selectedTo == selectedTo &&
            kept->endsParagraph == endsParagraph && kept->text.Text() == units &&
            std::ranges::equal(kept->text.Attributes(), widths)) {
            kept->paint = m_paint;
            return kept->image;
        }
    }
    Kept line{CAttrString(), selectedFrom, selectedTo, endsParagraph, QPixmap(), m_paint};
    line.text.Append(units, widths);
    line.image = Draw(line);
    return m_kept.emplace(hash, std::move(line))->image;
}

void LineImages::EndPaint(bool wholeArea)
{
    if (wholeArea || m_kept.size() > m_keptLimit) {
        m_kept.removeIf([this](const auto& entry) { return entry.value().paint != m_paint; });
        if (wholeArea)
            m_keptLimit = 2 * m_kept.size();
    }
    ++m_paint;
}

QPixmap LineImages::Draw(const Kept& line) const
{
    const QString& units = line.text.Text();
    const int length = int(units.size());
    const int textWidth = WidthOf(line.text, 0, length);
    const int width = textWidth + (line.endsParagraph ? m_paragraphMark.width() : 0);
    if (width <= 0)
        return {};
    QPixmap image(QSize(width, m_pitch) * m_devicePixelRatio);
    image.setDevicePixelRatio(m_devicePixelRatio);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setFont(m_font);
    const int baseline = painter.fontMetrics().ascent();
    // One segment in one colour pair; text between tabs is drawn in one piece at the x the
    // stored widths give.
    const auto drawSegment = [&](int from, int to, bool selected, int x) {
        if (from >= to)
            return x;
        if (selected)
            painter.fillRect(x, 0, WidthOf(line.text, from, to), m_pitch, kSelectionBackground);
        painter.setPen(selected ? Qt::white : Qt::black);
        int pieceStart = from;
        int pieceX = x;
        for (int i = from; i <= to; ++i) {
            if (i < to && units[i] != u'\t')
                continue;
            if (i > pieceStart)
                painter.drawText(QPoint(pieceX, baseline), units.mid(pieceStart, i - pieceStart));
            pieceX += WidthOf(line.text, pieceStart, std::min(i + 1, to));
            pieceStart = i + 1;
        }
        return x + WidthOf(line.text, from, to);
    };
    int x = drawSegment(0, line.selectedFrom, false, 0);
    x = drawSegment(line.selectedFrom, line.selectedTo, true, x);
    drawSegment(line.selectedTo, length, false, x);
    if (line.endsParagraph)
        painter.drawPixmap(textWidth, m_pitch - m_paragraphMark.height(), m_paragraphMark);
    return image;
}
