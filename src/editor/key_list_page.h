// The key list page: an HTML table of the functions the editor carries out with their keys in
// both layouts, grouped by category, as UTF-8 bytes ready to be written to Keylist.html.
#pragma once

#include <QByteArray>
#include <functional>

// `carriedOut` tells for a command whether the editor carries it out; the other functions are
// left out. Categories appear in the order 10, 3, 2, 1, 4, 5, 6, 7, 8, 0 (9 is never shown).
QByteArray KeyListPage(const std::function<bool(int)>& carriedOut);
