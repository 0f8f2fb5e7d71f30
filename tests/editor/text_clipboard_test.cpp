// Copy, cut, paste and text drops, with their undo steps.
#include "editing_steps.h"
#include "editor_fixture.h"

#include <gtest/gtest.h>

namespace {

TEST(Clipboard, CopyPasteAndUndo)
{
    EditorRig rig({"a", "b"});
    Select(rig.editor, {0, 0}, {1, 1});
    EXPECT_TRUE(rig.editor.Copy());
    EXPECT_EQ(rig.host.clipboard, "a\r\nb");
    rig.editor.Collapse({1, 1});
    rig.editor.Paste();
    EXPECT_EQ(rig.store.WholeText(), "a\nba\nb");
    rig.host.clipboard = QStringLiteral("one\r\ntwo\r\nthree");
    rig.editor.Paste();
    EXPECT_EQ(rig.store.WholeText(), "a\nba\nbone\ntwo\nthree");
    EXPECT_EQ(rig.Caret(), (TextPosition{4, 5}));

    rig.editor.UndoLast(); // one step per paste
    EXPECT_EQ(rig.store.WholeText(), "a\nba\nb");
    rig.editor.UndoLast();
    EXPECT_EQ(rig.store.WholeText(), "a\nb");
    EXPECT_EQ(rig.Caret(), (TextPosition{1, 1}));
}

TEST(Clipboard, AFailingClipboardIsReportedAndLosesNothing)
{
    EditorRig rig({"abcd"});
    rig.host.clipboardFails = true;
    Select(rig.editor, {0, 1}, {0, 3});
    rig.editor.RunCommand(602); // cut: the text stays selected
    EXPECT_EQ(rig.store.WholeText(), "abcd");
    EXPECT_TRUE(rig.editor.HasSelection());
    EXPECT_EQ(rig.host.messages, QStringList{QStringLiteral("クリップボードが開けません")});

    rig.editor.Paste(); // nothing to paste: only the selection goes
    EXPECT_EQ(rig.store.WholeText(), "ad");
}

TEST(TextDrop, InsideOutsideMovedAndCopied)
{
    EditorRig rig({"one", "two", "three"});
    rig.editor.DropText(QStringLiteral("zz"), {9, 0}, false); // off the text
    Select(rig.editor, {0, 1}, {1, 2});
    rig.editor.DropText(QStringLiteral("ne\ntw"), {1, 0}, true); // inside: the caret only
    EXPECT_EQ(rig.store.WholeText(), "one\ntwo\nthree");
    EXPECT_EQ(rig.Caret(), (TextPosition{1, 0}));
    EXPECT_FALSE(rig.editor.HasSelection() || rig.store.Edited());

    Select(rig.editor, {0, 1}, {1, 2});
    rig.editor.SetDragInProgress(true); // the view's own drag still runs when it drops
    rig.editor.DropText(QStringLiteral("ne\r\ntw"), {2, 2}, true); // a move behind the selection
    rig.editor.SetDragInProgress(false);
    EXPECT_EQ(rig.store.WholeText(), "oo\nthne\ntwree");
    EXPECT_EQ(rig.Caret(), (TextPosition{2, 2}));

    Select(rig.editor, {0, 0}, {0, 2});
    rig.editor.DropText(QStringLiteral("oo"), {2, 0}, false); // a copy keeps the selected text
    EXPECT_EQ(rig.store.WholeText(), "oo\nthne\nootwree");
    UndoAll(rig.editor);
    EXPECT_EQ(rig.store.WholeText(), "one\ntwo\nthree");
}

} // namespace
