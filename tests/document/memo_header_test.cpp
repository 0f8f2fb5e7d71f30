// MemoHeader byte image: field offsets, string limits on writing and reading, round trips, and
// the defaults of a new memo including the stored default font.
#include "document/memo_header.h"

#include "platform/settings.h"
#include "support/new_header.h"

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

QString UnitsAt(const QByteArray& image, qsizetype at, qsizetype units)
{
    QString text(units, Qt::Uninitialized);
    qFromLittleEndian<char16_t>(image.constData() + at, units, text.data());
    return text;
}

class MemoHeaderTest : public testing::Test {
protected:
    void SetUp() override { QSettings().remove("Font/DefaultFontLog"); }
};

TEST_F(MemoHeaderTest, FreshImageHasEveryFieldAtItsOffset)
{
    const QByteArray image = NewHeader().ToBytes();
    ASSERT_EQ(image.size(), 4096);
    const std::pair<qsizetype, int32_t> numbers[] = {{0, 0xABCD}, {4, 4096}, {8, 0},     {2908, 4},
                                                     {2912, -16}, {3004, 9}, {3008, 1}, {4092, 0xDCBA}};
    for (const auto& [at, value] : numbers)
        EXPECT_EQ(Int32At(image, at), value) << at;
    EXPECT_EQ(image.sliced(12, 2816), QByteArray(2816, '\0')) << "empty title and keys";
    const QString createdAt = UnitsAt(image, 2828, 20);
    EXPECT_TRUE(QRegularExpression(u"^\\d{4}/\\d\\d/\\d\\d \\d\\d:\\d\\d:\\d\\d\\0$"_s).match(createdAt).hasMatch());
    EXPECT_EQ(UnitsAt(image, 2868, 20), createdAt);
    EXPECT_EQ(image.mid(2916, 24), QByteArray(19, '\0') + QByteArray("\1\0\0\0\1", 5)) << "font bytes";
    EXPECT_EQ(UnitsAt(image, 2940, 32), u"ＭＳ Ｐ明朝"_s + QString(26, QChar(0)));
    EXPECT_EQ(image.sliced(3012, 1080), QByteArray(1080, '\0')) << "attachment id, count and reserved";
    EXPECT_EQ(MemoTimeStamp(QDateTime(QDate(2014, 3, 5), QTime(9, 7, 0))), u"2014/03/05 09:07:00"_s);
}

TEST_F(MemoHeaderTest, ImageRoundTripsAndShortBuffersAreRefused)
{
    MemoHeader sample{1234, 4096, 88, u"会議メモ"_s, u"予定, 議事録"_s, u"2024-05-01 13:45:09"_s,
                      u"2014/03/05 09:07:00"_s, 4, {-21, 3, 900, -900, 700, 1, 1, 0, 128, 3, 2, 5, 49, u"IPAPMincho"_s},
                      -9, 0x7FFFFFFF, u"abcdefghijklmnopqrstuvxw"_s, 3, MemoHeader::kEndMark};
    MemoHeader read;
    ASSERT_TRUE(MemoHeader::FromBytes(sample.ToBytes() + "rest of the record", read));
    EXPECT_EQ(read, sample);
    MemoHeader listed;
    ASSERT_TRUE(MemoHeader::FromBytes(sample.ToBytes(), listed, MemoHeader::Fields::kListed));
    EXPECT_EQ(listed, (MemoHeader{1234, 4096, 88, u"会議メモ"_s, {}, u"2024-05-01 13:45:09"_s, u"2014/03/05 09:07:00"_s,
                                  0, {}, 0, 0, {}, 0, MemoHeader::kEndMark})) << "a list's fields and no others";

    EXPECT_FALSE(MemoHeader::FromBytes(sample.ToBytes().first(4095), read));
    EXPECT_EQ(read, sample) << "left untouched";
    EXPECT_FALSE(LogFontW::FromBytes(sample.font.ToBytes().first(91), read.font));
    EXPECT_EQ(read.font, LogFontW{});
}

TEST_F(MemoHeaderTest, StringsAreBoundedByTheirFields)
{
    struct Field {
        QString* text;
        qsizetype at, units;
    };
    MemoHeader header = NewHeader();
    const Field fields[] = {{&header.title, 12, 128},        {&header.theKeys, 268, 1280},
                            {&header.createdAt, 2828, 20},   {&header.theDateTime, 2868, 20},
                            {&header.attachId, 3012, 25},    {&header.font.lfFaceName, 2940, 32}};
    for (const Field& field : fields)
        *field.text = QString(2000, u'題');
    QByteArray image = header.ToBytes();
    for (const Field& field : fields) // cut on writing, keeping the NUL
        EXPECT_EQ(UnitsAt(image, field.at, field.units), QString(field.units - 1, u'題') + QChar(0)) << field.at;

    // Without its NUL a string runs to the field's end and no further.
    for (const Field& field : fields)
        image[field.at + 2 * field.units - 2] = 'x';
    image[3062] = 'y';
    ASSERT_TRUE(MemoHeader::FromBytes(image, header));
    for (const Field& field : fields)
        EXPECT_EQ(*field.text, QString(field.units - 1, u'題') + u'x') << field.at;
    EXPECT_EQ(header.kind, 4);
    EXPECT_EQ(header.fontExtraB, 9);
}

TEST_F(MemoHeaderTest, StoredDefaultFontIsUsedOnlyWhenExactly92Bytes)
{
    const LogFontW chosen{-24, 0, 0, 0, 700, 1, 0, 0, 128, 0, 0, 2, 17, u"IPAGothic"_s};
    ASSERT_TRUE(WriteDefaultFontLog(chosen.ToBytes()));
    EXPECT_EQ(NewHeader().font, chosen);

    QSettings().setValue("Font/DefaultFontLog", chosen.ToBytes().first(91));
    EXPECT_EQ(NewHeader().font, FallbackMemoFont());
}

} // namespace
