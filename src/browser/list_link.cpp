// List link decoding (see list_link.h).
#include "list_link.h"

#include <algorithm>
#include <limits>

namespace {

// The integer at the start of `text` as atoi reads it (optional sign, digits up to the first
// other character, 0 without digits), held to the range of int instead of overflowing.
int LeadingInt(QStringView text)
{
    qsizetype at = 0;
    const bool negative = at < text.size() && text[at] == u'-';
    if (at < text.size() && (text[at] == u'-' || text[at] == u'+'))
        ++at;
    qint64 value = 0;
    for (; at < text.size() && text[at] >= u'0' && text[at] <= u'9'; ++at)
        value = std::min<qint64>(value * 10 + (text[at].unicode() - u'0'), qint64(std::numeric_limits<int>::max()) + 1);
    value = negative ? -value : value;
    return int(std::clamp<qint64>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

// The integer after the first `key` in `url`.
int After(const QString& url, QStringView key)
{
    return LeadingInt(QStringView(url).mid(url.indexOf(key) + key.size()));
}

} // namespace

std::optional<ListLink> DecodeListLink(const QString& url)
{
    if (url.contains(u"nID="))
        return ListLink{ListLink::Kind::kServerMemo, After(url, u"nID="), 0};
    if (url.contains(u"TopNum")) {
        if (!url.contains(u"TopNum="))
            return std::nullopt;
        return ListLink{ListLink::Kind::kPage, After(url, u"TopNum="), 0};
    }
    const qsizetype fat = url.indexOf(u"FAT=");
    if (fat < 0)
        return std::nullopt;
    const QStringView rest = QStringView(url).mid(fat + 4);
    const qsizetype amp = rest.indexOf(u'&');
    // Without the "&ID=" part there is no position to open.
    if (amp < 0)
        return std::nullopt;
    return ListLink{ListLink::Kind::kLocalRecord, LeadingInt(rest.mid(amp + 4)), LeadingInt(rest)};
}
