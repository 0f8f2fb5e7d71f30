// quirel-db run as a separate process: every command's output, the error exits, refused input
// that stores nothing, readers beside the editor and on read-only files, and damaged or hostile
// files that are reported without being read over and over.
#include "document/local_database.h"
#include "document/memo_header.h"
#include "support/new_header.h"
#include "support/temp_files.h"
#include "tools/tool_run.h"

#include <QFile>
#include <memory>

namespace {

class QuirelDbTest : public testing::Test {
protected:
    TempFolder m_folder;
    QString m_path = m_folder.Path("Memo.qrl");
};

TEST_F(QuirelDbTest, AddedMemosListShowExportAndAreReplacedAndDeletedAsInTheEditor)
{
    ASSERT_EQ(RunTool({"create", m_path}).exitCode, 0);
    const ToolRun added = RunTool({"add", m_path, "--title", "買い物", "--keys", "家\tk"}, "牛乳\r\n卵\nパン");
    EXPECT_EQ(added.out, "added memo at position 0 (slot 0)\n") << added.err.toStdString();
    ASSERT_EQ(RunTool({"add", m_path, "--title", QString(127, 'T')}, "second").exitCode, 0);

    const QStringList lines = RunTool({"list", m_path}).out.split('\n');
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[0].split('\t').mid(0, 3), QStringList({"0", "0", "買い物"}));
    EXPECT_EQ(lines[0].split('\t').value(5), "7");

    const QString shown = RunTool({"show", m_path, "0"}).out;
    EXPECT_TRUE(shown.startsWith("Position: 0\nSlot: 0\nTitle: 買い物\nKeys: 家\tk\nCreated: "));
    EXPECT_TRUE(shown.contains("\nFont: //0,9,1,-16,"));
    EXPECT_TRUE(shown.endsWith("AttachCount: 0\n\n牛乳\n卵\nパン\n"));

    QStringList exported = RunTool({"export", m_path}).out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(exported.size(), 2);
    const QJsonObject memo = JsonLine(exported[0]);
    EXPECT_EQ(memo["body"].toString(), "牛乳\n卵\nパン");
    EXPECT_EQ(memo["keys"].toString(), "家\tk");
    EXPECT_EQ(memo["slot"].toInt(), 0);
    EXPECT_EQ(memo["attachId"].toString().size(), MemoHeader::kAttachIdChars);
    EXPECT_NE(memo["attachId"], JsonLine(exported[1])["attachId"]); // two processes within one second

    // put keeps the title and keys it is not given; a grown body moves, the memo keeps its place.
    ASSERT_EQ(RunTool({"put", m_path, "0", "--keys", "新"}, QByteArray(5000, 'x')).exitCode, 0);
    ASSERT_EQ(RunTool({"put", m_path, "1"}, "short").exitCode, 0);
    exported = RunTool({"export", m_path}).out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(exported.size(), 2);
    EXPECT_EQ(JsonLine(exported[0])["body"].toString(), QString(5000, 'x'));
    EXPECT_EQ(JsonLine(exported[0])["title"].toString(), "買い物");
    EXPECT_EQ(JsonLine(exported[0])["keys"].toString(), "新");
    EXPECT_EQ(JsonLine(exported[0])["attachId"], memo["attachId"]);
    EXPECT_EQ(JsonLine(exported[1])["body"].toString(), "short");

    EXPECT_EQ(RunTool({"delete", m_path, "0"}).exitCode, 0);
    EXPECT_EQ(RunTool({"delete", m_path, "1"}).exitCode, 1);
    EXPECT_EQ(RunTool({"put", m_path, "1"}, "x").exitCode, 1);
    EXPECT_TRUE(RunTool({"check", m_path}).out.endsWith(": no problems found\n"));

    // The readers work beside the editor and on a read-only file.
    auto editor = std::make_unique<CLocalDatabase>(m_path);
    ASSERT_EQ(editor->Open(), CLocalDatabase::kOk);
    for (const char* situation : {"while the editor holds the file", "read-only file"}) {
        SCOPED_TRACE(situation);
        EXPECT_EQ(RunTool({"list", m_path}).out.split('\t').mid(1, 2), QStringList({"1", QString(127, 'T')}));
        EXPECT_TRUE(RunTool({"show", m_path, "0"}).out.endsWith("\n\nshort\n"));
        EXPECT_EQ(JsonLine(RunTool({"export", m_path}).out)["body"].toString(), "short");
        EXPECT_EQ(RunTool({"check", m_path}).exitCode, 0);
        editor.reset();
        ASSERT_TRUE(QFile::setPermissions(m_path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    }
}

TEST_F(QuirelDbTest, ImportSumsUpAndFailsOnAnUnreadableFileOrNotesNotStored)
{
    const QString ren = m_folder.Path("notes.ren");
    WriteBytes(ren, "#s\r\n#t\x93\xfa\x96\x7b\r\nbody\r\n#e\r\n#s\n#tSecond\n#e\n#s\n#tOpen\nrest");
    ASSERT_EQ(RunTool({"create", m_path}).exitCode, 0);
    ToolRun run = RunTool({"import", m_path, ren});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, "lines 10, stored 2, not stored 0\n");
    EXPECT_EQ(run.err, "quirel-db: a note left open at the end of the file was dropped: Open\n");
    const QStringList first = RunTool({"list", m_path}).out.split('\n').value(0).split('\t');
    EXPECT_EQ(first.value(2), "日本");
    EXPECT_EQ(first.value(5), "5") << "four characters and the terminating NUL";

    run = RunTool({"import", m_path, m_folder.Path("absent.ren")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_TRUE(run.err.startsWith("quirel-db: " + m_folder.Path("absent.ren") + ": cannot be read"));

    // No free slot: every entry but the last holds a block too small for a record.
    QByteArray index(CLocalDatabase::kIndexBytes, '\0');
    for (int slot = 0; slot < CLocalDatabase::kSlotCount - 1; ++slot)
        SlotEntry{SlotEntry::kFree, 1, uint32_t(slot)}.ToBytes(index.data() + slot * SlotEntry::kBytes);
    WriteBytes(m_path, index);
    run = RunTool({"import", m_path, ren});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, "lines 10, stored 0, not stored 2\n");
    EXPECT_TRUE(run.err.startsWith("quirel-db: not stored: 日本\nquirel-db: not stored: Second\n")) << run.err.toStdString();
}

TEST_F(QuirelDbTest, BadArgumentsAndFilesExitWithOneLine)
{
    const struct {
        QStringList arguments;
        int exitCode;
    } cases[] = {
        {{}, 2}, {{"frobnicate", m_path}, 2}, {{"list"}, 2}, {{"show", m_path, "first"}, 2},
        {{"put", m_path}, 2}, {{"delete", m_path, "0", "1"}, 2}, {{"list", m_path, "--title", "x"}, 2},
        {{"list", m_path}, 1}, {{"show", m_path, "0"}, 1}, {{"export", m_path}, 1}, {{"check", m_path}, 1},
        {{"put", m_path, "0"}, 1}, {{"delete", m_path, "0"}, 1},
    };
    for (const auto& c : cases) {
        const ToolRun run = RunTool(c.arguments);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.arguments.join(' ').toStdString();
        EXPECT_EQ(run.err.count('\n'), 1) << run.err.toStdString();
    }
    EXPECT_FALSE(QFile::exists(m_path)); // only create and add make a file

    ASSERT_EQ(RunTool({"create", m_path}).exitCode, 0);
    EXPECT_EQ(RunTool({"create", m_path}).err, "quirel-db: " + m_path + ": a file already exists there\n");
    EXPECT_EQ(RunTool({"show", m_path, "0"}).err, "quirel-db: no memo at position 0 (the file holds 0)\n");
    WriteBytes(m_path, "not a database");
    EXPECT_TRUE(RunTool({"list", m_path}).err.contains("not a memo database"));
    const QString usage = RunTool({"--help"}).out;
    EXPECT_TRUE(usage.startsWith("Usage: quirel-db"));
    EXPECT_TRUE(usage.contains("\n  put STORE N [--title T] [--keys K]") && usage.contains("\n  delete STORE N"));

    WriteBytes(m_path, QByteArray(CLocalDatabase::kIndexBytes, '\0'));
    CLocalDatabase held(m_path); // as the editor holds it
    ASSERT_EQ(held.Open(), CLocalDatabase::kOk);
    const ToolRun run = RunTool({"add", m_path}, "text");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "quirel-db: " + m_path + ": cannot be opened: locked by another process\n");
    EXPECT_EQ(held.FileSize(), CLocalDatabase::kIndexBytes);
}

TEST_F(QuirelDbTest, AddAndPutRefuseNulInvalidUtf8AndOverlongFieldsStoringNothing)
{
    ASSERT_EQ(RunTool({"add", m_path}, "kept").exitCode, 0);
    const QByteArray before = ReadBytes(m_path);
    const struct {
        QByteArray input;
        QStringList options;
        QString error;
    } cases[] = {
        {QByteArray("ab\0cd", 5), {}, "standard input holds a NUL character at byte 2"},
        {"\xe3\x81\x82\xff", {}, "standard input is not UTF-8 at byte 3"},
        {"a\xe3\x81" "b", {}, "standard input is not UTF-8 at byte 1"},
        {"ok\xe3\x81", {}, "standard input is not UTF-8 at byte 2"}, // cut off at the end
        {"x\xed\xa0\x80", {}, "standard input is not UTF-8 at byte 1"}, // an encoded surrogate
        {"fine", {"--title", QString(128, 'T')}, "the title has 128 characters; at most 127 fit"},
        {"fine", {"--keys", QString(1280, 'K')}, "the keys have 1280 characters; at most 1279 fit"},
    };
    for (const auto& c : cases) {
        for (const QStringList& command : {QStringList{"add", m_path}, QStringList{"put", m_path, "0"}}) {
            const ToolRun run = RunTool(command + c.options, c.input);
            EXPECT_EQ(run.exitCode, 1) << c.input.toHex().toStdString();
            EXPECT_EQ(run.err, "quirel-db: " + c.error + "; nothing was stored\n");
        }
    }
    EXPECT_EQ(ReadBytes(m_path), before);
}

TEST_F(QuirelDbTest, DamagedRecordsAreReportedAndSkippedAndWrongMarksShownWithAWarning)
{
    ASSERT_EQ(RunTool({"create", m_path}).exitCode, 0);
    for (const char* body : {"one", "two", "three", "four", "five"})
        ASSERT_EQ(RunTool({"add", m_path}, body).exitCode, 0);
    // Slot 1 now names slot 0's blocks; slot 2 points past the end of the file; slot 3's text
    // runs past its BodyBytes; slot 4's EndMark is wrong.
    QByteArray file = ReadBytes(m_path);
    SlotEntry{SlotEntry::kInUse, 2, 0}.ToBytes(file.data() + 8);
    SlotEntry{SlotEntry::kInUse, 2, 99}.ToBytes(file.data() + 16);
    file[CLocalDatabase::kIndexBytes + 6 * CLocalDatabase::kBlockBytes + 8] = 2;
    file[CLocalDatabase::kIndexBytes + 9 * CLocalDatabase::kBlockBytes - 4] = 0;
    WriteBytes(m_path, file);
    const ToolRun check = RunTool({"check", m_path});
    EXPECT_EQ(check.exitCode, 1);
    EXPECT_EQ(check.out, "slot 2: blocks 99 to 100 lie beyond the end of the file\n"
                         "slot 3: the character at BodyBytes 2 is not NUL, so readers show text past the body\n"
                         "slot 4: end mark is 56320, not 56506\n"
                         "slots 0 and 1 share block 0\n");

    const QString warning = "memo at position 4 (slot 4) has a wrong Mark, HeaderSize or EndMark";
    for (const char* command : {"list", "export"}) {
        const ToolRun run = RunTool({command, m_path});
        const bool list = command == QString("list"); // reads headers only
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(run.err.count("is damaged"), list ? 3 : 4) << command;
        EXPECT_TRUE(run.err.contains("position 2 (slot 2) is damaged"));
        EXPECT_TRUE(run.err.contains(warning)) << command;
        EXPECT_EQ(run.out.count('\n'), list ? 2 : 1) << command;
        EXPECT_TRUE(run.out.contains(list ? "\t1\n" : "\"body\":\"five\"")) << command; // BodyBytes / 2
    }
    const ToolRun shown = RunTool({"show", m_path, "4"});
    EXPECT_TRUE(shown.out.endsWith("\n\nfive\n"));
    EXPECT_TRUE(shown.err.contains(warning));
    EXPECT_EQ(RunTool({"show", m_path, "3"}).err, "quirel-db: memo 3 is damaged and cannot be read whole\n");
    EXPECT_EQ(RunTool({"put", m_path, "3"}, "over it").exitCode, 1);
    EXPECT_EQ(ReadBytes(m_path), file);
}

// The bytes a tool run reads (rchar of a shell that ran it: a child's counts pass to the
// parent that waits for it).
qint64 BytesReadBy(const QStringList& arguments)
{
    const ToolRun run = RunProgram("/bin/sh", QStringList{"-c", "\"$@\" > /dev/null; exec cat /proc/$$/io", "sh",
                                                          QUIREL_DB_PATH} + arguments);
    for (const QString& line : run.out.split('\n')) {
        if (line.startsWith("rchar: "))
            return line.mid(7).toLongLong();
    }
    return -1;
}

// A title's tabs and line breaks become spaces, characters of every UTF-8 length come out whole
// (a lone surrogate as '?'), and every line stays whole where the output is written in pieces
// (past 64 KiB). export keeps the title's characters in the title.
TEST_F(QuirelDbTest, ListLinesStayWholeAcrossTheOutputsPieces)
{
    constexpr int kMemos = 600;
    const QString ends = QStringLiteral(u"é\U0001F600") + QChar(0xD800);
    const QString title = QStringLiteral(u"題\t名\n") + QString(117, u'字') + u'\r' + ends;
    {
        CLocalDatabase database(m_path);
        ASSERT_EQ(database.CreateFile(), CLocalDatabase::kOk);
        ASSERT_EQ(database.Open(), CLocalDatabase::kOk);
        MemoHeader header = NewHeader(title);
        for (int memo = 0; memo < kMemos; ++memo)
            ASSERT_EQ(database.SaveRecord(-1, header, QStringLiteral(u"本文")), 1);
    }
    const QString folded = QStringLiteral(u"題 名 ") + QString(117, u'字') + QStringLiteral(u" é\U0001F600?");
    const QStringList lines = RunTool({"list", m_path}).out.split('\n');
    ASSERT_EQ(lines.size(), kMemos + 1);
    for (int memo = 0; memo < kMemos; ++memo) {
        const QStringList columns = lines[memo].split('\t');
        ASSERT_EQ(columns.size(), 6) << memo;
        EXPECT_EQ(columns[0], QString::number(memo));
        EXPECT_EQ(columns[2], folded);
    }
    // export writes the lone surrogate as U+FFFD in its own field, not carried into the next.
    const QJsonObject exported = JsonLine(RunTool({"export", m_path}).out.section('\n', 0, 0));
    EXPECT_EQ(exported["title"].toString(), title.chopped(1) + QChar(0xFFFD));
    EXPECT_EQ(exported["keys"].toString(), QString());
}

// list reads the index and one header block per memo, never a body: beyond what it reads of an
// empty file, 40 memos of 40 KB cost their headers and no more than 5 % besides.
TEST_F(QuirelDbTest, ListReadsHeadersOnly)
{
    constexpr int kMemos = 40;
    {
        CLocalDatabase database(m_path);
        ASSERT_EQ(database.CreateFile(), CLocalDatabase::kOk);
    }
    const qint64 empty = BytesReadBy({"list", m_path});
    {
        CLocalDatabase database(m_path);
        ASSERT_EQ(database.Open(), CLocalDatabase::kOk);
        for (int memo = 0; memo < kMemos; ++memo) {
            MemoHeader header = NewHeader();
            ASSERT_EQ(database.SaveRecord(-1, header, QString(20000, u'本')), 1);
        }
    }
    const qint64 headers = kMemos * MemoHeader::kBytes;
    const qint64 extra = BytesReadBy({"list", m_path}) - empty;
    // The process's own reads of /proc files (the sanitizer's maps) vary by a few bytes a run.
    EXPECT_GE(extra, headers - headers / 100);
    EXPECT_LE(extra, headers + (CLocalDatabase::kIndexBytes + headers) / 20);
}

// 131 070 slots naming the same 65 535 blocks of a sparse file, beside one sound memo: found from
// the index, so the commands finish at once instead of reading 268 MB for every slot.
TEST_F(QuirelDbTest, AHostileIndexIsReportedWithoutReadingItsBlocks)
{
    constexpr int kSlots = CLocalDatabase::kSlotCount - 1;
    QByteArray index(CLocalDatabase::kIndexBytes, '\0');
    for (int slot = 1; slot < kSlots; ++slot)
        SlotEntry{SlotEntry::kInUse, 0xFFFF, 0}.ToBytes(index.data() + slot * SlotEntry::kBytes);
    SlotEntry{SlotEntry::kInUse, 2, 0xFFFF}.ToBytes(index.data());
    MemoHeader header = NewHeader("sound");
    WriteBytes(m_path, index);
    QFile file(m_path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.seek(CLocalDatabase::kIndexBytes + 0xFFFF * CLocalDatabase::kBlockBytes));
    file.write(header.ToBytes() + QByteArray(CLocalDatabase::kBlockBytes, '\0'));
    file.close();

    for (const char* command : {"list", "export", "check"}) {
        const ToolRun run = RunTool({command, m_path});
        EXPECT_EQ(run.exitCode, 1) << command;
        const QString& report = command == QString("check") ? run.out : run.err;
        EXPECT_EQ(report.count('\n'), command == QString("check") ? kSlots - 2 : kSlots - 1) << command;
        if (command != QString("check")) {
            EXPECT_EQ(run.out.count('\n'), 1) << command;
            EXPECT_TRUE(run.out.contains("sound")) << command;
        }
    }
}

TEST_F(QuirelDbTest, PageAndSearchGiveTheListWindowsPagesAndTheHits)
{
    ASSERT_EQ(RunTool({"create", m_path}).exitCode, 0);
    ASSERT_EQ(RunTool({"add", m_path, "--title", "a<b>"}, "Foo bar").exitCode, 0);
    ASSERT_EQ(RunTool({"add", m_path, "--title", "tab\there"}, "foo only").exitCode, 0);
    const ToolRun first = RunTool({"page", m_path});
    EXPECT_EQ(first.exitCode, 0) << first.err.toStdString();
    EXPECT_TRUE(first.out.startsWith("<html>\n<head>\n<meta charset=\"UTF-8\" />\n</head>\n<body>\n<table border=0>\n"
                                     "<tr>\n<td>\n[前] [次]</td>\n</tr>\n<tr>\n<td>\n[1] <b><a href=FAT=0&ID=0 target=Quirel>[ a&lt;b&gt; ]</b>\n"));
    const QString out = m_folder.Path("page.html");
    ASSERT_EQ(RunTool({"page", m_path, "--top", "1", "-o", out}).exitCode, 0);
    EXPECT_TRUE(QString::fromUtf8(ReadBytes(out)).contains("[2] <b><a href=FAT=1&ID=1 target=Quirel>[ tab\there ]</b>"));
    const ToolRun found = RunTool({"page", m_path, "--search", "BAR\u3000foo  "});
    EXPECT_TRUE(found.out.contains("<small>\nFoo <b>bar</b>...<br/><br/>")) << found.out.toStdString();
    EXPECT_FALSE(found.out.contains("[ tab"));

    EXPECT_EQ(RunTool({"search", m_path, "foo"}).out, "0\ta<b>\n1\ttab here\n");
    EXPECT_EQ(RunTool({"search", m_path, "foo", "bar"}).out, "0\ta<b>\n");
    for (const QStringList& refused : {QStringList{"search", m_path, "\u3000", " "}, {"page", m_path, "--search", "  "}}) {
        const ToolRun run = RunTool(refused);
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_TRUE(run.out.isEmpty());
        EXPECT_EQ(run.err, "quirel-db: no search words\n");
    }
    EXPECT_EQ(RunTool({"page", m_path, "--top", "1", "--search", "x"}).exitCode, 2);
}

} // namespace
