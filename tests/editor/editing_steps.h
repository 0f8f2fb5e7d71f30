// Steps the editing tests share: selecting from an anchor to a caret position, and undoing
// everything.
#pragma once

#include "editor/text_editor.h"

inline void Select(TextEditor& editor, TextPosition anchor, TextPosition caret)
{
    editor.Collapse(anchor);
    editor.Extend(caret);
}

inline void UndoAll(TextEditor& editor)
{
    while (editor.Undo().CanUndo())
        editor.UndoLast();
}
