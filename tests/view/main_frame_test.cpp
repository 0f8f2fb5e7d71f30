// The application shell: menu 128 and the tool bar as described, the enabling of commands in
// each mode, the mode switch and the encoding button, the search word and Enter paths, the
// caption and the memo's place, closing, recent files and drops, the font of a new and a loaded
// memo, the wait cursor; the save dialog, the file filters and start-up.
#include "app/main_frame.h"

#include "app/quirel_app.h"
#include "app/save_dialog.h"
#include "app/search_dialog_bar.h"
#include "app/wait_cursor.h"
#include "app/widget_prompts.h"
#include "browser/view/sabrel_list.h"
#include "document/local_database.h"
#include "document/quirel_doc.h"
#include "document/scripted_prompts.h"
#include "document/string_table.h"
#include "document/text_file.h"
#include "support/temp_files.h"

#include "editor/view/quirel_view.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBrowser>
#include <QSettings>
#include <QTest>
#include <QToolBar>
#include <gtest/gtest.h>

namespace {

using namespace FrameCommand;

// A menu's items as "text=id", separators as "—", a submenu as "text[items]".
QString MenuItems(const QMenu* menu)
{
    QStringList items;
    for (const QAction* action : menu->actions())
        items << (action->isSeparator() ? QStringLiteral("—")
                  : action->menu()      ? action->text() + u'[' + MenuItems(action->menu()) + u']'
                                        : QStringLiteral("%1=%2").arg(action->text()).arg(action->data().toInt()));
    return items.join(u'|');
}

class MainFrameTest : public testing::Test {
protected:
    MainFrameTest() { QSettings().remove(QStringLiteral("Recent File List")); }
    void TearDown() override { EXPECT_TRUE(prompts.Finished()) << "scripted answers left over"; }

    void Type(const QString& text) { QTest::keyClicks(frame.View(), text); }
    QString Changed() const { return frame.findChild<QLabel*>("changedPane")->text(); }
    QPushButton* Encoding() const { return frame.SearchBar()->EncodingButton(); }
    QString Place() const { return frame.findChild<QLabel*>("placePane")->text(); }
    QString ShownFace() const { return frame.View()->Format().font.lfFaceName; }

    // Opens a new, empty local database through the menu.
    QString OpenNewDatabase()
    {
        const QString path = folder.Path("memo.qrl");
        prompts.answers = {kAnswerOk, kAnswerYes}; // notice 119, create (103)
        prompts.chosenFiles = {path};
        frame.RunCommand(kOpenLocalDatabase);
        EXPECT_TRUE(frame.Document().IsDatabaseOpen());
        return path;
    }

    QString WriteText(const QString& name, const QByteArray& bytes)
    {
        const QString path = folder.Path(name);
        WriteBytes(path, bytes);
        return path;
    }

    TempFolder folder;
    ScriptedPrompts prompts;
    CMainFrame frame{&prompts};
};

TEST_F(MainFrameTest, MenuHoldsEveryCommandWithItsTextAndId)
{
    const QStringList expected = {
        "ファイル(&F): 開く(&O)[Brindle Hub DBを開く(&W)...=32807|ローカルDBを開く(&D)...=32782|—|"
        "テキストファイルを開く(&O)...=57601]|DBを閉じる(&E)=32801|—|新規作成(&N)=57600|上書き保存(&S)=57603|"
        "名前を付けてテキストへ保存(&A)...=57604|—|印刷(&P)...=57607|印刷プレビュー(&V)=57609|"
        "プリンタの設定(&R)...=57606|—|メール送信(&M)=32819|—|最近使ったファイル=57616|—|Quirelの終了(&X)=57665",
        "編集(&E): 元に戻す(&U)=57643|—|切り取り(&T)=57635|コピー(&C)=57634|貼り付け(&P)=57637|削除(&D)=32776|—|"
        "すべて選択(&A)=32774|—|文字置換(&R)=32780",
        "表示(&V): ツール バー(&T)=59392|ステータス バー(&S)=59393|—|フォント変更(&F)=32778|オプション設定(&O)...=32805",
        "DB(&D): 新規入力(&W)=32792|—|先頭データ(&T)=32789|前のデータ(&P)=32786|次のデータ(&N)=32787|"
        "末尾データ(&B)=32790|—|表題一覧(&L)...=32798|—|添付フォルダ(&A)...=32817|プロパティ(&P)...=32802|—|"
        "削除(&D)...=32793|—|Sabrelテキストからの取り込み(&T)....=138",
        "ヘルプ(&H): キー割り当てと機能一覧(&C)...=32815|バージョン情報 Quirel(&A)...=57664",
    };
    QStringList menus;
    for (const QAction* top : frame.menuBar()->actions())
        menus << top->text() + QStringLiteral(": ") + MenuItems(top->menu());
    EXPECT_EQ(menus, expected);
}

TEST_F(MainFrameTest, ToolBarShowsItsButtonsInOrderWithImagesAndTips)
{
    const std::vector<int> expected = {57600, 57601, 0,     57603, 0,     57607, 0,     57635, 57634, 57637, 0,
                                       32793, 0,     32789, 32786, 32787, 32790, 0,     32802, 32798, 32817};
    std::vector<int> buttons;
    for (const QAction* action : frame.ToolBar()->actions()) {
        buttons.push_back(action->isSeparator() ? 0 : action->data().toInt());
        EXPECT_TRUE(action->isSeparator() || !action->icon().isNull()) << action->text().toStdString();
        EXPECT_FALSE(action->toolTip().contains(u'&')) << action->toolTip().toStdString();
    }
    EXPECT_EQ(buttons, expected);
    EXPECT_EQ(frame.Action(kDeleteMemo)->toolTip(), "データの削除");

    frame.RunCommand(kToolBar);
    EXPECT_TRUE(frame.ToolBar()->isHidden());
    EXPECT_FALSE(frame.Action(kToolBar)->isChecked());
}

TEST_F(MainFrameTest, TextModeEnablesOnlyTheTextCommandsAndTheEncodingAndSaveOnceEdited)
{
    for (int command : {kNew, kOpenTextFile, kOpenLocalDatabase, kOpenServer, kSaveAsText, kReplace, kOptions, kAbout})
        EXPECT_TRUE(frame.Action(command)->isEnabled()) << command;
    for (int command : {kNewMemo, kFirst, kPrevious, kNext, kLast, kCloseDatabase, kProperties, kDeleteMemo, kTitleList,
                        kImport, kSave, kSendMail})
        EXPECT_FALSE(frame.Action(command)->isEnabled()) << command;
    EXPECT_TRUE(Encoding()->isEnabled());
    EXPECT_FALSE(frame.SearchBar()->DatabaseSearchEnabled());
    EXPECT_EQ(Changed(), "　　");

    Type("ab");
    EXPECT_TRUE(frame.Action(kSave)->isEnabled());
    EXPECT_EQ(Changed(), "変更");
    frame.RunCommand(kDeleteMemo); // disabled: nothing is asked
    EXPECT_TRUE(prompts.shown.isEmpty());
}

// A memo is shown in the font it is saved with (not the page's default), a text in the default.
TEST_F(MainFrameTest, DatabaseModeEnablesItsCommandsAndDeleteOnlyForAStoredMemoAndShowsMemoFontsUntilClosed)
{
    EXPECT_EQ(Place(), "");
    const QString defaultFace = ShownFace();
    const QString path = OpenNewDatabase();
    const QString memoFace = frame.Document().CurrentHeader().font.lfFaceName;
    ASSERT_NE(memoFace, defaultFace);
    EXPECT_EQ(ShownFace(), memoFace);
    EXPECT_EQ(frame.windowTitle(), path + " データ数 0 - Quirel");
    EXPECT_EQ(Place(), "新規 / 0");
    for (int command : {kNewMemo, kFirst, kPrevious, kNext, kLast, kCloseDatabase, kProperties, kTitleList, kImport})
        EXPECT_TRUE(frame.Action(command)->isEnabled()) << command;
    EXPECT_FALSE(frame.Action(kDeleteMemo)->isEnabled()) << "a new memo is not stored yet";
    EXPECT_FALSE(frame.Action(kSave)->isEnabled());
    EXPECT_FALSE(frame.Action(kSendMail)->isEnabled()) << "mail goes out from server tables only";
    EXPECT_FALSE(Encoding()->isEnabled());
    EXPECT_EQ(Encoding()->text(), "UTF-8") << "a database's text is UTF-8";
    EXPECT_TRUE(frame.SearchBar()->DatabaseSearchEnabled());

    Type("first memo");
    prompts.saveDialogs = {{kSaveDialogSave, QStringLiteral("title"), std::nullopt}};
    frame.RunCommand(kSave);
    EXPECT_TRUE(prompts.shown.last().startsWith("[保存ダイアログ] first memo")) << "the body suggests the title";
    EXPECT_TRUE(frame.Action(kDeleteMemo)->isEnabled());
    EXPECT_FALSE(frame.Action(kSave)->isEnabled());
    EXPECT_EQ(Changed(), "　　");
    EXPECT_EQ(frame.windowTitle(), path + " データ数 1 - Quirel");
    EXPECT_EQ(Place(), "1 / 1");
    frame.RunCommand(kFirst);
    EXPECT_EQ(ShownFace(), memoFace) << "loaded after its save";
    frame.RunCommand(kNewMemo);
    EXPECT_EQ(ShownFace(), memoFace);

    frame.RunCommand(kCloseDatabase);
    EXPECT_EQ(ShownFace(), defaultFace);
    EXPECT_EQ(Place(), "");
    EXPECT_FALSE(frame.Document().IsDatabaseOpen());
    EXPECT_TRUE(Encoding()->isEnabled());
    EXPECT_EQ(Encoding()->text(), "UTF-8") << "closing does not switch the encoding back";
    EXPECT_FALSE(frame.SearchBar()->DatabaseSearchEnabled());
}

TEST_F(MainFrameTest, MovingClosingTheDatabaseOrQuittingOffersUnsavedWorkFirstAndCancelKeepsTheWindow)
{
    frame.show();
    OpenNewDatabase();
    Type("unsaved");
    prompts.shown.clear();
    prompts.saveDialogs = {{kSaveDialogCancel}, {kSaveDialogCancel}, {kSaveDialogCancel}};
    frame.RunCommand(kNewMemo);
    frame.RunCommand(kCloseDatabase);
    EXPECT_FALSE(frame.close());
    EXPECT_EQ(prompts.shown, QStringList(3, "[保存ダイアログ] " + frame.Document().SuggestedTitle()));
    EXPECT_TRUE(prompts.goOnEnabled.front()) << "a move may go on without saving";
    EXPECT_TRUE(frame.Document().IsDatabaseOpen());
    EXPECT_EQ(frame.Document().TextStore().WholeText(), "unsaved");

    prompts.saveDialogs = {{kSaveDialogGoOn}};
    frame.RunCommand(kNext);
    EXPECT_EQ(frame.Document().TextStore().WholeText(), "");

    // A text asks its own question instead of the save dialog.
    frame.RunCommand(kCloseDatabase);
    Type("draft");
    prompts.shown.clear();
    prompts.answers = {kAnswerCancel};
    EXPECT_FALSE(frame.close());
    EXPECT_TRUE(frame.isVisible());
    EXPECT_EQ(prompts.shown, QStringList({SaveChangesQuestion(UntitledName())}));
    prompts.answers = {kAnswerNo};
    EXPECT_TRUE(frame.close());
}

TEST_F(MainFrameTest, TheWaitCursorGivesWayToDialogsAndLeavesNoCursorBehind)
{
    {
        WaitCursor wait;
        EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
        QDialog question;
        question.show();
        EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::ArrowCursor);
        question.hide();
        EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
        question.show(); // still open when the operation ends
    }
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(MainFrameTest, EncodingButtonCyclesAfterTheQuestion)
{
    prompts.answers = {kAnswerYes, kAnswerYes, kAnswerNo, kAnswerYes};
    QStringList texts;
    for (int click = 0; click < 4; ++click) {
        Encoding()->click();
        texts << Encoding()->text();
    }
    EXPECT_EQ(texts, QStringList({"ANSI", "UTF-8", "UTF-8", "UNICODE"}));
    EXPECT_EQ(prompts.shown, QStringList(4, MessageText(kMsgChangeEncoding)));
    EXPECT_EQ(frame.Document().TextStore().Encoding(), kEncodingUnicode);
}

TEST_F(MainFrameTest, SearchWordPutsTheFirst32SelectedCharactersIntoTheBoxAfterTheCommand)
{
    TextEditor& editor = frame.View()->Editor();
    const QString word = QStringLiteral("0123456789abcdefghijあいうえおかきくけこさしすせそたちつてと");
    // A surrogate pair across the cut is left out whole.
    const QString emoji = QStringLiteral("0123456789012345678901234567890\U0001F600");
    for (const auto& [text, expected] : {std::pair{word, word.left(32)}, std::pair{emoji, emoji.left(31)}}) {
        editor.SelectAll();
        editor.InsertText(text, true);
        editor.SelectAll();
        frame.SearchBar()->SetText("old");
        frame.View()->RunMenuCommand(ViewCommand::kSearchWord);
        EXPECT_EQ(frame.SearchBar()->Text(), "old") << "posted: it runs after the command";
        QCoreApplication::processEvents();
        EXPECT_EQ(frame.SearchBar()->Text(), expected);
    }
}

TEST_F(MainFrameTest, EnterFindsNextInTextModeAndSearchesTheDatabaseOtherwise)
{
    frame.View()->Editor().InsertText("xx abc", true);
    frame.View()->Editor().Collapse({0, 0});
    auto* box = frame.SearchBar()->findChild<QComboBox*>("searchBox");
    box->setEditText("abc");
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_FALSE(frame.View()->Editor().HasSelection()) << "posted: it runs after the key";
    QCoreApplication::processEvents();
    EXPECT_EQ(frame.View()->Editor().SelectedText(), "abc");

    frame.Document().OnNewDocument();
    OpenNewDatabase();
    auto* list = frame.View()->findChild<CSabrelList*>();
    QTest::keyClick(box, Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_FALSE(list->isVisible()) << "nothing found: no list";

    // 検索 and the title list command show the list window with a fresh page.
    MemoHeader header;
    ResetMemoHeader(header);
    ASSERT_EQ(frame.Document().LocalDatabase()->SaveRecord(-1, header, "xx abc"), 1);
    QTest::keyClick(box, Qt::Key_Return);
    QCoreApplication::processEvents();
    ASSERT_TRUE(list->isVisible());
    EXPECT_TRUE(list->Browser()->toPlainText().contains("[ No title ]"));
    list->hide();
    frame.RunCommand(kTitleList);
    EXPECT_TRUE(list->isVisible());
    EXPECT_TRUE(list->Browser()->toPlainText().contains("[1] [ No title ]"));
}

TEST_F(MainFrameTest, RecentFilesKeepTheNewestEightAndDropAMissingOne)
{
    QStringList paths;
    for (int i = 0; i < 9; ++i) {
        paths << WriteText(QStringLiteral("f%1.txt").arg(i), "x");
        ASSERT_TRUE(frame.OpenDocumentFile(paths.last()));
    }
    frame.UpdateRecentFileEntries();
    QStringList entries;
    for (const QAction* action : frame.menuBar()->actions().first()->menu()->actions())
        if (action->isVisible() && action->data().toInt() >= kRecentFile && action->data().toInt() < kRecentFile + 8)
            entries << action->text();
    ASSERT_EQ(entries.size(), 8);
    EXPECT_EQ(entries.first(), "&1 " + paths[8]);
    EXPECT_EQ(entries.last(), "&8 " + paths[1]);

    QFile::remove(paths[7]);
    prompts.answers = {kAnswerOk}; // the file cannot be read
    frame.RunCommand(kRecentFile + 1);
    EXPECT_FALSE(RecentFileList().Files().contains(paths[7]));
    EXPECT_EQ(RecentFileList().Files().size(), 7);
}

TEST_F(MainFrameTest, ADroppedFileOpensOnceTheDropIsOverAndNamesTheWindow)
{
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(WriteText("dropped.txt", "\xEF\xBB\xBF" "dropped"))});
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    // Delivered as the window delivers a drop it accepted (sendEvent drops it without a drag).
    static_cast<QObject&>(frame).event(&drop);
    EXPECT_TRUE(drop.isAccepted());
    QCoreApplication::processEvents();
    EXPECT_EQ(frame.Document().TextStore().WholeText(), "dropped");
    EXPECT_EQ(frame.windowTitle(), "dropped.txt - Quirel");
    EXPECT_EQ(frame.View()->Editor().Store(), &frame.Document().TextStore());
    EXPECT_EQ(Encoding()->text(), "UTF-8");
}

// ---- The save dialog

class SaveDialogTest : public testing::Test {
protected:
    SaveDialogTest()
    {
        ResetMemoHeader(header);
        header.title = "old title";
        header.theKeys = "old keys";
    }

    static auto* Box(const QObject& dialog, const char* name) { return dialog.findChild<QPlainTextEdit*>(name); }
    static auto* Button(const QObject& dialog, const char* name) { return dialog.findChild<QPushButton*>(name); }

    MemoHeader header;
};

TEST_F(SaveDialogTest, EachButtonEndsWithItsResultAndOnlySaveKeepsTheTexts)
{
    struct Case {
        const char* button;
        int result;
        QString title;
    };
    for (const Case& c : {Case{"save", kSaveDialogSave, "new title"}, Case{"goOn", kSaveDialogGoOn, "old title"},
                          Case{"cancel", kSaveDialogCancel, "old title"}}) {
        CSabrelSave dialog(header, true);
        EXPECT_EQ(Box(dialog, "title")->toPlainText(), "old title");
        EXPECT_EQ(Box(dialog, "keys")->toPlainText(), "old keys");
        Box(dialog, "title")->setPlainText("new title");
        Button(dialog, c.button)->click();
        EXPECT_EQ(dialog.result(), c.result) << c.button;
        EXPECT_EQ(dialog.Header().title, c.title) << c.button;
    }
    CSabrelSave dialog(header, false);
    EXPECT_FALSE(Button(dialog, "goOn")->isEnabled());
    dialog.reject(); // Escape
    EXPECT_EQ(dialog.result(), kSaveDialogCancel);
}

// Typing stops at a box's limit, though a longer text put in stays; 保存 cuts a title too long
// and saves it only when pressed again.
TEST_F(SaveDialogTest, TextsStopAtTheirLimitsAndATitleTooLongIsSavedOnlyOnTheSecondSave)
{
    header.theKeys = QString(200, u'k');
    CSabrelSave dialog(header, true);
    QPlainTextEdit* keys = Box(dialog, "keys");
    keys->moveCursor(QTextCursor::End);
    keys->insertPlainText("more");
    EXPECT_EQ(keys->toPlainText(), QString(200, u'k'));
    keys->setPlainText(QString(110, u'k'));
    keys->moveCursor(QTextCursor::End);
    keys->insertPlainText(QString(20, u'x'));
    EXPECT_EQ(keys->toPlainText(), QString(110, u'k') + QString(10, u'x'));

    const QString longTitle = QString(126, u'あ') + QStringLiteral("\U0001F600xyz");
    Box(dialog, "title")->setPlainText(longTitle);
    Button(dialog, "save")->click();
    EXPECT_EQ(dialog.result(), 0) << "still open";
    EXPECT_EQ(Box(dialog, "title")->toPlainText(), QString(126, u'あ')) << "not inside the surrogate pair";
    EXPECT_FALSE(dialog.findChild<QLabel*>("notice")->isHidden());

    Button(dialog, "save")->click();
    EXPECT_EQ(dialog.result(), kSaveDialogSave);
    EXPECT_EQ(dialog.Header().title, QString(126, u'あ'));
}

// ---- File dialog filters

TEST(QtNameFiltersTest, TranslatesTheProgramsFilters)
{
    EXPECT_EQ(QtNameFilters("すべてのファイル(*.*)|*.*|テキスト(*.txt)|*.txt|Brindle nbk(*.nbk)|*.nbk||"),
              QStringList({"すべてのファイル (*)", "テキスト (*.txt *.TXT)", "Brindle nbk (*.nbk *.NBK)"}));
    EXPECT_EQ(QtNameFilters("Two|*.a;*.b||"), QStringList({"Two (*.a *.A *.b *.B)"}));
    EXPECT_EQ(QtNameFilters("Dangling name|*.x|Alone"), QStringList({"Dangling name (*.x *.X)"}));
    EXPECT_EQ(QtNameFilters(""), QStringList());
}

// ---- Start-up

class QuirelAppTest : public testing::Test {
protected:
    void TearDown() override { EXPECT_TRUE(prompts.Finished()) << "scripted answers left over"; }

    TempFolder folder;
    ScriptedPrompts prompts;
    CQuirelApp app{&prompts};
};

TEST_F(QuirelAppTest, WithoutAPathStartsAnUntitledTextInJapaneseAndLoadsTheOptions)
{
    QSettings().setValue("Options/LeftKin", "、");
    QSettings().setValue("Options/KeyboardLayout", 1);
    QSettings().setValue("Options/WebSearchHost", "search.example.jp");
    app.InitInstance({"quirel"});
    EXPECT_TRUE(app.MainFrame()->isVisible());
    EXPECT_TRUE(app.MainFrame()->acceptDrops());
    EXPECT_EQ(app.MainFrame()->windowTitle(), "無題 - Quirel");
    EXPECT_EQ(app.Options().leftKin, "、");
    EXPECT_EQ(app.Options().keyboardLayout, 1);
    EXPECT_TRUE(app.MainFrame()->SearchBar()->findChild<QPushButton*>("webSearch")->isEnabled());
    QSettings().remove("Options");

    // Qt's standard buttons (message 106 among them) say what the program's own questions say.
    QMessageBox box;
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(box.button(QMessageBox::Yes)->text(), "はい(&Y)");
    EXPECT_EQ(box.button(QMessageBox::No)->text(), "いいえ(&N)");
}

TEST_F(QuirelAppTest, APathIsOpenedADeclinedOneLeavesAnUntitledTextAndTheWindowKeepsItsPlace)
{
    const QString path = folder.Path("start.txt");
    WriteBytes(path, "\xEF\xBB\xBFstart");
    app.InitInstance({"quirel", path});
    EXPECT_EQ(app.MainFrame()->Document().TextStore().WholeText(), "start");
    const QRect place(20, 30, 760, 520);
    app.MainFrame()->setGeometry(place);
    ASSERT_TRUE(app.MainFrame()->close());

    CQuirelApp declined(&prompts);
    const QString missing = folder.Path("Memo.qrl");
    prompts.answers = {kAnswerNo}; // do not create the missing database (103)
    declined.InitInstance({"quirel", missing});
    EXPECT_EQ(prompts.shown.last(), MessageText(kMsgCreateLocalDatabase));
    EXPECT_TRUE(declined.MainFrame()->isVisible());
    EXPECT_EQ(declined.MainFrame()->windowTitle(), "無題 - Quirel");
    EXPECT_FALSE(QFileInfo::exists(missing));
    EXPECT_EQ(declined.MainFrame()->geometry(), place);
    QSettings().remove("Options");
}

} // namespace
