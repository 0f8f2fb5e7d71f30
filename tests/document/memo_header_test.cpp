// MemoHeader byte image: field offsets, string limits on writing and reading, round trips, and
// the defaults of a new memo including the stored default font.
#include "document/memo_header.h"

#include "platform/settings.h"

#include <QRegularExpression>
#include <QSettings>
#include <QtEndian>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

int32_t Int32At(const QByteArray& image, qsizetype at)
{
    return qFromLittleEndian<int32_t>(image.constData() + at);
}

// `units` UTF-16LE units starting at `at`.
QString UnitsAt(const QByteArray& image, qsizetype at, qsizetype units)
{
    QString text(units, Qt::Uninitialized);
    qFromLittleEndian<char16_t>(image.constData() + at, units, text.data());
    return text;
}

bool AllZero(const QByteArray& image, qsizetype from, qsizetype to)
{
    return image.sliced(from, to - from).count('\0') == to - from;
}

MemoHeader SampleHeader()
{
    MemoHeader h;
    h.mark = 1234;
    h.headerSize = 4096;
    h.bodyBytes = 88;
    h.title = u"会議メモ"_s;
    h.theKeys = u"予定, 議事録"_s;
    h.createdAt = u"2024-05-01 13:45:09"_s;
    h.theDateTime = u"2014/03/05 09:07:00"_s;
    h.kind = 4;
    h.font = {-21, 3, 900, -900, 700, 1, 1, 0, 128, 3, 2, 5, 49, u"IPAPMincho"_s};
    h.fontExtraB = -9;
    h.fontExtraC = 0x7FFFFFFF;
    h.attachId = u"abcdefghijklmnopqrstuvxw"_s;
    h.attachCount = 3;
    h.endMark = MemoHeader::kEndMark;
    return h;
}

class MemoHeaderTest : public testing::Test {
protected:
    void SetUp() override { QSettings().remove("Font/DefaultFontLog"); }
    void TearDown() override { QSettings().remove("Font/DefaultFontLog"); }
};

TEST_F(MemoHeaderTest, FreshImageHasEveryFieldAtItsOffset)
{
    MemoHeader header;
    ResetMemoHeader(header);
    const QByteArray image = header.ToBytes();
    ASSERT_EQ(image.size(), 4096);

    EXPECT_EQ(Int32At(image, 0), 0xABCD);
    EXPECT_EQ(Int32At(image, 4), 4096);
    EXPECT_EQ(Int32At(image, 8), 0);
    EXPECT_TRUE(AllZero(image, 12, 2828)) << "empty title and keys";
    const QRegularExpression stamp(QStringLiteral("^\\d{4}/\\d\\d/\\d\\d \\d\\d:\\d\\d:\\d\\d$"));
    EXPECT_TRUE(stamp.match(UnitsAt(image, 2828, 19)).hasMatch()) << UnitsAt(image, 2828, 19).toStdString();
    EXPECT_EQ(UnitsAt(image, 2868, 19), UnitsAt(image, 2828, 19));
    EXPECT_EQ(Int32At(image, 2908), 4);
    EXPECT_EQ(Int32At(image, 2912), -16);
    EXPECT_EQ(image[2912 + 23], 1) << "lfCharSet";
    EXPECT_EQ(image[2912 + 27], 1) << "lfPitchAndFamily";
    EXPECT_EQ(UnitsAt(image, 2912 + 28, 6), u"ＭＳ Ｐ明朝"_s);
    EXPECT_TRUE(AllZero(image, 2912 + 28 + 12, 3004));
    EXPECT_EQ(Int32At(image, 3004), 9);
    EXPECT_EQ(Int32At(image, 3008), 1);
    EXPECT_TRUE(AllZero(image, 3012, 3064)) << "empty attachment id and padding";
    EXPECT_EQ(Int32At(image, 3064), 0);
    EXPECT_TRUE(AllZero(image, 3068, 4092)) << "reserved";
    EXPECT_EQ(Int32At(image, 4092), 0xDCBA);
}

TEST_F(MemoHeaderTest, TimeStampIsYearMonthDayAndTwentyFourHourTime)
{
    EXPECT_EQ(MemoTimeStamp(QDateTime(QDate(2014, 3, 5), QTime(9, 7, 0))), u"2014/03/05 09:07:00"_s);
    EXPECT_EQ(MemoTimeStamp(QDateTime(QDate(2025, 12, 31), QTime(23, 59, 58))), u"2025/12/31 23:59:58"_s);
}

TEST_F(MemoHeaderTest, ImageRoundTripsEveryField)
{
    const MemoHeader sample = SampleHeader();
    MemoHeader read;
    ASSERT_TRUE(MemoHeader::FromBytes(sample.ToBytes(), read));
    EXPECT_EQ(read, sample);

    // A longer buffer (a whole record block) reads its first 4096 bytes.
    ASSERT_TRUE(MemoHeader::FromBytes(sample.ToBytes() + QByteArray(100, '\x7f'), read));
    EXPECT_EQ(read, sample);
}

TEST_F(MemoHeaderTest, ShortBuffersAreRefused)
{
    const MemoHeader sample = SampleHeader();
    MemoHeader header = sample;
    EXPECT_FALSE(MemoHeader::FromBytes(sample.ToBytes().first(4095), header));
    EXPECT_EQ(header, sample) << "left untouched";

    LogFontW font = sample.font;
    EXPECT_FALSE(LogFontW::FromBytes(sample.font.ToBytes().first(91), font));
    EXPECT_EQ(font, LogFontW{});
}

TEST_F(MemoHeaderTest, StringsWithoutTerminatorEndAtTheirFieldsEnd)
{
    QByteArray image = SampleHeader().ToBytes();
    const struct {
        qsizetype at, units;
    } fields[] = {{12, 128}, {268, 1280}, {2828, 20}, {2868, 20}, {3012, 25}, {2912 + 28, 32}};
    for (const auto& field : fields) {
        for (qsizetype i = 0; i < field.units; ++i)
            qToLittleEndian<char16_t>(u'あ' + i % 50, image.data() + field.at + 2 * i);
    }
    image[3062] = 'x'; // the padding after the attachment id must not be read as part of it

    MemoHeader header;
    ASSERT_TRUE(MemoHeader::FromBytes(image, header));
    EXPECT_EQ(header.title, UnitsAt(image, 12, 128));
    EXPECT_EQ(header.theKeys.size(), 1280);
    EXPECT_EQ(header.createdAt.size(), 20);
    EXPECT_EQ(header.theDateTime.size(), 20);
    EXPECT_EQ(header.attachId, UnitsAt(image, 3012, 25));
    EXPECT_EQ(header.font.lfFaceName.size(), 32);
    EXPECT_EQ(header.kind, 4) << "the field after the time stamps";
    EXPECT_EQ(header.fontExtraB, -9) << "the field after the font";
}

TEST_F(MemoHeaderTest, OverlongStringsAreCutKeepingTheirTerminator)
{
    MemoHeader header = SampleHeader();
    header.title = QString(200, u'題');
    header.theKeys = QString(2000, u'k');
    header.createdAt = QString(30, u'1');
    header.theDateTime = QString(30, u'2');
    header.attachId = QString(30, u'a');
    header.font.lfFaceName = QString(40, u'F');
    const QByteArray image = header.ToBytes();

    EXPECT_EQ(UnitsAt(image, 12, 128), QString(127, u'題') + QChar(0));
    EXPECT_EQ(UnitsAt(image, 268, 1280), QString(1279, u'k') + QChar(0));
    EXPECT_EQ(UnitsAt(image, 2828, 20), QString(19, u'1') + QChar(0));
    EXPECT_EQ(UnitsAt(image, 2868, 20), QString(19, u'2') + QChar(0));
    EXPECT_EQ(UnitsAt(image, 3012, 25), QString(24, u'a') + QChar(0));
    EXPECT_EQ(UnitsAt(image, 2912 + 28, 32), QString(31, u'F') + QChar(0));
    EXPECT_TRUE(AllZero(image, 3062, 3064));

    MemoHeader read;
    ASSERT_TRUE(MemoHeader::FromBytes(image, read));
    EXPECT_EQ(read.title, QString(127, u'題'));
    EXPECT_EQ(read.attachId, QString(24, u'a'));
    EXPECT_EQ(read.font.lfFaceName, QString(31, u'F'));
    EXPECT_EQ(read.kind, header.kind);
}

TEST_F(MemoHeaderTest, StoredDefaultFontOfExactly92BytesIsUsed)
{
    LogFontW chosen{-24, 0, 0, 0, 700, 1, 0, 0, 128, 0, 0, 2, 17, u"IPAGothic"_s};
    ASSERT_TRUE(WriteDefaultFontLog(chosen.ToBytes()));
    MemoHeader header;
    ResetMemoHeader(header);
    EXPECT_EQ(header.font, chosen);

    QSettings().setValue("Font/DefaultFontLog", chosen.ToBytes().first(91));
    ResetMemoHeader(header);
    EXPECT_EQ(header.font, FallbackMemoFont());
}

TEST_F(MemoHeaderTest, FallbackFontIsMsPMinchoAtMinus16)
{
    const LogFontW font = FallbackMemoFont();
    EXPECT_EQ(font, (LogFontW{-16, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 1, u"ＭＳ Ｐ明朝"_s}));
}

} // namespace
