// Printing pages of a text store (see page_printer.h).
#include "page_printer.h"

#include "editor/page_format.h"
#include "editor/text_store.h"
#include "editor/view/view_font.h"

#include <QFontMetrics>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QSaveFile>
#include <algorithm>

namespace {

// Printed text starts this far left of the text column.
constexpr int kPrintShift = 10;
// The footer is centred as if it were this much wider.
constexpr int kFooterSlack = 9;

// A line with a tab goes character by character, each at the sum of the stored widths before
// it, so that tabs keep their laid-out width; a surrogate pair is one character here.
void DrawByStoredWidths(QPainter& painter, const CAttrString& line, qsizetype visible, int x, int baseline)
{
    const QString& text = line.Text();
    for (qsizetype i = 0; i < visible;) {
        const qsizetype units = text[i].isHighSurrogate() && i + 1 < visible && text[i + 1].isLowSurrogate() ? 2 : 1;
        if (text[i] != u'\t')
            painter.drawText(QPoint(x, baseline), text.mid(i, units));
        x += int(line.WidthOf(i, units));
        i += units;
    }
}

void DrawLine(QPainter& painter, const CAttrString& line, int x, int baseline)
{
    const QString& text = line.Text();
    const qsizetype visible = text.endsWith(u'\n') ? text.size() - 1 : text.size();
    if (text.left(visible).contains(u'\t'))
        DrawByStoredWidths(painter, line, visible, x, baseline);
    else if (visible > 0)
        painter.drawText(QPoint(x, baseline), text.left(visible));
}

} // namespace

void PrintPage(QPainter& painter, CTextStore& store, const CPageFormat& format, int page)
{
    if (format.pageWidth <= 0 || format.pageHeight <= 0 || page < 1)
        return;
    const QPaintDevice* device = painter.device();
    painter.save();
    painter.scale(qreal(device->width()) / format.pageWidth, qreal(device->height()) / format.pageHeight);
    painter.setFont(FontFromLogFont(format.font));
    painter.setPen(Qt::black);
    const QFontMetrics metrics = painter.fontMetrics(); // in page pixels: the font is pixel-sized

    const int n = format.PrintLinesPerPage();
    const qint64 firstLine = qint64(page - 1) * n;
    const int rows = int(std::clamp<qint64>(store.TotalLines() - firstLine, 0, n));
    for (int row = 0; row < rows; ++row) {
        const int top = format.marginTop + row * format.LinePitch();
        DrawLine(painter, store.LineAttributed(int(firstLine) + row), format.marginLeft - kPrintShift,
                 top + metrics.ascent());
    }

    const QString footer = QStringLiteral("- %1 -").arg(page);
    const int footerX = (format.pageWidth - metrics.horizontalAdvance(footer) - kFooterSlack) / 2;
    painter.drawText(QPoint(footerX, format.pageHeight - format.marginBottom + metrics.ascent()), footer);
    painter.restore();
}

bool PrintPages(QPagedPaintDevice& device, CTextStore& store, const CPageFormat& format, int first, int last)
{
    first = std::max(first, 1);
    last = std::min(last, format.PageCount(store.TotalLines()));
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    bool added = true;
    for (int page = first; page <= last && added; ++page) {
        if (page > first)
            added = device.newPage();
        if (added)
            PrintPage(painter, store, format, page);
    }
    return painter.end() && added;
}

bool PrintDocument(QPrinter& printer, CTextStore& store, const CPageFormat& format)
{
    printer.setFullPage(true);
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0)
        return PrintPages(printer, store, format, printer.fromPage(), printer.toPage());
    return PrintPages(printer, store, format, 1, format.PageCount(store.TotalLines()));
}

bool WritePdf(const QString& path, CTextStore& store, const CPageFormat& format, int screenDpiX, int screenDpiY,
              QString* error)
{
    QSaveFile file(path);
    bool written = file.open(QIODevice::WriteOnly);
    if (written) {
        QPdfWriter writer(&file);
        const QSizeF inches(qreal(format.pageWidth) / std::max(screenDpiX, 1),
                            qreal(format.pageHeight) / std::max(screenDpiY, 1));
        writer.setPageSize(QPageSize(inches, QPageSize::Inch, {}, QPageSize::ExactMatch));
        writer.setPageMargins({});
        written = PrintPages(writer, store, format, 1, format.PageCount(store.TotalLines()));
    }
    // A failed write shows in the file's error; a refused painter leaves none.
    written = written && file.commit();
    if (!written && error)
        *error = file.error() != QFileDevice::NoError ? file.errorString() : QStringLiteral("the pages cannot be drawn");
    return written;
}
