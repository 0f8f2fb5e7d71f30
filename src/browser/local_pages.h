// The list pages of a local database: the title list (30 records a page between two paging
// rows) and the search page (every record whose body and keywords hold all the words).
// Record links are "FAT=slot&ID=position", paging links "?TopNum=position", both non-negative,
// so a link's sign tells a local record from a server memo.
//
// A page is built whole in memory from the database's state; writing it is the caller's
// (page_file.h). A record that cannot be read ends the rows there: the page is still complete
// markup, and `cut` tells the caller to report the read error.
#pragma once

#include "browser/page_markup.h"

#include <QString>
#include <functional>

class CLocalDatabase;
struct MemoHeader;

// The title list from display position `top` (negative as 0, past the end as the last record).
ListPage LocalTitleListPage(CLocalDatabase& database, int top);

// The records matching every word of `text` (split as search_words.h says). A record matches
// when each ASCII-lowercased word occurs in the ASCII-lowercased body + " " + keywords, taken
// literally; the title is not searched.
ListPage LocalSearchPage(CLocalDatabase& database, const QString& text);

// The walk of the search page: calls `hit` for each matching record in display order. False
// when a record could not be read; the walk stops there.
bool FindLocalMemos(CLocalDatabase& database, const QString& text,
                    const std::function<void(int position, int slot, const MemoHeader& header, const QString& body)>& hit);

// The excerpt shown under a search hit: up to 90 units either side of the first occurrence of
// `word` in the body (case-sensitive; the first 89 units when absent), cleaned of line feeds,
// "--", "=" and ".", angle brackets escaped, the word in bold, then "...". Empty for an empty
// word. A surrogate pair is never cut.
QString SearchSnippet(const QString& body, const QString& word);
