// Word runs: the stretches of a paragraph that word movement and double clicks treat as one
// word. Each character is classed by its Shift_JIS code (spaces, digits, letters and ASCII
// symbols, half-width katakana, full-width digits and letters, hiragana, katakana, kanji, the
// honorific prefixes お and ご, Japanese punctuation); a word ends where the class pair does not
// continue the run, in front of a character of the first delimiter set and behind one of the
// second. A character without a Shift_JIS code ends a run, but a walk never stops between the
// two halves of a surrogate pair.
//
// The walks stay inside one paragraph: offsets run from 0 to the paragraph's length − 1 (in
// front of its closing line feed).
#pragma once

#include <QChar>
#include <QStringView>

namespace WordClass {
inline constexpr int kUnclassed = 0;
inline constexpr int kSpace = 1;
inline constexpr int kDigit = 2;
inline constexpr int kLetterOrSymbol = 3;
inline constexpr int kHalfWidthKatakana = 4;
inline constexpr int kOtherSingleByte = 5;
inline constexpr int kFullWidthDigit = 6;
inline constexpr int kFullWidthLetter = 7;
inline constexpr int kHiragana = 8;
inline constexpr int kKatakana = 9;
inline constexpr int kKanji = 10; // and every other double-byte character
inline constexpr int kPrefix = 11;
inline constexpr int kPunctuation = 12;
} // namespace WordClass

int CharacterClass(QChar c);

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
