// The title offered when a memo with an empty title is saved: the first 80 characters of the
// body's leading text (one line, blanks folded, at most 80 UTF-16 units and never half a
// surrogate pair, so it always fits the header's 127-character Title field).
#pragma once

#include <QString>

class CTextStore;

QString TitleSuggestion(const CTextStore& store);
