// Cutting a text to its first N UTF-16 units without splitting a surrogate pair: a cut text
// never ends in half a character (the pair's first half is left out with its second).
#pragma once

#include <QString>

inline QString LeftWhole(const QString& text, qsizetype units)
{
    if (units >= text.size())
        return text;
    return text.left(units > 0 && text[units - 1].isHighSurrogate() ? units - 1 : units);
}
