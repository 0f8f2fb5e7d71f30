// CPageFormat: the view's page geometry. The memo is shown as printed pages stacked on a grey
// background; text is wrapped at the printable width of the default printer's paper (so
// resizing the window never rewraps), every display line has the same pitch (150 % of the font
// height), and display lines map to pages and pixel positions. All lengths are screen pixels.
// It also holds the caret and the selection anchor.
//
// Invariants: the line pitch and both lines-per-page figures are at least 1, and the page
// stride is positive, so the mappings between lines, pages and pixels never divide by zero.
#pragma once

#include "document/memo_header.h"
#include "editor/text_store.h"

#include <QString>

// The paper of the default printer, in printer pixels, with the printer's resolution. Without
// a printer the caller passes this default at the screen's resolution.
struct PaperInfo {
    int width = 1000;
    int height = 1000;
    int dpiX = 96;
    int dpiY = 96;
};

class CPageFormat {
public:
    CPageFormat();

    // Back to the defaults: default font (ＭＳ 明朝, -16, character set 1), caret and anchor at
    // (0, 0), no scrolling. Geometry is kept until ComputeGeometry.
    void Reset();
    // Page size and margins (15 mm) from the paper and the screen resolution; scrolling reset.
    // A paper or resolution that is not positive counts as the default paper at 96 dpi.
    void ComputeGeometry(const PaperInfo& paper, int screenDpiX, int screenDpiY);
    // The font and the line metrics that follow from it. The font height is the magnitude of
    // lfHeight (16 when it is 0), at most 4095 pixels.
    void SetFont(const LogFontW& font);
    // Client size from the window size less a scroll bar's extent; recentres the page.
    void SetWindowSize(int windowWidth, int windowHeight, int scrollBarExtent);

    int LinePitch() const { return fontHeight + lineGap; }
    int PageStride() const { return pageHeight + 2 * pageGap; }
    int TextWidth() const { return pageWidth - marginLeft - marginRight; }
    int PrintableHeight() const { return pageHeight - marginTop - marginBottom; }
    // Lines per page for layout: printable height / line pitch (at least 1).
    int LinesPerPage() const;
    // Lines per page for printing and page numbers: 1 when the printable height is 50 pixels or
    // less or the division gives 0.
    int PrintLinesPerPage() const;
    int PageCount(int totalLines) const; // 1 for an empty text
    int PageOfLine(int line) const;      // 1-based

    // Top of display line `line` on the page canvas (before scrolling).
    int LineTop(int line) const;
    // First visible line, and the end (exclusive) of the visible range, for the current scroll.
    int FirstVisibleLine() const;
    int EndVisibleLine() const;
    // The display line under window y, not clamped to the text: -1 above the first page's
    // text; a point in a page's margin or gap belongs to that page's nearest row.
    int LineAtY(int y) const;

    int pageWidth = 0;
    int pageHeight = 0;
    int clientWidth = 0;
    int clientHeight = 0;
    int pageGap = 2;
    int verticalScroll = 0;
    int horizontalOffset = 0;
    int marginTop = 0;
    int marginBottom = 0;
    int marginLeft = 0;
    int marginRight = 0;
    int fontHeight = 16;
    int lineGap = 8;
    LogFontW font;
    TextPosition caret;
    TextPosition anchor;
    QString wordDelimitersA; // a word ends in front of these
    QString wordDelimitersB; // a word ends behind these
};

// The font a memo is shown in when it carries none: ＭＳ 明朝 at -16, default character set.
LogFontW DefaultViewFont();
