// Splitting a host field into name and port (see host_field.h).
#include "host_field.h"

#include <algorithm>

namespace {

// The port after the name, or 0 when `digits` is not one.
unsigned PortNumber(const QString& digits)
{
    bool ok = false;
    const unsigned port = digits.toUInt(&ok);
    const bool plain = !digits.isEmpty() && digits.size() <= 5
                       && std::all_of(digits.begin(), digits.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
    return ok && plain && port >= 1 && port <= 65535 ? port : 0;
}

} // namespace

HostField ParseHostField(const QString& field)
{
    if (field.startsWith(u'[')) {
        const qsizetype close = field.indexOf(u']');
        if (close > 1) {
            const QString rest = field.mid(close + 1);
            if (rest.isEmpty())
                return {field.mid(1, close - 1), 0};
            if (rest.startsWith(u':')) {
                if (const unsigned port = PortNumber(rest.mid(1)))
                    return {field.mid(1, close - 1), port};
            }
        }
        return {field, 0};
    }
    const qsizetype colon = field.indexOf(u':');
    if (colon < 0 || field.indexOf(u':', colon + 1) >= 0)
        return {field, 0};
    if (const unsigned port = PortNumber(field.mid(colon + 1)); port && colon > 0)
        return {field.left(colon), port};
    return {field, 0};
}
