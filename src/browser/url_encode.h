// Percent-encoding of text for web addresses, and the address of a web search for some words.
// The encoding is the one the search service's form expects: UTF-8 bytes, a space as "+", the
// bytes "-", "_", ".", "*" as they are and every other byte (letters and digits too) as "%XX".
#pragma once

#include <QByteArray>
#include <QString>

QByteArray UrlEncode(const QString& text);

// The web search address for `words`: the search address template with every "#KEY#"
// replaced by UrlEncode(words).
QString WebSearchAddress(const QString& words);
