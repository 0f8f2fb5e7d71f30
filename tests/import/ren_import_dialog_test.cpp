// The import command of an open database with a scripted user and window: saving first, the
// file dialog, the counter, cancelling, and what the user is told.
#include "document/quirel_doc_fixture.h"
#include "import/import_texts.h"
#include "import/ren_import_command.h"
#include "import/ren_import_dialog.h"

namespace {

class ScriptedWindow : public RenImportWindow {
public:
    bool start = true;
    bool disabled = false;
    QStringList counters;
    int closedWith = 0;

    bool WaitForStart() override { return start; }
    void DisableButtons() override { disabled = true; }
    void ShowCounter(const QString& text) override
    {
        EXPECT_TRUE(disabled) << "the buttons are disabled while it runs";
        counters << text;
    }
    void Close(int result) override { closedWith = result; }
};

} // namespace

class RenImportDialogTest : public QuirelDocTest {
protected:
    QString Ren(const QByteArray& bytes)
    {
        const QString path = folder.Path(u"notes.ren"_s);
        WriteBytes(path, bytes);
        return path;
    }
    ScriptedWindow window;
};

TEST_F(RenImportDialogTest, TheShownMemoIsSavedFirstThenTheNotesAreImportedAndTheLastShown)
{
    OpenDatabase({u"first"_s});
    Type(u"typed"_s); // a new memo, shown after opening
    prompts.saveDialogs = {{kSaveDialogSave}};
    prompts.chosenFiles = {Ren("#s\n#tTitle\nbody\n#e\n")};
    prompts.answers = {kAnswerOk};
    EXPECT_TRUE(RunRenImportCommand(doc, prompts, window));
    EXPECT_THAT(prompts.shown, ElementsAre(u"[保存ダイアログ] typed "_s, u"[開く]"_s, u"登録が終わりました"_s));
    EXPECT_EQ(prompts.fileRequests.at(0).filter, u"Sabrelテキスト(*.ren)|*.ren|すべてのファイル(*.*)|*.*||"_s);
    EXPECT_TRUE(prompts.fileRequests.at(0).mustExist);
    EXPECT_THAT(window.counters, ElementsAre(u"1 / 0"_s, u"2 / 0"_s, u"3 / 0"_s, u"4 / 0"_s, u"4 / 1"_s));
    EXPECT_EQ(window.closedWith, 1);
    EXPECT_THAT(StoredMemos(), ElementsAre(u"memo 1: first"_s, u"typed : typed"_s, u"Title: body"_s));
    EXPECT_EQ(doc.CurrentRecord(), 2) << "the last memo is shown";
    EXPECT_EQ(doc.CurrentHeader().title, u"Title"_s);
}

TEST_F(RenImportDialogTest, CancelAndAKeptMemoImportNothing)
{
    OpenDatabase({u"first"_s});
    const QString ren = Ren("#s\n#tTitle\n#e\n");
    Type(u"edited"_s);
    prompts.saveDialogs = {{kSaveDialogCancel}};
    EXPECT_FALSE(RunRenImportCommand(doc, prompts, window)) << "the memo is kept: no file dialog";
    doc.SetModifiedFlag(false);
    prompts.chosenFiles = {ren};
    window.start = false;
    EXPECT_TRUE(RunRenImportCommand(doc, prompts, window));
    EXPECT_EQ(window.closedWith, 2);
    EXPECT_TRUE(window.counters.isEmpty());
    EXPECT_THAT(StoredMemos(), ElementsAre(u"memo 1: first"_s));
}

TEST_F(RenImportDialogTest, AnUnreadableFileAndNotesNotStoredAreNotToldAsFinished)
{
    OpenDatabase({});
    CRenImportDialog vanished(*doc.Store(), folder.Path(u"gone.ren"_s), prompts);
    prompts.answers = {kAnswerOk};
    EXPECT_EQ(vanished.DoModal(window), 1);
    EXPECT_THAT(prompts.shown, ElementsAre(u"ファイル "_s + folder.Path(u"gone.ren"_s) + u" を読み込めませんでした。"_s));

    EXPECT_EQ(ImportNotStoredText({u"One"_s, QString()}, false),
              u"登録できませんでした。\n登録できなかったメモ: 2 件\n・One\n・（無題）"_s);
    EXPECT_TRUE(ImportNotStoredText(QStringList(25, u"t"_s), true)
                    .startsWith(u"登録が終わりました\n登録できなかったメモ: 25 件\n・t\n"_s));
    EXPECT_TRUE(ImportNotStoredText(QStringList(25, u"t"_s), true).endsWith(u"\n・t\nほか 5 件"_s));
}
