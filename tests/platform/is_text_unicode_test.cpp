// IsTextUnicode: UTF-16 little-endian text is recognised with or without its mark; byte
// encodings (ASCII, UTF-8, Shift_JIS at either alignment), big-endian text, odd lengths and
// samples with illegal units are not.
#include "platform/code_page.h"
#include "platform/is_text_unicode.h"

#include <QtEndian>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

QByteArray Utf16(const QString& text, QSysInfo::Endian order)
{
    QByteArray bytes(text.size() * 2, Qt::Uninitialized);
    if (order == QSysInfo::LittleEndian)
        qToLittleEndian<char16_t>(text.utf16(), text.size(), bytes.data());
    else
        qToBigEndian<char16_t>(text.utf16(), text.size(), bytes.data());
    return bytes;
}

QByteArray Le(const QString& text)
{
    return Utf16(text, QSysInfo::LittleEndian);
}

QByteArray Be(const QString& text)
{
    return Utf16(text, QSysInfo::BigEndian);
}

const QString kJapanese = u"吾輩は猫である。名前はまだ無い。どこで生れたかとんと見当がつかぬ。"_s;

} // namespace

TEST(IsTextUnicodeTest, LittleEndianTextIsUnicode)
{
    EXPECT_TRUE(IsTextUnicode(Le(u"abc"_s)));                // zero-extended ASCII
    EXPECT_TRUE(IsTextUnicode(Le(kJapanese + u"\r\n"_s)));     // line ends
    EXPECT_TRUE(IsTextUnicode(Le(u"ファイル名はmemo.txtです。"_s))); // statistics, with NUL bytes
    EXPECT_TRUE(IsTextUnicode(Le(u"価格は1000円です\r\n"_s))); // "0" is no reversed ideographic space
}

TEST(IsTextUnicodeTest, MarkDecides)
{
    EXPECT_TRUE(IsTextUnicode("\xFF\xFE"));
    EXPECT_TRUE(IsTextUnicode("\xFF\xFE" "abc")); // even with an odd length
    EXPECT_FALSE(IsTextUnicode(Be(u"\uFEFFabc\r\n"_s)));
}

TEST(IsTextUnicodeTest, ByteEncodingsAreNotUnicode)
{
    EXPECT_FALSE(IsTextUnicode(""));
    EXPECT_FALSE(IsTextUnicode("a"));
    EXPECT_FALSE(IsTextUnicode("Bush hid the facts"));
    EXPECT_FALSE(IsTextUnicode(kJapanese.toUtf8()));
    const QByteArray shiftJis = CodePage().Encode(kJapanese + u"\r\n"_s + kJapanese);
    EXPECT_FALSE(IsTextUnicode(shiftJis));
    // One byte in front puts the lead bytes into the high halves, where they vary as little as
    // UTF-16 high bytes do; the absence of NUL bytes still tells.
    EXPECT_FALSE(IsTextUnicode("a" + shiftJis + "b"));
}

TEST(IsTextUnicodeTest, BigEndianOddAndIllegalSamplesAreNotUnicode)
{
    EXPECT_FALSE(IsTextUnicode(Be(u"abc\r\n"_s)));
    EXPECT_FALSE(IsTextUnicode(Be(kJapanese + u"\r\n"_s)));
    EXPECT_FALSE(IsTextUnicode(Le(u"abc\r\n"_s) + "x"));
    EXPECT_FALSE(IsTextUnicode(Le(u"abc"_s) + QByteArray(2, '\0')));
    EXPECT_FALSE(IsTextUnicode(Le(u"abc"_s) + "\xFF\xFF"));
    EXPECT_FALSE(IsTextUnicode(Le(u"abc"_s) + "\xFE\xFF"));
    EXPECT_FALSE(IsTextUnicode(Le(u"abc"_s) + "\r\n")); // CR LF packed into one unit
}
