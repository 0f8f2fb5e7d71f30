// The current memo of an open local database: the save dialog on its occasions, moves with
// wrap-around, deletion, the questions before a memo is left, and saves that fail.
#include "quirel_doc_fixture.h"

#include <csignal>
#include <gmock/gmock.h>
#include <sys/resource.h>

namespace {

using namespace Qt::StringLiterals;
using testing::ElementsAre;

const QString kDelete = u"表示中のデータを削除しますか？"_s;
const QString kSaveFailed = u"データを保存できませんでした。"_s;

QString Dialog(const QString& title)
{
    return u"[保存ダイアログ] "_s + title;
}

TEST_F(QuirelDocTest, TheSaveCommandStoresANewMemoOnlyOnSave)
{
    OpenDatabase({});
    Type(u"本文\n二行目"_s);
    prompts.saveDialogs = {{kSaveDialogGoOn}, {kSaveDialogCancel}};
    EXPECT_FALSE(doc.Save());
    EXPECT_FALSE(doc.Save());
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(doc.CurrentHeader().title, QString()) << "the suggestion is kept only when saved";

    prompts.saveDialogs = {{kSaveDialogSave, std::nullopt, u"鍵"_s}};
    ASSERT_TRUE(doc.Save());

    // The empty title was offered the start of the body folded into one line.
    const QString suggestion = u"本文 二行目 "_s;
    EXPECT_THAT(prompts.shown, ElementsAre(Dialog(suggestion), Dialog(suggestion), Dialog(suggestion)));
    EXPECT_THAT(prompts.goOnEnabled, ElementsAre(false, false, false));
    EXPECT_THAT(StoredMemos(), ElementsAre(suggestion + u": 本文\n二行目"_s));
    EXPECT_EQ(doc.CurrentRecord(), 0);
    EXPECT_EQ(doc.CurrentHeader().theKeys, u"鍵"_s);
    EXPECT_EQ(doc.CurrentHeader().attachId.size(), MemoHeader::kAttachIdChars);
    EXPECT_FALSE(doc.IsModified());
    EXPECT_FALSE(doc.TextStore().Edited());

    // A title longer than the header holds is kept as it is stored.
    Type(u"more"_s);
    prompts.saveDialogs = {{kSaveDialogSave, QString(200, u'題')}};
    ASSERT_TRUE(doc.Save());
    EXPECT_EQ(doc.CurrentHeader().title, QString(MemoHeader::kTitleChars, u'題'));
    doc.JumpMemo(true);
    EXPECT_EQ(doc.CurrentHeader().title, QString(MemoHeader::kTitleChars, u'題'));
}

TEST_F(QuirelDocTest, PropertiesStoreANewOrUnchangedMemo)
{
    OpenDatabase({u"one"_s});
    prompts.saveDialogs = {{kSaveDialogSave, u"新しい題"_s}, {kSaveDialogSave}};

    doc.Properties();
    EXPECT_EQ(doc.CurrentRecord(), 1);
    doc.JumpMemo(true);
    doc.SetModifiedFlag();
    doc.Properties();

    EXPECT_FALSE(doc.IsModified());
    EXPECT_THAT(prompts.shown, ElementsAre(Dialog(u" "_s), Dialog(u"memo 1"_s)));
    EXPECT_THAT(prompts.goOnEnabled, ElementsAre(false, false));
    EXPECT_THAT(StoredMemos(), ElementsAre(u"memo 1: one"_s, u"新しい題: "_s));
}

TEST_F(QuirelDocTest, MovesWrapAroundAtBothEnds)
{
    OpenDatabase({u"one"_s, u"two"_s, u"three"_s});
    struct Move {
        void (CQuirelDoc::*command)(bool);
        bool argument;
        int record;
        QString text;
    };
    const Move moves[] = {
        {&CQuirelDoc::StepMemo, true, 0, u"one"_s},    // from a new memo to the first
        {&CQuirelDoc::StepMemo, false, 2, u"three"_s}, // before the first is the last
        {&CQuirelDoc::StepMemo, true, 0, u"one"_s},    // after the last is the first
        {&CQuirelDoc::StepMemo, true, 1, u"two"_s},
        {&CQuirelDoc::JumpMemo, false, 2, u"three"_s},
        {&CQuirelDoc::JumpMemo, true, 0, u"one"_s},
    };
    for (const Move& move : moves) {
        Type(u"edits given up"_s);
        (doc.*move.command)(move.argument);
        EXPECT_EQ(doc.CurrentRecord(), move.record) << move.text.toStdString();
        EXPECT_EQ(doc.TextStore().WholeText(), move.text);
        EXPECT_FALSE(doc.IsModified());
        EXPECT_EQ(views.hints.back(), kHintLoaded);
    }
    doc.BeginNewMemo();
    doc.StepMemo(false);
    EXPECT_EQ(doc.CurrentRecord(), 2) << "from a new memo, previous is the last";
    EXPECT_EQ(doc.CurrentHeader().title, u"memo 3"_s);

    Forget();
    doc.CloseDatabase();
    doc.StepMemo(true);
    EXPECT_THAT(views.hints, ElementsAre(kHintStoreClosed, kHintNewMemo)) << "no moves without a database";
}

TEST_F(QuirelDocTest, MovesInAnEmptyDatabaseReloadTheNewMemo)
{
    OpenDatabase({});
    doc.StepMemo(true);
    doc.JumpMemo(false);
    EXPECT_EQ(doc.CurrentRecord(), -1);
    EXPECT_THAT(views.hints, ElementsAre(kHintLoaded, kHintLoaded));
    EXPECT_EQ(doc.CurrentHeader().mark, MemoHeader::kMark);
}

TEST_F(QuirelDocTest, DeletingShowsTheFirstRecordLeftOrANewMemo)
{
    struct Case {
        QStringList bodies;
        int record;
        QString text;
    };
    const Case cases[] = {
        {{u"one"_s, u"two"_s}, -1, QString()},              // the one memo left is not shown
        {{u"one"_s, u"two"_s, u"three"_s}, 0, u"one"_s},    // the first of those left
    };
    for (const Case& c : cases) {
        OpenDatabase(c.bodies, u"delete%1.qrl"_s.arg(c.bodies.size()));
        doc.JumpMemo(false);
        Type(u"edited"_s);
        prompts.answers = {kAnswerNo, kAnswerYes};
        EXPECT_FALSE(doc.DeleteCurrentMemo());
        EXPECT_EQ(doc.LocalDatabase()->Count(), c.bodies.size());
        EXPECT_TRUE(doc.DeleteCurrentMemo());

        EXPECT_THAT(prompts.shown, ElementsAre(kDelete, kDelete));
        EXPECT_EQ(prompts.buttons[1], PromptButtons::kYesNo);
        EXPECT_EQ(doc.LocalDatabase()->Count(), c.bodies.size() - 1);
        EXPECT_EQ(doc.CurrentRecord(), c.record);
        EXPECT_EQ(doc.TextStore().WholeText(), c.text);
        EXPECT_FALSE(doc.IsModified());
        EXPECT_EQ(doc.Title(), doc.LocalDatabase()->Path() + u" データ数 %1 "_s.arg(c.bodies.size() - 1));
        Forget();
    }
    // A new memo has no record: nothing is asked.
    doc.BeginNewMemo();
    EXPECT_FALSE(doc.DeleteCurrentMemo());
    EXPECT_TRUE(prompts.shown.isEmpty());
}

TEST_F(QuirelDocTest, TheCheckBeforeAMoveSavesGoesOnOrStops)
{
    OpenDatabase({u"one"_s});
    doc.JumpMemo(true);
    EXPECT_EQ(doc.SaveCheck(), 0) << "nothing to save";

    prompts.saveDialogs = {{kSaveDialogSave}, {kSaveDialogGoOn}, {kSaveDialogCancel}};
    Type(u"saved"_s);
    EXPECT_EQ(doc.SaveCheck(), 1);
    EXPECT_FALSE(doc.IsModified());
    Type(u"given up"_s);
    EXPECT_EQ(doc.SaveCheck(), 0);
    EXPECT_EQ(doc.SaveCheck(), -1);

    EXPECT_TRUE(doc.IsModified()) << "the move, not the check, gives the edits up";
    EXPECT_THAT(prompts.goOnEnabled, ElementsAre(true, true, true));
    EXPECT_THAT(StoredMemos(), ElementsAre(u"memo 1: saved"_s));

    doc.CloseDatabase();
    Type(u"text"_s);
    EXPECT_EQ(doc.SaveCheck(), -1) << "no move without a database";
}

TEST_F(QuirelDocTest, LeavingAModifiedMemoAsksTheSaveDialog)
{
    OpenDatabase({});
    Type(u"first"_s);
    prompts.saveDialogs = {{kSaveDialogSave}, {kSaveDialogGoOn}, {kSaveDialogCancel}};
    EXPECT_EQ(doc.AskSaveMemo(), 1);
    Type(u"second"_s);
    EXPECT_EQ(doc.AskSaveMemo(), 1);
    EXPECT_EQ(doc.AskSaveMemo(), 0);
    EXPECT_THAT(StoredMemos(), ElementsAre(u"first : first"_s));

    // Closing and New ask the same dialog; Cancel keeps the memo.
    prompts.saveDialogs = {{kSaveDialogCancel}, {kSaveDialogCancel}, {kSaveDialogGoOn}};
    EXPECT_FALSE(doc.SaveModified());
    doc.New();
    EXPECT_EQ(doc.TextStore().WholeText(), u"second"_s);
    doc.New();
    EXPECT_EQ(doc.CurrentRecord(), -1);
    EXPECT_EQ(doc.TextStore().WholeText(), QString());
    EXPECT_TRUE(doc.SaveModified()) << "nothing left to save";
    EXPECT_THAT(prompts.goOnEnabled, ElementsAre(true, true, true, true, true, true));
}

// Writes past a size fail with EFBIG while it is in force (SIGXFSZ is ignored meanwhile).
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_old);
        const rlimit limit{bytes, m_old.rlim_max};
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
};

TEST_F(QuirelDocTest, AFailedSaveKeepsTheMemoModifiedAndTellsTheUser)
{
    OpenDatabase({});
    Type(u"must not be lost"_s);
    {
        const FileSizeLimit full(CLocalDatabase::kIndexBytes);
        prompts.saveDialogs = {{kSaveDialogSave}, {kSaveDialogSave}, {kSaveDialogSave}};
        prompts.answers = {kAnswerOk, kAnswerOk, kAnswerOk};
        EXPECT_FALSE(doc.Save());
        EXPECT_EQ(doc.SaveCheck(), -1);
        EXPECT_FALSE(doc.SaveModified());
    }
    EXPECT_THAT(prompts.shown, ElementsAre(Dialog(u"must not be lost "_s), kSaveFailed, Dialog(u"must not be lost "_s),
                                           kSaveFailed, Dialog(u"must not be lost "_s), kSaveFailed));
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(doc.CurrentRecord(), -1);
    EXPECT_EQ(doc.LocalDatabase()->Count(), 0);

    // Once there is room again the same memo saves.
    prompts.saveDialogs = {{kSaveDialogSave}};
    EXPECT_TRUE(doc.Save());
    EXPECT_THAT(StoredMemos(), ElementsAre(u"must not be lost : must not be lost"_s));
}

} // namespace
