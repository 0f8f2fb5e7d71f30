// The document in text-file mode: reading and writing text files, the .qrl refusal, files that
// cannot be read or written, files written in place, the encoding button, New and the question
// before text is left.
#include "file_size_limit.h"
#include "quirel_doc_fixture.h"
#include "unprivileged_user.h"

#include "document/text_file.h"

#include <QDir>
#include <QFileInfo>

namespace {

using testing::StartsWith;

QByteArray Utf16File(const QString& text)
{
    return "\xFF\xFE" + QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
}

TEST_F(QuirelDocTest, TextFilesAreReadAndWrittenThroughTheDocument)
{
    const QString saved = folder.Path(u"saved.txt"_s);
    Type(u"あ"_s);
    prompts.chosenFiles = {saved};
    ASSERT_TRUE(doc.Save());
    EXPECT_EQ(prompts.fileRequests[0].filter, u"すべてのファイル(*.*)|*.*|テキスト(*.txt)|*.txt||"_s);
    EXPECT_EQ(doc.Title(), u"saved.txt"_s);

    // Exporting a database memo, or failing to read a file, leaves the memo as it was.
    const QString database = OpenDatabase({u"one"_s});
    doc.JumpMemo(true);
    Type(u"edited"_s);
    const QString exported = folder.Path(u"export.txt"_s);
    prompts.chosenFiles = {exported};
    ASSERT_TRUE(doc.SaveAsText());
    EXPECT_EQ(ReadBytes(exported), "\xEF\xBB\xBF" "edited\r\n");
    Forget();
    const QString missing = folder.Path(u"missing.txt"_s);
    prompts.answers = {kAnswerOk};
    EXPECT_FALSE(doc.OnOpenDocument(missing));
    EXPECT_THAT(prompts.shown.join(u'|').toStdString(),
                StartsWith((u"ファイルを読み込めませんでした。\n"_s + missing + u"\n"_s).toStdString()));
    EXPECT_EQ(doc.PathName(), database);
    EXPECT_EQ(doc.TextStore().WholeText(), u"edited"_s);
    EXPECT_TRUE(doc.IsModified()) << "the memo itself is not saved";

    // Reading a file closes the database.
    const QString path = folder.Path(u"a.txt"_s);
    WriteBytes(path, "\xEF\xBB\xBF" + u"一行目\r\n二行目\r\n"_s.toUtf8());
    Forget();
    ASSERT_TRUE(doc.OnOpenDocument(path));
    EXPECT_EQ(doc.Mode(), DocumentMode::kTextFile);
    EXPECT_EQ(doc.TextStore().WholeText(), u"一行目\n二行目"_s);
    EXPECT_EQ(doc.TextStore().Encoding(), kEncodingUtf8);
    EXPECT_EQ(doc.Title(), u"a.txt"_s);
    EXPECT_THAT(views.hints, ElementsAre(kHintStoreClosed, kHintLoaded));
}

TEST_F(QuirelDocTest, TextIsNeverWrittenIntoAQrlPath)
{
    Type(u"text"_s);
    const QString doubled = folder.Path(u"notes.qrl.txt"_s);
    prompts.answers = {kAnswerOk, kAnswerOk};
    prompts.chosenFiles = {doubled};
    EXPECT_FALSE(doc.OnSaveDocument(folder.Path(u"NOTES.QRL"_s)));
    EXPECT_FALSE(doc.SaveAsText());

    const QString refused = u".qrl ファイルにはテキストを保存できません"_s;
    EXPECT_THAT(prompts.shown, ElementsAre(refused, u"[保存]"_s, refused));
    EXPECT_FALSE(QFileInfo::exists(doubled));
    EXPECT_TRUE(doc.IsModified());
}

TEST_F(QuirelDocTest, AWritableFileInAFolderWithoutRoomForATemporaryFileIsWrittenInPlace)
{
    const QString path = folder.Path(u"in place.txt"_s);
    WriteBytes(path, "previous\r\n");
    ASSERT_TRUE(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::WriteGroup
                                                | QFile::ReadOther | QFile::WriteOther));
    ASSERT_TRUE(UnprivilegedUser::MakeReadOnly(folder.Path(u""_s)));
    const UnprivilegedUser user;
    if (!user.Binds())
        GTEST_SKIP() << "run as root without the right to act as another user: permissions do not bind";
    ASSERT_TRUE(doc.OnOpenDocument(path));
    Type(u"新しい本文"_s);
    ASSERT_TRUE(doc.Save());
    EXPECT_THAT(views.statusMessages,
                ElementsAre(u"フォルダーに一時ファイルを作れないため、"_s + path + u" に直接書き込みました。"_s));
    EXPECT_EQ(ReadBytes(path), "\xEF\xBB\xBF" + u"新しい本文\r\n"_s.toUtf8());
    EXPECT_FALSE(doc.IsModified());

    // Writing in place truncates first: a disk that fills up leaves the file cut short.
    Type(QString(100000, u'x'));
    prompts.answers = {kAnswerOk};
    {
        const FileSizeLimit full(4096);
        EXPECT_FALSE(doc.Save());
    }
    const QString incomplete = u"ファイルを保存できませんでした。直接書き込んでいたため、ディスク上のファイルは不完全です。\n"_s + path;
    ASSERT_EQ(prompts.shown.size(), 1);
    EXPECT_TRUE(prompts.shown[0].startsWith(incomplete + u'\n')) << prompts.shown[0].toStdString();
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(ReadBytes(path).size(), 4096);
    EXPECT_EQ(QDir(folder.Path(u""_s)).entryList(QDir::Files), QStringList{u"in place.txt"_s});
}

TEST_F(QuirelDocTest, TheEncodingChangesOnlyAfterYesAndNeverInADatabase)
{
    const QString question = u"通常はUNICODEを使います。文字コードを変更すると保存できなくなる場合があります。変更しますか？"_s;
    prompts.answers = {kAnswerNo, kAnswerYes};
    EXPECT_FALSE(doc.ChangeEncoding());
    EXPECT_TRUE(doc.ChangeEncoding());
    EXPECT_EQ(doc.TextStore().Encoding(), kEncodingAnsi);
    EXPECT_THAT(prompts.shown, ElementsAre(question, question));
    EXPECT_EQ(prompts.buttons[0], PromptButtons::kYesNo);

    // A new text keeps the encoding chosen; a database allows no change.
    doc.OnNewDocument();
    EXPECT_EQ(doc.TextStore().Encoding(), kEncodingAnsi);
    OpenDatabase({});
    EXPECT_FALSE(doc.ChangeEncoding());
    EXPECT_TRUE(prompts.shown.isEmpty());
}

TEST_F(QuirelDocTest, LeavingUnsavedTextAsksFirst)
{
    EXPECT_TRUE(doc.SaveModified()) << "nothing to save";
    Type(u"given up"_s);
    prompts.answers = {kAnswerNo};
    doc.New();
    EXPECT_EQ(doc.TextStore().WholeText(), QString()) << "untitled: No gives the text up";
    EXPECT_THAT(prompts.shown, ElementsAre(u"無題 への変更を保存しますか？"_s));
    EXPECT_EQ(prompts.buttons[0], PromptButtons::kYesNo);

    const QString path = folder.Path(u"c.txt"_s);
    Type(u"text"_s);
    Forget();
    prompts.answers = {kAnswerCancel, kAnswerYes, kAnswerNo, kAnswerYes, kAnswerCancel};
    prompts.chosenFiles = {std::nullopt, path};
    EXPECT_FALSE(doc.SaveModified());
    EXPECT_FALSE(doc.SaveModified()) << "no name was chosen";
    EXPECT_TRUE(doc.SaveModified());
    EXPECT_TRUE(doc.SaveModified());
    EXPECT_EQ(prompts.buttons[0], PromptButtons::kYesNoCancel);
    EXPECT_EQ(ReadBytes(path), Utf16File(u"text\r\n"_s));
    Type(u"changed"_s);
    EXPECT_FALSE(doc.OpenDocumentFile(folder.Path(u"other.txt"_s))) << "Cancel keeps the text";

    // Named: New's No keeps the file in the editor; Yes writes it, and a failed write keeps it too.
    Forget();
    prompts.answers = {kAnswerNo, kAnswerYes, kAnswerOk, kAnswerYes};
    doc.New();
    EXPECT_EQ(doc.TextStore().WholeText(), u"changed"_s);
    ASSERT_TRUE(QFile::remove(path) && QDir().mkdir(path)); // a folder in its place: the write fails
    doc.New();
    ASSERT_TRUE(QDir().rmdir(path));
    EXPECT_EQ(doc.TextStore().WholeText(), u"changed"_s);
    EXPECT_THAT(prompts.shown[2].toStdString(), StartsWith((u"ファイルを保存できませんでした。\n"_s + path).toStdString()));
    doc.New();
    EXPECT_EQ(doc.TextStore().WholeText(), QString());
    EXPECT_EQ(ReadBytes(path), Utf16File(u"changed\r\n"_s)); // in the encoding it was written in
    EXPECT_EQ(prompts.shown[3], path + u" への変更を保存しますか？"_s);
}

} // namespace
