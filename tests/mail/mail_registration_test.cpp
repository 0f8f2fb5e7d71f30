// Registration of saved messages into a server table of the private MariaDB server: memos and
// their fields, the files in MOUNT/Quirel/TABLE/AttachID, duplicates, and the failures that
// skip one message but never the batch.
#include "document/quirel_doc.h"
#include "mail/mail_registration.h"
#include "mail/message_drop.h"
#include "msg_builder.h"
#include "store/server_store_fixture.h"
#include "support/scoped_environment.h"
#include "support/temp_files.h"
#include "tools/tool_run.h"

#include <QDir>
#include <QSettings>
#include <gmock/gmock.h>

using testing::ElementsAre;
using testing::Pair;

namespace {

// An .eml with a plain body and the attachments (name, bytes), as mail clients save it.
QByteArray Eml(const QByteArray& id, const QByteArray& subject, const QList<std::pair<QByteArray, QByteArray>>& files = {})
{
    QByteArray mail = "From: =?UTF-8?B?5beu5Ye65Lq6?= <from@example.jp>\r\nTo: to@example.jp\r\nSubject: " + subject
        + "\r\nMIME-Version: 1.0\r\n";
    if (!id.isEmpty())
        mail += "Message-ID: " + id + "\r\n";
    mail += "Content-Type: multipart/mixed; boundary=\"b\"\r\n\r\n--b\r\nContent-Type: text/plain; charset=UTF-8\r\n\r\n"
            "本文\r\n";
    for (const auto& [name, bytes] : files)
        mail += "--b\r\nContent-Type: application/octet-stream\r\nContent-Disposition: attachment; filename=\"" + name
            + "\"\r\nContent-Transfer-Encoding: base64\r\n\r\n" + bytes.toBase64() + "\r\n";
    return mail + "--b--\r\n";
}

class RecordedProgress : public RegistrationProgress {
public:
    std::vector<std::pair<int, int>> shown;
    void Progress(int item, int count) override { shown.emplace_back(item, count); }
};

class MailRegistrationTest : public ServerStoreTest {
protected:
    void SetUp() override
    {
        ServerStoreTest::SetUp();
        ASSERT_EQ(store.CreateTable("memo"), 1);
        store.SetTableName("memo");
        // The temporary folders of the registration land here, so that a leftover shows.
        m_environment.Set("TMPDIR", QFile::encodeName(m_temp.Path("")));
    }

    QString Write(const QString& name, const QByteArray& bytes)
    {
        WriteBytes(m_files.Path(name), bytes);
        return m_files.Path(name);
    }

    std::vector<MailOutcome::Kind> Register(const QStringList& paths, const QString& mount)
    {
        MailRegistration registration(store, prompts, progress, mount);
        std::vector<MailOutcome::Kind> kinds;
        for (const MailOutcome& outcome : registration.Register(paths).outcomes)
            kinds.push_back(outcome.kind);
        return kinds;
    }

    QList<QList<QByteArray>> Rows(const QByteArray& columns)
    {
        return admin->Rows("select " + columns + " from `" + Database() + "`.memo order by nID");
    }

    QStringList Entries(const QString& folder) const
    {
        return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
    }

    RecordedProgress progress;
    TempFolder m_files;
    TempFolder m_mount;
    TempFolder m_temp;
    ScopedEnvironment m_environment;
};

// The same mail saved once as .eml and once as .msg is one memo with one folder.
TEST_F(MailRegistrationTest, EachMessageBecomesOneMemoWithItsFilesInItsFolder)
{
    const QStringList paths{
        Write("one.eml", Eml("<one@example.jp>", "=?UTF-8?B?5Lya6K2w?=", {{"a.pdf", "PDF"}, {"b.doc", "DOC"}})),
        Write("two.msg", {}), Write("three.eml", Eml("", "no id")), Write("one again.msg", {})};
    ASSERT_TRUE(WriteMsg(paths[1], {Utf16Property(0x0037, "二通目"), Utf16Property(0x1000, "msg body"),
                                    Utf16Property(0x1035, "<two@example.jp>")}));
    ASSERT_TRUE(WriteMsg(paths[3], {Utf16Property(0x0037, "会議"), Utf16Property(0x1035, "<one@example.jp>"),
                                    FileAttachment(0, "C", {Utf16Property(0x3707, "c.txt")})}));
    EXPECT_EQ(Register(paths, m_mount.Path("")), (std::vector{MailOutcome::kRegistered, MailOutcome::kRegistered,
                                                              MailOutcome::kRegistered, MailOutcome::kDuplicate}));
    EXPECT_THAT(progress.shown, ElementsAre(Pair(1, 4), Pair(2, 4), Pair(3, 4), Pair(4, 4)));
    EXPECT_TRUE(prompts.shown.isEmpty()) << prompts.shown.join(u'\n').toStdString();

    const auto rows = Rows("Title, TheKeys, MainData, MailID, LogFont, AttachID, nID");
    ASSERT_EQ(rows.size(), 3);
    EXPECT_EQ(QString::fromUtf8(rows[0][0]), "会議");
    EXPECT_EQ(QString::fromUtf8(rows[0][1]), "差出人 from@example.jp  to@example.jp");
    EXPECT_EQ(QString::fromUtf8(rows[0][2]), "本文");
    EXPECT_EQ(rows[0][3], "<one@example.jp>");
    EXPECT_TRUE(rows[0][4].startsWith("//2,")) << "AttachCount travels first in the LogFont text";
    EXPECT_EQ(QString::fromUtf8(rows[1][0]), "二通目");
    EXPECT_EQ(rows[1][3], "<two@example.jp>");
    EXPECT_TRUE(rows[1][4].startsWith("//0,"));
    EXPECT_EQ(rows[2][3], "");
    EXPECT_EQ(store.currentId, rows[2][6].toInt()) << "the store ends on the newest memo";

    const QString root = m_mount.Path("Quirel/memo");
    EXPECT_EQ(Entries(root), QStringList{QString::fromUtf8(rows[0][5])}) << "a message without files gets no folder";
    EXPECT_EQ(Entries(root + '/' + rows[0][5]), QStringList({"a.pdf", "b.doc"}));
    EXPECT_EQ(ReadBytes(root + '/' + rows[0][5] + "/b.doc"), "DOC");
    EXPECT_TRUE(Entries(m_temp.Path("")).isEmpty()) << "nothing is left in the temporary folders";
}

// Without the share only the messages with files fail, and the user is told once a batch.
TEST_F(MailRegistrationTest, AFailedMessageIsSkippedAndTheBatchGoesOn)
{
    const QString longId = "<" + QString(120, 'x') + "@example.jp>";
    const QStringList paths{Write("empty.eml", ""), m_files.Path("missing.msg"),
                            Write("long.eml", Eml(longId.toUtf8(), "long")),
                            Write("emoji.eml", Eml("<emoji@example.jp>", "=?UTF-8?B?8J+YgA==?=")),
                            Write("a.eml", Eml("<a@example.jp>", "a", {{"x.txt", "x"}})),
                            Write("b.eml", Eml("<b@example.jp>", "b", {{"y.txt", "y"}})),
                            Write("good.eml", Eml("<good@example.jp>", "good"))};
    prompts.answers = {kAnswerOk};
    EXPECT_EQ(Register(paths, m_mount.Path("not-mounted")),
              (std::vector{MailOutcome::kUnreadable, MailOutcome::kUnreadable, MailOutcome::kIdTooLong,
                           MailOutcome::kStoreFailed, MailOutcome::kShareUnreachable, MailOutcome::kShareUnreachable,
                           MailOutcome::kRegistered}));
    EXPECT_EQ(progress.shown.back(), std::pair(7, 7));
    EXPECT_THAT(prompts.shown, ElementsAre("Brindle Hub に接続ができませんでした。"));
    EXPECT_THAT(Rows("MailID"), ElementsAre(ElementsAre("<good@example.jp>")));
    EXPECT_EQ(Register({paths[4]}, m_mount.Path("")), std::vector{MailOutcome::kRegistered})
        << "a later try with the share stores it with its files";
}

// A drop saves the memo in the editor as that memo, never over a memo the batch made.
TEST_F(MailRegistrationTest, ADropKeepsTheUnsavedMemoApartAndEndsOnTheNewestMemo)
{
    RecordingViews views;
    CQuirelDoc doc(prompts, views);
    auto server = std::make_unique<CServerStore>(prompts);
    ASSERT_EQ(server->Connect(account.user, account.password, account.user, HostField()), 1);
    server->SetTableName("memo");
    doc.AttachServerStore(std::move(server));
    CServerStore* table = MessageDropTarget(doc, prompts);
    ASSERT_NE(table, nullptr);
    QSettings().setValue("Brindle Hub/ShareMounts/127.0.0.1/" + account.user, m_mount.Path(""));
    doc.SetModifiedFlag();
    prompts.saveDialogs = {{kSaveDialogGoOn}, {kSaveDialogSave, "mine"}};
    prompts.answers = {kAnswerOk};
    const QString mail = Write("m.eml", Eml("<m@example.jp>", "mail", {{"x.txt", "x"}}));
    EXPECT_EQ(RegisterDroppedMessages(doc, *table, prompts, progress, {mail, Write("bad.eml", "")}), 1);

    const auto rows = Rows("Title, nID");
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0][0], "mail");
    EXPECT_EQ(rows[1][0], "mine");
    EXPECT_EQ(doc.CurrentRecord(), rows[1][1].toInt());
    EXPECT_EQ(prompts.shown.last(), "次のメッセージは登録されませんでした。\n\nbad.eml: メッセージとして読めません。");
    EXPECT_TRUE(prompts.Finished());
}

// The tool takes the same path; its summary counts what the registration reported.
TEST_F(MailRegistrationTest, AddMailSummarisesTheBatchAndNamesEachFileItSkipped)
{
    const QStringList files{Write("a.eml", Eml("<a@example.jp>", "a", {{"x.txt", "x"}})), Write("b.eml", ""),
                            Write("c.eml", Eml("<c@example.jp>", "c"))};
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QUIREL_PASSWORD", account.password);
    environment.insert("QUIREL_SHARE_MOUNT", m_mount.Path(""));
    const QString url = QStringLiteral("mariadb://%1@%2/memo").arg(account.user, HostField());
    const ToolRun run = RunTool(QStringList{"add-mail", url} + files, {}, environment);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, "registered 2, duplicates 0, unreadable 1, failed 0\n");
    EXPECT_EQ(run.err, "quirel-db: " + files[1] + ": not a readable .msg or .eml message\n");
    EXPECT_EQ(Entries(m_mount.Path("Quirel/memo")).size(), 1);
    const ToolRun again = RunTool({"add-mail", url, files[0], files[2], files[0]}, {}, environment);
    EXPECT_EQ(again.exitCode, 0) << again.err.toStdString();
    EXPECT_EQ(again.out, "registered 0, duplicates 3, unreadable 0, failed 0\n");
}

} // namespace
