// IsTextUnicode: UTF-16 little-endian text is recognised with or without its mark; byte
// encodings (ASCII, UTF-8, Shift_JIS at either alignment), big-endian text, odd lengths and
// samples with illegal units are not.
#include "platform/code_page.h"
#include "platform/is_text_unicode.h"

#include <QStringEncoder>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

QByteArray Le(const QString& text) { return QStringEncoder(QStringEncoder::Utf16LE).encode(text); }
QByteArray Be(const QString& text) { return QStringEncoder(QStringEncoder::Utf16BE).encode(text); }

const QString kJapanese = u"吾輩は猫である。名前はまだ無い。どこで生れたかとんと見当がつかぬ。"_s;

} // namespace

TEST(IsTextUnicodeTest, LittleEndianTextIsUnicode)
{
    EXPECT_TRUE(IsTextUnicode(Le(u"abc"_s)));                         // zero-extended ASCII
    EXPECT_TRUE(IsTextUnicode(Le(kJapanese + u"\r\n"_s)));            // line ends
    EXPECT_TRUE(IsTextUnicode(Le(u"ファイル名はmemo.txtです。"_s)));   // statistics, with NUL bytes
    EXPECT_TRUE(IsTextUnicode(Le(u"価格は1000円です\r\n"_s)));        // "0" is no reversed ideographic space
    EXPECT_TRUE(IsTextUnicode("\xFF\xFE"));
    EXPECT_TRUE(IsTextUnicode("\xFF\xFE" "abc")); // the mark outweighs an odd length
}

TEST(IsTextUnicodeTest, OtherSamplesAreNot)
{
    const QByteArray shiftJis = CodePage().Encode(kJapanese + u"\r\n"_s + kJapanese);
    const QByteArray samples[] = {
        "", "a", "Bush hid the facts", kJapanese.toUtf8(), shiftJis,
        // One byte in front puts the lead bytes into the high halves, where they vary as little
        // as UTF-16 high bytes do; the absence of NUL bytes still tells.
        "a" + shiftJis + "b",
        Be(u"abc\r\n"_s), Be(kJapanese + u"\r\n"_s), Be(u"\uFEFFabc\r\n"_s),
        Le(u"abc\r\n"_s) + "x",
        Le(u"abc"_s) + QByteArray(2, '\0'), Le(u"abc"_s) + "\xFF\xFF", Le(u"abc"_s) + "\xFE\xFF",
        Le(u"abc"_s) + "\r\n", // CR LF packed into one unit
    };
    for (const QByteArray& sample : samples)
        EXPECT_FALSE(IsTextUnicode(sample)) << sample.toHex(' ').constData();
}
