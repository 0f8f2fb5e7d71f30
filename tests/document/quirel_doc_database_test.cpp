// The document with local database files: opening, creating, refusing, closing, the window
// title and the font carried by a memo.
#include "quirel_doc_fixture.h"

#include "document/text_file.h"

#include <QFileInfo>
#include <QStandardPaths>
#include <gmock/gmock.h>

namespace {

using testing::ElementsAre;

const QString kNotice = QStringLiteral(
    "Nubrick は通常データをBrindle Hubに置き、クライアント・サーバー型のデータベースソフトとして使います。"
    "ローカルデータベースでは一部機能が利用できないだけではなく、本来の性能を発揮できません。"
    "ローカルデータベースを使う場合は OK をクリックしてください。");
const QString kCreate = QStringLiteral("指定したローカルデータベースファイルは存在しません。新規に作成しますか？");
const QString kCannotOpen = QStringLiteral("ローカルデータベースファイルを開けませんでした。");

TEST_F(QuirelDocTest, OpeningADatabaseShowsANewMemoAndTheRecordCount)
{
    const QString path = MakeDatabase({QStringLiteral("one"), QStringLiteral("two")});
    Type(QStringLiteral("text before"));
    ASSERT_TRUE(doc.OpenLocalDatabase(path));

    EXPECT_TRUE(prompts.shown.isEmpty());
    EXPECT_EQ(doc.Mode(), DocumentMode::kLocalDatabase);
    EXPECT_EQ(doc.CurrentRecord(), -1);
    EXPECT_EQ(doc.TextStore().WholeText(), QString());
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(doc.CurrentHeader().mark, MemoHeader::kMark);
    EXPECT_EQ(doc.TextStore().Encoding(), kEncodingUtf8);
    EXPECT_EQ(doc.PathName(), path);
    EXPECT_EQ(doc.Title(), path + QStringLiteral(" データ数 2 "));
    EXPECT_EQ(views.titles.last(), doc.Title());
    EXPECT_THAT(views.recentFiles, ElementsAre(path));
    EXPECT_EQ(views.hints.back(), kHintNewMemo);
    EXPECT_TRUE(views.modes.back());

    // The open file can be opened again: its lock is released before.
    EXPECT_TRUE(doc.OpenLocalDatabase(path));
    EXPECT_EQ(doc.LocalDatabase()->Count(), 2);
}

TEST_F(QuirelDocTest, AMissingFileIsCreatedOnlyAfterYes)
{
    const QString path = folder.Path(QStringLiteral("new.qrl"));
    Type(QStringLiteral("kept"));
    for (int answer : {kAnswerNo, kAnswerCancel}) {
        prompts.answers = {answer};
        EXPECT_FALSE(doc.OpenLocalDatabase(path));
        EXPECT_FALSE(QFileInfo::exists(path));
    }
    EXPECT_EQ(doc.Mode(), DocumentMode::kTextFile);
    EXPECT_EQ(doc.TextStore().WholeText(), QStringLiteral("kept"));

    prompts.answers = {kAnswerYes};
    ASSERT_TRUE(doc.OpenLocalDatabase(path));
    EXPECT_THAT(prompts.shown, ElementsAre(kCreate, kCreate, kCreate));
    EXPECT_EQ(prompts.buttons[0], PromptButtons::kYesNoCancel);
    EXPECT_EQ(doc.Title(), path + QStringLiteral(" データ数 0 "));
    EXPECT_EQ(QFileInfo(path).size(), CLocalDatabase::kIndexBytes);
}

TEST_F(QuirelDocTest, TheOpenCommandShowsTheNoticeThenTheFileDialog)
{
    const QString path = MakeDatabase({QStringLiteral("one")});
    prompts.answers = {kAnswerCancel, kAnswerOk, kAnswerOk};
    prompts.chosenFiles = {std::nullopt, path};

    EXPECT_FALSE(doc.OpenLocalDatabase());
    EXPECT_FALSE(doc.OpenLocalDatabase());
    EXPECT_TRUE(doc.OpenLocalDatabase());

    EXPECT_THAT(prompts.shown, ElementsAre(kNotice, kNotice, QStringLiteral("[開く]"), kNotice, QStringLiteral("[開く]")));
    EXPECT_EQ(prompts.buttons[0], PromptButtons::kOkCancel);
    const FileDialogRequest& request = prompts.fileRequests[0];
    EXPECT_EQ(request.filter, QStringLiteral("ローカルQuirel(*.qrl)|*.qrl|Brindle nbk(*.nbk)|*.nbk||"));
    EXPECT_EQ(request.defaultExtension, QStringLiteral("qrl"));
    EXPECT_EQ(request.initialName, QStringLiteral("Memo.qrl"));
    EXPECT_EQ(request.startFolder, QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
    EXPECT_EQ(doc.LocalDatabase()->Path(), path);
}

TEST_F(QuirelDocTest, AFileThatCannotBeOpenedIsReportedAndLeavesNoDatabase)
{
    const QString locked = MakeDatabase({}, QStringLiteral("locked.qrl"));
    CLocalDatabase holder(locked);
    ASSERT_EQ(holder.Open(), CLocalDatabase::kOk);
    const QString shortFile = folder.Path(QStringLiteral("short.qrl"));
    WriteBytes(shortFile, QByteArray(4096, 'x'));
    OpenDatabase({QStringLiteral("one")});

    prompts.answers = {kAnswerOk, kAnswerOk};
    EXPECT_FALSE(doc.OpenLocalDatabase(locked));
    EXPECT_FALSE(doc.OpenLocalDatabase(shortFile));

    EXPECT_THAT(prompts.shown, ElementsAre(kCannotOpen, kCannotOpen));
    EXPECT_EQ(prompts.buttons[0], PromptButtons::kOk);
    EXPECT_EQ(doc.Mode(), DocumentMode::kTextFile);
    EXPECT_EQ(ReadBytes(shortFile), QByteArray(4096, 'x'));
}

TEST_F(QuirelDocTest, PathsAreDispatchedByWhatTheyContainInAnyCase)
{
    prompts.answers = {kAnswerNo};
    EXPECT_FALSE(doc.OnOpenDocument(folder.Path(QStringLiteral("NOTES.QRL"))));
    EXPECT_THAT(prompts.shown, ElementsAre(kCreate));

    const QString doubled = MakeDatabase({QStringLiteral("one")}, QStringLiteral("notes.qrl.txt"));
    EXPECT_TRUE(doc.OnOpenDocument(doubled));
    EXPECT_EQ(doc.Mode(), DocumentMode::kLocalDatabase);

    // A readable server shortcut opens nothing yet and changes nothing.
    const QString shortcut = folder.Path(QStringLiteral("table.nbk"));
    WriteBytes(shortcut, "//--*Nubrick--*//h=host;u=user;f=table;\r\n");
    EXPECT_FALSE(doc.OnOpenDocument(shortcut));
    EXPECT_EQ(doc.Mode(), DocumentMode::kLocalDatabase);
}

TEST_F(QuirelDocTest, ClosingTheDatabaseStartsAnUntitledText)
{
    OpenDatabase({QStringLiteral("one")});
    doc.StepMemo(true);
    Forget();

    doc.CloseDatabase();
    EXPECT_EQ(doc.Mode(), DocumentMode::kTextFile);
    EXPECT_EQ(doc.Title(), QStringLiteral("無題"));
    EXPECT_EQ(doc.PathName(), QString());
    EXPECT_EQ(doc.TextStore().WholeText(), QString());
    EXPECT_THAT(views.hints, ElementsAre(kHintStoreClosed, kHintNewMemo));
    EXPECT_FALSE(views.modes.back());
    // Closing does not switch the encoding back.
    EXPECT_EQ(doc.TextStore().Encoding(), kEncodingUtf8);

    doc.CloseDatabase();
    EXPECT_EQ(views.hints.size(), 2u);
}

TEST_F(QuirelDocTest, TheTitleFollowsTheRecordCount)
{
    const QString path = OpenDatabase({QStringLiteral("one")});
    Type(QStringLiteral("two"));
    prompts.saveDialogs = {{kSaveDialogSave, QStringLiteral("題")}};
    ASSERT_TRUE(doc.Save());
    EXPECT_EQ(views.titles.last(), path + QStringLiteral(" データ数 2 "));

    doc.SetTitle(QStringLiteral("ignored while a database is open"));
    EXPECT_EQ(doc.Title(), path + QStringLiteral(" データ数 2 "));
}

TEST_F(QuirelDocTest, AChosenFontIsSavedWithADatabaseMemo)
{
    LogFontW font = FallbackMemoFont();
    font.lfHeight = -24;
    font.lfFaceName = QStringLiteral("IPAMincho");

    doc.SetMemoFont(font);
    EXPECT_FALSE(doc.IsModified()) << "a text file carries no font";

    OpenDatabase({QStringLiteral("one")});
    doc.JumpMemo(true);
    doc.SetMemoFont(font);
    EXPECT_TRUE(doc.IsModified());
    EXPECT_TRUE(doc.TextStore().Edited());
    prompts.saveDialogs = {{kSaveDialogSave}};
    ASSERT_TRUE(doc.Save());

    doc.BeginNewMemo();
    EXPECT_NE(doc.CurrentHeader().font, font);
    doc.JumpMemo(true);
    EXPECT_EQ(doc.CurrentHeader().font, font);
}

} // namespace
