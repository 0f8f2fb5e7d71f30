// The expected pages kept as files beside the tests (tests/data/pages), as written on disk.
#pragma once

#include "support/temp_files.h"

#include <QString>

inline QString ExpectedPage(const char* name)
{
    return QString::fromUtf8(ReadBytes(QStringLiteral(QUIREL_PAGES_DATA "/") + QString::fromLatin1(name)));
}
