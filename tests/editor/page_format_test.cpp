// Page geometry: paper to screen pixels, line metrics, pages, and lines to pixels and back.
#include "editor/page_format.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

// A4 on a 600 dpi printer (4960 x 7016 printer pixels) shown on a 96 dpi screen.
CPageFormat A4Format()
{
    CPageFormat format;
    format.ComputeGeometry({4960, 7016, 600, 600}, 96, 96);
    return format;
}

TEST(PageFormatGeometry, A4At600DpiOnA96DpiScreen)
{
    const CPageFormat f = A4Format();
    EXPECT_EQ(f.pageWidth, 793); // 96 x 4960 / 600 = 793.6, rounded toward zero
    EXPECT_EQ(f.pageHeight, 1122);
    EXPECT_EQ(f.marginLeft, 56); // 15 mm at 96 dpi
    EXPECT_EQ(f.marginTop, 56);
    EXPECT_EQ(f.TextWidth(), 681);
    EXPECT_EQ(f.LinePitch(), 24);
    EXPECT_EQ(f.LinesPerPage(), 42); // 1010 / 24
    EXPECT_EQ(f.PageStride(), 1126);
}

TEST(PageFormatGeometry, FallbackPaperAndUnusableInput)
{
    CPageFormat f;
    f.verticalScroll = 500;
    f.ComputeGeometry(PaperInfo{}, 120, 120); // no printer: 1000 x 1000 at the screen's resolution
    EXPECT_EQ(f.pageWidth, 1250);
    EXPECT_EQ(f.marginLeft, 70);
    EXPECT_EQ(f.verticalScroll, 0);
    f.ComputeGeometry({1000, 1000, 120, 120}, 120, 120);
    EXPECT_EQ(f.pageWidth, 1000);
    EXPECT_EQ(f.LinesPerPage(), 35); // (1000 - 140) / 24

    f.ComputeGeometry({4960, 7016, 0, 600}, 0, -5); // a broken driver: default paper at 96 dpi
    EXPECT_EQ(f.pageWidth, 1000);
    EXPECT_EQ(f.pageHeight, 1000);
    EXPECT_EQ(f.marginTop, 56);
}

TEST(PageFormatGeometry, FontHeightGivesThePitchAndStaysUsable)
{
    CPageFormat f;
    LogFontW font = DefaultViewFont();
    EXPECT_EQ(font.lfFaceName, QStringLiteral("ＭＳ 明朝"));
    EXPECT_EQ(font.lfCharSet, 1);
    font.lfHeight = -15;
    f.SetFont(font);
    EXPECT_EQ(f.LinePitch(), 22); // 15 x 150 / 100
    for (const auto& [lfHeight, fontHeight] : {std::pair{20, 20}, {0, 16}, {INT_MIN, 4095}}) {
        font.lfHeight = lfHeight;
        f.SetFont(font);
        EXPECT_EQ(f.fontHeight, fontHeight) << lfHeight;
        EXPECT_GE(f.LinesPerPage(), 1);
    }
    f.Reset();
    EXPECT_EQ(f.font, DefaultViewFont());
    EXPECT_EQ(f.LinePitch(), 24);
    EXPECT_EQ(f.wordDelimitersA, QStringLiteral("@&#$"));
}

TEST(PageFormatPages, CountAndPageOfLine)
{
    const CPageFormat f = A4Format();
    EXPECT_EQ(f.PageCount(0), 1);
    EXPECT_EQ(f.PageCount(42), 1);
    EXPECT_EQ(f.PageCount(43), 2);
    EXPECT_EQ(f.PageOfLine(41), 1);
    EXPECT_EQ(f.PageOfLine(42), 2);

    CPageFormat tiny; // printable height 48: two lines on screen, one on a printed page
    tiny.ComputeGeometry({160, 160, 96, 96}, 96, 96);
    EXPECT_EQ(tiny.LinesPerPage(), 2);
    EXPECT_EQ(tiny.PrintLinesPerPage(), 1);
    EXPECT_EQ(tiny.PageCount(3), 3);
    tiny.ComputeGeometry({100, 100, 96, 96}, 96, 96); // no room for a line at all
    EXPECT_EQ(tiny.LinesPerPage(), 1);
}

TEST(PageFormatLines, TopsAndVisibleRange)
{
    CPageFormat f = A4Format();
    f.SetWindowSize(1000, 517, 17); // client 983 x 500
    EXPECT_EQ(f.LineTop(0), 58);
    EXPECT_EQ(f.LineTop(41), 58 + 41 * 24);
    EXPECT_EQ(f.LineTop(42), 1126 + 58);
    EXPECT_EQ(f.FirstVisibleLine(), 0);
    EXPECT_EQ(f.EndVisibleLine(), 19); // top of line 18 is 490, of line 19 514

    f.verticalScroll = 81; // line 0 still shows its last pixel
    EXPECT_EQ(f.FirstVisibleLine(), 0);
    f.verticalScroll = 82;
    EXPECT_EQ(f.FirstVisibleLine(), 1);
    f.verticalScroll = 1066; // the bottom margin of page 1 at the window's top
    EXPECT_EQ(f.FirstVisibleLine(), 42);
    EXPECT_EQ(f.EndVisibleLine(), 58); // line 57 starts at window y 478
}

TEST(PageFormatLines, LineAtWindowY)
{
    CPageFormat f = A4Format();
    EXPECT_EQ(f.LineAtY(57), -1); // top margin of the first page
    EXPECT_EQ(f.LineAtY(58), 0);
    EXPECT_EQ(f.LineAtY(58 + 24), 1);
    EXPECT_EQ(f.LineAtY(1100), 41);       // bottom margin: the page's last row
    EXPECT_EQ(f.LineAtY(1126 + 10), 42);  // top margin of page 2: its first row
    EXPECT_EQ(f.LineAtY(1126 + 58 + 24), 43);
    f.verticalScroll = 1126;
    EXPECT_EQ(f.LineAtY(58), 42);
}

TEST(PageFormatWindow, ClientSizeCentresThePage)
{
    CPageFormat f = A4Format();
    f.SetWindowSize(1000, 600, 17);
    EXPECT_EQ(f.clientWidth, 983);
    EXPECT_EQ(f.clientHeight, 583);
    EXPECT_EQ(f.horizontalOffset, 95);
    f.horizontalOffset = -40;
    f.SetWindowSize(811, 600, 17); // (794 - 793) / 2 == 0
    EXPECT_EQ(f.horizontalOffset, 0);
    f.SetWindowSize(10, 10, 17);
    EXPECT_EQ(f.clientWidth, 0);
    EXPECT_EQ(f.horizontalOffset, 0);
}

} // namespace
