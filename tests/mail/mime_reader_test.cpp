// The RFC 5322 reader on messages as Linux mail clients save them: encoded words, Japanese
// charsets, HTML-only mail, nested multiparts and what counts as an attachment.
#include "mail/message_file.h"
#include "mail/mime_reader.h"
#include "mail_read_fixture.h"

#include <QDir>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

using testing::ElementsAre;

namespace {

const CodePage kCp932("CP932");

class MimeReaderTest : public MailReadTest {
protected:
    int Read(const QByteArray& mail)
    {
        WriteBytes(m_folder.Path("m.eml"), mail);
        return ReadMimeMessage(m_folder.Path("m.eml"), m_attachments, m_message, kCp932);
    }
};

TEST_F(MimeReaderTest, HeadersAreDecodedAndTheMessageIdKeepsItsBrackets)
{
    ASSERT_EQ(Read("From: =?ISO-2022-JP?B?GyRCOzNFRBsoQg==?= <yamada@example.jp>\r\n"
                   "To: \"=?UTF-8?Q?=E5=8F=97=E4=BF=A1?=\" <to@example.jp>, other@example.jp\r\n"
                   "Subject: =?UTF-8?B?5Lya6K2w44Gu?=\r\n =?UTF-8?Q?=E4=BB=B6?=\r\n"
                   "Message-ID: <abc.123@example.jp>\r\n"
                   "\r\nplain ascii body\r\n"), 1);
    EXPECT_EQ(m_message.senderName, "山田");
    EXPECT_EQ(m_message.senderAddress, "yamada@example.jp");
    EXPECT_EQ(m_message.recipientName, "受信");
    EXPECT_EQ(m_message.recipientAddress, "to@example.jp");
    EXPECT_EQ(m_message.subject, "会議の件");
    EXPECT_EQ(m_message.messageId, "<abc.123@example.jp>");
    EXPECT_EQ(m_message.body, "plain ascii body\r\n");
    EXPECT_TRUE(m_message.attachmentNames.isEmpty());

    ASSERT_EQ(Read("From: a@example.jp\nSubject: none\n\nx"), 1);
    EXPECT_TRUE(m_message.messageId.isEmpty());

    ASSERT_EQ(Read("From: \x8e\x52\x93\x63 <a@example.jp>\nSubject: \x1b$B7oL>\x1b(B 2\n\nx"), 1);
    EXPECT_EQ(m_message.senderName, "山田") << "raw Shift_JIS in a header";
    EXPECT_EQ(m_message.subject, "件名 2") << "raw ISO-2022-JP in a header";
}

TEST_F(MimeReaderTest, BodiesAreConvertedFromTheirCharset)
{
    const QString text = "日本語の本文①です";
    const struct {
        QByteArray headers;
        QByteArray body;
        QString expected;
        const char* why;
    } cases[] = {
        {"Content-Type: text/plain; charset=ISO-2022-JP\n", CodePage("ISO-2022-JP").Encode(u"日本語の本文"), "日本語の本文", "JIS"},
        {"Content-Type: text/plain; charset=Shift_JIS\nContent-Transfer-Encoding: 8bit\n", kCp932.Encode(text), text,
         "Shift_JIS with a Windows character"},
        {"Content-Type: text/plain; charset=shift_jis\nContent-Transfer-Encoding: base64\n",
         kCp932.Encode(text).toBase64(), text, "base64"},
        {"Content-Type: text/plain; charset=utf-8\nContent-Transfer-Encoding: quoted-printable\n",
         "=E6=97=A5=E6=9C=AC", "日本", "quoted-printable"},
        {"Content-Type: text/plain\n", kCp932.Encode(text), text, "no charset and not UTF-8: the ANSI code page"},
        {"Content-Type: text/plain; charset=x-unknown\n", text.toUtf8(), text, "unknown charset, UTF-8 bytes"},
        {"Content-Type: text/html; charset=utf-8\n", "<html><body><p>見出し &amp; 本文</p><p>次</p></body></html>",
         "見出し & 本文\n次", "HTML only"},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(Read("Subject: s\nMIME-Version: 1.0\n" + c.headers + "\n" + c.body), 1) << c.why;
        EXPECT_EQ(m_message.body, c.expected) << c.why;
    }
}

TEST_F(MimeReaderTest, NestedPartsGiveOneBodyAndEveryAttachment)
{
    const QByteArray inner = "From: inner@example.jp\nSubject: =?UTF-8?B?5YaF5YG0?=\n\ninner body\n";
    ASSERT_EQ(Read("Subject: nested\nMIME-Version: 1.0\nContent-Type: multipart/mixed; boundary=\"m\"\n\n"
                   "--m\nContent-Type: multipart/alternative; boundary=\"a\"\n\n"
                   "--a\nContent-Type: text/plain; charset=utf-8\n\nプレーン\n"
                   "--a\nContent-Type: multipart/related; boundary=\"r\"\n\n"
                   "--r\nContent-Type: text/html; charset=utf-8\n\n<p>HTML</p>\n"
                   "--r\nContent-Type: image/png; name=\"image001.png\"\nContent-Disposition: inline\n"
                   "Content-Transfer-Encoding: base64\n\n" + QByteArray("PNGDATA").toBase64() + "\n"
                   "--r--\n--a--\n"
                   "--m\nContent-Type: application/pdf\nContent-Disposition: attachment;"
                   " filename*=UTF-8''%E5%A0%B1%E5%91%8A.pdf\n\npdf\n"
                   "--m\nContent-Type: application/octet-stream; name=\"=?UTF-8?B?6LOH5paZ?=.bin\"\n\nbin\n"
                   "--m\nContent-Type: image/png; name=\"image001.png\"\n\nsecond\n"
                   "--m\nContent-Type: application/zip\n\nzip\n"
                   "--m\nContent-Type: text/plain\nContent-Disposition: attachment\n\nnotes\n"
                   "--m\nContent-Type: text/plain; charset=utf-8\n\nfooter\n"
                   "--m\nContent-Type: message/rfc822\n\n" + inner +
                   "--m\nContent-Type: message/rfc822; name=fwd.eml\n\n" + inner +
                   "--m--\n"), 1);
    EXPECT_EQ(m_message.body, "プレーン\nfooter");
    ASSERT_THAT(m_message.attachmentNames,
                ElementsAre("image001.png", "報告.pdf", "資料.bin", "image001 (2).png", "添付5.zip", "添付6.txt",
                            "内側.eml", "fwd.eml"));
    EXPECT_EQ(ReadBytes(m_attachments + "/image001.png"), "PNGDATA");
    EXPECT_EQ(ReadBytes(m_attachments + "/image001 (2).png"), "second");

    OutlookMessage forwarded;
    TempFolder innerFolder;
    ASSERT_EQ(ReadMessageFile(m_attachments + "/内側.eml", innerFolder.Path(""), forwarded), 1);
    EXPECT_EQ(forwarded.subject, "内側");
    EXPECT_EQ(forwarded.body.trimmed(), "inner body");
}

TEST_F(MimeReaderTest, FilesWithoutAMessageReadAsFailure)
{
    EXPECT_EQ(Read(""), 0);
    EXPECT_EQ(Read(QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16)), 0);
}

} // namespace
