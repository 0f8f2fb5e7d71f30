// Word runs: character classes by Shift_JIS code and the word walks (see word_runs.h).
#include "word_runs.h"

#include "platform/code_page.h"

#include <QByteArray>
#include <algorithm>

using enum WordClass;

namespace {

WordClass SingleByteClass(uchar byte)
{
    if (byte == 0x20)
        return kSpace;
    if (byte >= '0' && byte <= '9')
        return kDigit;
    if ((byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') || byte == '_' || (byte >= 0x21 && byte <= 0x2F)
        || (byte >= 0x3A && byte <= 0x40))
        return kLetterOrSymbol;
    if (byte >= 0xA1 && byte <= 0xDF)
        return kHalfWidthKatakana;
    return kOtherSingleByte;
}

WordClass DoubleByteClass(int code)
{
    if (code == 0x8140)
        return kSpace;
    if (code >= 0x8141 && code <= 0x8144) // 、。，．
        return kPunctuation;
    if (code >= 0x824F && code <= 0x8258)
        return kFullWidthDigit;
    if (code >= 0x8260 && code <= 0x829A)
        return kFullWidthLetter;
    if (code == 0x82A8 || code == 0x82B2) // お, ご
        return kPrefix;
    if (code >= 0x829F && code <= 0x82F1)
        return kHiragana;
    if ((code >= 0x8340 && code <= 0x8396) || code == 0x815B) // katakana and ー
        return kKatakana;
    return kKanji;
}

// Whether a run of class p continues with a character of class c.
bool Continues(WordClass p, WordClass c)
{
    if (p == kUnclassed || c == kUnclassed)
        return false;
    if (p == c || c == kSpace || c == kPunctuation)
        return true;
    return (p == kPrefix && (c == kKanji || c == kHiragana)) || (c == kHiragana && (p == kKatakana || p == kKanji))
           || (p == kHiragana && c == kPrefix);
}

// Whether a word ends between text[i - 1] and text[i] (1 <= i < size).
bool EndsBefore(QStringView text, qsizetype i, WordDelimiters delimiters)
{
    if (text[i].isLowSurrogate() && text[i - 1].isHighSurrogate())
        return false;
    return delimiters.before.contains(text[i]) || delimiters.after.contains(text[i - 1])
           || !Continues(CharacterClass(text[i - 1]), CharacterClass(text[i]));
}

} // namespace

WordClass CharacterClass(QChar c)
{
    static const CodePage shiftJis("CP932");
    const QByteArray bytes = shiftJis.Encode(QStringView(&c, 1));
    if (bytes == "?" && c != u'?') // what Shift_JIS cannot represent
        return kUnclassed;
    if (bytes.size() == 1)
        return SingleByteClass(uchar(bytes[0]));
    if (bytes.size() == 2)
        return DoubleByteClass(uchar(bytes[0]) << 8 | uchar(bytes[1]));
    return kUnclassed;
}

int WordRightOffset(QStringView paragraph, int offset, WordDelimiters delimiters)
{
    const qsizetype lineFeed = std::max<qsizetype>(paragraph.size() - 1, 0);
    qsizetype i = std::clamp<qsizetype>(offset, 0, lineFeed) + 1;
    while (i < lineFeed && !EndsBefore(paragraph, i, delimiters))
        ++i;
    return int(std::min(i, lineFeed));
}

int WordLeftOffset(QStringView paragraph, int offset, WordDelimiters delimiters)
{
    const auto prefixAfterKanji = [&](qsizetype i) {
        return CharacterClass(paragraph[i]) == kPrefix && CharacterClass(paragraph[i - 1]) == kKanji;
    };
    qsizetype i = std::clamp<qsizetype>(offset, 0, paragraph.size()) - 1;
    while (i > 0 && !EndsBefore(paragraph, i, delimiters) && !prefixAfterKanji(i))
        --i;
    return int(std::max<qsizetype>(i, 0));
}
