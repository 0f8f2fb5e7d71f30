// TextEditor: the headless editor behind CQuirelView. It owns the page format (with caret and
// anchor), the undo ring and the key lookup state, and carries out caret movement, selection,
// editing, clipboard, find and the editor commands on the document's text store. The widget
// turns events into these calls and draws what the editor holds; tests drive it directly.
#pragma once

#include "editor/key_table.h"
#include "editor/page_format.h"
#include "editor/para_offset.h"
#include "editor/text_store.h"
#include "editor/undo_ring.h"

#include <QString>
#include <optional>

class CharMeasurer;
class CodePage;

// What the editor needs from its surroundings (the widget, or a test).
class EditorHost {
public:
    virtual ~EditorHost() = default;
    // Puts Unicode text on the clipboard; false when the clipboard cannot be opened.
    virtual bool SetClipboardText(const QString& text) = 0;
    // The clipboard's Unicode text; nothing when it holds none or cannot be opened.
    virtual std::optional<QString> ClipboardText() = 0;
    virtual void ShowMessage(const QString& text) = 0;
    // Every edit marks the document modified (the store's edited flag is set by the editor).
    virtual void MarkModified() = 0;
    // Commands of the key table that belong to the window around the editor: find (302, 704),
    // replace (306), save (402), previous and next memo (701, 702), search word (32772).
    virtual void RunHostCommand(int command) = 0;
};

class TextEditor {
public:
    TextEditor(EditorHost& host, CharMeasurer& measurer, const CodePage& ansi);

    // Shows another text store (owned by the document): caret and anchor to (0, 0), the undo
    // ring emptied, the whole text rewrapped (remeasured when `remeasure`).
    void Attach(CTextStore* store, bool remeasure);
    CTextStore* Store() const { return m_store; }
    CPageFormat& Format() { return m_format; }
    const CPageFormat& Format() const { return m_format; }
    CUndoRing& Undo() { return m_undo; }
    KeyLookup& Keys() { return m_keys; }

    // Kinsoku characters and the measurer used by every wrap; the width comes from the format.
    void SetKinsoku(const QString& leftKin, const QString& rightKin);
    WrapSettings Wrap() const;
    void RelayoutAll(bool remeasure);

    // Selection: the text between anchor and caret in either order.
    bool HasSelection() const;
    TextPosition SelectionStart() const;
    TextPosition SelectionEnd() const;
    QString SelectedText() const;
    // While the view drags its own selection, caret and anchor changes are ignored.
    void SetDragInProgress(bool dragging) { m_dragInProgress = dragging; }
    bool DragInProgress() const { return m_dragInProgress; }

    // Caret placement: collapse sets caret and anchor, extend moves only the caret.
    void Collapse(TextPosition position);
    void Extend(TextPosition position);
    int GoalX() const { return m_goalX; }

    // Movements (extend = move the caret only). All clamp to the text.
    void MoveLeft(bool extend);
    void MoveRight(bool extend);
    void MoveUp(bool extend);
    void MoveDown(bool extend);
    void PageDown(bool extend);
    void PageUp(bool extend);
    void MoveToFirstLine();
    void MoveToLastLine();
    void MoveToFirstVisibleLine();
    void MoveToLastVisibleLine();
    void MoveToLineStart(bool extend);
    void MoveToLineEnd(bool extend);
    void WordLeft(bool extend);
    void WordRight(bool extend);
    void ScrollTowardsStart();
    void ScrollTowardsEnd();
    void SelectAll();
    // Scrolls so that the caret is visible (50 pixels beside it horizontally).
    void ScrollCaretIntoView();
    // The text position under a window point; nothing above the first or below the last line.
    std::optional<TextPosition> PositionAtPoint(int x, int y) const;
    // Caret rectangle origin in window coordinates (system caret and input method window).
    int CaretWindowX() const;
    int CaretWindowY() const;
    // A click or a drag to a window point: the caret goes there (collapse, or extend) and goal x
    // follows. False when the point is above the first or below the last line.
    bool MoveToPoint(int x, int y, bool extend);
    // The window's new size, less a scroll bar's extent: the page is recentred and the caret
    // kept in view.
    void Resize(int windowWidth, int windowHeight, int scrollBarExtent);
    // Status pane texts: the caret as "column:line Page n" (1-based), and the changed marker.
    QString PositionStatusText() const;
    QString ChangedStatusText() const;

    // Editing. Each sets the store's edited flag and the document's modified flag.
    // InsertText drops line feeds and carriage returns (paragraphs are made by NewParagraph).
    void InsertText(const QString& text, bool record);
    void NewParagraph(bool moveCaret, bool record);
    void SoftLineBreak();
    void DeleteCharacter(bool record);
    void Backspace();
    void DeleteLine();
    void DeleteWord();
    void DeleteSelection(bool toClipboard, bool record);
    // A typed character (key text, not the input method): inserted only when it is printable
    // (no C0/C1 control, DEL or lone surrogate) and no key prefix is pending.
    void TypeCharacter(char32_t character);
    // False when nothing was copied (no selection, or the clipboard failed and said so).
    bool Copy();
    void Paste();
    void UndoLast();
    bool Find(const QString& text, bool forward, bool includeCaret);
    // Text dropped at a position; `moveFromSelection` when it is a move of this view's selection.
    void DropText(const QString& text, TextPosition at, bool moveFromSelection);

    // Runs a command of the key table or a menu; with `queryOnly` only tells whether the editor
    // carries it out. Returns true for the commands the editor carries out.
    bool RunCommand(int command, bool queryOnly = false);
    // A key code (virtual key with the Shift/Alt/Ctrl bits) through the layout in force.
    void KeyDown(int keyCode, int layout);

private:
    // The end of every movement: collapse or extend to `to`, goal x taken from it after a
    // horizontal movement, then the caret scrolled into view.
    void MoveCaret(TextPosition to, bool extend, bool horizontal);
    // A horizontal step by one character or one word, crossing paragraph ends.
    void StepCaret(bool forward, bool byWord, bool extend);
    // A vertical movement to `line` (kept in the text), at the column under goal x.
    void MoveToLine(int line, bool extend);
    // A position pulled back into the text (a rewrap can leave one past a line's end).
    TextPosition ClampToText(TextPosition position) const;
    // The caret pulled into the text, and its x offset in its display line.
    struct CaretPlace {
        TextPosition caret;   // as the format held it
        quint64 revision = 0; // of the store
        TextPosition clamped;
        int x = 0;
    };
    // Worked out once for each caret position and store revision: a keystroke asks for it in
    // its movement, in scrolling, and for the view's repaint and input method.
    const CaretPlace& Caret() const;
    // The end of every edit: caret and anchor to a paragraph offset (or the caret pulled into
    // the text when the offset is not in it), goal x from there, the caret scrolled into view.
    void PlaceCaret(ParaOffset at);

    EditorHost& m_host;
    CharMeasurer& m_measurer;
    const CodePage& m_ansi;
    CTextStore* m_store = nullptr;
    CPageFormat m_format;
    CUndoRing m_undo;
    KeyLookup m_keys;
    QString m_leftKin;
    QString m_rightKin;
    int m_goalX = 0;
    bool m_dragInProgress = false;
    mutable std::optional<CaretPlace> m_caretPlace; // only for the attached store
};
