// CPdfPageWriter: writes printed pages straight to a PDF file, one page after another, with each
// font face embedded as the subset that Qt's PDF writer makes of it.
//
// Why: Qt 6.4's writer spends several times the text's whole layout on drawing it. Each glyph
// becomes its own positioned text operator, written in seven small pieces, and is looked up by a
// linear search in its face's subset. Here a line is one text array of two-byte glyph codes, in
// binary, and a number stands between two glyphs only where the laid-out place differs from the
// advance the font's widths give.
//
// What is written: every page holds one content stream (deflated unless it is short) that maps
// the layout's pixels (y downwards) onto the paper; all pages share one resource dictionary. Each face of the text map
// (pdf_text_map.h) is one Type0 font whose embedded CMap gives CIDs below 0x80 one-byte codes and
// the others two bytes from 0x8000, the CIDs being the text map's. Its objects are
// copied from a one-page PDF that Qt writes in Finish by drawing each face's noted glyphs in the
// noted order: Qt renumbers the subset in the order it meets glyphs, so each glyph gets exactly
// its CID. The font's widths (W) are replaced by the advances the glyphs were first laid out
// with, and its ToUnicode by the text map's.
//
// Pages deflate on a worker thread, a batch of them at a time, while the next ones are drawn:
// deflating took a third of the printing of full pages. When the next batch is ready before the
// worker is done, this thread deflates the pages the worker has not taken yet. The file is the
// same as if each page were deflated when it ends.
//
// Invariants: objects 1, 2 and 3 are the catalog, the page tree and the shared resources,
// written in Finish; a page's objects are written once its batch is deflated, in page order,
// so that of the pages only two batches, their object numbers and file offsets stay in memory;
// every code drawn is a CID the text map has noted.
#pragma once

#include <QByteArray>
#include <QSizeF>
#include <QString>
#include <array>
#include <atomic>
#include <future>
#include <memory>
#include <span>
#include <vector>

class CPdfTextMap;
class QIODevice;

class CPdfPageWriter {
public:
    // A glyph placed on a line: its CID, its left edge and its laid-out advance, in page pixels.
    struct PlacedGlyph {
        quint32 cid = 0;
        qreal x = 0;
        qreal advance = 0;
    };
    enum class Outcome { kWritten, kWriteFailed, kNeedsQtWriter };

    // `paperPoints`: the paper's size in points; `pagePixels`: the layout's page, stretched to
    // fill the paper.
    CPdfPageWriter(QIODevice& out, QSizeF paperPoints, QSizeF pagePixels);
    ~CPdfPageWriter();

    void BeginPage();
    // Glyphs of the text map's `face` at `pixelSize`, standing on `baseline`, in the order of x.
    void Run(int face, qreal pixelSize, qreal baseline, std::span<const PlacedGlyph> glyphs);
    void EndPage();
    // Writes the fonts and the closing objects. kNeedsQtWriter when Qt would not embed a face (its
    // licence forbids it, or it has no file) or a face drew more glyphs than the codes hold: the
    // printout must then be drawn through Qt's writer.
    Outcome Finish(const CPdfTextMap& map, QString* error);

private:
    struct Deflater; // one compressor for each thread
    // A glyph of a face as the content draws it: its width W in 1/1000 of the font size (below
    // 0 until it is first drawn) and its code, escaped for a literal string.
    struct CodedGlyph {
        qreal width = -1;
        std::array<char, 4> code{};
        quint8 length = 0;
    };
    // Ended pages' contents; each is deflated in place unless it is short.
    struct PageContent {
        QByteArray bytes;
        bool deflated = false;
    };

    int NewObject();
    void BeginObject(int number);
    void Write(QByteArrayView bytes);
    // Writes the batch being deflated once it is, then starts deflating the pages ended since.
    void SendBatch();
    // Deflates the pages of the batch that no thread has taken yet.
    void DeflateBatch(Deflater& deflater);
    // Helps deflate the batch, waits for it and writes its pages.
    void WriteDeflatedBatch();
    void WritePage(const PageContent& content);

    QIODevice& m_out;
    qint64 m_written = 0;
    bool m_failed = false;
    bool m_tooManyGlyphs = false;
    std::vector<qint64> m_offsets{0, 0, 0, 0}; // by object number; 1 to 3 are written last
    std::vector<int> m_pages;                  // the page objects
    std::vector<std::vector<CodedGlyph>> m_glyphs; // per face, by CID
    QByteArray m_pageStart;                    // what every page's content begins with,
    QByteArray m_pageObject;                   // and its page object up to the content's number
    QByteArray m_content;                      // the page being drawn
    QByteArray m_pageOut;                      // a page's objects, written in one piece
    std::unique_ptr<Deflater> m_workerDeflater;
    std::unique_ptr<Deflater> m_ownDeflater;
    std::vector<PageContent> m_ended;          // pages ended since the last batch was sent,
    qsizetype m_endedBytes = 0;                // with their size
    std::vector<PageContent> m_deflating;      // the batch on the worker,
    std::atomic<size_t> m_nextToDeflate = 0;   // and its first page not taken yet
    int m_face = -1;                           // the content's current font
    qreal m_size = 0;
    bool m_inLine = false;                     // the page has a text line: where it began,
    qreal m_lineX = 0;
    qreal m_lineY = 0;
    qreal m_textX = 0;                         // and where the last run ended
    qreal m_leading = 0;                       // the content's TL
    std::future<void> m_deflated;              // last: waited for before what it uses goes
};
