// Attachment names from outside: the safe name each one gets, and hostile names in a real
// message, none of which may put a file outside the attachment folder or lose an attachment.
#include "mail/attachment_names.h"
#include "mail/outlook_reader.h"
#include "msg_builder.h"
#include "support/temp_files.h"

#include <QDir>
#include <QDirIterator>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

const QString kLongStem = QString(300, u'a');

TEST(AttachmentNamesTest, NamesFromOutsideAreMadeSafe)
{
    const struct {
        QString raw;
        QString safe;
        const char* rule;
    } cases[] = {
        {"report.pdf", "report.pdf", "a plain name is kept"},
        {"../../etc/passwd", "passwd", "folders are stripped"},
        {"a\tb\nc\x01" "d.txt", "abcd.txt", "control characters are removed"},
        {QString("nul") + QChar(0) + "l.txt", "null.txt", "NUL is removed"},
        {"a:b*c?d\"e<f>g|h.txt", "a_b_c_d_e_f_g_h.txt", "characters Windows refuses become _"},
        {"name. . .", "name", "trailing dots and spaces go"},
        {"CON", "添付3", "a reserved device name"},
        {"lpt9.txt", "添付3.txt", "reserved with an extension"},
        {"COM1.tar.gz", "添付3.tar.gz", "reserved before any dot"},
        {"CONSOLE.txt", "CONSOLE.txt", "only the exact device names"},
        {"", "添付3.png", "empty"},
        {"..", "添付3.png", "dot dot"},
        {QString(QChar(0xD800)) + "x.txt", "x.txt", "an unpaired surrogate"},
        {kLongStem + ".docx", kLongStem.left(250) + ".docx", "cut to 255 bytes keeping the extension"},
        {QString(100, u'あ') + "." + QString(100, u'い'), QString(85, u'あ'), "an overlong tail is no extension"},
        {QString("😀").repeated(126) + ".txt", QString("😀").repeated(62) + ".txt", "never splits a surrogate pair"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SafeAttachmentName(c.raw, 3, ".png"), c.safe) << c.rule;
}

TEST(AttachmentNamesTest, RepeatedNamesAreNumberedWithinTheByteLimit)
{
    AttachmentNamer namer;
    const QStringList names = {namer.Claim("image001.png", 1, {}), namer.Claim("Image001.PNG", 2, {}),
                               namer.Claim("image001.png", 3, {}), namer.Claim("", 4, ".png"),
                               namer.Claim("添付4.png", 5, {}), namer.Claim(kLongStem + ".txt", 6, {}),
                               namer.Claim(kLongStem + ".txt", 7, {})};
    EXPECT_EQ(names, QStringList({"image001.png", "Image001 (2).PNG", "image001 (3).png", "添付4.png",
                                  "添付4 (2).png", kLongStem.left(251) + ".txt", kLongStem.left(247) + " (2).txt"}));
}

TEST(AttachmentNamesTest, HostileNamesInAMessageLeaveEveryFileInsideTheFolder)
{
    const QStringList hostile = {
        "../escape.txt", "../../escape2.txt", "/etc/passwd", "\\\\server\\share\\x.txt", "..\\..\\win.txt",
        "..", ".", "...", " ", "", "/", "\\", "a/../../b.txt", "./.", "CON", "con.txt", "PRN", "AUX.doc",
        "NUL", "nul.", "COM1", "com9.log", "LPT1", "lpt5.txt", "x\0y", QString(QChar(0)), "\x7f\x01\x02",
        "a:b", "*", "?.txt", "\"q\"", "<tag>", "pipe|name", "trailing.", "trailing ", "..\\", "../",
        QString(400, u'x') + ".bin", QString(300, u'字'), "...txt", "a\u0085b.txt", "../" + QString(300, u'y'),
        "%2e%2e%2fx", "~/home.txt", "$(rm -rf x).sh", "name\r\n.txt", ".hidden"};
    TempFolder parent;
    const QString folder = parent.Path("deep/att");
    ASSERT_TRUE(QDir().mkpath(folder));
    QList<MsgNode> root;
    for (qsizetype i = 0; i < hostile.size(); ++i)
        root << FileAttachment(int(i), QByteArray::number(i), {Utf16Property(0x3707, hostile[i])});
    // Nameless, so the attach extension from outside names the file.
    for (const QString& extension : QStringList{"/../../up.txt", "\\..\\x", ".a/b", QString(".") + QString(300, 'e')})
        root << FileAttachment(int(root.size()), QByteArray::number(root.size()), {Utf16Property(0x3703, extension)});
    ASSERT_TRUE(WriteMsg(parent.Path("hostile.msg"), root));

    OutlookMessage message;
    ASSERT_EQ(ReadOutlookMessage(parent.Path("hostile.msg"), folder, message, CodePage("CP932")), 1);
    EXPECT_EQ(message.attachmentNames.size(), root.size()) << "no attachment is lost for its name";
    QStringList inside;
    QDirIterator all(parent.Path(""), QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                     QDirIterator::Subdirectories);
    while (all.hasNext()) {
        const QString path = all.next();
        if (QFileInfo(path).isFile() && path != parent.Path("hostile.msg")) {
            EXPECT_EQ(QFileInfo(path).absolutePath(), QFileInfo(folder).absoluteFilePath()) << path.toStdString();
            inside << QFileInfo(path).fileName();
        }
    }
    EXPECT_THAT(inside, testing::UnorderedElementsAreArray(message.attachmentNames));
    for (qsizetype i = 0; i < message.attachmentNames.size(); ++i)
        EXPECT_EQ(ReadBytes(folder + "/" + message.attachmentNames[i]), QByteArray::number(i));
}

} // namespace
