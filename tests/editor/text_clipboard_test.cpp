// Pastes, a failing clipboard and text drops, with their undo steps.
#include "editor_fixture.h"

#include <gtest/gtest.h>

namespace {

// The cost of a paste must grow with the lines pasted plus the paragraphs behind them, not
// with their product: each paragraph is renumbered a bounded number of times.
TEST(Clipboard, PastingManyLinesAndUndoingItRenumbersEachParagraphOnce)
{
    constexpr int kLines = 20000;
    const QList<QString> memo(kLines, QStringLiteral("memo line"));
    const QStringList pasted(kLines, QStringLiteral("pasted line"));
    EditorRig rig(memo);
    rig.host.clipboard = pasted.join(QStringLiteral("\r\n"));
    const qint64 before = rig.store.RenumberedParagraphs();
    rig.editor.Paste();
    EXPECT_EQ(rig.store.WholeText(), pasted.join(u'\n') + QStringList(memo).join(u'\n'));
    EXPECT_EQ(rig.Caret(), (TextPosition{kLines - 1, 11}));
    rig.editor.UndoLast(); // one step per paste
    EXPECT_EQ(rig.store.WholeText(), QStringList(memo).join(u'\n'));
    EXPECT_FALSE(rig.editor.Undo().CanUndo());
    EXPECT_TRUE(ChainIsConsistent(rig.store));
    // Two edits, each renumbering at most the 2 x kLines paragraphs there are.
    EXPECT_LE(rig.store.RenumberedParagraphs() - before, 2 * 2 * kLines);
}

TEST(Clipboard, AFailingClipboardIsReportedAndLosesNothing)
{
    EditorRig rig({"abcd"});
    rig.host.clipboardFails = true;
    rig.Select({0, 1}, {0, 3});
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
    rig.Select({0, 1}, {1, 2});
    rig.editor.DropText(QStringLiteral("ne\ntw"), {1, 0}, true); // inside: the caret only
    EXPECT_EQ(rig.store.WholeText(), "one\ntwo\nthree");
    EXPECT_EQ(rig.Caret(), (TextPosition{1, 0}));
    EXPECT_FALSE(rig.editor.HasSelection() || rig.store.Edited());

    rig.Select({0, 1}, {1, 2});
    rig.editor.SetDragInProgress(true); // the view's own drag still runs when it drops
    rig.editor.DropText(QStringLiteral("ne\r\ntw"), {2, 2}, true); // a move behind the selection
    rig.editor.SetDragInProgress(false);
    EXPECT_EQ(rig.store.WholeText(), "oo\nthne\ntwree");
    EXPECT_EQ(rig.Caret(), (TextPosition{2, 2}));

    rig.Select({0, 0}, {0, 2});
    rig.editor.DropText(QStringLiteral("oo"), {2, 0}, false); // a copy keeps the selected text
    EXPECT_EQ(rig.store.WholeText(), "oo\nthne\nootwree");
    rig.UndoAll();
    EXPECT_EQ(rig.store.WholeText(), "one\ntwo\nthree");
}

// A drop is one undo step however many lines it brings, so a moved selection can always be
// put back (a step per line would overrun the ring's 2047 steps).
TEST(TextDrop, AMoveOfManyLinesIsUndoneInTwoSteps)
{
    EditorRig rig({"one", "two"});
    const QString lines = QStringList(3000, QStringLiteral("dropped")).join(u'\n');
    rig.Select({0, 0}, {0, 2});
    rig.editor.DropText(lines, {1, 1}, true);
    EXPECT_EQ(rig.store.WholeText(), "e\nt" + lines + "wo");
    rig.editor.UndoLast(); // the drop
    EXPECT_EQ(rig.store.WholeText(), "e\ntwo");
    rig.editor.UndoLast(); // the move's deletion
    EXPECT_EQ(rig.store.WholeText(), "one\ntwo");
    EXPECT_FALSE(rig.editor.Undo().CanUndo());
}

} // namespace
