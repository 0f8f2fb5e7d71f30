// Which table names the store puts into statements. Table names cannot be escaped or bound,
// so only plain identifiers are accepted: 1 to 64 characters, each from [0-9A-Za-z_$] or
// U+0080..U+FFFF, and not all ASCII digits (the server would read those as a number).
#pragma once

#include <QStringView>

bool IsPlainTableName(QStringView name);
