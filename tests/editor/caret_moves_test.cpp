// Caret movement, selection, scrolling, mouse points and the command and key dispatch of the
// headless editor, on the small page of editor_fixture.h.
#include "editor_fixture.h"

#include <gtest/gtest.h>

namespace {

using namespace Qt::StringLiterals;

QList<QString> Numbered(int count) // pages of lines 0-4, 5-9, ...
{
    QList<QString> lines;
    for (int i = 0; i < count; ++i)
        lines << u"p%1"_s.arg(i);
    return lines;
}

// "abcdefghijkl" | "mno" + line feed | "xy" + line feed: the first paragraph wraps after 12.
const QList<QString> kWrapped = {u"abcdefghijklmno"_s, u"xy"_s};

constexpr int kPageX = 86 + 56; // window x of a line's first character

struct Step {
    int command;
    TextPosition caret; // where the caret is after the command
};

void ExpectSteps(EditorRig& rig, std::initializer_list<Step> steps)
{
    for (const Step& step : steps) {
        rig.editor.RunCommand(step.command);
        EXPECT_EQ(rig.Caret(), step.caret) << "after command " << step.command;
    }
}

TEST(CaretMoves, CharactersAcrossWrapsParagraphEndsAndTheTextsEnds)
{
    EditorRig rig(kWrapped);
    rig.editor.Collapse({0, 11});
    ExpectSteps(rig, {{2, {1, 0}}, {14, {1, 3}}, {2, {2, 0}}, {1, {1, 3}}, {13, {1, 0}}, {1, {0, 11}}, {14, {0, 12}}});
    EXPECT_EQ(rig.editor.GoalX(), 96);
    rig.editor.Collapse({2, 2});
    ExpectSteps(rig, {{2, {2, 2}}, {7, {0, 12}}, {13, {0, 0}}, {1, {0, 0}}});
    rig.editor.Collapse({2, 0});
    ExpectSteps(rig, {{1209, {1, 3}}});
    EXPECT_EQ(rig.Anchor(), (TextPosition{2, 0}));
    EXPECT_EQ(rig.editor.SelectionStart(), (TextPosition{1, 3}));
    EXPECT_EQ(rig.editor.SelectedText(), u"\n"_s);

    rig.Format().caret = {1, 40}; // as a rewrap can leave it: movements start inside the text
    ExpectSteps(rig, {{1, {1, 2}}});
    rig.Format().caret = {9, 9};
    ExpectSteps(rig, {{1, {2, 1}}});
}

TEST(CaretMoves, VerticalMovesKeepGoalX)
{
    EditorRig rig({u"abcdefghij"_s, u"ab"_s, u"abcdefghij"_s});
    ExpectSteps(rig, {{14, {0, 10}}, {4, {1, 2}}, {4, {2, 10}}, {4, {2, 10}}, {7, {0, 10}}, {3, {0, 10}}});
    ExpectSteps(rig, {{13, {0, 0}}, {15, {0, 10}}, {8, {2, 10}}, {1210, {1, 2}}});
    EXPECT_EQ(rig.Anchor(), (TextPosition{2, 10}));
}

TEST(CaretMoves, WordsAcrossWrapsAndParagraphs)
{
    // "漢字かなカタ" | "カナabc" + line feed | "お茶" + line feed
    EditorRig rig({u"漢字かなカタカナabc"_s, u"お茶"_s});
    ExpectSteps(rig, {{15, {0, 4}}, {15, {1, 2}}, {15, {1, 5}}, {15, {2, 0}}, {615, {2, 2}}, {615, {2, 2}}});
    ExpectSteps(rig, {{614, {2, 0}}, {614, {1, 5}}, {16, {1, 2}}, {16, {0, 4}}, {16, {0, 0}}, {16, {0, 0}}});
}

TEST(CaretMoves, PagesAndLineScrolling)
{
    EditorRig rig(Numbered(12));
    int& scroll = rig.Format().verticalScroll;
    ExpectSteps(rig, {{5, {3, 0}}}); // lines 0 to 3 were visible: three lines, 72 pixels
    EXPECT_EQ(scroll, 72);
    ExpectSteps(rig, {{1213, {7, 0}}});
    EXPECT_EQ(rig.Anchor().line, 3);
    EXPECT_EQ(scroll, 222); // line 7 brought fully into view
    ExpectSteps(rig, {{6, {5, 0}}, {6, {4, 0}}, {6, {0, 0}}});
    EXPECT_EQ(scroll, 0);
    ExpectSteps(rig, {{12, {3, 0}}, {11, {0, 0}}});

    ExpectSteps(rig, {{10, {0, 0}}, {10, {0, 0}}, {10, {1, 0}}}); // the caret leaves the top only when it must
    EXPECT_EQ(scroll, 72);
    rig.editor.Collapse({3, 0});
    ExpectSteps(rig, {{9, {2, 0}}}); // and the bottom likewise
    EXPECT_EQ(scroll, 48);

    ExpectSteps(rig, {{8, {11, 0}}, {5, {11, 0}}});
    EXPECT_GE(rig.editor.CaretWindowY(), 0);
    EXPECT_LE(rig.editor.CaretWindowY() + 24, rig.Format().clientHeight);
    for (int i = 0; i < 10; ++i)
        rig.editor.RunCommand(10);
    EXPECT_EQ(scroll, rig.Format().LineTop(11)); // stops with the last line on top
}

TEST(CaretMoves, ScrollCaretIntoViewBothWays)
{
    EditorRig rig(Numbered(12));
    rig.editor.MoveToLastLine();
    EXPECT_EQ(rig.Format().verticalScroll, 434); // line 11's bottom at the window's bottom
    rig.editor.MoveUp(false);
    EXPECT_EQ(rig.Format().verticalScroll, 434); // still visible: no scrolling
    rig.editor.Collapse({5, 0});
    rig.editor.ScrollCaretIntoView();
    EXPECT_EQ(rig.Format().FirstVisibleLine(), 5);

    EditorRig narrow({u"abcdefghij"_s});
    narrow.editor.Resize(150, 160, 16); // client 134, narrower than the page
    narrow.editor.MoveToLineEnd(false);
    EXPECT_EQ(narrow.Format().horizontalOffset, -52); // 50 pixels beside the caret
    EXPECT_EQ(narrow.editor.CaretWindowX(), 84);
    narrow.Format().horizontalOffset = -78;
    narrow.editor.MoveToLineStart(false);
    EXPECT_EQ(narrow.Format().horizontalOffset, -6);
}

// The caret's x is kept between a keystroke's questions; text changed behind the editor (edited,
// reloaded, rewrapped narrower) gives the x of what stands there now.
TEST(CaretMoves, CaretXFollowsTheTextChangedBehindTheEditor)
{
    EditorRig rig({u"abcdefgh"_s});
    rig.editor.Collapse({0, 3});
    EXPECT_EQ(rig.editor.CaretWindowX(), kPageX + 24);
    rig.store.InsertText(0, 0, u"あ", rig.editor.Wrap()); // the caret now stands after "あab"
    EXPECT_EQ(rig.editor.CaretWindowX(), kPageX + 32);
    rig.store.LoadParagraphs({u"ああああ"_s});
    rig.editor.RelayoutAll(true);
    EXPECT_EQ(rig.editor.CaretWindowX(), kPageX + 48);
    rig.editor.MoveToLineEnd(false);
    rig.Format().marginRight += 40; // the text column narrows to 60 pixels: "あああ" | "あ"
    rig.editor.RelayoutAll(false);
    EXPECT_EQ(rig.editor.CaretWindowX(), kPageX + 48); // pulled back to the end of line 0
}

TEST(CaretMoves, PointsToPositions)
{
    EditorRig rig(kWrapped);
    TextEditor& e = rig.editor;
    EXPECT_EQ(e.PositionAtPoint(kPageX + 27, 60), (TextPosition{0, 3})); // left of 'd's middle
    EXPECT_EQ(e.PositionAtPoint(kPageX + 500, 84), (TextPosition{1, 3}));
    EXPECT_EQ(e.PositionAtPoint(kPageX, 40), std::nullopt); // above the text

    EXPECT_TRUE(e.MoveToPoint(kPageX + 28, 60, false));
    EXPECT_EQ(e.GoalX(), 32);
    EXPECT_TRUE(e.MoveToPoint(kPageX + 28, 84, true));
    EXPECT_FALSE(e.MoveToPoint(kPageX, 131, false)); // below the last line: nothing
    EXPECT_EQ(rig.Caret(), (TextPosition{1, 3}));
    EXPECT_EQ(rig.Anchor(), (TextPosition{0, 4}));
    EXPECT_EQ(e.CaretWindowX(), kPageX + 24);
    EXPECT_EQ(e.CaretWindowY(), 82);
}

TEST(CaretMoves, SelectAllAndDrags)
{
    EditorRig rig({u"ab"_s, u"cde"_s});
    rig.editor.RunCommand(32774);
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
    EditorRig empty;
    RecordingHost host;
    FixedWidthMeasurer measurer;
    CodePage ansi;
    TextEditor detached(host, measurer, ansi);
    for (TextEditor* e : {&empty.editor, &detached}) {
        for (int command : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 32774})
            EXPECT_TRUE(e->RunCommand(command));
        EXPECT_EQ(e->Format().caret, (TextPosition{}));
        EXPECT_FALSE(e->HasSelection());
        EXPECT_EQ(e->PositionAtPoint(kPageX, 60).has_value(), e == &empty.editor);
    }
}

TEST(EditorCommands, QueriesRunNothingAndHostCommandsGoToTheHost)
{
    EditorRig rig(kWrapped);
    for (int command : {2, 101, 202, 604, 612, 704, 1213, 32772, 32774})
        EXPECT_TRUE(rig.editor.RunCommand(command, true)) << command;
    for (int command : {0, 17, 105, 32815})
        EXPECT_FALSE(rig.editor.RunCommand(command, true)) << command;
    EXPECT_EQ(rig.Caret(), (TextPosition{}));
    EXPECT_EQ(rig.store.WholeText(), u"abcdefghijklmno\nxy"_s);

    for (int command : {402, 32772, 1208, 32772}) // search word needs a selection
        rig.editor.RunCommand(command);
    EXPECT_EQ(rig.host.hostCommands, (QList<int>{402, 32772}));
}

TEST(EditorCommands, KeysInBothLayouts)
{
    using namespace KeyCode;
    EditorRig rig(kWrapped);
    TextEditor& e = rig.editor;
    for (int key : {Vk::kRight, Ctrl(Vk::kEnd), Ctrl('A')}) // Ctrl+A's function is not carried out
        e.KeyDown(key, kLayoutWindows);
    EXPECT_EQ(rig.Caret(), (TextPosition{2, 1}));
    EXPECT_FALSE(e.HasSelection());

    // Ctrl+Q Ctrl+R goes to the first line; Shift or Ctrl pressed alone keep the prefix.
    for (int key : {Ctrl('Q'), Ctrl(Shift(Vk::kShift)), Ctrl(Vk::kControl), Ctrl('R'), Ctrl('D')})
        e.KeyDown(key, kLayoutDiamond);
    EXPECT_EQ(rig.Caret(), (TextPosition{0, 2}));
}

} // namespace
