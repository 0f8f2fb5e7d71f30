// Sending a server memo as mail through stand-in mail programs in private XDG folders: one named
// thunderbird.desktop (called with -compose), one other (through xdg-email and xdg-open). Each
// records its arguments, read back as subject, body and files.
#include "document/quirel_doc.h"
#include "editor/text_store.h"
#include "mail/mail_sending.h"
#include "store/server_store_fixture.h"
#include "support/scoped_environment.h"
#include "support/temp_files.h"

#include <QDir>
#include <QFile>
#include <QUrl>
#include <QUrlQuery>
#include <gmock/gmock.h>

using testing::ElementsAre;

namespace {

struct ReceivedMail {
    QString subject;
    QString body;
    QStringList attachments; // local paths
};

// Thunderbird's reading of -compose: pairs split at commas outside a value quoted right after
// its "="; a quoted value is taken as it stands, any other is percent-decoded.
QMap<QString, QString> ComposePairs(const QString& argument)
{
    QMap<QString, QString> pairs;
    QString pair;
    QChar quote;
    for (qsizetype i = 0; i <= argument.size(); ++i) {
        const QChar c = i < argument.size() ? argument[i] : QChar(u',');
        const QChar next = i + 1 < argument.size() ? argument[i + 1] : QChar(u',');
        if (!quote.isNull() && c == quote && next == u',')
            quote = QChar();
        else if (quote.isNull() && (c == u'\'' || c == u'"') && pair.endsWith(u'='))
            quote = c;
        else if (quote.isNull() && c == u',') {
            const QString name = pair.section(u'=', 0, 0);
            const QString value = pair.section(u'=', 1);
            pairs[name] = value.startsWith(u'\'') && value.endsWith(u'\'') ? value.mid(1, value.size() - 2)
                                                                               : QUrl::fromPercentEncoding(value.toUtf8());
            pair.clear();
            continue;
        }
        pair += c;
    }
    return pairs;
}

class MailSendingTest : public ServerStoreTest {
protected:
    void SetUp() override
    {
        ServerStoreTest::SetUp();
        ASSERT_EQ(store.CreateTable("memo"), 1);
        for (const char* program : {"thunderbird", "mailer"}) {
            const QString path = m_home.Path(QStringLiteral("bin/%1").arg(program));
            QDir().mkpath(m_home.Path("bin"));
            WriteScript(path, "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"$0.args\"\n");
            QDir().mkpath(m_home.Path("data/applications"));
            WriteBytes(m_home.Path(QStringLiteral("data/applications/%1.desktop").arg(program)),
                       "[Desktop Entry]\nType=Application\nName=Mail\nExec=" + path.toUtf8() + " %u\n");
        }
        QDir().mkpath(m_home.Path("config"));
        m_environment.Set("XDG_DATA_HOME", m_home.Path("data").toUtf8());
        m_environment.Set("XDG_CONFIG_HOME", m_home.Path("config").toUtf8());
        m_environment.Set("XDG_DATA_DIRS", m_home.Path("none").toUtf8());
        m_environment.Set("XDG_CURRENT_DESKTOP", "X-Generic");
        m_environment.Set("DISPLAY", ":99"); // xdg-open hands a URI to a handler only with a display
        m_environment.Set("MAILER", {});

        auto server = std::make_unique<CServerStore>(prompts);
        ASSERT_EQ(server->Connect(account.user, account.password, account.user, HostField()), 1);
        server->SetTableName("memo");
        m_doc.AttachServerStore(std::move(server));
        m_folder = m_mount.Path("Quirel/memo/abcdefghijklmnopqrstuvxw");
        QDir().mkpath(m_folder);
    }
    void UseMailProgram(const char* program)
    {
        WriteBytes(m_home.Path("config/mimeapps.list"),
                   QByteArray("[Default Applications]\nx-scheme-handler/mailto=") + program + ".desktop\n");
        QFile::remove(m_home.Path(QStringLiteral("bin/%1.args").arg(program)));
    }

    void SetMemo(const QString& title, const QString& body, int attachCount)
    {
        MemoHeader header = NewHeader(title);
        header.attachId = "abcdefghijklmnopqrstuvxw";
        header.attachCount = attachCount;
        m_doc.SetCurrentHeader(header);
        m_doc.TextStore().LoadParagraphs(body.split(u'\n'));
    }

    // What the mail program received; nothing when it was not called.
    std::optional<ReceivedMail> Received(const char* program)
    {
        QFile file(m_home.Path(QStringLiteral("bin/%1.args").arg(program)));
        if (!file.open(QIODevice::ReadOnly))
            return std::nullopt;
        const QStringList arguments = QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
        ReceivedMail mail;
        if (arguments.value(0) == "-compose") {
            const QMap<QString, QString> pairs = ComposePairs(arguments.value(1));
            mail.subject = pairs["subject"];
            mail.body = QString::fromUtf8(ReadBytes(pairs["message"]));
            for (const QString& url : pairs["attachment"].split(u',', Qt::SkipEmptyParts))
                mail.attachments << QUrl(url).toLocalFile();
        } else {
            const QUrlQuery query(QUrl(arguments.value(0)).query(QUrl::FullyEncoded));
            mail.subject = query.queryItemValue("subject", QUrl::FullyDecoded);
            mail.body = query.queryItemValue("body", QUrl::FullyDecoded);
            mail.attachments = query.allQueryItemValues("attach", QUrl::FullyDecoded);
        }
        return mail;
    }

    bool Send() { return SendMemoAsMail(m_doc, prompts, m_mount.Path("")); }

    RecordingViews m_views;
    CQuirelDoc m_doc{prompts, m_views};
    TempFolder m_home;
    TempFolder m_mount;
    QString m_folder;
    ScopedEnvironment m_environment;
};

TEST_F(MailSendingTest, EachMailProgramGetsTheSubjectTheWholeBodyAndTheFolderFiles)
{
    const QString body = "一行目, 'quoted' & 100%\nC:\\code\\new \\c\n\n最後";
    SetMemo("会議, 'メモ' & 予定", body, 3);
    for (const char* name : {"a,b.txt", ".hidden", "資料 1.pdf", "sub/inner.txt"}) {
        QDir().mkpath(QFileInfo(m_folder + '/' + name).path());
        WriteBytes(m_folder + '/' + name, name);
    }
    for (const char* program : {"thunderbird", "mailer"}) {
        UseMailProgram(program);
        ASSERT_TRUE(Send()) << program << prompts.shown.join(u'\n').toStdString();
        const std::optional<ReceivedMail> mail = Received(program);
        ASSERT_TRUE(mail) << program;
        EXPECT_EQ(mail->subject, "会議, 'メモ' & 予定") << program;
        EXPECT_EQ(QString(mail->body).remove(u'\r'), body) << program;
        EXPECT_THAT(mail->attachments, ElementsAre(m_folder + "/.hidden", m_folder + "/a,b.txt", m_folder + "/資料 1.pdf"))
            << program << ": files only, hidden ones too, never a subfolder's";
    }
    EXPECT_TRUE(prompts.shown.isEmpty());
}

// What the folder holds counts only while AttachCount says there are files; then a folder
// that cannot be reached or listed, or a body the mailto URI cannot hold, sends nothing; and
// nothing goes out without a server table.
TEST_F(MailSendingTest, TheFolderIsReadOnlyForACountAndAMailIsSentWholeOrNotAtAll)
{
    for (int i = 0; i < 130; ++i)
        WriteBytes(m_folder + QStringLiteral("/f%1.txt").arg(i, 3, 10, QChar(u'0')), "x");
    UseMailProgram("mailer");
    SetMemo("t", "b", 0);
    ASSERT_TRUE(Send());
    EXPECT_TRUE(Received("mailer")->attachments.isEmpty()) << "count 0: the folder is not read";
    SetMemo("t", "b", 2);
    ASSERT_TRUE(Send());
    const QStringList sent = Received("mailer")->attachments;
    EXPECT_EQ(sent.size(), 128);
    EXPECT_EQ(sent.last(), m_folder + "/f127.txt");

    prompts.answers = {kAnswerOk, kAnswerOk};
    UseMailProgram("mailer");
    EXPECT_FALSE(SendMemoAsMail(m_doc, prompts, m_mount.Path("unmounted")));
    QDir(m_folder).removeRecursively();
    EXPECT_FALSE(Send());
    EXPECT_THAT(prompts.shown, ElementsAre("Brindle Hub に接続ができませんでした。", "添付ファイルにアクセスできませんでした。"));

    // 3 bytes of UTF-8, 9 once percent-encoded: 14 600 characters pass to Thunderbird only.
    const QString longBody(14600, QChar(u'あ'));
    SetMemo("t", longBody, 0);
    prompts.answers = {kAnswerOk};
    EXPECT_FALSE(Send());
    EXPECT_FALSE(Received("mailer")) << "nothing is cut and sent";
    EXPECT_EQ(prompts.shown.last(), "本文が長すぎるため、メールを作成できませんでした。メールソフトに渡せる本文はおよそ 14560 "
                                    "文字までです。本文を短くしてから、もう一度送信してください。");
    UseMailProgram("thunderbird");
    ASSERT_TRUE(Send());
    EXPECT_EQ(Received("thunderbird")->body, longBody);
    EXPECT_TRUE(prompts.Finished());

    EXPECT_TRUE(CanSendMemoAsMail(m_doc));
    m_doc.CloseDatabase();
    EXPECT_FALSE(CanSendMemoAsMail(m_doc));
    EXPECT_FALSE(Send()) << "only a server table's memo goes out";
}

} // namespace
