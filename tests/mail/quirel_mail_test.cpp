// quirel-mail run as a separate process: the JSON of a message, extraction into a new folder,
// and the exits for files that are no message.
#include "msg_builder.h"
#include "support/temp_files.h"
#include "tools/tool_run.h"

#include <QJsonArray>

namespace {

ToolRun RunTool(const QStringList& arguments)
{
    return RunProgram(QStringLiteral(QUIREL_MAIL_PATH), arguments);
}

TEST(QuirelMailTest, PrintsTheMessageAndExtractsItsAttachments)
{
    TempFolder folder;
    ASSERT_TRUE(WriteMsg(folder.Path("m.msg"), {
        Utf16Property(0x0C1F, "from@example.jp"), Utf16Property(0x0042, "差出人"), Utf16Property(0x0076, "to@example.jp"),
        Utf16Property(0x0040, "宛先"), Utf16Property(0x0037, "件名"), Utf16Property(0x1000, "本文\r\n"),
        Utf16Property(0x1035, "<id@example.jp>"),
        FileAttachment(0, "one", {Utf16Property(0x3707, "a.txt")}), FileAttachment(1, "two", {Utf16Property(0x3707, "a.txt")})}));
    const QString target = folder.Path("new/deeper");
    const ToolRun run = RunTool({folder.Path("m.msg"), "--extract", target});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(JsonLine(run.out), QJsonObject({{"sender_address", "from@example.jp"}, {"sender_name", "差出人"},
                                 {"recipient_address", "to@example.jp"}, {"recipient_name", "宛先"},
                                 {"subject", "件名"}, {"body", "本文\r\n"}, {"message_id", "<id@example.jp>"},
                                 {"attachments", QJsonArray({"a.txt", "a (2).txt"})}}));
    EXPECT_EQ(ReadBytes(target + "/a (2).txt"), "two");
}

TEST(QuirelMailTest, AFileThatIsNoMessageExitsWithOneLine)
{
    TempFolder folder;
    WriteBytes(folder.Path("empty.eml"), "");
    const ToolRun run = RunTool({folder.Path("empty.eml")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.startsWith("quirel-mail: ") && run.err.count('\n') == 1) << run.err.toStdString();
    EXPECT_TRUE(run.out.isEmpty());
    EXPECT_EQ(RunTool({}).exitCode, 2);
    EXPECT_EQ(RunTool({"a.msg", "b.msg"}).exitCode, 2);
}

} // namespace
