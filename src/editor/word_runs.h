// Word runs: the stretches of a paragraph that word movement and double clicks treat as one
// word. Each character is classed by its Shift_JIS code (spaces, digits, letters and ASCII
// symbols, half-width katakana, full-width digits and letters, hiragana, katakana, kanji, the
// honorific prefixes お and ご, Japanese punctuation); a word ends where the class pair does not
// continue the run, in front of a character of the first delimiter set and behind one of the
// second. A surrogate pair is one character: a kanji when it is a CJK ideograph, otherwise
// unclassed; a character without a Shift_JIS code ends a run, and a walk never stops between
// the two halves of a pair.
//
// The walks stay inside one paragraph: offsets run from 0 to the paragraph's length − 1 (in
// front of its closing line feed).
#pragma once

#include <QChar>
#include <QStringView>

enum class WordClass {
    kUnclassed,         // no Shift_JIS code (and no ideograph): ends every run
    kSpace,             // 0x20 and the full-width space
    kDigit,
    kLetterOrSymbol,    // ASCII letters, "_" and the symbols 0x21-0x2F and 0x3A-0x40
    kHalfWidthKatakana,
    kOtherSingleByte,
    kFullWidthDigit,
    kFullWidthLetter,
    kHiragana,
    kKatakana,          // and the long vowel mark
    kKanji,             // and every other double-byte character
    kPrefix,            // お and ご
    kPunctuation,       // 、。，．
};

WordClass CharacterClass(char32_t c);

// Delimiters: a word ends in front of a character of `before` and behind one of `after`.
struct WordDelimiters {
    QStringView before;
    QStringView after;
};

// Where word right stops when the caret is at `offset` (below the closing line feed): the end
// of the run that begins there, at most the line feed's offset.
int WordRightOffset(QStringView paragraph, int offset, WordDelimiters delimiters);
// Where word left stops when the caret is at `offset` (above 0): the start of the run that
// ends there, at least 0.
int WordLeftOffset(QStringView paragraph, int offset, WordDelimiters delimiters);
