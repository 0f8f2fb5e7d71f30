// The document with local database files: opening, creating, refusing (with the reason), files
// the user may only read, closing and the window title.
#include "quirel_doc_fixture.h"
#include "unprivileged_user.h"

#include "document/text_file.h"

#include <QFileInfo>

namespace {

const QString kCreate = u"指定したローカルデータベースファイルは存在しません。新規に作成しますか？"_s;
const QString kCannotOpen = u"ローカルデータベースファイルを開けませんでした。"_s;

TEST_F(QuirelDocTest, OpeningShowsANewMemoAndTheCountAndClosingStartsAnUntitledText)
{
    const QString path = MakeDatabase({u"one"_s, u"two"_s});
    Type(u"text before"_s);
    ASSERT_TRUE(doc.OpenLocalDatabase(path));
    EXPECT_EQ(doc.TextStore().WholeText(), QString());
    EXPECT_EQ(views.titles.last(), path + u" データ数 2 "_s);
    EXPECT_THAT(views.recentFiles, ElementsAre(path));
    EXPECT_TRUE(views.modes.back());
    EXPECT_TRUE(doc.OpenLocalDatabase(path)) << "the open file opens again: its lock is released first";

    doc.StepMemo(true);
    Forget();
    doc.CloseDatabase();
    doc.CloseDatabase();
    EXPECT_EQ(doc.Mode(), DocumentMode::kTextFile);
    EXPECT_EQ(doc.Title(), u"無題"_s);
    EXPECT_EQ(doc.PathName(), QString());
    EXPECT_THAT(views.hints, ElementsAre(kHintStoreClosed, kHintNewMemo));
    EXPECT_EQ(doc.TextStore().Encoding(), kEncodingUtf8) << "closing does not switch the encoding back";
}

TEST_F(QuirelDocTest, AMissingFileIsCreatedOnlyAfterYesWhateverTheCaseOfItsName)
{
    const QString path = folder.Path(u"NOTES.QRL"_s);
    Type(u"kept"_s);
    prompts.answers = {kAnswerNo, kAnswerCancel, kAnswerYes};
    EXPECT_FALSE(doc.OnOpenDocument(path));
    EXPECT_FALSE(doc.OpenLocalDatabase(path));
    EXPECT_FALSE(QFileInfo::exists(path));
    EXPECT_EQ(doc.TextStore().WholeText(), u"kept"_s);

    ASSERT_TRUE(doc.OpenLocalDatabase(path));
    EXPECT_THAT(prompts.shown, ElementsAre(kCreate, kCreate, kCreate));
    EXPECT_EQ(prompts.buttons[0], PromptButtons::kYesNoCancel);
    EXPECT_EQ(doc.Title(), path + u" データ数 0 "_s);

    // Dispatch goes by ".qrl" anywhere in the name.
    EXPECT_TRUE(doc.OnOpenDocument(MakeDatabase({u"one"_s}, u"notes.qrl.txt"_s)));
    EXPECT_EQ(doc.PathName(), folder.Path(u"notes.qrl.txt"_s));
}

TEST_F(QuirelDocTest, TheOpenCommandShowsTheNoticeThenTheFileDialog)
{
    const QString notice = u"Nubrick は通常データをBrindle Hubに置き、クライアント・サーバー型のデータベースソフトとして使います。"
                           u"ローカルデータベースでは一部機能が利用できないだけではなく、本来の性能を発揮できません。"
                           u"ローカルデータベースを使う場合は OK をクリックしてください。"_s;
    const QString path = MakeDatabase({u"one"_s});
    prompts.answers = {kAnswerCancel, kAnswerOk, kAnswerOk};
    prompts.chosenFiles = {std::nullopt, path};
    EXPECT_FALSE(doc.OpenLocalDatabase());
    EXPECT_FALSE(doc.OpenLocalDatabase());
    EXPECT_TRUE(doc.OpenLocalDatabase());

    EXPECT_THAT(prompts.shown, ElementsAre(notice, notice, u"[開く]"_s, notice, u"[開く]"_s));
    EXPECT_EQ(prompts.buttons[0], PromptButtons::kOkCancel);
    EXPECT_EQ(prompts.fileRequests[0].filter, u"ローカルQuirel(*.qrl)|*.qrl|Brindle nbk(*.nbk)|*.nbk||"_s);
    EXPECT_EQ(doc.PathName(), path);
}

TEST_F(QuirelDocTest, AFileThatCannotBeOpenedIsReportedAndLeavesNoDatabase)
{
    const QString locked = MakeDatabase({}, u"locked.qrl"_s);
    CLocalDatabase holder(locked);
    ASSERT_EQ(holder.Open(), CLocalDatabase::kOk);
    const QString shortFile = folder.Path(u"short.qrl"_s);
    const QByteArray shortBytes(CLocalDatabase::kIndexBytes - 1, 'x'); // one byte short of an index
    WriteBytes(shortFile, shortBytes);
    OpenDatabase({u"one"_s});

    prompts.answers = {kAnswerOk, kAnswerOk};
    EXPECT_FALSE(doc.OpenLocalDatabase(locked));
    EXPECT_FALSE(doc.OpenLocalDatabase(shortFile));
    EXPECT_THAT(prompts.shown, ElementsAre(kCannotOpen, kCannotOpen));
    EXPECT_THAT(prompts.details,
                ElementsAre(u"ほかのプログラムがこのファイルを使用しています。"_s, u"ローカルデータベースファイルではありません。"_s));
    EXPECT_EQ(prompts.buttons[0], PromptButtons::kOk);
    EXPECT_EQ(doc.Mode(), DocumentMode::kTextFile);
    EXPECT_EQ(ReadBytes(shortFile), shortBytes);
}

TEST_F(QuirelDocTest, AFileTheUserMayOnlyReadIsShownAndNeverChanged)
{
    const QString path = MakeDatabase({u"one"_s, u"two"_s});
    const QString unreadable = MakeDatabase({}, u"unreadable.qrl"_s);
    ASSERT_TRUE(QFile::setPermissions(unreadable, {}));
    ASSERT_TRUE(UnprivilegedUser::MakeReadOnly(path));
    ASSERT_TRUE(UnprivilegedUser::MakeReadOnly(folder.Path(u""_s)));
    const QByteArray before = ReadBytes(path);
    {
        const UnprivilegedUser user;
        if (!user.Binds())
            GTEST_SKIP() << "run as root without the right to act as another user: permissions do not bind";
        prompts.answers = {kAnswerOk};
        EXPECT_FALSE(doc.OpenLocalDatabase(unreadable));
        EXPECT_THAT(prompts.details, ElementsAre(u"ファイルを開く権限がありません。"_s));

        ASSERT_TRUE(doc.OpenLocalDatabase(path));
        EXPECT_EQ(doc.Title(), path + u" データ数 2 (読み取り専用) "_s);
        doc.JumpMemo(false);
        EXPECT_EQ(doc.TextStore().WholeText(), u"two"_s);
        Forget();
        Type(u"changed"_s);
        prompts.saveDialogs = {{kSaveDialogSave}};
        prompts.answers = {kAnswerOk, kAnswerOk};
        EXPECT_FALSE(doc.Save());
        EXPECT_FALSE(doc.DeleteCurrentMemo());
    }
    EXPECT_THAT(prompts.shown,
                ElementsAre(u"[保存ダイアログ] memo 2"_s,
                            u"このローカルデータベースファイルは読み取り専用で開いているため、保存できません。"_s,
                            u"このローカルデータベースファイルは読み取り専用で開いているため、削除できません。"_s));
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(doc.TextStore().WholeText(), u"changed"_s);
    EXPECT_EQ(ReadBytes(path), before);
}

} // namespace
