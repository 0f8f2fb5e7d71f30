// Conversions between display positions and paragraph offsets (see para_offset.h).
#include "editor/para_offset.h"

#include <algorithm>

std::optional<ParaOffset> ToParaOffset(CTextStore& store, TextPosition position)
{
    const CTextPara* para = store.FindParagraph(position.line);
    if (!para || position.column < 0)
        return std::nullopt;
    const qint64 offset = qint64(para->LineStart(position.line - para->firstLine)) + position.column;
    if (offset >= para->Length())
        return std::nullopt;
    return ParaOffset{para->ordinal, int(offset)};
}

std::optional<TextPosition> ToPosition(CTextStore& store, ParaOffset at, int nearLine)
{
    const CTextPara* para = store.FindParagraph(std::clamp(nearLine, 0, store.TotalLines() - 1));
    while (para && para->ordinal < at.ordinal)
        para = para->next;
    while (para && para->ordinal > at.ordinal)
        para = para->prev;
    if (!para || para->ordinal != at.ordinal || at.offset < 0 || at.offset >= para->Length())
        return std::nullopt;
    return store.OffsetToPosition(*para, at.offset);
}

ParaOffset AfterDeletion(ParaOffset position, ParaOffset start, ParaOffset end)
{
    if (position < start)
        return position;
    if (position < end)
        return start;
    if (position.ordinal == end.ordinal)
        return {start.ordinal, start.offset + position.offset - end.offset};
    return {position.ordinal - (end.ordinal - start.ordinal), position.offset};
}
