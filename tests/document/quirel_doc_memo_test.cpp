// The current memo of an open local database: the save dialog on its occasions, the font it
// stores, moves with wrap-around, deletion, the questions before a memo is left, saves that fail
// or are refused, and a damaged memo that is never saved over.
#include "file_size_limit.h"
#include "quirel_doc_fixture.h"

#include <QtEndian>

using testing::Each;

namespace {

QString Dialog(const QString& title) { return u"[保存ダイアログ] "_s + title; }

TEST_F(QuirelDocTest, TheSaveCommandAndPropertiesStoreAMemoAndItsFontOnlyOnSave)
{
    LogFontW font = FallbackMemoFont();
    font.lfFaceName = u"IPAMincho"_s;
    doc.SetMemoFont(font);
    EXPECT_FALSE(doc.IsModified()) << "a text file carries no font";
    const QString path = OpenDatabase({});
    Type(u"本文\n二行目"_s);
    prompts.saveDialogs = {{kSaveDialogGoOn}, {kSaveDialogCancel}, {kSaveDialogSave, std::nullopt, u"鍵"_s}};
    EXPECT_FALSE(doc.Save());
    EXPECT_FALSE(doc.Save());
    EXPECT_EQ(doc.CurrentHeader().title, QString()) << "the suggestion is kept only when saved";
    ASSERT_TRUE(doc.Save());

    // The empty title was offered the start of the body folded into one line.
    const QString suggestion = u"本文 二行目 "_s;
    EXPECT_THAT(prompts.shown, ElementsAre(Dialog(suggestion), Dialog(suggestion), Dialog(suggestion)));
    EXPECT_THAT(StoredMemos(), ElementsAre(suggestion + u": 本文\n二行目"_s));
    EXPECT_EQ(doc.CurrentHeader().theKeys, u"鍵"_s);
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(doc.Title(), path + u" データ数 1 "_s);

    // Properties runs the same dialog over the current memo or a new one; a chosen font is stored.
    doc.SetMemoFont(font);
    prompts.saveDialogs = {{kSaveDialogSave, u"題"_s}, {kSaveDialogSave, u"新しい題"_s}};
    doc.Properties();
    EXPECT_FALSE(doc.IsModified());
    doc.BeginNewMemo();
    doc.Properties();
    EXPECT_THAT(prompts.goOnEnabled, ElementsAre(false, false, false, false, false));
    EXPECT_THAT(StoredMemos(), ElementsAre(u"題: 本文\n二行目"_s, u"新しい題: "_s));
    doc.JumpMemo(true);
    EXPECT_EQ(doc.CurrentHeader().font, font);
}

TEST_F(QuirelDocTest, MovesWrapAroundAtBothEnds)
{
    OpenDatabase({u"one"_s, u"two"_s, u"three"_s});
    const struct {
        void (CQuirelDoc::*command)(bool);
        bool argument;
        int record;
    } moves[] = {
        {&CQuirelDoc::StepMemo, true, 0},  // from a new memo to the first
        {&CQuirelDoc::StepMemo, false, 2}, // before the first is the last
        {&CQuirelDoc::StepMemo, true, 0},  // after the last is the first
        {&CQuirelDoc::StepMemo, true, 1},  {&CQuirelDoc::JumpMemo, false, 2}, {&CQuirelDoc::JumpMemo, true, 0},
    };
    const QString bodies[] = {u"one"_s, u"two"_s, u"three"_s};
    for (const auto& move : moves) {
        Type(u"edits given up"_s);
        (doc.*move.command)(move.argument);
        EXPECT_EQ(doc.CurrentRecord(), move.record);
        EXPECT_EQ(doc.TextStore().WholeText(), bodies[move.record]);
        EXPECT_FALSE(doc.IsModified());
    }
    doc.BeginNewMemo();
    doc.StepMemo(false);
    EXPECT_EQ(doc.CurrentHeader().title, u"memo 3"_s) << "from a new memo, previous is the last";
}

TEST_F(QuirelDocTest, DeletingShowsTheFirstRecordLeftOrANewMemo)
{
    const struct {
        QStringList bodies;
        int record;
        QString text;
    } cases[] = {
        {{u"one"_s, u"two"_s}, -1, QString()},           // the one memo left is not shown
        {{u"one"_s, u"two"_s, u"three"_s}, 0, u"one"_s}, // the first of those left
    };
    const QString question = u"表示中のデータを削除しますか？"_s;
    for (const auto& c : cases) {
        OpenDatabase(c.bodies, u"delete%1.qrl"_s.arg(c.bodies.size()));
        doc.JumpMemo(false);
        Type(u"edited"_s);
        prompts.answers = {kAnswerNo, kAnswerYes};
        EXPECT_FALSE(doc.DeleteCurrentMemo());
        EXPECT_TRUE(doc.DeleteCurrentMemo());
        EXPECT_THAT(prompts.shown, ElementsAre(question, question));
        EXPECT_EQ(doc.LocalDatabase()->Count(), c.bodies.size() - 1);
        EXPECT_EQ(doc.CurrentRecord(), c.record);
        EXPECT_EQ(doc.TextStore().WholeText(), c.text);
        EXPECT_FALSE(doc.IsModified());
    }
    doc.BeginNewMemo();
    EXPECT_FALSE(doc.DeleteCurrentMemo()) << "a new memo has no record: nothing is asked";
}

TEST_F(QuirelDocTest, LeavingAModifiedMemoAsksTheSaveDialog)
{
    OpenDatabase({u"one"_s});
    doc.JumpMemo(true);
    EXPECT_EQ(doc.SaveCheck(), 0) << "nothing to save";
    prompts.saveDialogs = {{kSaveDialogSave}, {kSaveDialogGoOn},   {kSaveDialogCancel}, {kSaveDialogGoOn},
                           {kSaveDialogCancel}, {kSaveDialogCancel}, {kSaveDialogGoOn}};
    Type(u"saved"_s);
    EXPECT_EQ(doc.SaveCheck(), 1);
    Type(u"given up"_s);
    EXPECT_EQ(doc.SaveCheck(), 0);
    EXPECT_EQ(doc.SaveCheck(), -1);
    EXPECT_EQ(doc.AskSaveMemo(), 1);
    EXPECT_THAT(StoredMemos(), ElementsAre(u"memo 1: saved"_s));

    // Closing and New ask the same; Cancel keeps the memo, 保存せず進む gives it up.
    EXPECT_FALSE(doc.SaveModified());
    doc.New();
    EXPECT_EQ(doc.TextStore().WholeText(), u"given up"_s);
    doc.New();
    EXPECT_EQ(doc.TextStore().WholeText(), QString());
    EXPECT_TRUE(doc.SaveModified()) << "nothing left to save";
    EXPECT_THAT(prompts.goOnEnabled, Each(true));

    doc.CloseDatabase();
    Type(u"text"_s);
    EXPECT_EQ(doc.SaveCheck(), -1) << "no moves without a database";
}

TEST_F(QuirelDocTest, AFailedSaveKeepsTheMemoModifiedAndTellsTheUser)
{
    OpenDatabase({});
    Type(u"keep me"_s);
    {
        const FileSizeLimit full(CLocalDatabase::kIndexBytes);
        prompts.saveDialogs = {{kSaveDialogSave}, {kSaveDialogSave}, {kSaveDialogSave}};
        prompts.answers = {kAnswerOk, kAnswerOk, kAnswerOk};
        EXPECT_FALSE(doc.Save());
        EXPECT_EQ(doc.SaveCheck(), -1);
        EXPECT_FALSE(doc.SaveModified());
    }
    const QString failed = u"データを保存できませんでした。"_s;
    const QString dialog = Dialog(u"keep me "_s);
    EXPECT_THAT(prompts.shown, ElementsAre(dialog, failed, dialog, failed, dialog, failed));
    EXPECT_TRUE(doc.IsModified());

    // Once there is room again the same memo saves.
    prompts.saveDialogs = {{kSaveDialogSave}};
    EXPECT_TRUE(doc.Save());
    EXPECT_THAT(StoredMemos(), ElementsAre(u"keep me : keep me"_s));

    // A body holding NUL would be cut there by every reader of the file: it is not stored.
    Forget();
    Type(u"before\0after"_s);
    prompts.saveDialogs = {{kSaveDialogSave}};
    prompts.answers = {kAnswerOk};
    EXPECT_FALSE(doc.Save());
    EXPECT_THAT(prompts.shown,
                ElementsAre(Dialog(u"keep me "_s),
                            u"本文に NUL 文字 (U+0000) が含まれているため保存できません。NUL 文字を取り除いてから保存してください。"_s));
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(doc.TextStore().WholeText(), u"before\0after"_s);
    EXPECT_THAT(StoredMemos(), ElementsAre(u"keep me : keep me"_s));
}

TEST_F(QuirelDocTest, ADamagedMemoIsShownAsReadAndSavedOnlyAsANewMemo)
{
    // The first memo's BodyBytes claims more than its blocks hold; the second's Mark is wrong.
    const QString path = MakeDatabase({u"one"_s, u"two"_s}); // two 2-block records after the index
    const qint64 bodyBytesAt = CLocalDatabase::kIndexBytes + 8;
    const qint64 secondMarkAt = CLocalDatabase::kIndexBytes + 2 * CLocalDatabase::kBlockBytes;
    QByteArray bytes = ReadBytes(path);
    qToLittleEndian<int32_t>(1 << 20, bytes.data() + bodyBytesAt);
    qToLittleEndian<int32_t>(0x1234, bytes.data() + secondMarkAt);
    WriteBytes(path, bytes);
    const QByteArray damaged = bytes.mid(bodyBytesAt - 8, 2 * CLocalDatabase::kBlockBytes);

    ASSERT_TRUE(doc.OpenLocalDatabase(path));
    Forget();
    doc.JumpMemo(true);
    EXPECT_EQ(doc.TextStore().WholeText(), u"one"_s);
    EXPECT_THAT(views.statusMessages, ElementsAre(u"このデータは壊れているため、読み込めた部分だけを表示しています。"_s));
    doc.StepMemo(true); // a wrong Mark leaves the body readable: shown, with a warning
    EXPECT_EQ(doc.TextStore().WholeText(), u"two"_s);
    EXPECT_EQ(views.statusMessages.back(),
              u"このデータの見出し部分に誤りがあります。本文は読み込めましたが、内容を確かめてください。"_s);
    doc.JumpMemo(true);

    Type(u"one, mended"_s);
    prompts.saveDialogs = {{kSaveDialogSave}, {kSaveDialogSave, u"直した"_s}};
    prompts.answers = {kAnswerNo, kAnswerYes};
    EXPECT_FALSE(doc.Save());
    EXPECT_TRUE(doc.IsModified());
    ASSERT_TRUE(doc.Save());
    const QString question = u"このデータは壊れていて一部しか読み込めなかったため、元の場所には保存できません。"
                             u"新しいデータとして保存しますか？"_s;
    EXPECT_THAT(prompts.shown, ElementsAre(Dialog(u"memo 1"_s), question, Dialog(u"memo 1"_s), question));
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(doc.CurrentRecord(), 2);

    // The damaged record is as it was; the text is the new last memo.
    EXPECT_EQ(ReadBytes(path).mid(bodyBytesAt - 8, damaged.size()), damaged);
    doc.JumpMemo(false);
    EXPECT_EQ(doc.CurrentHeader().title, u"直した"_s);
    EXPECT_EQ(doc.TextStore().WholeText(), u"one, mended"_s);
}

} // namespace
