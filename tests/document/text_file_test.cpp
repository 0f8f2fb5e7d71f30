// Text files: what each kind of file reads as (encoding and paragraphs) and writes back as,
// including byte-exact round trips, detection at the edge of the 8192-byte window and CR bytes;
// unreadable input; and writes that fail without harming the previous file.
#include "document/text_file.h"
#include "editor/text_store.h"
#include "file_size_limit.h"
#include "platform/code_page.h"
#include "support/proc_status.h"
#include "support/temp_files.h"

#include <QBuffer>
#include <QDir>
#include <QStringDecoder>
#include <QtEndian>
#include <gtest/gtest.h>
#include <malloc.h>

using namespace Qt::StringLiterals;

namespace {

const QByteArray kUtf8Mark = "\xEF\xBB\xBF";
const QByteArray kUtf16Mark = "\xFF\xFE";
const QByteArray kShiftJis = "\x93\xFA\x96\x7B\x8C\xEA"; // 日本語

QByteArray Utf16Le(const QString& text)
{
    QByteArray bytes(text.size() * 2, Qt::Uninitialized);
    qToLittleEndian<char16_t>(text.utf16(), text.size(), bytes.data());
    return bytes;
}

// The paragraphs' texts without their closing line feeds.
QStringList Paragraphs(const CTextStore& store)
{
    QStringList texts;
    for (const CTextPara* para = store.FirstParagraph(); para; para = para->next)
        texts << para->text.Text().chopped(1);
    return texts;
}

// Whether each paragraph's ordinal and first line count on from the previous one's, as a load
// leaves them (one display line each), up to the store's total.
bool NumberedInOrder(const CTextStore& store)
{
    int count = 0;
    for (const CTextPara* para = store.FirstParagraph(); para; para = para->next, ++count) {
        if (para->ordinal != count || para->firstLine != count || (para->prev && para->prev->next != para))
            return false;
    }
    return count == store.TotalLines();
}

class TextFileTest : public testing::Test {
protected:
    QByteArray Written()
    {
        QString error;
        EXPECT_TRUE(WriteTextFile(m_store, m_path, m_ansi, &error)) << error.toStdString();
        return ReadBytes(m_path);
    }

    TempFolder m_folder;
    const QString m_path = m_folder.Path(u"text.txt"_s);
    const CodePage m_ansi; // CP932
    CTextStore m_store;
};

} // namespace

TEST_F(TextFileTest, ReadsAndWritesEachKindOfFile)
{
    const QString utf16Text = u"日本語のテキスト\r\nabc\r\n"_s;
    // One line of several reads: characters and invalid bytes fall where a read ends, and the
    // line reads as the whole file decodes at once.
    const QByteArray longUtf8Line =
        QByteArray(8193, 'a') + QByteArray("日\xE6\x97x\x80😀\xC0\x80\xFF語\xF0\x9F").repeated(30000);
    const QString longUtf8Text =
        QStringDecoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless).decode(longUtf8Line);
    const QByteArray cutInsideCharacter = QByteArray(8190, 'a') + u"日本"_s.toUtf8();
    // Lines of every length up to a read's, so that line ends, CR LF pairs and characters fall
    // where one read ends and the next begins.
    QStringList lines;
    for (int n = 0, size = 0; size < 3 * 1024 * 1024; size += lines.back().size() + 2, ++n)
        lines << QString(n % 1999, u'日') + u"a本"_s;
    const QString manyLines = lines.join(u"\r\n"_s) + u"\r\n"_s;
    // Large files are read in two parts from the first line feed after the middle. Around the
    // middle of this one, every 0A byte is the high byte of a UTF-16 unit, followed by a 00.
    const QString oddFeeds = QString(1100000, u'x') + u"\u0A30\u3000"_s.repeated(50000);
    // The line after the middle starts with U+FEFF, which is text there.
    const QString markedLine = u"\uFEFFz"_s + QString(997, u'a');
    const struct {
        QByteArray bytes;
        int encoding;
        QStringList paragraphs;
        QByteArray written; // empty: not checked
    } files[] = {
        {kUtf16Mark + Utf16Le(u"日本語𠮷\r\n\r\nabc\r\n"_s), kEncodingUnicode, {u"日本語𠮷"_s, u""_s, u"abc"_s},
         kUtf16Mark + Utf16Le(u"日本語𠮷\r\n\r\nabc\r\n"_s)},
        {kShiftJis + "\r\n\r\nabc\r\n", kEncodingAnsi, {u"日本語"_s, u""_s, u"abc"_s}, kShiftJis + "\r\n\r\nabc\r\n"},
        {kUtf8Mark + kShiftJis, kEncodingUtf8, {u"\uFFFD\uFFFD\uFFFD{\uFFFD\uFFFD"_s}, {}},
        {kUtf8Mark + u"𠮷野家😀\r\n"_s.toUtf8(), kEncodingUtf8, {u"𠮷野家😀"_s}, kUtf8Mark + u"𠮷野家😀\r\n"_s.toUtf8()},
        {"abc", kEncodingUtf8, {u"abc"_s}, kUtf8Mark + "abc\r\n"},
        {"abc\ndef\n", kEncodingUtf8, {u"abc"_s, u"def"_s}, kUtf8Mark + "abc\r\ndef\r\n"},
        {Utf16Le(utf16Text), kEncodingUnicode, {u"日本語のテキスト"_s, u"abc"_s}, kUtf16Mark + Utf16Le(utf16Text)},
        {"", kEncodingUtf8, {u""_s}, kUtf8Mark + "\r\n"},
        {kUtf16Mark, kEncodingUnicode, {u""_s}, kUtf16Mark + Utf16Le(u"\r\n"_s)},
        // Only a whole mark at the very start is skipped.
        {"\xEF\xBC\x81!", kEncodingUtf8, {u"！!"_s}, {}},
        {kUtf8Mark + kUtf8Mark + "a\n" + kUtf8Mark + "b", kEncodingUtf8, {u"\uFEFFa"_s, u"\uFEFFb"_s}, {}},
        // Byte encodings drop every CR; UNICODE keeps a lone one and ignores an odd final byte.
        {"a\rb\r\n\r\nc\r", kEncodingUtf8, {u"ab"_s, u""_s, u"c"_s}, {}},
        {"a\n\r", kEncodingUtf8, {u"a"_s}, {}},
        {kShiftJis + "\r\r\n\n", kEncodingAnsi, {u"日本語"_s, u""_s}, {}},
        {Utf16Le(u"\uFEFFa\rb\r\n\uFEFFc\r"_s) + "z", kEncodingUnicode, {u"a\rb"_s, u"\uFEFFc\r"_s}, {}},
        // The window ends inside 本: still UTF-8. A whole file ending inside a character is not.
        {cutInsideCharacter, kEncodingUtf8, {QString(8190, u'a') + u"日本"_s}, kUtf8Mark + cutInsideCharacter + "\r\n"},
        {"abc\xE6\x97", kEncodingAnsi, {u"abc譌"_s}, {}},
        {QByteArray(8192, 'a') + kShiftJis, kEncodingUtf8, {QString(8192, u'a') + u"\uFFFD\uFFFD\uFFFD{\uFFFD\uFFFD"_s}, {}},
        // Lines longer than several reads.
        {QByteArray(600000, 'x') + "\r\ny\rz", kEncodingUtf8, {QString(600000, u'x'), u"yz"_s}, {}},
        {longUtf8Line, kEncodingUtf8, {longUtf8Text}, {}},
        {Utf16Le(QString(300000, u'x') + u"\r\ny\r"_s), kEncodingUnicode, {QString(300000, u'x'), u"y\r"_s}, {}},
        {kUtf16Mark + Utf16Le(manyLines), kEncodingUnicode, lines, {}},
        {kUtf8Mark + manyLines.toUtf8(), kEncodingUtf8, lines, {}},
        {m_ansi.Encode(manyLines), kEncodingAnsi, lines, {}},
        {kUtf16Mark + Utf16Le(oddFeeds + u"\r\n"_s + QString(1150000, u'y')), kEncodingUnicode,
         {oddFeeds, QString(1150000, u'y')}, {}},
        {(markedLine + u'\n').repeated(2100).toUtf8(), kEncodingUtf8,
         QStringList{markedLine.sliced(1)} + QStringList(2099, markedLine), {}},
    };
    for (const auto& file : files) {
        SCOPED_TRACE(file.bytes.left(40).toHex(' ').toStdString());
        // From a buffer, and from a file on disk, which is read in two parts when it is large.
        QByteArray bytes = file.bytes;
        QBuffer buffer(&bytes);
        ASSERT_TRUE(buffer.open(QIODevice::ReadOnly));
        buffer.seek(bytes.size() / 2); // reading starts from the beginning all the same
        WriteBytes(m_path, file.bytes);
        QFile disk(m_path);
        ASSERT_TRUE(disk.open(QIODevice::ReadOnly));
        for (QIODevice* device : std::initializer_list<QIODevice*>{&buffer, &disk}) {
            m_store.SetEdited(true);
            ASSERT_TRUE(ReadTextFile(*device, m_store, m_ansi));
            EXPECT_FALSE(m_store.Edited());
            EXPECT_EQ(m_store.Encoding(), file.encoding);
            EXPECT_EQ(Paragraphs(m_store), file.paragraphs);
            EXPECT_TRUE(NumberedInOrder(m_store));
        }
        disk.close();
        if (!file.written.isEmpty()) {
            EXPECT_EQ(Written(), file.written);
        }
    }
    // ANSI writes a question mark for what CP932 cannot hold.
    m_store.LoadParagraphs({u"é日本語"_s});
    m_store.SetEncoding(kEncodingAnsi);
    EXPECT_EQ(Written(), "?" + kShiftJis + "\r\n");
}

// A load holds no copy of the whole text beside the store it fills: the peak during the load
// passes what the store keeps by less than a quarter of the text's UTF-16 size (a whole-text
// string alone would be all of it).
TEST_F(TextFileTest, LoadKeepsNoWholeTextCopy)
{
#ifdef __SANITIZE_ADDRESS__
    GTEST_SKIP() << "AddressSanitizer keeps freed memory in quarantine, so the peak says nothing";
#endif
    constexpr qsizetype kCharacters = 12 * 1024 * 1024;
    WriteBytes(m_path, (QString(3999, u'語') + u'\n').repeated(kCharacters / 4000).toUtf8());
    malloc_trim(0);
    const qint64 before = ProcStatusKiB("VmRSS");
    ResetPeakRss();
    if (ProcStatusKiB("VmHWM") > before + 1024)
        GTEST_SKIP() << "this system does not reset the peak resident size";
    ASSERT_TRUE(ReadTextFile(m_path, m_store, m_ansi));
    const qint64 peak = ProcStatusKiB("VmHWM");
    const qint64 after = ProcStatusKiB("VmRSS");
    // The store holds the text: its UTF-16 size, less what an earlier load's second thread left
    // resident in that thread's heap, which this load reuses.
    EXPECT_GT(after - before, kCharacters / 1024);
    EXPECT_LT(peak - after, 2 * kCharacters / 1024 / 4);
}

TEST_F(TextFileTest, UnreadableInputLeavesTheStoreAndFailedWritesKeepThePreviousFile)
{
    m_store.LoadParagraphs({u"kept"_s});
    QString error;
    EXPECT_FALSE(ReadTextFile(m_folder.Path(u"missing.txt"_s), m_store, m_ansi, &error));
    EXPECT_FALSE(error.isEmpty());
    QBuffer closed;
    EXPECT_FALSE(ReadTextFile(closed, m_store, m_ansi));
    EXPECT_EQ(Paragraphs(m_store), QStringList{u"kept"_s});

    error.clear();
    WriteBytes(m_folder.Path(u"plain"_s), "not a folder");
    EXPECT_FALSE(WriteTextFile(m_store, m_folder.Path(u"plain/child.txt"_s), m_ansi, &error));
    EXPECT_FALSE(error.isEmpty());

    m_store.SetEncoding(7);
    EXPECT_FALSE(WriteTextFile(m_store, m_path, m_ansi, &error));
    EXPECT_FALSE(QFile::exists(m_path));

    // A disk that fills up halfway through one large write.
    WriteBytes(m_path, "previous");
    m_store.LoadParagraphs({QString(100000, u'x')});
    m_store.SetEncoding(kEncodingUtf8);
    {
        const FileSizeLimit full(4096);
        EXPECT_FALSE(WriteTextFile(m_store, m_path, m_ansi, &error));
    }
    EXPECT_EQ(ReadBytes(m_path), "previous");
    EXPECT_EQ(QDir(m_folder.Path(u""_s)).entryList(QDir::Files), QStringList({u"plain"_s, u"text.txt"_s}));
}
