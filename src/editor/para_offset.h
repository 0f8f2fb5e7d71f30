// ParaOffset: a text position as paragraph ordinal and character offset. Undo records keep
// positions this way because it survives rewrapping: display lines move, offsets do not.
// Conversions check their bounds; a position outside the text converts to nothing.
#pragma once

#include "editor/text_store.h"

#include <QStringView>
#include <compare>
#include <optional>

struct ParaOffset {
    int ordinal = -1;
    int offset = -1;
    friend auto operator<=>(const ParaOffset&, const ParaOffset&) = default; // text order
};

// Nothing when the position is not in the text (a paragraph's last offset is its line feed);
// a position between the halves of a surrogate pair gives the pair's start.
std::optional<ParaOffset> ToParaOffset(CTextStore& store, TextPosition position);
// The paragraph is found by walking from the one at `nearLine`, where the store's lookup cache
// usually stands, so conversions near the caret are short.
std::optional<TextPosition> ToPosition(CTextStore& store, ParaOffset at, int nearLine);
// The display position `count` characters after `at` in text order (a line feed counts as one
// character), at most the last paragraph's line feed; nothing when `at` is not in the text.
std::optional<TextPosition> PositionAfter(CTextStore& store, ParaOffset at, int count, int nearLine);
// Where a position stands once the stretch [start, end) is deleted (inside it: at its start).
ParaOffset AfterDeletion(ParaOffset position, ParaOffset start, ParaOffset end);
// Where the end of `text` stands once it is inserted at `start`.
ParaOffset AfterInsertion(ParaOffset start, QStringView text);
