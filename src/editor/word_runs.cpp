// Word runs: character classes by Shift_JIS code and the word walks (see word_runs.h).
#include "word_runs.h"

#include "platform/code_page.h"
#include "platform/text_cut.h"

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

// The character that begins at `i`, and the one that ends there, as code points.
char32_t CharacterAt(QStringView text, qsizetype i)
{
    return CharacterUnits(text, i) == 2 ? QChar::surrogateToUcs4(text[i], text[i + 1]) : text[i].unicode();
}

char32_t CharacterBefore(QStringView text, qsizetype i)
{
    return CharacterAt(text, PreviousCharacterStart(text, i));
}

bool IsOneOf(QStringView set, char32_t c)
{
    const char16_t units[] = {QChar::highSurrogate(c), QChar::lowSurrogate(c)};
    return QChar::requiresSurrogates(c) ? set.contains(QStringView(units, 2)) : set.contains(QChar(char16_t(c)));
}

// Whether a word ends between the characters before and at i (0 < i < size, not inside a
// surrogate pair).
bool EndsBefore(QStringView text, qsizetype i, WordDelimiters delimiters)
{
    const char32_t previous = CharacterBefore(text, i);
    const char32_t current = CharacterAt(text, i);
    return IsOneOf(delimiters.before, current) || IsOneOf(delimiters.after, previous)
           || !Continues(CharacterClass(previous), CharacterClass(current));
}

} // namespace

WordClass CharacterClass(char32_t c)
{
    // Shift_JIS has no character outside the Basic Multilingual Plane; the rare kanji there
    // (𠮷, 𩸽) belong to the words around them all the same.
    if (QChar::requiresSurrogates(c))
        return QChar::script(c) == QChar::Script_Han ? kKanji : kUnclassed;
    static const CodePage shiftJis("CP932");
    const QChar unit = QChar(char16_t(c));
    const QByteArray bytes = shiftJis.Encode(QStringView(&unit, 1));
    if (bytes == "?" && unit != u'?') // what Shift_JIS cannot represent
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
    const qsizetype from = std::clamp<qsizetype>(offset, 0, lineFeed);
    qsizetype i = from + CharacterUnits(paragraph, from);
    while (i < lineFeed && !EndsBefore(paragraph, i, delimiters))
        i += CharacterUnits(paragraph, i);
    return int(std::min(i, lineFeed));
}

int WordLeftOffset(QStringView paragraph, int offset, WordDelimiters delimiters)
{
    const auto prefixAfterKanji = [&](qsizetype i) {
        return CharacterClass(CharacterAt(paragraph, i)) == kPrefix
               && CharacterClass(CharacterBefore(paragraph, i)) == kKanji;
    };
    qsizetype i = PreviousCharacterStart(paragraph, std::clamp<qsizetype>(offset, 0, paragraph.size()));
    while (i > 0 && !EndsBefore(paragraph, i, delimiters) && !prefixAfterKanji(i))
        i = PreviousCharacterStart(paragraph, i);
    return int(std::max<qsizetype>(i, 0));
}
