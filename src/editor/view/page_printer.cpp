// Printing pages of a text store (see page_printer.h).
#include "page_printer.h"

#include "editor/page_format.h"
#include "editor/text_store.h"
#include "editor/view/view_font.h"

#include <QFileInfo>
#include <QGlyphRun>
#include <QPageSize>
#include <QPaintEngine>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QSaveFile>
#include <QTemporaryFile>
#include <QTextLayout>
#include <algorithm>

namespace {

// Printed text starts this far left of the text column.
constexpr int kPrintShift = 10;
// The footer is centred as if it were this much wider.
constexpr int kFooterSlack = 9;

// Gives a PDF that Qt wrote the text of what was drawn, replacing `target` only when complete.
bool MendPdfText(const CPdfTextMap& map, const QString& source, const QString& target, QString* error)
{
    QSaveFile file(target);
    if (!file.open(QIODevice::WriteOnly) || !map.Rewrite(source, file, error) || !file.commit()) {
        if (error && file.error() != QFileDevice::NoError)
            *error = file.errorString();
        return false;
    }
    return true;
}

} // namespace

CPagePrinter::CPagePrinter(CTextStore& store, const CPageFormat& format)
    : m_store(store),
      m_format(format),
      m_font(FontFromLogFont(format.font)),
      m_metrics(m_font),
      m_bmp(0x10000)
{
    for (char16_t c = 0; c < m_asciiAdvances.size(); ++c)
        m_asciiAdvances[c] = m_metrics.horizontalAdvance(QChar(c));
    FaceOf(QRawFont::fromFont(m_font));
}

int CPagePrinter::FaceOf(const QRawFont& font)
{
    const auto known =
        std::find_if(m_faces.begin(), m_faces.end(), [&font](const Face& face) { return face.font == font; });
    if (known != m_faces.end())
        return int(known - m_faces.begin());
    m_faces.push_back({font, m_textMap.Face(font), font.pixelSize()});
    return int(m_faces.size() - 1);
}

// Kept out of the drawing loop, which meets each character here only once.
Q_NEVER_INLINE CPagePrinter::Glyph& CPagePrinter::LookUp(char32_t character)
{
    Glyph& glyph = character < 0x10000 ? m_bmp[character] : m_astral[character];
    if (glyph.looked)
        return glyph;
    glyph.looked = true;
    const QString text = QString::fromUcs4(&character, 1);
    if (m_faces[0].font.supportsCharacter(character)) {
        glyph.face = 0;
        glyph.index = m_faces[0].font.glyphIndexesForString(text).value(0);
    } else {
        // The face Qt falls back to, as on screen.
        QTextLayout layout(text, m_font);
        layout.beginLayout();
        layout.createLine();
        layout.endLayout();
        const QList<QGlyphRun> runs = layout.glyphRuns();
        if (runs.isEmpty() || runs[0].glyphIndexes().isEmpty() || runs[0].glyphIndexes()[0] == 0)
            return glyph;
        glyph.face = FaceOf(runs[0].rawFont());
        glyph.index = runs[0].glyphIndexes()[0];
    }
    // Looked up when first drawn: the PDF writer numbers a face's glyphs in the order it meets them.
    glyph.cid = m_textMap.Note(m_faces[size_t(glyph.face)].mapFace, glyph.index, character);
    return glyph;
}

template <typename Use>
void CPagePrinter::ForEachGlyph(QStringView text, std::span<const uint16_t> widths, qreal x, Use use)
{
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size;) {
        char32_t character = text[i].unicode();
        qreal advance = widths[size_t(i)] & CAttrString::kWidthMask;
        ++i;
        if (QChar::isHighSurrogate(character) && i < size && text[i].isLowSurrogate()) {
            character = QChar::surrogateToUcs4(char16_t(character), text[i].unicode());
            advance += widths[size_t(i)] & CAttrString::kWidthMask;
            ++i;
        }
        if (character != u'\t' && character != u'\n') {
            const Glyph& glyph = GlyphOf(character);
            if (glyph.face >= 0)
                use(glyph, x, advance);
        }
        x += advance;
    }
}

void CPagePrinter::DrawText(QStringView text, std::span<const uint16_t> widths, qreal x, qreal baseline)
{
    if (m_writer)
        WriteText(text, widths, x, baseline);
    else
        PaintText(text, widths, x, baseline);
}

void CPagePrinter::WriteText(QStringView text, std::span<const uint16_t> widths, qreal x, qreal baseline)
{
    // Room for a glyph per unit: the loop only stores.
    m_placed.resize(size_t(text.size()));
    CPdfPageWriter::PlacedGlyph* run = m_placed.data();
    CPdfPageWriter::PlacedGlyph* end = run;
    int face = -1;
    const auto writeRun = [&] {
        if (end != run)
            m_writer->Run(m_faces[size_t(face)].mapFace, m_faces[size_t(face)].pixelSize, baseline, {run, end});
        run = end;
    };
    ForEachGlyph(text, widths, x, [&](const Glyph& glyph, qreal at, qreal advance) {
        if (glyph.face != face) {
            writeRun();
            face = glyph.face;
        }
        *end++ = {glyph.cid, at, advance};
    });
    writeRun();
}

void CPagePrinter::PaintText(QStringView text, std::span<const uint16_t> widths, qreal x, qreal baseline)
{
    QList<quint32> glyphs;
    QList<QPointF> positions;
    int face = -1;
    const auto paintRun = [&] {
        if (glyphs.isEmpty())
            return;
        QGlyphRun run;
        run.setRawFont(m_faces[size_t(face)].font);
        run.setGlyphIndexes(glyphs);
        run.setPositions(positions);
        run.setUnderline(m_font.underline());
        run.setStrikeOut(m_font.strikeOut());
        m_painter->drawGlyphRun({}, run);
        glyphs.clear();
        positions.clear();
    };
    ForEachGlyph(text, widths, x, [&](const Glyph& glyph, qreal at, qreal) {
        if (glyph.face != face) {
            paintRun();
            face = glyph.face;
        }
        glyphs.append(glyph.index);
        positions.append({at, baseline});
    });
    paintRun();
}

void CPagePrinter::PrintPage(QPainter& painter, int page)
{
    if (m_format.pageWidth <= 0 || m_format.pageHeight <= 0 || page < 1)
        return;
    const QPaintDevice* device = painter.device();
    painter.save();
    painter.scale(qreal(device->width()) / m_format.pageWidth, qreal(device->height()) / m_format.pageHeight);
    painter.setPen(Qt::black);
    m_painter = &painter;
    DrawPage(page);
    m_painter = nullptr;
    painter.restore();
}

void CPagePrinter::DrawPage(int page)
{
    const int n = m_format.PrintLinesPerPage();
    const qint64 firstLine = qint64(page - 1) * n;
    const int rows = int(std::clamp<qint64>(m_store.TotalLines() - firstLine, 0, n));
    const CTextPara* para = rows > 0 ? m_store.FindParagraph(int(firstLine)) : nullptr;
    int k = para ? int(firstLine) - para->firstLine : 0;
    const int ascent = m_metrics.ascent();
    for (int row = 0; row < rows && para; ++row) {
        const int start = para->LineStart(k);
        const int end = para->LineEnd(k);
        const int top = m_format.marginTop + row * m_format.LinePitch();
        DrawText(QStringView(para->text.Text()).mid(start, end - start),
                 m_store.Widths(*para, start, end - start), m_format.marginLeft - kPrintShift,
                 top + ascent);
        if (++k == para->LineCount()) {
            para = para->next;
            k = 0;
        }
    }

    // The footer's characters are ASCII: measured once, not on every page.
    const QString footer = QStringLiteral("- %1 -").arg(page);
    m_footerWidths.clear();
    int footerWidth = 0;
    for (const QChar c : footer) {
        footerWidth += m_asciiAdvances[c.unicode() & 0x7F];
        m_footerWidths.push_back(StoredWidth(m_asciiAdvances[c.unicode() & 0x7F]));
    }
    const int footerX = (m_format.pageWidth - footerWidth - kFooterSlack) / 2;
    DrawText(footer, m_footerWidths, footerX, m_format.pageHeight - m_format.marginBottom + ascent);
}

CPdfPageWriter::Outcome CPagePrinter::WritePages(CPdfPageWriter& writer, QString* error)
{
    m_writer = &writer;
    for (int page = 1; page <= m_format.PageCount(m_store.TotalLines()); ++page) {
        writer.BeginPage();
        DrawPage(page);
        writer.EndPage();
    }
    m_writer = nullptr;
    return writer.Finish(m_textMap, error);
}

bool CPagePrinter::PrintPages(QPagedPaintDevice& device, int first, int last)
{
    first = std::max(first, 1);
    last = std::min(last, m_format.PageCount(m_store.TotalLines()));
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    bool added = true;
    for (int page = first; page <= last && added; ++page) {
        if (page > first)
            added = device.newPage();
        if (added)
            PrintPage(painter, page);
    }
    return painter.end() && added;
}

bool PrintDocument(QPrinter& printer, CTextStore& store, const CPageFormat& format)
{
    printer.setFullPage(true);
    CPagePrinter pages(store, format);
    const bool ranged = printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0;
    if (!pages.PrintPages(printer, ranged ? printer.fromPage() : 1,
                          ranged ? printer.toPage() : format.PageCount(store.TotalLines())))
        return false;
    // A print preview paints a picture of the pages through its own engine: no file to mend.
    const QString file = printer.outputFileName();
    const bool pdfFile = printer.outputFormat() == QPrinter::PdfFormat && !file.isEmpty() &&
                         printer.paintEngine()->type() == QPaintEngine::Pdf;
    return !pdfFile || MendPdfText(pages.TextMap(), file, file, nullptr);
}

bool WritePdf(const QString& path, CTextStore& store, const CPageFormat& format, int screenDpiX, int screenDpiY,
              QString* error)
{
    const QPageSize paper(QSizeF(qreal(format.pageWidth) / std::max(screenDpiX, 1),
                                 qreal(format.pageHeight) / std::max(screenDpiY, 1)),
                          QPageSize::Inch, {}, QPageSize::ExactMatch);
    const QFont font = FontFromLogFont(format.font);
    const bool plain = !font.underline() && !font.strikeOut() && font.weight() <= QFont::Normal && !font.italic();
    if (plain && format.pageWidth > 0 && format.pageHeight > 0) {
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly)) {
            if (error)
                *error = file.errorString();
            return false;
        }
        CPagePrinter pages(store, format);
        CPdfPageWriter writer(file, paper.sizePoints(), QSizeF(format.pageWidth, format.pageHeight));
        const CPdfPageWriter::Outcome outcome = pages.WritePages(writer, error);
        if (outcome == CPdfPageWriter::Outcome::kWritten && file.commit())
            return true;
        if (outcome != CPdfPageWriter::Outcome::kNeedsQtWriter) {
            if (error && file.error() != QFileDevice::NoError)
                *error = file.errorString();
            return false;
        }
        // Qt's writer draws the faces it would not embed as outlines, and holds any number of glyphs.
    }

    // Qt's PDF goes to a temporary file beside the target, then, its text mended, to the target.
    QTemporaryFile raw(QFileInfo(path).absoluteFilePath() + QStringLiteral(".XXXXXX"));
    bool drawn = raw.open();
    CPagePrinter pages(store, format);
    if (drawn) {
        QPdfWriter writer(&raw);
        writer.setPageSize(paper);
        writer.setPageMargins({});
        drawn = pages.PrintPages(writer, 1, format.PageCount(store.TotalLines())) && raw.flush();
    }
    if (!drawn) {
        // A failed write shows in the file's error; a refused painter leaves none.
        if (error)
            *error = raw.error() != QFileDevice::NoError ? raw.errorString() : QStringLiteral("the pages cannot be drawn");
        return false;
    }
    return MendPdfText(pages.TextMap(), raw.fileName(), path, error);
}
