// The plain-identifier rule for table names (see table_name.h).
#include "table_name.h"

#include <algorithm>

namespace {

bool IsDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

bool IsIdentifierUnit(QChar c)
{
    const char16_t u = c.unicode();
    if (c.isSurrogate())
        return false; // outside U+FFFF
    return u >= 0x80 || IsDigit(c) || (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') || u == u'_'
           || u == u'$';
}

} // namespace

bool IsPlainTableName(QStringView name)
{
    return !name.isEmpty() && name.size() <= 64 && std::all_of(name.begin(), name.end(), IsIdentifierUnit)
           && !std::all_of(name.begin(), name.end(), IsDigit);
}
