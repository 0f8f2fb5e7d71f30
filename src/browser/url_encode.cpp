#include "url_encode.h"

namespace {
// The service's host is a placeholder; the path "/", the key "Keywords" and "#KEY#" are fixed.
const QString kWebSearchTemplate = QStringLiteral("https://search.example.com/?Keywords=#KEY#");

// Qt leaves the unreserved characters (letters, digits, "-", ".", "_", "~") alone unless told
// otherwise; the service's form encodes all of them except "-", "." and "_".
const QByteArray kAlwaysEncoded = QByteArrayLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789~");
} // namespace

QByteArray UrlEncode(const QString& text)
{
    return text.toUtf8().toPercentEncoding(" *", kAlwaysEncoded).replace(' ', '+');
}

QString WebSearchAddress(const QString& words)
{
    return QString(kWebSearchTemplate).replace(QStringLiteral("#KEY#"), QString::fromLatin1(UrlEncode(words)));
}
