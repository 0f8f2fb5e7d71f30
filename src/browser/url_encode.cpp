#include "url_encode.h"

#include <QUrl>

namespace {
// The path "/", the key "Keywords" and "#KEY#" are fixed; the host is the user's setting.
const QString kWebSearchQuery = QStringLiteral("/?Keywords=#KEY#");

// Qt leaves the unreserved characters (letters, digits, "-", ".", "_", "~") alone unless told
// otherwise; the service's form encodes all of them except "-", "." and "_".
const QByteArray kAlwaysEncoded = QByteArrayLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789~");
} // namespace

QByteArray UrlEncode(const QString& text)
{
    return text.toUtf8().toPercentEncoding(" *", kAlwaysEncoded).replace(' ', '+');
}

QString WebSearchAddress(const QString& host, const QString& words)
{
    QString authority = host.trimmed();
    QUrl base;
    base.setScheme(QStringLiteral("https"));
    for (const QString& scheme : {QStringLiteral("https"), QStringLiteral("http")}) {
        if (authority.startsWith(scheme + QStringLiteral("://"), Qt::CaseInsensitive)) {
            base.setScheme(scheme);
            authority.remove(0, scheme.size() + 3);
            break;
        }
    }
    if (authority.endsWith(u'/'))
        authority.chop(1);
    // Strict: a path, a query or a password in the setting makes it no host.
    base.setAuthority(authority, QUrl::StrictMode);
    if (!base.isValid() || base.host().isEmpty() || !base.userInfo().isEmpty())
        return {};
    return base.toString(QUrl::FullyEncoded) +
           QString(kWebSearchQuery).replace(QStringLiteral("#KEY#"), QString::fromLatin1(UrlEncode(words)));
}
