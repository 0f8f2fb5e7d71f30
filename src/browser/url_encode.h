// Percent-encoding of text for web addresses, and the address of a web search for some words.
// The encoding is the one the search service's form expects: UTF-8 bytes, a space as "+", the
// bytes "-", "_", ".", "*" as they are and every other byte (letters and digits too) as "%XX".
#pragma once

#include <QByteArray>
#include <QString>

QByteArray UrlEncode(const QString& text);

// The web search address for `words` at the service's `host`: "https://HOST/?Keywords=#KEY#"
// with every "#KEY#" replaced by UrlEncode(words). A host written with "http://" keeps it. Empty
// when `host` is empty or not a host (with an optional port).
QString WebSearchAddress(const QString& host, const QString& words);
