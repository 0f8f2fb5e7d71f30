// The Outlook message reader on .msg files written by libgsf: which property wins and how 8-bit
// text is decoded, the Exchange sender, long and HTML-only bodies, and every kind of attachment
// with the files it leaves in the folder.
#include "mail/outlook_reader.h"
#include "mail_read_fixture.h"
#include "msg_builder.h"

#include <QDir>
#include <QProcess>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

using testing::ElementsAre;
using testing::UnorderedElementsAreArray;

namespace {

const CodePage kCp932("CP932");

class OutlookReaderTest : public MailReadTest {
protected:
    // Writes the message and reads it back; the result code of the read.
    int Read(const QList<MsgNode>& root, const QString& name = "m.msg")
    {
        EXPECT_TRUE(WriteMsg(m_folder.Path(name), root));
        return ReadOutlookMessage(m_folder.Path(name), m_attachments, m_message, kCp932);
    }
};

TEST_F(OutlookReaderTest, TextPropertiesPreferUtf16AndDecode8BitWithTheMessageCodePage)
{
    const struct {
        QList<MsgNode> root;
        QString subject;
        const char* why;
    } cases[] = {
        {{Property8Bit(0x0037, "8-bit"), Utf16Property(0x0037, "UTF-16 件名")}, "UTF-16 件名", "UTF-16 wins"},
        {{Property8Bit(0x0037, "\x8c\x8f\x96\xbc")}, "件名", "no code page: the ANSI code page"},
        {{Property8Bit(0x0037, "caf\xe9"), FixedProperties(32, {{0x3FFD, 1252}})}, "café", "message code page"},
        {{Property8Bit(0x0037, "caf\xc3\xa9"), FixedProperties(32, {{0x3FDE, 65001}})}, "café", "internet code page"},
        {{Property8Bit(0x0037, "caf\xe9"), FixedProperties(32, {{0x3FFD, 99999}, {0x3FDE, 1252}})}, "café",
         "an unknown code page falls back"},
        {{Property8Bit(0x0037, "a\xff\x8c\x8f\x96\xbc")}, "a\uFFFD件名", "an undecodable byte"},
        {{Utf16Property(0x0037, QStringLiteral("前\0後"))}, "前", "text ends at NUL"},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(Read(c.root), 1) << c.why;
        EXPECT_EQ(m_message.subject, c.subject) << c.why;
    }
}

TEST_F(OutlookReaderTest, FillsEveryFieldAndTakesTheSmtpAddressOfAnExchangeSender)
{
    const QString longBody = QString("あいうえお0123456789").repeated(2000); // 60 000 bytes in UTF-16
    const QByteArray longAnsi = kCp932.Encode(longBody.left(20000));       // 30 000 bytes, and more below
    ASSERT_EQ(Read({Utf16Property(0x0042, "山田 太郎"), Utf16Property(0x0076, "to@example.jp"), Utf16Property(0x0040, "受信者"),
                    Utf16Property(0x0037, "件名"), Utf16Property(0x1035, "<id-1@example.jp>"), Utf16Property(0x0C1E, "EX"),
                    Utf16Property(0x0C1F, "/O=ORG/OU=SITE/CN=YAMADA"), Utf16Property(0x5D01, "yamada@example.jp"),
                    Utf16Property(0x1000, longBody)}), 1);
    EXPECT_EQ(m_message.senderAddress, "yamada@example.jp");
    EXPECT_EQ(m_message.senderName, "山田 太郎");
    EXPECT_EQ(m_message.recipientAddress, "to@example.jp");
    EXPECT_EQ(m_message.recipientName, "受信者");
    EXPECT_EQ(m_message.messageId, "<id-1@example.jp>");
    EXPECT_EQ(m_message.body, longBody);
    EXPECT_TRUE(m_message.attachmentNames.isEmpty());

    ASSERT_EQ(Read({Utf16Property(0x0C1E, "EX"), Utf16Property(0x0C1F, "/o=Org/cn=x"),
                    Utf16Property(0x39FE, "x@example.jp"), Property8Bit(0x1000, longAnsi + longAnsi)}), 1);
    EXPECT_EQ(m_message.senderAddress, "x@example.jp");
    EXPECT_EQ(m_message.body, longBody.left(20000).repeated(2)) << "8-bit body over 32 768 bytes";
    EXPECT_TRUE(m_message.messageId.isEmpty());

    ASSERT_EQ(Read({Utf16Property(0x0C1E, "EX"), Utf16Property(0x0C1F, "/O=ORG/CN=NOSMTP")}), 1);
    EXPECT_EQ(m_message.senderAddress, "/O=ORG/CN=NOSMTP") << "no SMTP address to take";
    ASSERT_EQ(Read({Utf16Property(0x0C1E, "SMTP"), Utf16Property(0x0C1F, "a@example.jp"),
                    Utf16Property(0x5D01, "other@example.jp")}), 1);
    EXPECT_EQ(m_message.senderAddress, "a@example.jp");
}

TEST_F(OutlookReaderTest, HtmlOnlyMailGivesItsTextAndMailWithoutBodyAnEmptyOne)
{
    ASSERT_EQ(Read({BinaryProperty(0x1013, "<html><body><p>caf\xe9 &amp; tea</p><p>2nd</p></body></html>"),
                    FixedProperties(32, {{0x3FDE, 1252}})}), 1);
    EXPECT_EQ(m_message.body, "café & tea\n2nd");
    ASSERT_EQ(Read({Utf16Property(0x1000, "plain"), BinaryProperty(0x1013, "<p>html</p>")}), 1);
    EXPECT_EQ(m_message.body, "plain");
    ASSERT_EQ(Read({Utf16Property(0x0037, "s"), BinaryProperty(0x1009, "rtf")}), 1);
    EXPECT_TRUE(m_message.body.isEmpty());
}

TEST_F(OutlookReaderTest, EveryAttachmentBecomesOneFileUnderItsOwnDistinctName)
{
    ASSERT_EQ(Read({
        FileAttachment(0, "pdf data", {Utf16Property(0x3707, "a.pdf"), Utf16Property(0x3704, "A~1.PDF")}),
        FileAttachment(1, "doc data", {Property8Bit(0x3707, "b.doc")}),
        FileAttachment(2, "first", {Utf16Property(0x3707, "image001.png")}),
        FileAttachment(3, "second", {Utf16Property(0x3707, "IMAGE001.png")}),
        FileAttachment(4, "nameless", {Utf16Property(0x3703, ".jpg")}),
        FileAttachment(5, "short", {Utf16Property(0x3704, "SHORT~1.TXT")}),
        FileAttachment(6, "display", {Utf16Property(0x3001, "表示名.xlsx")}),
        FileAttachment(7, "typed", {Utf16Property(0x370E, "application/pdf")}),
        FileAttachment(8, "", {Utf16Property(0x3707, "empty.txt")}),
        Storage(AttachmentStorageName(9), {Utf16Property(0x3707, "no data.txt")}),
    }), 1);
    const QStringList expected = {"a.pdf", "b.doc", "image001.png", "IMAGE001 (2).png", "添付5.jpg",
                                  "SHORT~1.TXT", "表示名.xlsx", "添付8.pdf", "empty.txt"};
    EXPECT_EQ(m_message.attachmentNames, expected);
    EXPECT_THAT(FilesInAttachmentFolder(), UnorderedElementsAreArray(expected));
    EXPECT_EQ(ReadBytes(m_attachments + "/IMAGE001 (2).png"), "second");
    EXPECT_EQ(ReadBytes(m_attachments + "/添付5.jpg"), "nameless");
}

TEST_F(OutlookReaderTest, AnEmbeddedMessageIsWrittenAsAMessageThatOpensAgain)
{
    const MsgNode nameIds = Storage("__nameid_version1.0", {BinaryProperty(0x0002, QByteArray(16, 'g')),
                                                            BinaryProperty(0x0003, {}), BinaryProperty(0x0004, {})});
    const MsgNode inner = Storage("__substg1.0_3701000D", {
        FixedProperties(24, {{0x3FFD, 932}}), Utf16Property(0x0037, "内側の件名"), Property8Bit(0x1000, "\x96\x7b\x95\xb6"),
        FileAttachment(0, "inner data", {Utf16Property(0x3707, "inner.txt")})});
    ASSERT_EQ(Read({nameIds, FixedProperties(32, {}),
                    Storage(AttachmentStorageName(0), {FixedProperties(8, {{0x3705, 5}}),
                                                       Utf16Property(0x3001, "転送: 会議"), inner}),
                    Storage(AttachmentStorageName(1), {FixedProperties(8, {{0x3705, 5}}), inner})}), 1);
    ASSERT_THAT(m_message.attachmentNames, ElementsAre("転送_ 会議.msg", "添付2.msg"));

    const QString saved = m_attachments + "/転送_ 会議.msg";
    OutlookMessage reread;
    TempFolder innerFolder;
    ASSERT_EQ(ReadOutlookMessage(saved, innerFolder.Path(""), reread, kCp932), 1);
    EXPECT_EQ(reread.subject, "内側の件名");
    EXPECT_EQ(reread.body, "本文");
    EXPECT_THAT(reread.attachmentNames, ElementsAre("inner.txt"));
    EXPECT_EQ(ReadBytes(innerFolder.Path("inner.txt")), "inner data");

    const QByteArray properties = [&] {
        QProcess python;
        python.start("/usr/bin/python3", {"-c", "import olefile,sys\n"
                                                "f=olefile.OleFileIO(sys.argv[1])\n"
                                                "print(len(f.openstream('__properties_version1.0').read()),"
                                                " f.exists('__nameid_version1.0/__substg1.0_00020102'),"
                                                " f.openstream('__substg1.0_0037001F').read().decode('utf-16-le').rstrip(chr(0)))",
                                          saved});
        python.waitForFinished();
        return python.exitCode() == 0 ? python.readAllStandardOutput() : QByteArray();
    }();
    if (properties.isEmpty())
        GTEST_SKIP() << "python3 with olefile is not installed";
    EXPECT_EQ(QString::fromUtf8(properties).trimmed(), "48 True 内側の件名") << "32-byte header and one entry";
}

TEST_F(OutlookReaderTest, FilesThatAreNoMessageOrAreCutShortReadAsFailure)
{
    WriteBytes(m_folder.Path("text.msg"), "not a compound file");
    EXPECT_EQ(ReadOutlookMessage(m_folder.Path("text.msg"), m_attachments, m_message, kCp932), 0);
    EXPECT_EQ(Read({Stream("WordDocument", "doc"), Storage("ObjectPool", {})}), 0) << "another kind of compound file";

    ASSERT_EQ(Read({Utf16Property(0x0037, "件名"), FileAttachment(0, QByteArray(100000, 'x'), {Utf16Property(0x3707, "big.bin")})}), 1);
    const QByteArray whole = ReadBytes(m_folder.Path("m.msg"));
    for (qsizetype cut : {qsizetype(512), whole.size() / 2, whole.size() - 600}) {
        WriteBytes(m_folder.Path("cut.msg"), whole.first(cut));
        OutlookMessage message;
        EXPECT_EQ(ReadOutlookMessage(m_folder.Path("cut.msg"), m_attachments, message, kCp932), 0) << cut;
    }
}

} // namespace
