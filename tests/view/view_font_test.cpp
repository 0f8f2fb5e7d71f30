// Memo fonts as Qt fonts and back. That the Mincho faces resolve to the IPA faces shows in
// the fonts embedded in the PDFs of page_printer_test.cpp.
#include "editor/view/view_font.h"

#include "editor/page_format.h"

#include <QFontInfo>
#include <gtest/gtest.h>

namespace {

const QString kPMincho = QStringLiteral("ＭＳ Ｐ明朝");

TEST(ViewFontTest, LogFontFieldsBecomeQtFontProperties)
{
    LogFontW font = DefaultViewFont();
    font.lfHeight = 20; // a positive (cell) height counts by its size as well
    font.lfWeight = 700;
    font.lfItalic = 1;
    font.lfUnderline = 1;
    font.lfStrikeOut = 1;
    const QFont qfont = FontFromLogFont(font);
    EXPECT_EQ(qfont.pixelSize(), 20);
    EXPECT_EQ(qfont.weight(), QFont::Bold);
    EXPECT_TRUE(qfont.italic() && qfont.underline() && qfont.strikeOut());
    EXPECT_FALSE(qfont.kerning());

    font.lfHeight = 0;
    font.lfWeight = 0;
    EXPECT_EQ(FontFromLogFont(font).pixelSize(), 16);
    EXPECT_EQ(FontFromLogFont(font).weight(), QFont::Normal);
}

TEST(ViewFontTest, ChosenFontKeepsUnknownFieldsAndStoresTheSubstitutedFace)
{
    LogFontW base = DefaultViewFont();
    base.lfCharSet = 128;
    base.lfPitchAndFamily = 49;
    QFont chosen("IPAPMincho");
    chosen.setPixelSize(24);
    chosen.setBold(true);
    const LogFontW font = LogFontFromFont(chosen, base);
    EXPECT_EQ(font.lfFaceName, kPMincho);
    EXPECT_EQ(font.lfHeight, -24);
    EXPECT_EQ(font.lfWeight, 700);
    EXPECT_EQ(font.lfCharSet, 128);
    EXPECT_EQ(font.lfPitchAndFamily, 49);

    QFont byPoints("DejaVu Sans", 12); // the dialog may answer in points
    EXPECT_EQ(LogFontFromFont(byPoints, base).lfHeight, -QFontInfo(byPoints).pixelSize());
    EXPECT_EQ(LogFontFromFont(byPoints, base).lfFaceName, "DejaVu Sans");
}

} // namespace
