// Page geometry: paper to screen pixels, line metrics, pages, and lines to pixels and back.
#include "editor/page_format.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

namespace {

// A4 on a 600 dpi printer (4960 x 7016 printer pixels) shown on a 96 dpi screen: 793 x 1122
// pixels, margins 56, 42 lines of 24 pixels a page, page stride 1126.
CPageFormat A4Format()
{
    CPageFormat format;
    format.ComputeGeometry({4960, 7016, 600, 600}, 96, 96);
    return format;
}

TEST(PageFormatGeometry, PaperToScreenPixels)
{
    const CPageFormat a4 = A4Format();
    EXPECT_EQ((std::vector{a4.pageWidth, a4.pageHeight, a4.marginLeft, a4.marginTop, a4.TextWidth()}),
              (std::vector{793, 1122, 56, 56, 681}));
    EXPECT_EQ(a4.LinesPerPage(), 42);

    CPageFormat f;
    f.verticalScroll = 500;
    f.ComputeGeometry(PaperInfo{}, 120, 120); // no printer: 1000 x 1000 at 96 dpi, on a 120 dpi screen
    EXPECT_EQ((std::vector{f.pageWidth, f.marginLeft, f.verticalScroll}), (std::vector{1250, 70, 0}));
    f.ComputeGeometry({4960, 7016, 0, 600}, 0, -5); // a broken driver: the default paper at 96 dpi
    EXPECT_EQ((std::vector{f.pageWidth, f.pageHeight, f.marginTop}), (std::vector{1000, 1000, 56}));
}

TEST(PageFormatGeometry, AnyFontHeightGivesAUsablePitch)
{
    CPageFormat f;
    LogFontW font = DefaultViewFont();
    for (const auto& [lfHeight, pitch] : {std::pair{-15, 22}, {20, 30}, {0, 24}, {INT_MIN, 6142}}) {
        font.lfHeight = lfHeight;
        f.SetFont(font);
        EXPECT_EQ(f.LinePitch(), pitch) << lfHeight;
        EXPECT_GE(f.LinesPerPage(), 1);
    }
}

TEST(PageFormatPages, CountAndPageOfLine)
{
    const CPageFormat f = A4Format();
    EXPECT_EQ((std::vector{f.PageCount(0), f.PageCount(42), f.PageCount(43)}), (std::vector{1, 1, 2}));
    EXPECT_EQ((std::vector{f.PageOfLine(41), f.PageOfLine(42)}), (std::vector{1, 2}));

    CPageFormat tiny; // printable height 48: two lines on screen, one on a printed page
    tiny.ComputeGeometry({160, 160, 96, 96}, 96, 96);
    EXPECT_EQ((std::vector{tiny.LinesPerPage(), tiny.PrintLinesPerPage(), tiny.PageCount(3)}),
              (std::vector{2, 1, 3}));
    tiny.ComputeGeometry({100, 100, 96, 96}, 96, 96); // no room for a line at all
    EXPECT_EQ(tiny.LinesPerPage(), 1);
}

TEST(PageFormatLines, TopsVisibleRangeAndWindowY)
{
    CPageFormat f = A4Format();
    f.SetWindowSize(1000, 517, 17); // client 983 x 500
    EXPECT_EQ((std::vector{f.LineTop(0), f.LineTop(41), f.LineTop(42)}), (std::vector{58, 1042, 1184}));
    EXPECT_EQ(f.FirstVisibleLine(), 0);
    EXPECT_EQ(f.EndVisibleLine(), 19); // top of line 18 is 490, of line 19 514
    f.verticalScroll = 81; // line 0 still shows its last pixel
    EXPECT_EQ(f.FirstVisibleLine(), 0);
    f.verticalScroll = 82;
    EXPECT_EQ(f.FirstVisibleLine(), 1);
    f.verticalScroll = 1066; // the first page's bottom margin at the window's top
    EXPECT_EQ(f.FirstVisibleLine(), 42);
    EXPECT_EQ(f.EndVisibleLine(), 58);

    f.verticalScroll = 0;
    // Above the first page's text nothing; a margin belongs to its page's nearest row.
    for (const auto& [y, line] : {std::pair{57, -1}, {58, 0}, {82, 1}, {1100, 41}, {1136, 42}, {1208, 43}})
        EXPECT_EQ(f.LineAtY(y), line) << y;
    f.verticalScroll = 1126;
    EXPECT_EQ(f.LineAtY(58), 42);
}

TEST(PageFormatWindow, ClientSizeCentresThePage)
{
    CPageFormat f = A4Format();
    f.SetWindowSize(1000, 600, 17);
    EXPECT_EQ((std::vector{f.clientWidth, f.clientHeight, f.horizontalOffset}), (std::vector{983, 583, 95}));
    f.SetWindowSize(811, 600, 17); // (794 - 793) / 2 is 0
    EXPECT_EQ(f.horizontalOffset, 0);
    f.SetWindowSize(10, 10, 17);
    EXPECT_EQ((std::vector{f.clientWidth, f.horizontalOffset}), (std::vector{0, 0}));
}

} // namespace
