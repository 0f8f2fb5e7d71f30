// Printing a laid-out text store as the pages the editor shows. Page k (1-based) holds display
// lines (k - 1) n .. kn - 1, n being the format's print lines per page; they are drawn in the
// format's font at their screen-pixel places on the page, and the whole screen-pixel page is
// scaled to fill the device's paper (x and y each by its own factor). Below the text stands the
// footer "- k -". Selection, paragraph marks and page frames are never printed, nor line feeds.
//
// Every character stands where the layout put it: glyphs are placed by the stored widths, so a
// printed line breaks and spaces exactly as on screen. A character the font lacks is drawn in
// the face Qt falls back to on screen, still in its stored width.
//
// Pages are drawn one after another straight from the store's paragraphs; nothing of a page
// is kept once it is drawn but the glyph of each distinct character (looked up once), and, in a
// PDF written straight, its content until its batch of pages is deflated (about 256 KiB).
//
// WritePdf writes the file straight, without Qt's PDF writer (pdf_page_writer.h), when the font
// is plain: Qt's writer spent many times the layout's time on each glyph. Underlined, struck-out,
// bold and italic fonts, whose lines and synthesized styles Qt draws, go through Qt's writer, as
// do faces Qt would not embed; so does printing on a printer and its preview.
//
// The painter's device must paint on the full paper: a QPrinter in full-page mode, or a
// QPdfWriter without margins. The store must have been laid out with the format and must not
// change while a printer draws it.
#pragma once

#include "editor/view/pdf_page_writer.h"
#include "editor/view/pdf_text_map.h"

#include <QFont>
#include <QFontMetrics>
#include <QHash>
#include <QRawFont>
#include <QString>
#include <array>
#include <span>
#include <vector>

class CPageFormat;
class CTextStore;
class QPagedPaintDevice;
class QPainter;
class QPrinter;

class CPagePrinter {
public:
    CPagePrinter(CTextStore& store, const CPageFormat& format);

    // Draws page `page` (1-based); a page past the text draws only its footer.
    void PrintPage(QPainter& painter, int page);
    // Prints pages first .. last (1-based, cut to the page count), each on a new sheet. False
    // when painting cannot begin (the output cannot be written) or a sheet cannot be added.
    bool PrintPages(QPagedPaintDevice& device, int first, int last);
    // Writes every page to `writer` and finishes it.
    CPdfPageWriter::Outcome WritePages(CPdfPageWriter& writer, QString* error);
    // The characters drawn so far with each glyph (to mend a PDF's text, see pdf_text_map.h).
    const CPdfTextMap& TextMap() const { return m_textMap; }

private:
    struct Glyph {
        int face = -1; // index in m_faces; -1: nothing to draw
        quint32 index = 0;
        bool looked = false; // looked up
        quint32 cid = 0;     // in the text map
    };

    Glyph& GlyphOf(char32_t character)
    {
        return character < 0x10000 && m_bmp[character].looked ? m_bmp[character] : LookUp(character);
    }
    // GlyphOf beyond a BMP character already looked up: the first time, finds the face and glyph
    // and tells them to the text map.
    Glyph& LookUp(char32_t character);
    int FaceOf(const QRawFont& font);
    // Draws page `page` on m_painter or m_writer.
    void DrawPage(int page);
    // Draws the units of `text` from x, each character advancing by its stored width; tabs
    // and line feeds advance without drawing. Glyphs go in runs of one face: to m_writer, or
    // else to m_painter.
    void DrawText(QStringView text, std::span<const uint16_t> widths, qreal x, qreal baseline);
    void WriteText(QStringView text, std::span<const uint16_t> widths, qreal x, qreal baseline);
    void PaintText(QStringView text, std::span<const uint16_t> widths, qreal x, qreal baseline);
    // Calls use(glyph, x, advance) for each character of `text` that has a glyph.
    template <typename Use>
    void ForEachGlyph(QStringView text, std::span<const uint16_t> widths, qreal x, Use use);

    CTextStore& m_store;
    const CPageFormat& m_format;
    QPainter* m_painter = nullptr;       // the page's target: a painter,
    CPdfPageWriter* m_writer = nullptr;  // or a PDF written straight
    QFont m_font;
    QFontMetrics m_metrics;
    std::array<int, 128> m_asciiAdvances{}; // of the footer's characters
    std::vector<uint16_t> m_footerWidths;
    // A face that glyphs are drawn in: the format's font, or one Qt falls back to.
    struct Face {
        QRawFont font;
        int mapFace = -1;    // the text map's
        qreal pixelSize = 0; // asked once: QRawFont asks its engine each time
    };
    std::vector<Face> m_faces; // m_faces[0]: the format's font
    std::vector<Glyph> m_bmp;      // by code unit; looked up once each
    QHash<char32_t, Glyph> m_astral;
    CPdfTextMap m_textMap;
    std::vector<CPdfPageWriter::PlacedGlyph> m_placed; // a written line's glyphs
};

// Prints the pages of the printer's chosen range (every page when none was chosen), switching
// the printer to full-page mode. A PDF file printed to gets the text of what was drawn (see
// pdf_text_map.h); a print preview's painting leaves the printer's file alone.
bool PrintDocument(QPrinter& printer, CTextStore& store, const CPageFormat& format);

// Writes every page to a PDF file whose paper is the format's page at the screen resolution it
// was laid out for, so nothing is stretched. The file is replaced only when complete; on
// failure the previous file stays and `error` says why.
bool WritePdf(const QString& path, CTextStore& store, const CPageFormat& format, int screenDpiX, int screenDpiY,
              QString* error);
