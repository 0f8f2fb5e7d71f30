// Conversions between display positions and paragraph offsets (see para_offset.h).
#include "editor/para_offset.h"

#include "platform/text_cut.h"

#include <algorithm>

namespace {

// The paragraph holding `at`, walked to from the one at `nearLine`; none when `at` is not in
// the text.
const CTextPara* FindParagraphOf(CTextStore& store, ParaOffset at, int nearLine)
{
    const CTextPara* para = store.FindParagraph(std::clamp(nearLine, 0, store.TotalLines() - 1));
    while (para && para->ordinal < at.ordinal)
        para = para->next;
    while (para && para->ordinal > at.ordinal)
        para = para->prev;
    if (!para || para->ordinal != at.ordinal || at.offset < 0 || at.offset >= para->Length())
        return nullptr;
    return para;
}

} // namespace

std::optional<ParaOffset> ToParaOffset(CTextStore& store, TextPosition position)
{
    const CTextPara* para = store.FindParagraph(position.line);
    if (!para || position.column < 0)
        return std::nullopt;
    const qint64 offset = qint64(para->LineStart(position.line - para->firstLine)) + position.column;
    if (offset >= para->Length())
        return std::nullopt;
    return ParaOffset{para->ordinal, int(SplitsPair(para->text.Text(), offset) ? offset - 1 : offset)};
}

std::optional<TextPosition> ToPosition(CTextStore& store, ParaOffset at, int nearLine)
{
    const CTextPara* para = FindParagraphOf(store, at, nearLine);
    if (!para)
        return std::nullopt;
    return store.OffsetToPosition(*para, at.offset);
}

std::optional<TextPosition> PositionAfter(CTextStore& store, ParaOffset at, int count, int nearLine)
{
    const CTextPara* para = FindParagraphOf(store, at, nearLine);
    if (!para)
        return std::nullopt;
    qint64 offset = qint64(at.offset) + std::max(count, 0);
    while (offset >= para->Length() && para->next) {
        offset -= para->Length();
        para = para->next;
    }
    return store.OffsetToPosition(*para, int(std::min<qint64>(offset, para->Length() - 1)));
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

ParaOffset AfterInsertion(ParaOffset start, QStringView text)
{
    const qsizetype lastBreak = text.lastIndexOf(u'\n');
    if (lastBreak < 0)
        return {start.ordinal, start.offset + int(text.size())};
    return {start.ordinal + int(text.count(u'\n')), int(text.size() - lastBreak - 1)};
}
