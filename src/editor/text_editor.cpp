// TextEditor's core: attaching a text store, wrapping, the selection, and the dispatch of key
// table and menu commands to the movements and edits (caret_moves.cpp, text_edits.cpp).
// Caret and anchor change only while no drag of the selection is in progress.
#include "editor/text_editor.h"

#include "platform/settings.h"

#include <algorithm>
#include <charconv>
#include <iterator>
#include <string_view>
#include <tuple>
#include <utility>

namespace {

constexpr int kSearchWordCommand = 32772;
constexpr int kSelectAllCommand = 32774;
constexpr int kScreenDpi = 96; // until the view passes its own screen's resolution

bool Before(TextPosition a, TextPosition b)
{
    return std::tie(a.line, a.column) < std::tie(b.line, b.column);
}

} // namespace

TextEditor::TextEditor(EditorHost& host, CharMeasurer& measurer, const CodePage& ansi)
    : m_host(host), m_measurer(measurer), m_ansi(ansi), m_leftKin(ReadLeftKin()), m_rightKin(ReadRightKin())
{
    m_format.ComputeGeometry(PaperInfo{}, kScreenDpi, kScreenDpi);
}

void TextEditor::Attach(CTextStore* store, bool remeasure)
{
    m_store = store;
    m_caretPlace.reset();
    m_format.caret = m_format.anchor = {};
    m_format.verticalScroll = 0;
    m_goalX = 0;
    m_undo.Clear();
    RelayoutAll(remeasure);
}

void TextEditor::SetKinsoku(const QString& leftKin, const QString& rightKin)
{
    m_leftKin = leftKin;
    m_rightKin = rightKin;
}

WrapSettings TextEditor::Wrap() const
{
    return {&m_measurer, m_format.TextWidth(), m_leftKin, m_rightKin};
}

void TextEditor::RelayoutAll(bool remeasure)
{
    if (!m_store)
        return;
    m_store->RelayoutAll(Wrap(), remeasure);
    m_format.caret = ClampToText(m_format.caret);
    m_format.anchor = ClampToText(m_format.anchor);
}

bool TextEditor::HasSelection() const
{
    return m_format.caret != m_format.anchor;
}

TextPosition TextEditor::SelectionStart() const
{
    return std::min(m_format.caret, m_format.anchor, Before);
}

TextPosition TextEditor::SelectionEnd() const
{
    return std::max(m_format.caret, m_format.anchor, Before);
}

QString TextEditor::SelectedText() const
{
    if (!m_store || !HasSelection())
        return {};
    return m_store->Range(SelectionStart(), SelectionEnd()).Text();
}

void TextEditor::Collapse(TextPosition position)
{
    if (m_dragInProgress)
        return;
    m_format.caret = m_format.anchor = position;
}

void TextEditor::Extend(TextPosition position)
{
    if (!m_dragInProgress)
        m_format.caret = position;
}

QString TextEditor::PositionStatusText() const
{
    // Built after every keystroke: the digits go into a buffer and the text is made once
    // (asprintf's format parsing costs more than the rest of the keystroke's status work).
    const TextPosition caret = m_format.caret;
    char buffer[48];
    const auto put = [&](char* at, std::string_view text) { return at + text.copy(at, std::end(buffer) - at); };
    const auto number = [&](char* at, int value) { return std::to_chars(at, std::end(buffer), value).ptr; };
    char* end = put(number(buffer, caret.column + 1), ":");
    end = put(number(end, caret.line + 1), " Page ");
    end = number(end, m_format.PageOfLine(caret.line));
    return QString::fromLatin1(buffer, end - buffer);
}

QString TextEditor::ChangedStatusText() const
{
    // Two full-width spaces keep the pane as wide as the marker.
    return m_store && m_store->Edited() ? QStringLiteral("変更") : QStringLiteral("　　");
}

bool TextEditor::RunCommand(int command, bool queryOnly)
{
    using Action = void (*)(TextEditor&, int command);
    static constexpr Action toHost = [](TextEditor& e, int c) { e.m_host.RunHostCommand(c); };
    static const std::pair<int, Action> kActions[] = {
        {1, [](TextEditor& e, int) { e.MoveLeft(false); }},
        {2, [](TextEditor& e, int) { e.MoveRight(false); }},
        {3, [](TextEditor& e, int) { e.MoveUp(false); }},
        {4, [](TextEditor& e, int) { e.MoveDown(false); }},
        {5, [](TextEditor& e, int) { e.PageDown(false); }},
        {6, [](TextEditor& e, int) { e.PageUp(false); }},
        {7, [](TextEditor& e, int) { e.MoveToFirstLine(); }},
        {8, [](TextEditor& e, int) { e.MoveToLastLine(); }},
        {9, [](TextEditor& e, int) { e.ScrollTowardsStart(); }},
        {10, [](TextEditor& e, int) { e.ScrollTowardsEnd(); }},
        {11, [](TextEditor& e, int) { e.MoveToFirstVisibleLine(); }},
        {12, [](TextEditor& e, int) { e.MoveToLastVisibleLine(); }},
        {13, [](TextEditor& e, int) { e.MoveToLineStart(false); }},
        {14, [](TextEditor& e, int) { e.MoveToLineEnd(false); }},
        {15, [](TextEditor& e, int) { e.WordRight(false); }},
        {16, [](TextEditor& e, int) { e.WordLeft(false); }},
        {101, [](TextEditor& e, int) { e.DeleteCharacter(true); }},
        {102, [](TextEditor& e, int) { e.Backspace(); }},
        {103, [](TextEditor& e, int) { e.DeleteLine(); }},
        {106, [](TextEditor& e, int) { e.DeleteWord(); }},
        {201, [](TextEditor& e, int) { e.NewParagraph(true, true); }},
        {202, [](TextEditor& e, int) { e.InsertText(QStringLiteral("\t"), true); }},
        {203, [](TextEditor& e, int) { e.SoftLineBreak(); }},
        {204, [](TextEditor& e, int) { e.NewParagraph(false, true); }},
        {302, toHost}, // find
        {306, toHost}, // replace
        {402, toHost}, // save
        {601, [](TextEditor& e, int) { e.Copy(); }},
        {602, [](TextEditor& e, int) { e.DeleteSelection(true, true); }},
        {612, [](TextEditor& e, int) { e.DeleteSelection(false, true); }},
        {603, [](TextEditor& e, int) { e.Paste(); }},
        {604, [](TextEditor& e, int) { e.UndoLast(); }},
        {610, [](TextEditor& e, int) { e.MoveToLineStart(true); }},
        {611, [](TextEditor& e, int) { e.MoveToLineEnd(true); }},
        {614, [](TextEditor& e, int) { e.WordLeft(true); }},
        {615, [](TextEditor& e, int) { e.WordRight(true); }},
        {701, toHost}, // previous memo
        {702, toHost}, // next memo
        {704, toHost}, // find in the database
        {1208, [](TextEditor& e, int) { e.MoveRight(true); }},
        {1209, [](TextEditor& e, int) { e.MoveLeft(true); }},
        {1210, [](TextEditor& e, int) { e.MoveUp(true); }},
        {1211, [](TextEditor& e, int) { e.MoveDown(true); }},
        {1212, [](TextEditor& e, int) { e.PageUp(true); }},
        {1213, [](TextEditor& e, int) { e.PageDown(true); }},
        {kSelectAllCommand, [](TextEditor& e, int) { e.SelectAll(); }},
        {kSearchWordCommand,
         [](TextEditor& e, int c) {
             if (e.HasSelection())
                 e.m_host.RunHostCommand(c);
         }},
    };
    const auto found = std::find_if(std::begin(kActions), std::end(kActions),
                                    [command](const auto& entry) { return entry.first == command; });
    if (found == std::end(kActions))
        return false;
    if (!queryOnly)
        found->second(*this, command);
    return true;
}

void TextEditor::KeyDown(int keyCode, int layout)
{
    // Shift and Ctrl alone neither run anything nor end a two-stroke sequence.
    const int virtualKey = KeyCode::VirtualKey(keyCode);
    if (virtualKey == Vk::kShift || virtualKey == Vk::kControl)
        return;
    if (const int command = m_keys.Lookup(keyCode, layout); command > 0)
        RunCommand(command);
}
