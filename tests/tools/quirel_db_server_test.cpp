// quirel-db on server tables of the shared test server, each test in an account of its own:
// the commands' output, table names refused before any statement (the general log shows what
// went out), where the password comes from, and saves refused with nothing stored.
#include "store/memo_sql.h"
#include "support/temp_files.h"
#include "support/test_account.h"
#include "tools/tool_run.h"

namespace {

class QuirelDbServerTest : public testing::Test, public TestAccount {
protected:
    void SetUp() override
    {
        OpenSharedAccount(QStringLiteral("q_"));
        server = QStringLiteral("mariadb://%1@%2:%3").arg(account.user, serverAddress.host).arg(serverAddress.port);
        environment.insert(QStringLiteral("QUIREL_PASSWORD"), account.password);
    }

    ToolRun Run(const QStringList& arguments, const QByteArray& input = {})
    {
        return RunTool(arguments, input, environment);
    }
    QString Table(const QString& name = QStringLiteral("memo")) const { return server + u'/' + name; }
    // The statements the account sent that start with `prefix`.
    qsizetype CountStatements(const QByteArray& prefix)
    {
        const QList<QByteArray> all = Statements();
        return std::count_if(all.begin(), all.end(), [&](const QByteArray& s) { return s.startsWith(prefix); });
    }

    TempFolder folder;
    QString server;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
};

TEST_F(QuirelDbServerTest, MemosRoundTripThroughTheProgramsStatements)
{
    Elsewhere("create table old_memo (nID int not null primary key auto_increment, Title char(128), TheKeys text, "
              "CreatedAt timestamp, TheDateTime datetime, MainData MEDIUMTEXT, LogFont text, AttachID char(24))");
    Elsewhere("create table other (x int)");
    Elsewhere("create table `has space` (nID int)");
    ASSERT_EQ(Run({"create", Table()}).exitCode, 0);
    const ToolRun tables = Run({"tables", server});
    EXPECT_EQ(tables.out, "memo\nold_memo\n") << tables.err.toStdString();

    EXPECT_EQ(Run({"add", Table(), "--title", "買い物\tリスト", "--keys", "家"}, "牛乳\r\n卵").out,
              "added memo nID 1\n");
    EXPECT_EQ(Run({"add", Table()}, "second").out, "added memo nID 2\n");
    Elsewhere("insert into memo set nID=5, Title='null columns'");

    const QStringList lines = Run({"list", Table()}).out.split('\n');
    ASSERT_EQ(lines.size(), 4);
    const QStringList first = lines[0].split('\t');
    EXPECT_EQ(first.mid(0, 2) + first.mid(4), QStringList({"1", "買い物 リスト", "4"}));
    EXPECT_EQ(lines[1].split('\t').value(4), "6");
    EXPECT_EQ(lines[2], "5\tnull columns\t\t\t");

    const QString shown = Run({"show", Table(), "1"}).out;
    EXPECT_TRUE(shown.startsWith("nID: 1\nTitle: 買い物\tリスト\nKeys: 家\nCreated: ")) << shown.toStdString();
    EXPECT_TRUE(shown.endsWith("\nMailID: \n\n牛乳\n卵\n"));

    QStringList exported = Run({"export", Table()}).out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(exported.size(), 3);
    EXPECT_TRUE(exported[0].startsWith(R"({"nID":1,"title":"買い物\tリスト","keys":"家","created":)"));
    const QJsonObject memo = JsonLine(exported[0]);
    EXPECT_EQ(memo.keys(),
              QStringList({"attachId", "body", "created", "font", "keys", "mailId", "nID", "title", "updated"}));
    EXPECT_EQ(memo["body"].toString(), "牛乳\n卵");
    EXPECT_NE(memo["attachId"], JsonLine(exported[1])["attachId"]) << "each run draws new AttachIDs";
    EXPECT_EQ(JsonLine(exported[2])["updated"].toString(), "");

    ASSERT_EQ(Run({"put", Table(), "1", "--keys", "新"}, "更新").exitCode, 0);
    const QJsonObject updated = JsonLine(Run({"export", Table()}).out.section('\n', 0, 0));
    EXPECT_EQ(QStringList({updated["title"].toString(), updated["keys"].toString(), updated["body"].toString(),
                           updated["attachId"].toString()}),
              QStringList({"買い物\tリスト", "新", "更新", memo["attachId"].toString()}));

    // A row deleted by another client is neither written again nor deleted twice.
    EXPECT_EQ(Run({"delete", Table(), "2"}).exitCode, 0);
    for (const QStringList& command : {QStringList{"delete", Table(), "2"}, QStringList{"put", Table(), "2"}}) {
        const ToolRun run = Run(command, "again");
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(run.err, "quirel-db: no memo with nID 2 in table memo\n");
    }
    EXPECT_EQ(admin->Rows("select count(*) from `" + Database() + "`.memo").value(0).value(0), "2");

    const QString ren = folder.Path("notes.ren");
    WriteBytes(ren, "#s\n#tfrom import\nimported body\n#e\n");
    const ToolRun imported = Run({"import", Table(), ren});
    EXPECT_EQ(imported.out, "lines 4, stored 1, not stored 0\n") << imported.err.toStdString();
    EXPECT_EQ(admin->Rows("select Title from `" + Database() + "`.memo where nID > 5").value(0).value(0), "from import");

    const QList<QByteArray> sent = Statements();
    EXPECT_TRUE(sent.contains(MemoSql::CreateTable("memo")));
    EXPECT_TRUE(sent.contains(MemoSql::AddMailIdColumn("old_memo")));
    EXPECT_EQ(CountStatements("Insert into"), 3);
    EXPECT_FALSE(std::any_of(sent.begin(), sent.end(), [](const QByteArray& s) { return s.contains("has space"); }));
}

TEST_F(QuirelDbServerTest, PagesAndSearchesAreTheListWindows)
{
    ASSERT_EQ(Run({"create", Table()}).exitCode, 0);
    QStringList rows;
    for (int id = 1; id <= 32; ++id)
        rows += QStringLiteral("('t%1', '%2')").arg(id).arg(id == 3 || id == 20 ? "a needle" : "hay");
    Elsewhere("insert into memo (Title, MainData) values " + rows.join(',').toUtf8());

    const ToolRun first = Run({"page", Table()});
    EXPECT_EQ(first.exitCode, 0) << first.err.toStdString();
    EXPECT_TRUE(first.out.startsWith("[前] <a href=?TopNum=-31 target=Quirel>[次]</a><html>")) << first.out.toStdString();
    EXPECT_TRUE(first.out.contains("<b><a href=nID=-30 target=Quirel>t30</b>\n"));
    EXPECT_FALSE(first.out.contains("nID=-31 "));

    const QString out = folder.Path("page.html");
    ASSERT_EQ(Run({"page", Table(), "--top", "31", "-o", out}).exitCode, 0);
    const QByteArray second = ReadBytes(out);
    EXPECT_TRUE(second.startsWith("<a href=?TopNum=-1 target=Quirel>[前]</a> [次]<html>")) << second.toStdString();
    EXPECT_EQ(second.count("<tr>"), 2);

    EXPECT_EQ(Run({"search", Table(), "needle"}).out, "3\tt3\n20\tt20\n");
    EXPECT_EQ(Run({"page", Table(), "--search", "needle"}).out.count("nID=-"), 2);
}

TEST_F(QuirelDbServerTest, TableNamesThatAreNotPlainAreRefusedBeforeAnyStatement)
{
    for (const QString& name : QStringList{"has space", "", "123", "a-b", "x;drop table memo"}) {
        for (const QStringList& command : {QStringList{"create"}, {"list"}, {"export"}, {"add"}, {"show", "1"},
                                           {"put", "1"}, {"delete", "1"}}) {
            const ToolRun run = Run(QStringList{command[0], Table(name)} + command.mid(1), "body");
            EXPECT_EQ(run.exitCode, 1) << name.toStdString() << ' ' << command[0].toStdString();
            EXPECT_TRUE(run.err.startsWith("quirel-db: '" + name + "' is not a plain table name"));
            EXPECT_EQ(run.err.count('\n'), 1);
        }
    }
    for (const QString& address : QStringList{"mariadb://127.0.0.1/memo", "mariadb://u@/memo", server})
        EXPECT_EQ(Run({"list", address}).exitCode, 1) << address.toStdString();
    EXPECT_TRUE(Statements().isEmpty());

    // A reserved word is a plain identifier that the server itself refuses.
    EXPECT_EQ(Run({"create", Table("select")}).err,
              "quirel-db: table select cannot be created (does it exist already?)\n");
    EXPECT_EQ(Run({"list", Table("select")}).err, "quirel-db: table select cannot be read (is it missing?)\n");
}

TEST_F(QuirelDbServerTest, ThePasswordComesFromTheEnvironmentOrTheTerminalOnly)
{
    environment.insert(QStringLiteral("QUIREL_PASSWORD"), QStringLiteral("wrong-secret"));
    const QString refused = Run({"tables", server}).err;
    EXPECT_TRUE(refused.startsWith("quirel-db: cannot log in to ") && refused.endsWith("(Error number : 1045)\n"))
        << refused.toStdString();
    EXPECT_FALSE(refused.contains("wrong-secret"));

    environment.remove(QStringLiteral("QUIREL_PASSWORD"));
    EXPECT_EQ(Run({"tables", server}).err,
              "quirel-db: no password: set QUIREL_PASSWORD or run the command on a terminal\n");

    ASSERT_TRUE(admin->Exec("ALTER USER '" + account.user.toUtf8() + "'@'%' IDENTIFIED BY ''"));
    environment.insert(QStringLiteral("QUIREL_PASSWORD"), QString());
    const ToolRun empty = Run({"tables", server});
    EXPECT_EQ(empty.exitCode, 0) << "set but empty is an empty password: " << empty.err.toStdString();
}

TEST_F(QuirelDbServerTest, TextTheTableCannotHoldIsRefusedWithNothingStored)
{
    ASSERT_EQ(Run({"create", Table()}).exitCode, 0);
    ASSERT_EQ(Run({"add", Table()}, "kept").exitCode, 0);
    const struct {
        QStringList command;
        QByteArray input;
        QString named;
    } cases[] = {
        {{"add"}, "a𠮷b", "𠮷 (U+20BB7)"},
        {{"add", "--title", "😀"}, "text", "😀 (U+1F600)"},
        {{"put", "1"}, "x𠮷", "𠮷 (U+20BB7)"},
    };
    for (const auto& c : cases) {
        const ToolRun run = Run(QStringList{c.command[0], Table()} + c.command.mid(1), c.input);
        EXPECT_EQ(run.exitCode, 1) << c.input.toStdString();
        EXPECT_TRUE(run.err.startsWith("quirel-db: ") && run.err.contains(c.named) && run.err.count('\n') == 1)
            << run.err.toStdString();
    }
    EXPECT_EQ(JsonLine(Run({"export", Table()}).out)["body"].toString(), "kept");
    EXPECT_EQ(CountStatements("Insert into"), 1);
    EXPECT_EQ(CountStatements("Update"), 0);
}

} // namespace
