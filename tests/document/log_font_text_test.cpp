// LogFont text: the writer's exact form, round trips, the older form without AttachCount, texts
// cut short, byte fields beyond 0..255 and the lenient number rules stored texts depend on.
#include "document/log_font_text.h"

#include <gtest/gtest.h>
#include <limits>

using namespace Qt::StringLiterals;

namespace {

constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
constexpr int32_t kMin = std::numeric_limits<int32_t>::min();

// Every value differs from what the texts below hold, to see which values a read changed.
MemoHeader MarkedHeader()
{
    MemoHeader header;
    header.font = {77, 77, 77, 77, 77, 77, 77, 77, 77, 77, 77, 77, 77, u"Previous"_s};
    header.fontExtraB = header.fontExtraC = header.attachCount = 77;
    return header;
}

TEST(LogFontTextTest, WritesAndReadsBackEveryValue)
{
    MemoHeader written;
    ResetMemoHeader(written);
    written.attachCount = 12;
    written.fontExtraC = kMin;
    written.font = {-21, 7, 900, -900, 700, 255, 1, 0, 128, 3, 2, 5, 49, u"Face, with commas "_s + QString(20, u'F')};
    const QString text = LogFontText(written);
    EXPECT_EQ(text, u"//12,9,-2147483648,-21,7,900,-900,700,255,1,0,128,3,2,5,49,Face, with commas FFFFFFFFFFFFF"_s);

    MemoHeader read = MarkedHeader();
    ReadLogFontText(text + u"cut"_s, read);
    written.font.lfFaceName.truncate(31);
    EXPECT_EQ(read.font, written.font);
    EXPECT_EQ(std::tuple(read.attachCount, read.fontExtraB, read.fontExtraC), std::tuple(12, 9, kMin));
}

TEST(LogFontTextTest, OlderAndShortTextsKeepWhatTheyDoNotReach)
{
    MemoHeader header = MarkedHeader();
    ReadLogFontText(u"9,1,-16,0,0,0,400,0,0,0,128,0,0,0,1,IPAMincho"_s, header); // older: no AttachCount
    EXPECT_EQ(std::tuple(header.attachCount, header.fontExtraB, header.fontExtraC), std::tuple(0, 9, 1));
    EXPECT_EQ(header.font, (LogFontW{-16, 0, 0, 0, 400, 0, 0, 0, 128, 0, 0, 0, 1, u"IPAMincho"_s}));

    // "//" anywhere means the newer form and drops the first two characters, even in this text.
    header = MarkedHeader();
    ReadLogFontText(u"9,1,-16,0,0,0,400,0,0,0,128,0,0,0,1,Font//Name"_s, header);
    EXPECT_EQ(std::tuple(header.attachCount, header.fontExtraB, header.font.lfEscapement), std::tuple(1, -16, 400));
    EXPECT_EQ(header.font.lfQuality, 77) << "one comma short";
    EXPECT_EQ(header.font.lfFaceName, u"Previous"_s);

    // A value without its comma is not read, the fifteenth included.
    header = MarkedHeader();
    ReadLogFontText(u"//4,9,1,-16,0"_s, header);
    EXPECT_EQ(std::tuple(header.attachCount, header.fontExtraB, header.font.lfHeight, header.font.lfWidth),
              std::tuple(4, 9, -16, 77));
    ReadLogFontText(u"//0,9,1,-16,0,0,0,0,0,0,0,1,0,0,0,1"_s, header);
    EXPECT_EQ(std::tuple(header.font.lfQuality, header.font.lfPitchAndFamily), std::tuple(0, 77));
    EXPECT_EQ(header.font.lfFaceName, u"Previous"_s);

    // "//" without a comma reads nothing; the older form still clears AttachCount.
    ReadLogFontText(u"//5"_s, header);
    EXPECT_EQ(header.attachCount, 0);
    header.attachCount = 5;
    ReadLogFontText(QString(), header);
    EXPECT_EQ(std::tuple(header.attachCount, header.fontExtraB), std::tuple(0, 9));
}

TEST(LogFontTextTest, NumbersAreReadLenientlyAndBytesKeepTheirLow8Bits)
{
    MemoHeader header = MarkedHeader();
    ReadLogFontText(u"// 12x, \t+7,-,abc,,-0012,99999999999,-99999999999,256,300,-1,511,1000,65535,0,9999999999,F"_s,
                    header);
    EXPECT_EQ(std::tuple(header.attachCount, header.fontExtraB, header.fontExtraC), std::tuple(12, 7, 0));
    const LogFontW& f = header.font;
    EXPECT_EQ(std::tuple(f.lfHeight, f.lfWidth, f.lfEscapement, f.lfOrientation, f.lfWeight),
              std::tuple(0, 0, -12, kMax, kMin));
    EXPECT_EQ(std::tuple(f.lfItalic, f.lfUnderline, f.lfStrikeOut, f.lfCharSet), std::tuple(0, 44, 255, 255));
    EXPECT_EQ(std::tuple(f.lfOutPrecision, f.lfClipPrecision, f.lfQuality, f.lfPitchAndFamily),
              std::tuple(232, 255, 0, 255)) << "the last one clamped to 2147483647";
    EXPECT_EQ(f.lfFaceName, u"F"_s);
}

} // namespace
