// The editor widget driven by real Qt events on the offscreen platform: keys in both layouts and
// the options snapshot, the input method (preedit laid out in the text, commits, replacements,
// queries), mouse, wheel, drops, menus, the clipboard, status texts, painting and the areas
// repainted, and the key list file. Pages are laid out on a fixed 1000 x 1000 paper, never on a printer.
#include "editor/view/quirel_view.h"

#include "editor/key_table.h"
#include "editor/view/view_font.h"
#include "platform/settings.h"
#include "support/temp_files.h"

#include <QApplication>
#include <QBackingStore>
#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QFontInfo>
#include <QInputMethodEvent>
#include <QMenu>
#include <QMimeData>
#include <QScrollBar>
#include <QSettings>
#include <QStandardPaths>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class ViewTest : public testing::Test {
protected:
    ViewTest()
    {
        InstallFontSubstitutions();
        QSettings().setValue("Options/KeyboardLayout", kLayoutWindows);
        view.SetOptions(ReadEditorOptions());
        view.resize(1100, 700);
        view.show();
        view.SetPaper({1000, 1000, view.logicalDpiX(), view.logicalDpiY()});
    }

    void Show(const QString& text)
    {
        store.LoadParagraphs(text.split(u'\n'));
        view.ShowStore(&store);
    }
    QString Text() const { return store.WholeText(); }
    TextPosition Caret() const { return view.Format().caret; }
    int TextLeft() const { return view.Format().horizontalOffset + view.Format().marginLeft; }
    int LineTopInWindow(int line) const { return view.Format().LineTop(line) - view.Format().verticalScroll; }
    // Display row `row` of a picture of the view, across the page.
    QImage Row(const QImage& image, int row) const
    {
        return image.copy(view.Format().horizontalOffset, LineTopInWindow(row), view.Format().pageWidth,
                          view.Format().LinePitch());
    }
    // A point in the left half of a half-width character, on the line's glyphs.
    QPoint PointAt(int line, int column) const { return {TextLeft() + column * 8 + 2, LineTopInWindow(line) + 4}; }

    void SendMouse(QEvent::Type type, QPoint at, Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers = {})
    {
        const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, at, view.mapToGlobal(at), button, buttons, modifiers);
        QApplication::sendEvent(&view, &event);
    }
    void Select(TextPosition from, TextPosition to)
    {
        view.Editor().Collapse(from);
        view.Editor().Extend(to);
        view.Refresh();
    }

    CTextStore store;
    CQuirelView view;
};

QString Lines(int count)
{
    QStringList lines;
    for (int i = 0; i < count; ++i)
        lines << QString::number(i);
    return lines.join(u'\n');
}

TEST_F(ViewTest, WindowsLayoutKeysTypeMoveAndKeepTab)
{
    Show("");
    QTest::keyClicks(&view, "abc");
    QTest::keyClick(&view, Qt::Key_Left);
    QTest::keyClick(&view, Qt::Key_Tab); // an editor key, not a focus change
    EXPECT_EQ(Text(), "ab\tc");

    QTest::keyClick(&view, Qt::Key_A, Qt::ControlModifier); // a function the editor does not carry
    EXPECT_EQ(Text(), "ab\tc");
    EXPECT_FALSE(view.Editor().HasSelection());

    QTest::keyClick(&view, Qt::Key_Return, Qt::ShiftModifier); // soft break on the last line
    EXPECT_EQ(Text(), "ab\tc\n");
    EXPECT_EQ(Caret(), (TextPosition{1, 0}));
}

TEST_F(ViewTest, DiamondLayoutOnceStoredOptionsAreGivenRunsTwoStrokeSequencesAndTypesAfterAFailedOne)
{
    QSettings().setValue("Options/KeyboardLayout", kLayoutDiamond);
    Show("one\ntwo");
    QTest::keyClick(&view, Qt::Key_Down);
    QTest::keyClick(&view, Qt::Key_D, Qt::ControlModifier); // keys read the snapshot, not the store
    EXPECT_EQ(Caret(), (TextPosition{1, 0}));
    view.SetOptions(ReadEditorOptions());
    QTest::keyClick(&view, Qt::Key_D, Qt::ControlModifier); // right
    EXPECT_EQ(Caret(), (TextPosition{1, 1}));

    QTest::keyClick(&view, Qt::Key_Q, Qt::ControlModifier);
    QTest::keyClick(&view, Qt::Key_R, Qt::ControlModifier); // to the first line
    EXPECT_EQ(Caret().line, 0);

    QTest::keyClick(&view, Qt::Key_Home);
    QTest::keyClick(&view, Qt::Key_Q, Qt::ControlModifier);
    QTest::keyClicks(&view, "r"); // ends the sequence without a command, then is typed
    EXPECT_EQ(Text(), "rone\ntwo");
}

TEST_F(ViewTest, PreeditIsLaidOutInTheTextWrapsAndEntersTheStoreOnlyWhenCommitted)
{
    // The caret eight characters before the page edge; "next" is the second row.
    const int perLine = view.Format().TextWidth() / 8;
    Show(QString(perLine - 2, u'x') + "\nnext");
    view.Editor().Collapse({0, perLine - 10});
    view.Refresh();
    const QImage before = view.grab().toImage();

    QTextCharFormat converting;
    converting.setBackground(QColor(0, 0, 255));
    QInputMethodEvent composing("日本語", {{QInputMethodEvent::TextFormat, 1, 2, converting},
                                           {QInputMethodEvent::Cursor, 1, 1, {}}});
    QApplication::sendEvent(&view, &composing);
    const QImage shown = view.grab().toImage();
    EXPECT_EQ(store.TotalLines(), 2);
    EXPECT_FALSE(store.Edited() || view.Editor().Undo().CanUndo());
    const int preeditLeft = TextLeft() + (perLine - 10) * 8;
    EXPECT_EQ(view.inputMethodQuery(Qt::ImCursorRectangle).toRect().topLeft(),
              QPoint(preeditLeft + 16, LineTopInWindow(0)));
    EXPECT_EQ(shown.pixelColor(preeditLeft + 24, LineTopInWindow(1) - 2), QColor(0, 0, 255)); // below the glyph
    EXPECT_EQ(Row(shown, 2), Row(before, 1)) << "the preedit pushed the last x's to a row of their own";

    QInputMethodEvent cancel("", {});
    QApplication::sendEvent(&view, &cancel);
    EXPECT_EQ(Row(view.grab().toImage(), 1), Row(before, 1));

    QApplication::sendEvent(&view, &composing);
    QInputMethodEvent commit;
    commit.setCommitString("日本語");
    QApplication::sendEvent(&view, &commit);
    EXPECT_EQ(Text(), QString(perLine - 10, u'x') + "日本語xxxxxxxx\nnext");
    EXPECT_EQ(Row(view.grab().toImage(), 1), Row(shown, 1)) << "the text after the preedit wrapped as typed text";
    view.RunMenuCommand(ViewCommand::kUndo);
    EXPECT_EQ(store.LineText(0), QString(perLine - 2, u'x') + "\n");
}

// The input method is told the caret and the font; in a reconversion it reads the selected word
// around the caret, takes it back as a replacement and commits its new spelling. A stretch that
// would split a pair is widened.
TEST_F(ViewTest, InputMethodQueriesAndReplacementsWorkOnTheCaretsParagraph)
{
    Show("first\n今日は𠮷野家へ行く");
    Select({0, 2}, {0, 2});
    EXPECT_TRUE(view.testAttribute(Qt::WA_InputMethodEnabled) && view.inputMethodQuery(Qt::ImEnabled).toBool());
    EXPECT_EQ(view.inputMethodQuery(Qt::ImCursorRectangle).toRect(), QRect(TextLeft() + 16, LineTopInWindow(0), 2, 16));
    EXPECT_EQ(QFontInfo(view.inputMethodQuery(Qt::ImFont).value<QFont>()).pixelSize(), 16);
    Select({1, 3}, {1, 7});
    EXPECT_EQ(view.inputMethodQuery(Qt::ImSurroundingText).toString(), "今日は𠮷野家へ行く");
    EXPECT_EQ(view.inputMethodQuery(Qt::ImCursorPosition).toInt(), 7);
    EXPECT_EQ(view.inputMethodQuery(Qt::ImAnchorPosition).toInt(), 3);
    EXPECT_EQ(view.inputMethodQuery(Qt::ImCurrentSelection).toString(), "𠮷野家");
    EXPECT_EQ(view.inputMethodQuery(Qt::ImAbsolutePosition).toInt(), 6 + 7);

    QInputMethodEvent takeBack("𠮷野家", {});
    takeBack.setCommitString({}, -4, 4);
    QApplication::sendEvent(&view, &takeBack);
    EXPECT_EQ(Text(), "first\n今日はへ行く");
    QInputMethodEvent respell;
    respell.setCommitString("吉野家");
    QApplication::sendEvent(&view, &respell);
    EXPECT_EQ(Text(), "first\n今日は吉野家へ行く");

    Show("𠮷野");
    view.Editor().Collapse({0, 3});
    QInputMethodEvent halfPair;
    halfPair.setCommitString("X", -2, 1); // from the pair's second half
    QApplication::sendEvent(&view, &halfPair);
    EXPECT_EQ(Text(), "X野");
}

// Paragraph 8 is long: a key in its middle changes the lines below it only until a line's room
// takes what moved (here the next tab stop), not down to the paragraph's end.
TEST_F(ViewTest, AKeystrokeRepaintsTheLinesItChangedAndANewParagraphTheLinesBelow)
{
    QStringList lines = Lines(20).split(u'\n');
    lines[8] = QStringLiteral("ab\tあい").repeated(170);
    Show(lines.join(u'\n'));
    const CTextPara* para = store.FindParagraph(8);
    ASSERT_GT(para->LineCount(), 12);
    view.clearFocus(); // no blinking caret between the window and the fresh paint compared
    view.Editor().Collapse({5, 0});
    view.Refresh();
    QRegion painted;
    struct PaintSpy : QObject {
        QRegion& region;
        explicit PaintSpy(QRegion& r) : region(r) {}
        bool eventFilter(QObject*, QEvent* event) override
        {
            if (event->type() == QEvent::Paint)
                region += static_cast<QPaintEvent*>(event)->region();
            return false;
        }
    } spy(painted);
    view.installEventFilter(&spy);
    const auto paintAfter = [&](Qt::Key key) {
        QApplication::processEvents();
        painted = {};
        QTest::keyClick(&view, key);
        QApplication::processEvents();
        return painted.boundingRect();
    };
    // What the window shows is what a whole paint draws: nothing changed was left out.
    const auto shownAsPainted = [&] {
        const QImage shown = static_cast<QImage*>(view.backingStore()->paintDevice())->copy(view.rect());
        const QImage painted = view.grab().toImage();
        return shown.convertToFormat(QImage::Format_RGB32) == painted.convertToFormat(QImage::Format_RGB32);
    };
    const QRect typed = paintAfter(Qt::Key_X);
    EXPECT_FALSE(typed.isEmpty());
    EXPECT_GE(typed.top(), LineTopInWindow(4));
    EXPECT_LE(typed.bottom(), LineTopInWindow(6));
    EXPECT_TRUE(shownAsPainted());
    paintAfter(Qt::Key_Left);
    paintAfter(Qt::Key_Delete);
    EXPECT_TRUE(shownAsPainted());

    const int lastOfParagraph = 8 + para->LineCount() - 1;
    view.Editor().Collapse({14, 3});
    view.Refresh();
    for (const Qt::Key key : {Qt::Key_X, Qt::Key_Backspace}) {
        const QRect area = paintAfter(key);
        EXPECT_GE(area.top(), LineTopInWindow(13));
        EXPECT_LT(area.bottom(), LineTopInWindow(lastOfParagraph)) << lastOfParagraph;
        EXPECT_TRUE(shownAsPainted());
    }
    const QRect split = paintAfter(Qt::Key_Return);
    EXPECT_EQ(split.top(), LineTopInWindow(14));
    EXPECT_EQ(split.bottom(), view.Format().clientHeight - 1);
    EXPECT_TRUE(shownAsPainted());
}

TEST_F(ViewTest, MouseClicksPlaceAndDragsSelect)
{
    Show("abcdef\nghijkl");
    SendMouse(QEvent::MouseButtonPress, PointAt(0, 1), Qt::LeftButton);
    SendMouse(QEvent::MouseMove, PointAt(1, 3), Qt::LeftButton);
    SendMouse(QEvent::MouseButtonRelease, PointAt(1, 3), Qt::NoButton);
    EXPECT_EQ(view.Editor().SelectedText(), "bcdef\nghi");

    SendMouse(QEvent::MouseButtonPress, PointAt(1, 5), Qt::LeftButton, Qt::ShiftModifier);
    EXPECT_EQ(view.Editor().SelectedText(), "bcdef\nghijk");

    // A click inside the selection that never moves far enough to drag places the caret.
    SendMouse(QEvent::MouseButtonPress, PointAt(0, 2), Qt::LeftButton);
    SendMouse(QEvent::MouseButtonRelease, PointAt(0, 2), Qt::NoButton);
    EXPECT_FALSE(view.Editor().HasSelection());
    EXPECT_EQ(Caret(), (TextPosition{0, 2}));

    QTest::mouseClick(&view, Qt::LeftButton, {}, {TextLeft() + 4, LineTopInWindow(5)}); // below the text
    EXPECT_EQ(Caret(), (TextPosition{0, 2}));
}

// The change mark is checked on the main window's status bar.
TEST_F(ViewTest, StatusTextFollowsTheCaretAndPage)
{
    QString position;
    QObject::connect(&view, &CQuirelView::StatusChanged, [&](const QString& p, const QString&) { position = p; });
    Show("");
    EXPECT_EQ(position, "1:1 Page 1");

    Show(Lines(100));
    const int perPage = view.Format().LinesPerPage();
    view.Editor().Collapse({perPage - 2, 0});
    QTest::keyClick(&view, Qt::Key_Down); // onto the first page's last line
    EXPECT_EQ(position, QString("1:%1 Page 1").arg(perPage));
    QTest::keyClick(&view, Qt::Key_Down);
    EXPECT_EQ(position, QString("1:%1 Page 2").arg(perPage + 1));
    QTest::keyClicks(&view, "x");
    EXPECT_EQ(position, QString("2:%1 Page 2").arg(perPage + 1));
}

TEST_F(ViewTest, PaintsBackgroundPagesSelectionAndParagraphMarks)
{
    Show("aaaa\nbbbb\ncccc");
    Select({0, 2}, {2, 2});
    const QImage image = view.grab().toImage();
    const auto colourAt = [&](int x, int line) { return image.pixelColor(x, LineTopInWindow(line) + 20); };
    const QColor selection(65, 105, 225);
    const QColor white(Qt::white);

    EXPECT_EQ(image.pixelColor(5, 5), QColor(119, 119, 119));
    EXPECT_EQ(image.pixelColor(view.Format().horizontalOffset + 20, 20), white);
    EXPECT_EQ(colourAt(TextLeft() + 12, 1), selection); // the middle line is selected whole
    EXPECT_EQ(colourAt(TextLeft() + 4, 0), white);      // first line: selected from column 2
    EXPECT_EQ(colourAt(TextLeft() + 20, 0), selection);
    EXPECT_EQ(colourAt(TextLeft() + 4, 2), selection);  // last line: selected up to column 2
    EXPECT_EQ(colourAt(TextLeft() + 20, 2), white);
    EXPECT_EQ(image.pixelColor(TextLeft() - 9, 300), QColor(224, 224, 224)); // the text frame

    const auto markIn = [&](int x) {
        for (int y = LineTopInWindow(2); y < LineTopInWindow(3); ++y)
            for (int dx = 0; dx < 8; ++dx)
                if (image.pixelColor(x + dx, y) == QColor(128, 128, 128))
                    return true;
        return false;
    };
    EXPECT_TRUE(markIn(TextLeft() + 32)); // behind "cccc"

    // Painted lines are reused only while they look the same.
    view.Editor().Collapse({1, 0});
    view.Refresh();
    EXPECT_EQ(view.grab().toImage().pixelColor(TextLeft() + 12, LineTopInWindow(1) + 20), white);
}

TEST_F(ViewTest, WheelAndScrollBarsMoveThePageNotTheCaret)
{
    Show(Lines(100));
    QWheelEvent wheel(QPointF(300, 300), view.mapToGlobal(QPointF(300, 300)), {}, {0, -120}, Qt::NoButton, {},
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(&view, &wheel);
    EXPECT_EQ(view.Format().verticalScroll, 3 * 16);
    EXPECT_EQ(Caret(), (TextPosition{0, 0}));

    QScrollBar* horizontal = nullptr;
    QScrollBar* vertical = nullptr;
    for (QScrollBar* bar : view.findChildren<QScrollBar*>())
        (bar->orientation() == Qt::Horizontal ? horizontal : vertical) = bar;
    ASSERT_NE(horizontal, nullptr);
    ASSERT_NE(vertical, nullptr);
    // The page stops at the last line's top: a bar dragged past it goes back there, every time.
    for (int drag = 0; drag < 2; ++drag) {
        vertical->setValue(vertical->maximum());
        EXPECT_EQ(view.Format().verticalScroll, view.Format().LineTop(99)) << "drag " << drag;
        EXPECT_EQ(vertical->value(), view.Format().verticalScroll) << "drag " << drag;
    }

    // The horizontal bar works only while the page is wider than the window.
    EXPECT_FALSE(horizontal->isEnabled());
    view.resize(600, 700);
    EXPECT_TRUE(horizontal->isEnabled());
    horizontal->setValue(100);
    EXPECT_EQ(view.Format().horizontalOffset, -100);
}

TEST_F(ViewTest, DroppedPlainTextIsInsertedAtTheDropPoint)
{
    Show("abcd");
    QMimeData data;
    data.setText("x\r\ny");
    // QApplication routes drops only while a drag runs: the events go to the view itself.
    QObject& target = view;
    QDropEvent drop(PointAt(0, 2), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, {});
    target.event(&drop);
    EXPECT_TRUE(drop.isAccepted());
    EXPECT_EQ(Text(), "abx\nycd");
    EXPECT_EQ(Caret(), (TextPosition{1, 1}));

    QDropEvent below(QPoint(TextLeft(), LineTopInWindow(10)), Qt::CopyAction, &data, Qt::LeftButton, {});
    target.event(&below);
    EXPECT_FALSE(below.isAccepted());
    EXPECT_EQ(Text(), "abx\nycd");

    // A file from a file manager is left to the main window (which opens it), never typed in.
    QMimeData file;
    file.setUrls({QUrl::fromLocalFile("/tmp/notes.txt")});
    file.setText("file:///tmp/notes.txt");
    QDropEvent fileDrop(PointAt(0, 1), Qt::CopyAction, &file, Qt::LeftButton, {});
    target.event(&fileDrop);
    EXPECT_FALSE(fileDrop.isAccepted());
    EXPECT_EQ(Text(), "abx\nycd");
}

TEST_F(ViewTest, ContextMenuFollowsSelectionAndClipboardWhichHoldsCrLf)
{
    Show("a\nb");
    QApplication::clipboard()->clear();
    const auto enabled = [&](int command) {
        const std::unique_ptr<QMenu> menu = view.CreateContextMenu();
        for (QAction* action : menu->actions())
            if (action->data().toInt() == command)
                return action->isEnabled();
        ADD_FAILURE() << "no command " << command;
        return false;
    };
    const auto selectionCommands = {ViewCommand::kCut, ViewCommand::kCopy, ViewCommand::kDelete,
                                    ViewCommand::kSearchWord};
    for (int command : selectionCommands)
        EXPECT_FALSE(enabled(command)) << command;
    EXPECT_FALSE(enabled(ViewCommand::kPaste));
    EXPECT_TRUE(enabled(ViewCommand::kSelectAll));

    view.RunMenuCommand(ViewCommand::kSelectAll);
    for (int command : selectionCommands)
        EXPECT_TRUE(enabled(command)) << command;

    view.RunMenuCommand(ViewCommand::kCopy);
    EXPECT_EQ(QApplication::clipboard()->text(), "a\r\nb");
    EXPECT_TRUE(enabled(ViewCommand::kPaste));
    QTest::keyClick(&view, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClick(&view, Qt::Key_End);
    view.RunMenuCommand(ViewCommand::kPaste);
    EXPECT_EQ(Text(), "a\nba\nb");
}

TEST_F(ViewTest, FontChoiceAndUpdateHintsLayOutAgainFromTheStart)
{
    Show("abc\ndef");
    QTest::keyClicks(&view, "x");
    std::optional<LogFontW> told;
    QObject::connect(&view, &CQuirelView::FontChosen, [&](const LogFontW& font) { told = font; });
    LogFontW big = DefaultViewFont();
    big.lfHeight = -24;
    view.ApplyChosenFont(big);
    EXPECT_EQ(told, big);
    EXPECT_EQ(view.Format().LinePitch(), 36);
    EXPECT_EQ(Caret(), (TextPosition{0, 0}));
    EXPECT_EQ(store.LineAttributed(0).Attributes()[0], 12); // remeasured in the new font
    EXPECT_TRUE(view.Editor().Undo().CanUndo());            // the same memo keeps its history

    LogFontW memoFont = DefaultViewFont();
    memoFont.lfHeight = -20;
    view.OnUpdate(kHintLoaded, memoFont);
    EXPECT_EQ(view.Format().fontHeight, 20);
    EXPECT_FALSE(view.Editor().Undo().CanUndo());
    view.OnUpdate(kHintNewMemo);
    EXPECT_EQ(view.Format().fontHeight, 16);
    EXPECT_EQ(store.LineAttributed(0).Attributes()[0], 8);
}

TEST_F(ViewTest, KeyListPageGoesIntoAnOwnerOnlyFolder)
{
    Show("");
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    ASSERT_TRUE(QDir().mkpath(folder));
    // A link planted where the page goes is replaced, never written through.
    const QString elsewhere = folder + "/../elsewhere.html";
    WriteBytes(elsewhere, "keep");
    ASSERT_TRUE(QFile::link(elsewhere, folder + "/Keylist.html"));

    const QString path = view.WriteKeyListPage();
    ASSERT_EQ(path, folder + "/Keylist.html");
    EXPECT_FALSE(QFileInfo(path).isSymLink());
    EXPECT_EQ(ReadBytes(elsewhere), "keep");
    EXPECT_TRUE(ReadBytes(path).startsWith("<html>\n"));
    const auto permissions = [](const QString& p) {
        return QFile::permissions(p) & ~(QFile::ReadUser | QFile::WriteUser | QFile::ExeUser);
    };
    EXPECT_EQ(permissions(path), QFile::ReadOwner | QFile::WriteOwner);
    EXPECT_EQ(permissions(folder), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

} // namespace
