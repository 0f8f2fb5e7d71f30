// Caret movement, selection, scrolling, mouse points and the command and key dispatch of the
// headless editor, on the small page of editor_fixture.h.
#include "editor_fixture.h"

#include <gtest/gtest.h>

namespace {

using namespace Qt::StringLiterals;

QList<QString> Numbered(int count)
{
    QList<QString> lines;
    for (int i = 0; i < count; ++i)
        lines << u"p%1"_s.arg(i);
    return lines;
}

// "abcdefghijkl" | "mno" + line feed | "xy" + line feed: the first paragraph wraps after 12.
QList<QString> Wrapped()
{
    return {u"abcdefghijklmno"_s, u"xy"_s};
}

constexpr int kPageX = 86 + 56; // window x of a line's first character

TEST(CaretMoves, LeftAndRightCrossWrapsAndParagraphEnds)
{
    EditorRig rig(Wrapped());
    TextEditor& e = rig.editor;
    e.Collapse({0, 11});
    e.MoveRight(false);
    EXPECT_EQ(rig.Caret(), (TextPosition{1, 0})); // onto the wrapped display line
    e.MoveToLineEnd(false);
    e.MoveRight(false);
    EXPECT_EQ(rig.Caret(), (TextPosition{2, 0})); // over the line feed into the next paragraph
    e.MoveLeft(false);
    EXPECT_EQ(rig.Caret(), (TextPosition{1, 3}));
    EXPECT_EQ(e.GoalX(), 24);
    e.Collapse({1, 0});
    e.MoveLeft(false);
    EXPECT_EQ(rig.Caret(), (TextPosition{0, 11}));

    e.Collapse({2, 2});
    e.MoveRight(false); // end of the last line
    EXPECT_EQ(rig.Caret(), (TextPosition{2, 2}));
    e.Collapse({0, 0});
    e.MoveLeft(false);
    EXPECT_EQ(rig.Caret(), (TextPosition{0, 0}));

    e.Collapse({2, 0});
    EXPECT_TRUE(e.RunCommand(1209)); // extend left
    EXPECT_EQ(rig.Caret(), (TextPosition{1, 3}));
    EXPECT_EQ(rig.Anchor(), (TextPosition{2, 0}));
    EXPECT_EQ(e.SelectionStart(), (TextPosition{1, 3}));
    EXPECT_EQ(e.SelectedText(), u"\n"_s);
}

TEST(CaretMoves, StartFromACaretLeftPastTheText)
{
    EditorRig rig(Wrapped());
    rig.Format().caret = rig.Format().anchor = {1, 40}; // as a rewrap can leave it
    rig.editor.MoveLeft(false);
    EXPECT_EQ(rig.Caret(), (TextPosition{1, 2}));
    rig.Format().caret = {9, 9};
    rig.editor.MoveLeft(false);
    EXPECT_EQ(rig.Caret(), (TextPosition{2, 1}));
    rig.Format().caret = {-3, -3};
    rig.editor.MoveDown(false);
    EXPECT_EQ(rig.Caret().line, 1);
}

TEST(CaretMoves, VerticalMovesKeepGoalX)
{
    EditorRig rig({u"abcdefghij"_s, u"ab"_s, u"abcdefghij"_s});
    TextEditor& e = rig.editor;
    e.MoveToLineEnd(false);
    EXPECT_EQ(e.GoalX(), 80);
    e.MoveDown(false);
    EXPECT_EQ(rig.Caret(), (TextPosition{1, 2})); // the short line's end
    e.MoveDown(false);
    EXPECT_EQ(rig.Caret(), (TextPosition{2, 10})); // back under the remembered x
    e.MoveDown(false);
    EXPECT_EQ(rig.Caret(), (TextPosition{2, 10}));
    e.RunCommand(7); // first line
    EXPECT_EQ(rig.Caret(), (TextPosition{0, 10}));
    e.MoveUp(false);
    EXPECT_EQ(rig.Caret(), (TextPosition{0, 10}));

    e.MoveToLineStart(false);
    e.WordRight(false); // horizontal: goal x follows
    e.RunCommand(8);    // last line
    EXPECT_EQ(rig.Caret(), (TextPosition{2, 10}));
    e.RunCommand(1210);
    EXPECT_EQ(rig.Caret(), (TextPosition{1, 2}));
    EXPECT_EQ(rig.Anchor(), (TextPosition{2, 10}));
}

TEST(CaretMoves, HomeAndEndOfWrappedLines)
{
    EditorRig rig(Wrapped());
    TextEditor& e = rig.editor;
    e.Collapse({0, 5});
    e.RunCommand(14);
    EXPECT_EQ(rig.Caret(), (TextPosition{0, 12}));
    e.RunCommand(610); // extend to the line's start
    EXPECT_EQ(rig.Caret(), (TextPosition{0, 0}));
    EXPECT_EQ(rig.Anchor(), (TextPosition{0, 12}));
    e.Collapse({1, 1});
    e.RunCommand(14);
    EXPECT_EQ(rig.Caret(), (TextPosition{1, 3})); // in front of the line feed
}

TEST(CaretMoves, WordsAcrossWrapsAndParagraphs)
{
    // "漢字かなカタ" | "カナabc" + line feed | "お茶" + line feed
    EditorRig rig({u"漢字かなカタカナabc"_s, u"お茶"_s});
    TextEditor& e = rig.editor;
    const QList<TextPosition> rightStops = {{0, 4}, {1, 2}, {1, 5}, {2, 0}, {2, 2}, {2, 2}};
    for (const TextPosition& stop : rightStops) {
        e.RunCommand(15);
        EXPECT_EQ(rig.Caret(), stop);
    }
    const QList<TextPosition> leftStops = {{2, 0}, {1, 5}, {1, 2}, {0, 4}, {0, 0}, {0, 0}};
    for (const TextPosition& stop : leftStops) {
        e.RunCommand(614);
        EXPECT_EQ(rig.Caret(), stop);
    }
    EXPECT_EQ(rig.Anchor(), (TextPosition{2, 2}));
}

TEST(CaretMoves, PagesStepByTheVisibleLines)
{
    EditorRig rig(Numbered(12)); // pages of lines 0-4, 5-9, 10-11
    TextEditor& e = rig.editor;
    e.PageDown(false); // lines 0 to 3 visible: three lines, 72 pixels
    EXPECT_EQ(rig.Caret(), (TextPosition{3, 0}));
    EXPECT_EQ(rig.Format().verticalScroll, 72);
    e.RunCommand(1213);
    EXPECT_EQ(rig.Caret().line, 7);
    EXPECT_EQ(rig.Anchor().line, 3);
    EXPECT_EQ(rig.Format().verticalScroll, 222); // line 7 brought fully into view
    e.PageUp(false);
    EXPECT_EQ(rig.Caret().line, 5);
    e.PageUp(false);
    e.PageUp(false);
    EXPECT_EQ(rig.Caret(), (TextPosition{0, 0}));
    EXPECT_EQ(rig.Format().verticalScroll, 0);

    e.MoveToLastLine();
    e.PageDown(false);
    EXPECT_EQ(rig.Caret().line, 11);
    EXPECT_GE(e.CaretWindowY(), 0);
    EXPECT_LE(e.CaretWindowY() + rig.Format().LinePitch(), rig.Format().clientHeight);
}

TEST(CaretMoves, VisibleLineJumpsAndLineScrolling)
{
    EditorRig rig(Numbered(12));
    TextEditor& e = rig.editor;
    e.RunCommand(12);
    EXPECT_EQ(rig.Caret().line, 3);
    e.RunCommand(11);
    EXPECT_EQ(rig.Caret().line, 0);

    e.RunCommand(10); // scroll towards the end; the caret leaves the top only when it must
    e.RunCommand(10);
    EXPECT_EQ(rig.Caret().line, 0);
    e.RunCommand(10);
    EXPECT_EQ(rig.Caret().line, 1);
    EXPECT_EQ(rig.Format().verticalScroll, 72);
    e.Collapse({3, 0});
    e.RunCommand(9); // towards the start: a caret near the bottom moves up
    EXPECT_EQ(rig.Caret().line, 2);
    EXPECT_EQ(rig.Format().verticalScroll, 48);

    e.MoveToLastLine();
    for (int i = 0; i < 10; ++i)
        e.RunCommand(10);
    EXPECT_EQ(rig.Caret().line, 11);
    EXPECT_EQ(rig.Format().verticalScroll, rig.Format().LineTop(11)); // stops with the last line on top
}

TEST(CaretMoves, ScrollCaretIntoViewBothWays)
{
    EditorRig rig(Numbered(12));
    TextEditor& e = rig.editor;
    e.MoveToLastLine();
    EXPECT_EQ(rig.Format().verticalScroll, 434); // line 11's bottom at the window's bottom
    e.MoveUp(false);
    EXPECT_EQ(rig.Format().verticalScroll, 434); // still visible: no scrolling
    e.Collapse({5, 0});
    e.ScrollCaretIntoView();
    EXPECT_EQ(rig.Format().FirstVisibleLine(), 5);
    e.MoveToFirstLine();
    EXPECT_EQ(rig.Format().verticalScroll, 0);

    EditorRig narrow({u"abcdefghij"_s});
    narrow.editor.Resize(150, 160, 16); // client 134, narrower than the page
    narrow.editor.MoveToLineEnd(false);
    EXPECT_EQ(narrow.Format().horizontalOffset, -52); // 50 pixels beside the caret
    EXPECT_EQ(narrow.editor.CaretWindowX(), 84);
    narrow.Format().horizontalOffset = -78;
    narrow.editor.MoveToLineStart(false);
    EXPECT_EQ(narrow.Format().horizontalOffset, -6);
}

TEST(CaretMoves, PointsToPositions)
{
    EditorRig rig(Wrapped());
    TextEditor& e = rig.editor;
    EXPECT_EQ(e.PositionAtPoint(kPageX + 27, 60), (TextPosition{0, 3})); // left of 'd's middle
    EXPECT_EQ(e.PositionAtPoint(kPageX + 28, 60), (TextPosition{0, 4}));
    EXPECT_EQ(e.PositionAtPoint(kPageX + 500, 84), (TextPosition{1, 3}));
    EXPECT_EQ(e.PositionAtPoint(kPageX, 131), std::nullopt); // below the last line
    EXPECT_EQ(e.PositionAtPoint(kPageX, 40), std::nullopt);  // above the text

    EXPECT_TRUE(e.MoveToPoint(kPageX + 28, 60, false));
    EXPECT_EQ(e.GoalX(), 32);
    EXPECT_TRUE(e.MoveToPoint(kPageX + 28, 84, true));
    EXPECT_EQ(rig.Caret(), (TextPosition{1, 3}));
    EXPECT_EQ(rig.Anchor(), (TextPosition{0, 4}));
    EXPECT_FALSE(e.MoveToPoint(kPageX, 140, false));
    EXPECT_EQ(rig.Caret(), (TextPosition{1, 3}));
    EXPECT_EQ(e.CaretWindowX(), kPageX + 24);
    EXPECT_EQ(e.CaretWindowY(), 82);
}

TEST(CaretMoves, SelectAllAndDrags)
{
    EditorRig empty;
    EXPECT_TRUE(empty.editor.RunCommand(32774));
    EXPECT_FALSE(empty.editor.HasSelection());

    EditorRig rig({u"ab"_s, u"cde"_s});
    rig.editor.RunCommand(32774);
    EXPECT_EQ(rig.Caret(), (TextPosition{0, 0}));
    EXPECT_EQ(rig.Anchor(), (TextPosition{1, 3}));
    EXPECT_EQ(rig.editor.SelectedText(), u"ab\ncde"_s);

    rig.editor.Collapse({1, 1});
    rig.editor.SetDragInProgress(true); // the selection is being dragged: nothing moves
    rig.editor.MoveRight(false);
    rig.editor.Collapse({0, 0});
    rig.editor.SelectAll();
    EXPECT_EQ(rig.Caret(), (TextPosition{1, 1}));
    EXPECT_EQ(rig.Anchor(), (TextPosition{1, 1}));
}

TEST(CaretMoves, NothingBreaksWithoutText)
{
    const int movements[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16,
                             610, 611, 614, 615, 1208, 1209, 1210, 1211, 1212, 1213, 32774};
    EditorRig empty;
    RecordingHost host;
    FixedWidthMeasurer measurer;
    CodePage ansi;
    TextEditor detached(host, measurer, ansi);
    for (TextEditor* e : {&empty.editor, &detached}) {
        for (int command : movements)
            EXPECT_TRUE(e->RunCommand(command));
        EXPECT_EQ(e->Format().caret, (TextPosition{}));
        EXPECT_EQ(e->PositionAtPoint(kPageX, 60).has_value(), e == &empty.editor);
    }
}

TEST(EditorCommands, QueriesRunNothingAndHostCommandsGoToTheHost)
{
    EditorRig rig(Wrapped());
    TextEditor& e = rig.editor;
    for (int command : {2, 101, 202, 604, 612, 704, 1213, 32772, 32774})
        EXPECT_TRUE(e.RunCommand(command, true)) << command;
    for (int command : {0, 17, 105, 32815, -1})
        EXPECT_FALSE(e.RunCommand(command, true)) << command;
    EXPECT_EQ(rig.Caret(), (TextPosition{}));
    EXPECT_EQ(rig.store.WholeText(), u"abcdefghijklmno\nxy"_s);

    e.RunCommand(402);
    e.RunCommand(32772); // search word needs a selection
    e.RunCommand(1208);
    e.RunCommand(32772);
    EXPECT_EQ(rig.host.hostCommands, (QList<int>{402, 32772}));
}

TEST(EditorCommands, KeysInBothLayouts)
{
    using namespace KeyCode;
    EditorRig rig(Wrapped());
    TextEditor& e = rig.editor;
    e.KeyDown(Vk::kRight, kLayoutWindows);
    EXPECT_EQ(rig.Caret(), (TextPosition{0, 1}));
    e.KeyDown(Ctrl(Vk::kEnd), kLayoutWindows);
    EXPECT_EQ(rig.Caret().line, 2);
    e.KeyDown(Ctrl('A'), kLayoutWindows); // bound to a function that is not carried out
    EXPECT_FALSE(e.HasSelection());
    e.KeyDown(Shift(Vk::kLeft), kLayoutWindows);
    EXPECT_TRUE(e.HasSelection());

    e.KeyDown(Ctrl('Q'), kLayoutDiamond);
    e.KeyDown(Ctrl(Shift(Vk::kShift)), kLayoutDiamond); // modifiers alone keep the prefix
    e.KeyDown(Ctrl(Vk::kControl), kLayoutDiamond);
    e.KeyDown(Ctrl('R'), kLayoutDiamond);
    EXPECT_EQ(rig.Caret(), (TextPosition{0, 0}));
    e.KeyDown(Ctrl('D'), kLayoutDiamond);
    EXPECT_EQ(rig.Caret(), (TextPosition{0, 1}));
    e.KeyDown(Ctrl('Q'), kLayoutDiamond);
    e.KeyDown('R', kLayoutDiamond); // no sequence: nothing runs and the prefix is gone
    EXPECT_EQ(rig.Caret(), (TextPosition{0, 1}));
    EXPECT_EQ(e.Keys().PendingPrefix(), 0);
}

TEST(EditorStatus, PositionPageAndChangedMarker)
{
    EditorRig rig(Numbered(6));
    EXPECT_EQ(rig.editor.PositionStatusText(), u"1:1 Page 1"_s);
    rig.editor.Collapse({4, 1}); // the first page's last line
    EXPECT_EQ(rig.editor.PositionStatusText(), u"2:5 Page 1"_s);
    rig.editor.Collapse({5, 0});
    EXPECT_EQ(rig.editor.PositionStatusText(), u"1:6 Page 2"_s);
    EXPECT_EQ(rig.editor.ChangedStatusText(), u"　　"_s);
    rig.store.SetEdited(true);
    EXPECT_EQ(rig.editor.ChangedStatusText(), u"変更"_s);
}

} // namespace
