// NewHeader: a new memo's header (marks, time stamps and font as ResetMemoHeader sets them) with
// the title and keys given, as the tests that write memos start from.
#pragma once

#include "document/memo_header.h"

inline MemoHeader NewHeader(const QString& title = {}, const QString& keys = {})
{
    MemoHeader header;
    ResetMemoHeader(header);
    header.title = title;
    header.theKeys = keys;
    return header;
}
