// quirel-db run as a separate process: every command's output, the error exits, and the lock
// that keeps it out of a file the editor holds open.
#include "document/local_database.h"
#include "support/temp_files.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <gtest/gtest.h>

namespace {

struct ToolRun {
    int exitCode = -1; // -1 when the tool crashed
    QString out;
    QString err;
};

ToolRun RunTool(const QStringList& arguments, const QByteArray& input = {})
{
    QProcess process;
    process.start(QStringLiteral(QUIREL_DB_PATH), arguments);
    EXPECT_TRUE(process.waitForStarted());
    process.write(input);
    process.closeWriteChannel();
    EXPECT_TRUE(process.waitForFinished());
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()), QString::fromUtf8(process.readAllStandardError())};
}

class QuirelDbTest : public testing::Test {
protected:
    TempFolder m_folder;
    QString m_path = m_folder.Path("Memo.qrl");
};

TEST_F(QuirelDbTest, AddedMemosListShowAndExport)
{
    ASSERT_EQ(RunTool({"create", m_path}).exitCode, 0);
    const ToolRun added = RunTool({"add", m_path, "--title", "買い物", "--keys", "家\tk"}, "牛乳\r\n卵\nパン");
    EXPECT_EQ(added.exitCode, 0) << added.err.toStdString();
    ASSERT_EQ(RunTool({"add", m_path, "--title", QString(200, 'T')}).exitCode, 0);

    const QStringList lines = RunTool({"list", m_path}).out.split('\n');
    ASSERT_EQ(lines.size(), 3);
    const QStringList first = lines[0].split('\t');
    ASSERT_EQ(first.size(), 6);
    EXPECT_EQ(first.mid(0, 3), QStringList({"0", "0", "買い物"}));
    EXPECT_EQ(first[5], "7");
    EXPECT_EQ(lines[1].split('\t').value(2).size(), MemoHeader::kTitleChars);

    const QString shown = RunTool({"show", m_path, "0"}).out;
    EXPECT_TRUE(shown.startsWith("Position: 0\nSlot: 0\nTitle: 買い物\nKeys: 家\tk\nCreated: "));
    EXPECT_TRUE(shown.contains("\nFont: //0,9,1,-16,"));
    EXPECT_TRUE(shown.endsWith("AttachCount: 0\n\n牛乳\n卵\nパン\n"));

    const QStringList exported = RunTool({"export", m_path}).out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(exported.size(), 2);
    const QJsonObject memo = QJsonDocument::fromJson(exported[0].toUtf8()).object();
    EXPECT_EQ(memo["body"].toString(), "牛乳\n卵\nパン");
    EXPECT_EQ(memo["keys"].toString(), "家\tk");
    EXPECT_EQ(memo["slot"].toInt(), 0);
    EXPECT_EQ(memo["attachCount"].toInt(), 0);
    const QString otherId = QJsonDocument::fromJson(exported[1].toUtf8()).object()["attachId"].toString();
    EXPECT_EQ(memo["attachId"].toString().size(), MemoHeader::kAttachIdChars);
    EXPECT_NE(memo["attachId"].toString(), otherId); // two processes within one second
    EXPECT_EQ(RunTool({"check", m_path}).exitCode, 0);
}

TEST_F(QuirelDbTest, BadArgumentsAndFilesExitWithOneLine)
{
    const struct {
        QStringList arguments;
        int exitCode;
    } cases[] = {
        {{}, 2}, {{"frobnicate", m_path}, 2}, {{"list"}, 2}, {{"show", m_path, "first"}, 2},
        {{"list", m_path, "--title", "x"}, 2}, {{"list", m_path}, 1}, {{"show", m_path, "0"}, 1},
        {{"export", m_path}, 1}, {{"check", m_path}, 1},
    };
    for (const auto& c : cases) {
        const ToolRun run = RunTool(c.arguments);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.arguments.join(' ').toStdString();
        EXPECT_EQ(run.err.count('\n'), 1) << run.err.toStdString();
    }
    EXPECT_FALSE(QFile::exists(m_path)); // reading commands never create the file

    ASSERT_EQ(RunTool({"create", m_path}).exitCode, 0);
    EXPECT_EQ(RunTool({"create", m_path}).exitCode, 1);
    EXPECT_EQ(RunTool({"show", m_path, "0"}).exitCode, 1);
    WriteBytes(m_path, "not a database");
    EXPECT_TRUE(RunTool({"list", m_path}).err.contains("not a memo database"));
    EXPECT_TRUE(RunTool({"--help"}).out.startsWith("Usage: quirel-db"));

    WriteBytes(m_path, QByteArray(CLocalDatabase::kIndexBytes, '\0'));
    CLocalDatabase held(m_path); // as the editor holds it
    ASSERT_EQ(held.Open(), CLocalDatabase::kOk);
    const ToolRun run = RunTool({"add", m_path}, "text");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains("cannot be opened"));
    EXPECT_EQ(held.FileSize(), CLocalDatabase::kIndexBytes);
}

TEST_F(QuirelDbTest, CheckAndListReportSharedAndDamagedRecords)
{
    ASSERT_EQ(RunTool({"create", m_path}).exitCode, 0);
    for (const char* body : {"one", "two", "three"})
        ASSERT_EQ(RunTool({"add", m_path}, body).exitCode, 0);
    // Slot 1 now names slot 0's blocks; slot 2 points past the end of the file.
    QByteArray file = ReadBytes(m_path);
    SlotEntry{SlotEntry::kInUse, 2, 0}.ToBytes(file.data() + 8);
    SlotEntry{SlotEntry::kInUse, 2, 99}.ToBytes(file.data() + 16);
    WriteBytes(m_path, file);
    const ToolRun check = RunTool({"check", m_path});
    EXPECT_EQ(check.exitCode, 1);
    EXPECT_EQ(check.out, "slot 2: blocks 99 to 100 lie beyond the end of the file\n"
                         "slots 0 and 1 share block 0\n");

    const ToolRun list = RunTool({"list", m_path});
    EXPECT_EQ(list.exitCode, 1);
    EXPECT_EQ(list.out.count('\n'), 2);
    EXPECT_TRUE(list.err.contains("position 2 (slot 2) is damaged"));
}

} // namespace
