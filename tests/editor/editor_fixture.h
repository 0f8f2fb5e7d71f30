// Test rig for the headless editor: an EditorHost that records what it is asked, the
// exact-width measurer of text_store_testing.h (ASCII 8 px, other units 16 px, line feed 0) and
// a TextEditor on a small page whose figures are easy to count: 212 x 232 pixels at 96 dpi,
// margins 56, text width 100 (12 ASCII or 6 wide characters a line), line pitch 24, 5 lines per
// page, page stride 236. The window's client area is 384 x 144, so the page sits at x 86 and
// lines 0 to 3 are visible (tops 58, 82, 106, 130). No kinsoku, so wraps are plain.
#pragma once

#include "editor/text_editor.h"
#include "platform/code_page.h"
#include "text_store_testing.h"

#include <QList>
#include <QStringList>
#include <optional>

class RecordingHost : public EditorHost {
public:
    bool SetClipboardText(const QString& text) override
    {
        if (clipboardFails)
            return false;
        clipboard = text;
        return true;
    }
    std::optional<QString> ClipboardText() override { return clipboardFails ? std::nullopt : clipboard; }
    void ShowMessage(const QString& text) override { messages << text; }
    void MarkModified() override { ++modifiedCount; }
    void RunHostCommand(int command) override { hostCommands << command; }

    std::optional<QString> clipboard;
    bool clipboardFails = false;
    QStringList messages;
    int modifiedCount = 0;
    QList<int> hostCommands;
};

struct EditorRig {
    static constexpr PaperInfo kPaper{212, 232, 96, 96};

    explicit EditorRig(const QList<QString>& paragraphs = {})
    {
        editor.SetKinsoku({}, {});
        editor.Format().ComputeGeometry(kPaper, 96, 96);
        editor.Resize(400, 160, 16);
        store.LoadParagraphs(paragraphs);
        editor.Attach(&store, true);
    }

    CPageFormat& Format() { return editor.Format(); }
    TextPosition Caret() { return editor.Format().caret; }
    TextPosition Anchor() { return editor.Format().anchor; }
    void Select(TextPosition anchor, TextPosition caret)
    {
        editor.Collapse(anchor);
        editor.Extend(caret);
    }
    void UndoAll()
    {
        while (editor.Undo().CanUndo())
            editor.UndoLast();
    }

    RecordingHost host;
    FixedWidthMeasurer measurer;
    CodePage ansi;
    CTextStore store;
    TextEditor editor{host, measurer, ansi};
};
