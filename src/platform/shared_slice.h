// A stretch of a QString that shares the string's memory instead of copying it: a load cuts a
// large decoded block into many paragraphs this way, with no allocation or copy per paragraph.
// Qt counts the slice as one more user of the block, so the block lives while any slice does,
// and a slice is copied into memory of its own before it is changed (as any shared QString).
// A slice is not followed by a terminating zero: read it by its size, as QStringView does.
#pragma once

#include <QString>
#include <utility>

// `length` units of `block` from `start` (both within the block).
inline QString SharedSlice(const QString& block, qsizetype start, qsizetype length)
{
    Q_ASSERT(start >= 0 && length >= 0 && start + length <= block.size());
    QString::DataPointer slice = block.data_ptr(); // one more user of the block
    slice.setBegin(slice.data() + start);
    slice.size = length;
    return QString(std::move(slice));
}
