// Printing a laid-out text store as the pages the editor shows. Page k (1-based) holds display
// lines (k - 1) n .. kn - 1, n being the format's print lines per page; they are drawn in the
// format's font at their screen-pixel places on the page, and the whole screen-pixel page is
// scaled to fill the device's paper (x and y each by its own factor). Below the text stands the
// footer "- k -". Selection, paragraph marks and page frames are never printed, nor line feeds.
//
// The painter's device must paint on the full paper: a QPrinter in full-page mode, or a
// QPdfWriter without margins. The store must have been laid out with the format.
#pragma once

#include <QString>

class CPageFormat;
class CTextStore;
class QPagedPaintDevice;
class QPainter;
class QPrinter;

// Draws page `page` (1-based); a page past the text draws only its footer.
void PrintPage(QPainter& painter, CTextStore& store, const CPageFormat& format, int page);

// Prints pages first .. last (1-based, cut to the page count), each on a new sheet. False when
// painting cannot begin (the output cannot be written) or a sheet cannot be added.
bool PrintPages(QPagedPaintDevice& device, CTextStore& store, const CPageFormat& format, int first, int last);

// Prints the pages of the printer's chosen range (every page when none was chosen), switching
// the printer to full-page mode.
bool PrintDocument(QPrinter& printer, CTextStore& store, const CPageFormat& format);

// Writes every page to a PDF file whose paper is the format's page at the screen resolution it
// was laid out for, so nothing is stretched. The file is replaced only when complete; on
// failure the previous file stays and `error` says why.
bool WritePdf(const QString& path, CTextStore& store, const CPageFormat& format, int screenDpiX, int screenDpiY,
              QString* error);
