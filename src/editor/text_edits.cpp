// The editing half of TextEditor: typing, paragraphs, deletion, clipboard, undo, find and text
// drops. Every edit works on the text store at the caret or on the selection, records its undo
// step as paragraph offsets (which survive rewrapping), places the caret by offset (goal x
// follows it), sets the store's edited flag and tells the host the document changed. A
// surrogate pair is deleted whole, and no edit leaves half of one in the text.
#include "editor/text_editor.h"

#include "platform/text_cut.h"

#include <QScopeGuard>

namespace {

const QString kClipboardFailed = QStringLiteral("クリップボードが開けません");

UndoRecord RecordAt(UndoRecord::Kind kind, ParaOffset at)
{
    UndoRecord record;
    record.kind = kind;
    record.paragraph1 = at.ordinal;
    record.offset1 = at.offset;
    return record;
}

UndoRecord DeletedRecord(ParaOffset at, const QString& text)
{
    UndoRecord record = RecordAt(UndoRecord::kDeleted, at);
    record.text = text;
    return record;
}

UndoRecord TypedRecord(ParaOffset at, int count)
{
    UndoRecord record = RecordAt(UndoRecord::kTyped, at);
    record.count = count;
    return record;
}

UndoRecord PastedRecord(ParaOffset start, ParaOffset end)
{
    UndoRecord record = RecordAt(UndoRecord::kPasted, start);
    record.paragraph2 = end.ordinal;
    record.offset2 = end.offset;
    return record;
}

// Key text reaches the editor as Unicode; controls and lone halves of surrogate pairs are not text.
bool IsPrintable(char32_t character)
{
    return character >= 0x20 && !(character >= 0x7F && character <= 0x9F) && !QChar::isSurrogate(character) &&
           character <= QChar::LastValidCodePoint;
}

// Text with line feeds inserted at `caret` (paragraph offset `at`) in one edit of the store,
// so that its cost grows with the text inserted and the paragraphs after it, not their
// product. Returns where the text ends.
ParaOffset InsertLines(CTextStore& store, TextPosition caret, ParaOffset at, QStringView text, const WrapSettings& wrap)
{
    store.InsertText(caret.line, caret.column, text, wrap);
    return AfterInsertion(at, text);
}

void MarkChanged(CTextStore& store, EditorHost& host)
{
    store.SetEdited(true);
    host.MarkModified();
}

struct Match {
    const CTextPara* para = nullptr;
    int offset = 0;
};

// The first match starting at or after `from` (forward), or the last one starting at or before
// it (backward), in `para`; then in the following (preceding) paragraphs searched whole. A
// match never spans two paragraphs, and never begins or ends inside a surrogate pair (a text
// with a lone half finds only lone halves).
std::optional<Match> FindInParagraphs(const CTextPara* para, int from, const QString& text, bool forward)
{
    for (bool first = true; para; para = forward ? para->next : para->prev, first = false) {
        const QString& body = para->text.Text();
        qsizetype start = first ? from : forward ? 0 : body.size() - 1;
        // A negative start would count from the end in Qt.
        for (qsizetype at; start >= 0; start = at + (forward ? 1 : -1)) {
            at = forward ? body.indexOf(text, start) : body.lastIndexOf(text, start);
            if (at < 0)
                break;
            if (!SplitsPair(body, at) && !SplitsPair(body, at + text.size()))
                return Match{para, int(at)};
        }
    }
    return std::nullopt;
}

// Text from outside (input method, clipboard, drops) without halves of surrogate pairs that
// have lost their other half: an edit never puts a lone surrogate into the text.
QString WithoutLoneSurrogates(QString text)
{
    if (text.isValidUtf16())
        return text;
    QString whole;
    for (qsizetype i = 0, units = 1; i < text.size(); i += units) {
        units = CharacterUnits(text, i);
        if (units == 2 || !text[i].isSurrogate())
            whole += text.sliced(i, units);
    }
    return whole;
}

} // namespace

void TextEditor::PlaceCaret(ParaOffset at)
{
    const std::optional<TextPosition> position = ToPosition(*m_store, at, m_format.caret.line);
    // Not value_or, which would work out the old caret's place even when it is not wanted.
    MoveCaret(position ? *position : Caret().clamped, false, true);
}

void TextEditor::InsertText(const QString& text, bool record)
{
    if (!m_store)
        return;
    if (HasSelection())
        DeleteSelection(false, true);
    QString plain = WithoutLoneSurrogates(text);
    plain.remove(u'\n').remove(u'\r'); // a paragraph's only line feed is its last character
    const std::optional<ParaOffset> at = ToParaOffset(*m_store, m_format.caret);
    if (plain.isEmpty() || !at)
        return;
    if (record)
        m_undo.Push(TypedRecord(*at, int(plain.size())));
    m_store->InsertCharacters(m_format.caret.line, m_format.caret.column, plain, Wrap());
    PlaceCaret({at->ordinal, at->offset + int(plain.size())});
    MarkChanged(*m_store, m_host);
}

void TextEditor::NewParagraph(bool moveCaret, bool record)
{
    const std::optional<ParaOffset> at = m_store ? ToParaOffset(*m_store, m_format.caret) : std::nullopt;
    if (!at)
        return;
    if (record)
        m_undo.Push(TypedRecord(*at, 1));
    m_store->SplitParagraph(m_format.caret.line, m_format.caret.column, Wrap());
    // Staying, the caret is in front of the new line feed. A selection goes either way: its
    // other end may no longer denote the same text.
    PlaceCaret(moveCaret ? ParaOffset{at->ordinal + 1, 0} : *at);
    MarkChanged(*m_store, m_host);
}

void TextEditor::SoftLineBreak()
{
    if (!m_store)
        return;
    if (m_format.caret.line == m_store->TotalLines() - 1) {
        MoveToLineEnd(false);
        NewParagraph(true, true);
    } else {
        MoveToLineStart(false);
        MoveDown(false);
    }
}

void TextEditor::TypeCharacter(char32_t character)
{
    if (IsPrintable(character) && m_keys.PendingPrefix() == 0)
        InsertText(QString::fromUcs4(&character, 1), true);
}

void TextEditor::DeleteCharacter(bool record)
{
    if (!m_store)
        return;
    if (HasSelection()) {
        DeleteSelection(false, record);
        return;
    }
    const CTextPara* para = m_store->FindParagraph(m_format.caret.line);
    const std::optional<ParaOffset> at = ToParaOffset(*m_store, m_format.caret);
    if (!para || !at || (at->offset == para->Length() - 1 && !para->next))
        return; // the last paragraph's line feed is never deleted
    if (record) {
        const QString& text = para->text.Text();
        m_undo.Push(DeletedRecord(*at, text.mid(at->offset, CharacterUnits(text, at->offset))));
    }
    m_store->DeleteCharacter(m_format.caret.line, m_format.caret.column, Wrap());
    PlaceCaret(*at);
    MarkChanged(*m_store, m_host);
}

void TextEditor::Backspace()
{
    if (HasSelection()) {
        DeleteSelection(false, true);
        return;
    }
    if (m_format.caret == TextPosition{})
        return;
    MoveLeft(false);
    DeleteCharacter(true);
}

void TextEditor::DeleteLine()
{
    if (!m_store)
        return;
    if (HasSelection())
        Collapse(SelectionStart());
    MoveToLineStart(false);
    if (m_store->LineText(m_format.caret.line) == u"\n") {
        DeleteCharacter(true); // an empty line goes with its line feed
        return;
    }
    MoveToLineEnd(true);
    DeleteSelection(false, true);
}

void TextEditor::DeleteWord()
{
    if (HasSelection())
        Collapse(SelectionStart());
    WordRight(true);
    DeleteSelection(false, true);
}

void TextEditor::DeleteSelection(bool toClipboard, bool record)
{
    if (!m_store || !HasSelection())
        return;
    if (toClipboard && !Copy())
        return; // a cut whose copy failed keeps its text
    const TextPosition start = SelectionStart();
    const TextPosition end = SelectionEnd();
    const std::optional<ParaOffset> at = ToParaOffset(*m_store, start);
    if (!at)
        return;
    if (record)
        m_undo.Push(DeletedRecord(*at, m_store->Range(start, end).Text()));
    m_store->DeleteRange(start, end, Wrap());
    PlaceCaret(*at);
    MarkChanged(*m_store, m_host);
}

bool TextEditor::Copy()
{
    if (!HasSelection())
        return false;
    if (m_host.SetClipboardText(SelectedText().replace(u'\n', QStringLiteral("\r\n"))))
        return true;
    m_host.ShowMessage(kClipboardFailed);
    return false;
}

void TextEditor::Paste()
{
    if (!m_store)
        return;
    if (HasSelection())
        DeleteSelection(false, true);
    const std::optional<QString> clipboard = m_host.ClipboardText();
    const std::optional<ParaOffset> start = ToParaOffset(*m_store, m_format.caret);
    QString text = clipboard ? WithoutLoneSurrogates(*clipboard) : QString();
    if (!start || text.remove(u'\r').isEmpty())
        return;
    const ParaOffset end = InsertLines(*m_store, m_format.caret, *start, text, Wrap());
    m_undo.Push(PastedRecord(*start, end));
    PlaceCaret(end);
    MarkChanged(*m_store, m_host);
}

void TextEditor::UndoLast()
{
    if (!m_store)
        return;
    const UndoRecord record = m_undo.Pop();
    const ParaOffset firstAt{record.paragraph1, record.offset1};
    const int near = m_format.caret.line;
    const std::optional<TextPosition> first = ToPosition(*m_store, firstAt, near);
    // Typed and pasted text is removed as one range (one rewrap), up to its end.
    const std::optional<TextPosition> second =
        record.kind == UndoRecord::kTyped ? PositionAfter(*m_store, firstAt, record.count, near)
                                          : ToPosition(*m_store, {record.paragraph2, record.offset2}, near);
    if (!first || (record.kind != UndoRecord::kDeleted && !second))
        return; // an empty ring, or the record's paragraph is gone
    Collapse(*first);
    if (record.kind == UndoRecord::kDeleted) {
        m_store->InsertText(first->line, first->column, record.text, Wrap());
        PlaceCaret(firstAt); // in front of the restored text
        MarkChanged(*m_store, m_host);
    } else {
        Extend(*second);
        DeleteSelection(false, false);
    }
}

bool TextEditor::Find(const QString& text, bool forward, bool includeCaret)
{
    if (!m_store || text.isEmpty())
        return false;
    // A selection is searched from its start; a failed search leaves it alone.
    const TextPosition origin = SelectionStart();
    const CTextPara* para = m_store->FindParagraph(origin.line);
    const std::optional<ParaOffset> at = ToParaOffset(*m_store, origin);
    if (!para || !at)
        return false;
    const int from = includeCaret ? at->offset : at->offset + (forward ? 1 : -1);
    const std::optional<Match> match = FindInParagraphs(para, from, text, forward);
    if (!match)
        return false;
    Collapse(m_store->OffsetToPosition(*match->para, match->offset));
    const TextPosition end = m_store->OffsetToPosition(*match->para, match->offset + int(text.size()));
    MoveCaret(ClampToText(end), true, true);
    return true;
}

void TextEditor::DropText(const QString& text, TextPosition at, bool moveFromSelection)
{
    if (!m_store)
        return;
    // The drop of this view's own drag arrives while the drag still runs; the caret must
    // follow the drop all the same.
    const auto restoreDrag = qScopeGuard([this, dragging = m_dragInProgress] { m_dragInProgress = dragging; });
    m_dragInProgress = false;
    std::optional<ParaOffset> target = ToParaOffset(*m_store, at);
    if (!target)
        return;
    const std::optional<ParaOffset> start = ToParaOffset(*m_store, SelectionStart());
    const std::optional<ParaOffset> end = ToParaOffset(*m_store, SelectionEnd());
    if (HasSelection() && start && end) {
        if (*start <= *target && *target <= *end) {
            MoveCaret(at, false, true);
            return;
        }
        if (moveFromSelection) {
            DeleteSelection(false, true);
            target = AfterDeletion(*target, *start, *end); // the drop point moved with the text
        }
    }
    PlaceCaret(*target); // a selection that stays (a copy) must not be replaced
    QString dropped = WithoutLoneSurrogates(text);
    if (dropped.remove(u'\r').isEmpty())
        return;
    // One step undoes the whole drop, as for a paste, however many lines it brought.
    const ParaOffset droppedEnd = InsertLines(*m_store, m_format.caret, *target, dropped, Wrap());
    m_undo.Push(PastedRecord(*target, droppedEnd));
    PlaceCaret(droppedEnd);
    MarkChanged(*m_store, m_host);
}
