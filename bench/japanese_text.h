// JapaneseText: about 20 MiB of UTF-8 Japanese text (kana, kanji, punctuation and some ASCII),
// the same bytes in every run, in one of two shapes: long paragraphs of 2 000 to 6 000
// characters, or memo lines of 0 to 70 characters. Each line ends with LF.
#pragma once

#include "platform/code_page.h"

#include <QByteArray>
#include <QString>

#include <random>
#include <vector>

struct TextShape {
    const char* name;
    int shortest; // characters per line
    int longest;
};
inline constexpr TextShape kParagraphs{"paragraphs", 2000, 6000};
inline constexpr TextShape kMemoLines{"memo_lines", 0, 70};

// Kanji that Japanese text is written in: the first 3 000 from U+4E00 that CP932 holds. Half of
// the block's first 3 000 are Chinese-only characters that no Japanese font has, which would
// make a layout or print figure a measure of font fallback.
inline const std::vector<char16_t>& JapaneseKanji()
{
    static const std::vector<char16_t> kanji = [] {
        const CodePage cp932("CP932");
        std::vector<char16_t> held;
        for (char16_t unit = 0x4E00; held.size() < 3000; ++unit) {
            if (cp932.Encode(QStringView(&unit, 1)) != "?")
                held.push_back(unit);
        }
        return held;
    }();
    return kanji;
}

inline QByteArray JapaneseText(const TextShape& shape, qsizetype bytes = 20 * 1024 * 1024)
{
    std::mt19937 random(20240601); // the raw engine's output is fixed by the standard
    const std::vector<char16_t>& kanji = JapaneseKanji();
    const QString punctuation = QStringLiteral("、。「」、。");
    const QString ascii = QStringLiteral("Quirel memo 2024 abc xyz ");
    QByteArray text;
    text.reserve(bytes + 32 * 1024);
    QString line;
    while (text.size() < bytes) {
        line.clear();
        for (int n = shape.shortest + int(random() % unsigned(shape.longest - shape.shortest + 1)); n > 0; --n) {
            const unsigned kind = random() % 100;
            if (kind < 50)
                line += QChar(char16_t(0x3041 + random() % 83));   // hiragana
            else if (kind < 60)
                line += QChar(char16_t(0x30A1 + random() % 83));   // katakana
            else if (kind < 82)
                line += QChar(kanji[random() % kanji.size()]);
            else if (kind < 90)
                line += punctuation[random() % punctuation.size()];
            else
                line += ascii[random() % ascii.size()];
        }
        text += line.toUtf8();
        text += '\n';
    }
    return text;
}
