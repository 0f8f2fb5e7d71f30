// Whole characters in UTF-16 text: where a text may be cut, or a caret stand, without splitting
// a surrogate pair. A cut text never ends in half a character (the pair's first half is left
// out with its second); a lone surrogate counts as a character of its own.
#pragma once

#include <QString>
#include <QStringView>
#include <algorithm>

// Whether `offset` falls between the two halves of a surrogate pair.
inline bool SplitsPair(QStringView text, qsizetype offset)
{
    return offset > 0 && offset < text.size() && text[offset].isLowSurrogate() && text[offset - 1].isHighSurrogate();
}

// The units of the character that begins at `offset`: 2 for a surrogate pair, otherwise 1.
inline qsizetype CharacterUnits(QStringView text, qsizetype offset)
{
    return SplitsPair(text, offset + 1) ? 2 : 1;
}

// The start of the character that ends at `offset` (above 0).
inline qsizetype PreviousCharacterStart(QStringView text, qsizetype offset)
{
    return SplitsPair(text, offset - 1) ? offset - 2 : offset - 1;
}

// The most units, up to `units`, that hold only whole characters of `text`.
inline qsizetype WholeUnits(QStringView text, qsizetype units)
{
    units = std::clamp<qsizetype>(units, 0, text.size());
    return SplitsPair(text, units) ? units - 1 : units;
}

inline QString LeftWhole(const QString& text, qsizetype units)
{
    return text.left(WholeUnits(text, units));
}
