// The words of a database search: how the search bar prepares the typed text, and how the page
// writers split it. Both the local and the server search split the same way, so a text finds
// the same words wherever the memos live.
#pragma once

#include <QString>
#include <QStringList>

// At most this many words count; text after the last one taken is ignored.
constexpr int kMaxSearchWords = 32;

// U+3000 becomes a blank, then each pair of blanks one blank (one pass), then trailing blanks go.
QString PrepareSearchText(QString text);

// Splits at each blank (U+0020 only) from the left. Leading, trailing or doubled blanks give
// empty words, which match everything; an empty text gives one empty word.
QStringList SplitSearchWords(const QString& text);
