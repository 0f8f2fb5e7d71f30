// CodePage: Shift_JIS through CP932 both ways with replacement of what does not convert,
// results larger than their input, a stateful code page, an unknown name and the settings.
#include "platform/code_page.h"

#include <QSettings>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(CodePageTest, ShiftJisWithReplacements)
{
    const CodePage cp932;
    EXPECT_EQ(cp932.Decode("\x93\xFA\x96\x7B\x8C\xEA" "a\xB1"), u"日本語aｱ"_s);
    // 0x80 is no character, 0x7F cannot follow the lead byte 0x93 and is read again, and a lead
    // byte at the end has nothing to follow it.
    EXPECT_EQ(cp932.Decode("\x80" "a\x93\x7F" "b\x93"), u"\uFFFDa\uFFFD\x7F" "b\uFFFD"_s);
    // A Latin letter, a character beyond the BMP (one mark for the pair) and a lone surrogate.
    EXPECT_EQ(cp932.Encode(u"é日😀x"_s + QChar(0xD800) + u"ｱ"_s), QByteArray("?\x93\xFA?x?\xB1"));
}

TEST(CodePageTest, LargerResultsAndStatefulCodePages)
{
    const CodePage utf8("UTF-8");
    const QString text = u"日本語"_s.repeated(5000);
    EXPECT_EQ(utf8.Encode(text), text.toUtf8());
    EXPECT_EQ(utf8.Decode(text.toUtf8()), text);

    const CodePage jis("ISO-2022-JP");
    const QByteArray bytes = jis.Encode(u"日本"_s);
    EXPECT_TRUE(bytes.endsWith("\x1B(B")) << bytes.toHex().constData();
    EXPECT_EQ(jis.Decode(bytes), u"日本"_s);
    EXPECT_EQ(jis.Encode(u"日本"_s), bytes); // each call starts afresh
}

TEST(CodePageTest, UnknownNamesAndTheSetting)
{
    const CodePage unknown("NO-SUCH-CODE-PAGE");
    EXPECT_FALSE(unknown.IsAvailable());
    EXPECT_EQ(unknown.Decode("ab"), u"\uFFFD\uFFFD"_s);
    EXPECT_EQ(unknown.Encode(u"a日"), QByteArray("??"));

    QSettings settings;
    settings.remove("Options/AnsiCodePage");
    EXPECT_EQ(CodePage::System().Name(), "CP932");
    settings.setValue("Options/AnsiCodePage", "EUC-JP");
    EXPECT_EQ(CodePage::System().Encode(u"日本"), QByteArray("\xC6\xFC\xCB\xDC"));
    settings.setValue("Options/AnsiCodePage", "NO-SUCH-CODE-PAGE");
    EXPECT_EQ(CodePage::System().Name(), "CP932");
    settings.remove("Options/AnsiCodePage");
}

// Long texts decode through a table read from the converter: every byte pair, each followed by
// a letter that ends what it started, decodes as it does on its own.
TEST(CodePageTest, LongTextsDecodeAsTheirPiecesDo)
{
    for (const char* name : {"CP932", "EUC-JP"}) {
        const CodePage codePage(name);
        QByteArray whole;
        QString pieces;
        for (int pair = 0; pair < 0x10000; ++pair) {
            const char piece[3] = {char(pair >> 8), char(pair), 'a'};
            whole.append(piece, 3);
            pieces += codePage.Decode(QByteArrayView(piece, 3));
        }
        EXPECT_EQ(codePage.Decode(whole), pieces) << name;
    }
}
