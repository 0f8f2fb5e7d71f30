// LogFont text: the writer's exact form, round trips, the older form without AttachCount, texts
// cut short, byte fields beyond 0..255 and the lenient number rules stored texts depend on.
#include "document/log_font_text.h"

#include <QSettings>
#include <gtest/gtest.h>
#include <limits>

using namespace Qt::StringLiterals;

namespace {

MemoHeader FreshHeader()
{
    QSettings().remove("Font/DefaultFontLog");
    MemoHeader header;
    ResetMemoHeader(header);
    return header;
}

// A header whose every font value differs from the fresh one, to see which values a read changed.
MemoHeader MarkedHeader()
{
    MemoHeader header;
    header.attachCount = 77;
    header.fontExtraB = 77;
    header.fontExtraC = 77;
    header.font = {77, 77, 77, 77, 77, 77, 77, 77, 77, 77, 77, 77, 77, u"Previous"_s};
    return header;
}

TEST(LogFontTextTest, FreshHeaderWithFallbackFont)
{
    EXPECT_EQ(LogFontText(FreshHeader()), u"//0,9,1,-16,0,0,0,0,0,0,0,1,0,0,0,1,ＭＳ Ｐ明朝"_s);
}

TEST(LogFontTextTest, RoundTripKeepsEveryValue)
{
    MemoHeader written = FreshHeader();
    written.attachCount = 12;
    written.fontExtraB = -3;
    written.fontExtraC = std::numeric_limits<int32_t>::min();
    written.font = {-21, 7, 900, -900, 700, 255, 1, 0, 128, 3, 2, 5, 49, u"Face, with commas"_s};
    const QString text = LogFontText(written);
    EXPECT_EQ(text, u"//12,-3,-2147483648,-21,7,900,-900,700,255,1,0,128,3,2,5,49,Face, with commas"_s);

    MemoHeader read = MarkedHeader();
    ReadLogFontText(text, read);
    EXPECT_EQ(read.attachCount, written.attachCount);
    EXPECT_EQ(read.fontExtraB, written.fontExtraB);
    EXPECT_EQ(read.fontExtraC, written.fontExtraC);
    EXPECT_EQ(read.font, written.font);
}

TEST(LogFontTextTest, FaceNameIsCutTo31Characters)
{
    MemoHeader header = FreshHeader();
    header.font.lfFaceName = QString(40, u'F');
    EXPECT_TRUE(LogFontText(header).endsWith(u',' + QString(31, u'F')));

    ReadLogFontText(u"//0,9,1,-16,0,0,0,0,0,0,0,1,0,0,0,1,"_s + QString(40, u'G'), header);
    EXPECT_EQ(header.font.lfFaceName, QString(31, u'G'));
}

TEST(LogFontTextTest, OlderFormWithoutSlashesReadsFromTheStart)
{
    MemoHeader header = MarkedHeader();
    ReadLogFontText(u"9,1,-16,0,0,0,400,0,0,0,128,0,0,0,1,IPAMincho"_s, header);
    EXPECT_EQ(header.attachCount, 0);
    EXPECT_EQ(header.fontExtraB, 9);
    EXPECT_EQ(header.fontExtraC, 1);
    EXPECT_EQ(header.font, (LogFontW{-16, 0, 0, 0, 400, 0, 0, 0, 128, 0, 0, 0, 1, u"IPAMincho"_s}));
}

TEST(LogFontTextTest, SlashesAnywhereDropTheFirstTwoCharacters)
{
    // An older-form text whose face name holds "//" is read as the newer form, one value short.
    MemoHeader header = MarkedHeader();
    ReadLogFontText(u"9,1,-16,0,0,0,400,0,0,0,128,0,0,0,1,Font//Name"_s, header);
    EXPECT_EQ(header.attachCount, 1);
    EXPECT_EQ(header.fontExtraB, -16);
    EXPECT_EQ(header.font.lfEscapement, 400);
    EXPECT_EQ(header.font.lfClipPrecision, 1);
    EXPECT_EQ(header.font.lfQuality, 77);
    EXPECT_EQ(header.font.lfFaceName, u"Previous"_s);
}

TEST(LogFontTextTest, MissingCommaKeepsWhatWasReadAndTheFaceName)
{
    MemoHeader header = MarkedHeader();
    ReadLogFontText(u"//4,9,1,-16,0"_s, header);
    EXPECT_EQ(header.attachCount, 4);
    EXPECT_EQ(header.fontExtraB, 9);
    EXPECT_EQ(header.fontExtraC, 1);
    EXPECT_EQ(header.font.lfHeight, -16);
    EXPECT_EQ(header.font.lfWidth, 77) << "no comma after it";
    EXPECT_EQ(header.font.lfPitchAndFamily, 77);
    EXPECT_EQ(header.font.lfFaceName, u"Previous"_s);

    // The fifteenth value needs its comma too.
    header = MarkedHeader();
    ReadLogFontText(u"//0,9,1,-16,0,0,0,0,0,0,0,1,0,0,0,1"_s, header);
    EXPECT_EQ(header.font.lfQuality, 0);
    EXPECT_EQ(header.font.lfPitchAndFamily, 77);
    EXPECT_EQ(header.font.lfFaceName, u"Previous"_s);

    // "//" without any comma reads nothing at all; the older form still clears AttachCount.
    header = MarkedHeader();
    ReadLogFontText(u"//5"_s, header);
    EXPECT_EQ(header.attachCount, 77);
    ReadLogFontText(QString(), header);
    EXPECT_EQ(header.attachCount, 0);
    EXPECT_EQ(header.fontExtraB, 77);
}

TEST(LogFontTextTest, ByteFieldsKeepTheLow8Bits)
{
    MemoHeader header = MarkedHeader();
    ReadLogFontText(u"//0,0,0,0,0,0,0,0,256,300,-1,511,1000,65535,0,999999999999,F"_s, header);
    EXPECT_EQ(header.font.lfItalic, 0);
    EXPECT_EQ(header.font.lfUnderline, 44);
    EXPECT_EQ(header.font.lfStrikeOut, 255);
    EXPECT_EQ(header.font.lfCharSet, 255);
    EXPECT_EQ(header.font.lfOutPrecision, 232);
    EXPECT_EQ(header.font.lfClipPrecision, 255);
    EXPECT_EQ(header.font.lfPitchAndFamily, 255) << "clamped to 2147483647, low byte 0xFF";
}

TEST(LogFontTextTest, NumbersAreReadLeniently)
{
    MemoHeader header = MarkedHeader();
    ReadLogFontText(u"// 12x, \t+7,-,abc,,-0012,99999999999,-99999999999,1 2,0,0,0,0,0,0,0,Face"_s, header);
    EXPECT_EQ(header.attachCount, 12) << "digits up to the first non-digit";
    EXPECT_EQ(header.fontExtraB, 7) << "white space and plus sign";
    EXPECT_EQ(header.fontExtraC, 0) << "a lone sign";
    EXPECT_EQ(header.font.lfHeight, 0) << "no digits";
    EXPECT_EQ(header.font.lfWidth, 0) << "empty";
    EXPECT_EQ(header.font.lfEscapement, -12);
    EXPECT_EQ(header.font.lfOrientation, std::numeric_limits<int32_t>::max());
    EXPECT_EQ(header.font.lfWeight, std::numeric_limits<int32_t>::min());
    EXPECT_EQ(header.font.lfItalic, 1);
    EXPECT_EQ(header.font.lfFaceName, u"Face"_s);
}

} // namespace
