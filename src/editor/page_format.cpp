// CPageFormat: page geometry, line metrics and the mapping of display lines to pixels (see
// page_format.h). Integer arithmetic throughout, rounding toward zero as the paper sizes are
// converted, so that every figure is reproducible.
#include "page_format.h"

#include <algorithm>
#include <cstdlib>

namespace {

constexpr int kDefaultFontHeight = 16;
constexpr int kMaxFontHeight = 4095;     // widths are 12-bit; no taller cell makes sense
constexpr int kMarginTenthsMm = 150;     // 15 mm
constexpr int kTenthsMmPerInch = 254;
constexpr int kFallbackDpi = 96;
constexpr int kMinPrintableHeight = 50;  // at or below this, a printed page holds one line

int Scale(int screenDpi, int printerPixels, int printerDpi)
{
    return int(qint64(screenDpi) * printerPixels / printerDpi);
}

} // namespace

LogFontW DefaultViewFont()
{
    LogFontW font;
    font.lfHeight = -kDefaultFontHeight;
    font.lfCharSet = 1;
    font.lfFaceName = QStringLiteral("ＭＳ 明朝");
    return font;
}

CPageFormat::CPageFormat()
{
    Reset();
}

void CPageFormat::Reset()
{
    SetFont(DefaultViewFont());
    pageGap = 2;
    verticalScroll = 0;
    caret = {};
    anchor = {};
    wordDelimitersA = QStringLiteral("@&#$");
    wordDelimitersB = QStringLiteral("、。．？！（）〔〕［］｛｝「」『』【】，てにをは({[｢'");
}

void CPageFormat::ComputeGeometry(const PaperInfo& paper, int screenDpiX, int screenDpiY)
{
    const bool usable = paper.width > 0 && paper.height > 0 && paper.dpiX > 0 && paper.dpiY > 0;
    const PaperInfo sheet = usable ? paper : PaperInfo{};
    const int sx = screenDpiX > 0 ? screenDpiX : kFallbackDpi;
    const int sy = screenDpiY > 0 ? screenDpiY : kFallbackDpi;

    pageWidth = Scale(sx, sheet.width, sheet.dpiX);
    pageHeight = Scale(sy, sheet.height, sheet.dpiY);
    marginTop = marginBottom = sy * kMarginTenthsMm / kTenthsMmPerInch;
    marginLeft = marginRight = sx * kMarginTenthsMm / kTenthsMmPerInch;
    pageGap = 2;
    verticalScroll = 0;
    horizontalOffset = 0;
}

void CPageFormat::SetFont(const LogFontW& logFont)
{
    font = logFont;
    const qint64 height = std::llabs(qint64(logFont.lfHeight));
    fontHeight = height == 0 ? kDefaultFontHeight : int(std::min<qint64>(height, kMaxFontHeight));
    lineGap = fontHeight * 150 / 100 - fontHeight;
}

void CPageFormat::SetWindowSize(int windowWidth, int windowHeight, int scrollBarExtent)
{
    clientWidth = std::max(windowWidth - scrollBarExtent, 0);
    clientHeight = std::max(windowHeight - scrollBarExtent, 0);
    const int centred = (clientWidth - pageWidth) / 2;
    horizontalOffset = centred >= 1 ? centred : 0;
}

int CPageFormat::LinesPerPage() const
{
    return std::max(PrintableHeight() / LinePitch(), 1);
}

int CPageFormat::PrintLinesPerPage() const
{
    return PrintableHeight() <= kMinPrintableHeight ? 1 : LinesPerPage();
}

int CPageFormat::PageCount(int totalLines) const
{
    const int n = PrintLinesPerPage();
    return totalLines <= 0 ? 1 : int((qint64(totalLines) + n - 1) / n);
}

int CPageFormat::PageOfLine(int line) const
{
    return std::max(line, 0) / PrintLinesPerPage() + 1;
}

int CPageFormat::LineTop(int line) const
{
    const int n = LinesPerPage();
    const int page = line / n;
    const int row = line - page * n;
    return page * PageStride() + row * LinePitch() + pageGap + marginTop;
}

int CPageFormat::FirstVisibleLine() const
{
    const int n = LinesPerPage();
    const int page = verticalScroll / PageStride();
    int bottom = page * PageStride() - verticalScroll + pageGap + marginTop;
    for (int row = 0; row < n; ++row) {
        bottom += LinePitch();
        if (bottom > 0)
            return page * n + row;
    }
    return (page + 1) * n;
}

int CPageFormat::EndVisibleLine() const
{
    int line = FirstVisibleLine();
    while (LineTop(line) - verticalScroll < clientHeight)
        ++line;
    return line;
}

int CPageFormat::LineAtY(int y) const
{
    const int canvasY = y + verticalScroll;
    if (canvasY < 0)
        return -1;
    const int n = LinesPerPage();
    const int page = canvasY / PageStride();
    const int intoText = canvasY - page * PageStride() - pageGap - marginTop;
    if (intoText < 0)
        return page == 0 ? -1 : page * n;
    return page * n + std::min(intoText / LinePitch(), n - 1);
}
