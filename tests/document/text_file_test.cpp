// Text files: byte-exact round trips in all three encodings, detection (marks, plain ASCII,
// Shift_JIS, UTF-16 without a mark, a sample cut inside a character), line ends and CR bytes,
// empty files and lines, unreadable input, and writes that fail without harming the old file.
#include "document/text_file.h"
#include "editor/text_store.h"
#include "platform/code_page.h"
#include "support/temp_files.h"

#include <QBuffer>
#include <QDir>
#include <QtEndian>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>

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

class TextFileTest : public testing::Test {
protected:
    // Reads `bytes` as an open file whose position is not at its start.
    void Read(QByteArray bytes)
    {
        QBuffer file(&bytes);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        file.seek(bytes.size() / 2);
        ASSERT_TRUE(ReadTextFile(file, m_store, m_ansi));
        EXPECT_FALSE(m_store.Edited());
    }

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

TEST_F(TextFileTest, EachEncodingRoundTripsByteExact)
{
    const struct {
        QByteArray bytes;
        int encoding;
    } files[] = {
        {kUtf16Mark + Utf16Le(u"日本語\r\n\r\nabc\r\n"_s), kEncodingUnicode},
        {kShiftJis + "\r\n\r\nabc\r\n", kEncodingAnsi},
        {kUtf8Mark + u"日本語\r\n\r\nabc\r\n"_s.toUtf8(), kEncodingUtf8},
    };
    for (const auto& file : files) {
        SCOPED_TRACE(EncodingName(file.encoding).toStdString());
        Read(file.bytes);
        EXPECT_EQ(m_store.Encoding(), file.encoding);
        EXPECT_EQ(Paragraphs(m_store), QStringList({u"日本語"_s, u""_s, u"abc"_s}));
        EXPECT_EQ(Written(), file.bytes);
    }
}

TEST_F(TextFileTest, PlainAsciiIsUtf8AndGainsMarkAndLineEnd)
{
    Read("abc");
    EXPECT_EQ(m_store.Encoding(), kEncodingUtf8);
    EXPECT_EQ(Paragraphs(m_store), QStringList{u"abc"_s});
    EXPECT_EQ(Written(), kUtf8Mark + "abc\r\n");

    Read("abc\ndef\n");
    EXPECT_EQ(Written(), kUtf8Mark + "abc\r\ndef\r\n");
}

TEST_F(TextFileTest, OnlyACompleteMarkIsSkipped)
{
    Read("\xEF\xBC\x81!");
    EXPECT_EQ(m_store.Encoding(), kEncodingUtf8);
    EXPECT_EQ(Paragraphs(m_store), QStringList{u"！!"_s});

    Read(kUtf8Mark + kUtf8Mark + "a\n" + kUtf8Mark + "b");
    EXPECT_EQ(Paragraphs(m_store), QStringList({u"\uFEFFa"_s, u"\uFEFFb"_s}));
}

TEST_F(TextFileTest, Utf16WithoutMarkIsUnicode)
{
    const QByteArray bytes = Utf16Le(u"日本語のテキスト\r\nabc\r\n"_s);
    Read(bytes);
    EXPECT_EQ(m_store.Encoding(), kEncodingUnicode);
    EXPECT_EQ(Paragraphs(m_store), QStringList({u"日本語のテキスト"_s, u"abc"_s}));
    EXPECT_EQ(Written(), kUtf16Mark + bytes);
}

TEST_F(TextFileTest, ByteEncodingsDropEveryCarriageReturn)
{
    Read("a\rb\r\n\r\nc\r");
    EXPECT_EQ(Paragraphs(m_store), QStringList({u"ab"_s, u""_s, u"c"_s}));
    Read("a\n\r");
    EXPECT_EQ(Paragraphs(m_store), QStringList{u"a"_s});
    Read(kShiftJis + "\r\r\n\n");
    EXPECT_EQ(m_store.Encoding(), kEncodingAnsi);
    EXPECT_EQ(Paragraphs(m_store), QStringList({u"日本語"_s, u""_s}));
}

TEST_F(TextFileTest, UnicodeKeepsLoneCarriageReturnsAndDropsAnOddByte)
{
    Read(Utf16Le(u"\uFEFFa\rb\r\n\uFEFFc\r"_s) + "z");
    EXPECT_EQ(m_store.Encoding(), kEncodingUnicode);
    EXPECT_EQ(Paragraphs(m_store), QStringList({u"a\rb"_s, u"\uFEFFc\r"_s}));
}

TEST_F(TextFileTest, EmptyFileKeepsTheSingleEmptyParagraph)
{
    for (const QByteArray& bytes : {QByteArray(), kUtf8Mark, kUtf16Mark}) {
        Read(bytes);
        EXPECT_EQ(Paragraphs(m_store), QStringList{QString()});
    }
    EXPECT_EQ(Written(), kUtf16Mark + Utf16Le(u"\r\n"_s));
}

TEST_F(TextFileTest, DetectionLooksAtTheFirst8192BytesOnly)
{
    // The window ends after the first byte of 本: the sample is still UTF-8.
    const QByteArray cut = QByteArray(8190, 'a') + u"日本"_s.toUtf8();
    Read(cut);
    EXPECT_EQ(m_store.Encoding(), kEncodingUtf8);
    EXPECT_EQ(Written(), kUtf8Mark + cut + "\r\n");

    // A whole file that ends inside a character is not UTF-8.
    Read("abc\xE6\x97");
    EXPECT_EQ(m_store.Encoding(), kEncodingAnsi);

    // What lies beyond the window does not change the verdict.
    Read(QByteArray(8192, 'a') + kShiftJis);
    EXPECT_EQ(m_store.Encoding(), kEncodingUtf8);
    EXPECT_EQ(Paragraphs(m_store), QStringList{QString(8192, u'a') + u"\uFFFD\uFFFD\uFFFD{\uFFFD\uFFFD"_s});
}

TEST_F(TextFileTest, LongLinesStayWhole)
{
    Read(QByteArray(70000, 'x') + "\ny");
    EXPECT_EQ(Paragraphs(m_store), QStringList({QString(70000, u'x'), u"y"_s}));
}

TEST_F(TextFileTest, AnsiWritesQuestionMarksForWhatItCannotHold)
{
    m_store.LoadParagraphs({u"é日本語"_s});
    m_store.SetEncoding(kEncodingAnsi);
    EXPECT_EQ(Written(), "?" + kShiftJis + "\r\n");
}

TEST_F(TextFileTest, UnreadableInputLeavesTheStore)
{
    m_store.LoadParagraphs({u"kept"_s});
    QString error;
    EXPECT_FALSE(ReadTextFile(m_folder.Path(u"missing.txt"_s), m_store, m_ansi, &error));
    EXPECT_FALSE(error.isEmpty());
    QBuffer closed;
    EXPECT_FALSE(ReadTextFile(closed, m_store, m_ansi));
    EXPECT_EQ(Paragraphs(m_store), QStringList{u"kept"_s});

    WriteBytes(m_path, "\xFF\xFE" "a\0" + QByteArray(1, '\0'));
    EXPECT_TRUE(ReadTextFile(m_path, m_store, m_ansi));
    EXPECT_EQ(Paragraphs(m_store), QStringList{u"a"_s});
}

TEST_F(TextFileTest, FailedWritesKeepThePreviousFile)
{
    QString error;
    WriteBytes(m_folder.Path(u"plain"_s), "not a folder");
    EXPECT_FALSE(WriteTextFile(m_store, m_folder.Path(u"plain/child.txt"_s), m_ansi, &error));
    EXPECT_FALSE(error.isEmpty());

    m_store.SetEncoding(7);
    error.clear();
    EXPECT_FALSE(WriteTextFile(m_store, m_path, m_ansi, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(QFile::exists(m_path));

    // A disk that fills up halfway: the file size limit makes the write fail.
    WriteBytes(m_path, "previous");
    m_store.LoadParagraphs({QString(100000, u'x')});
    m_store.SetEncoding(kEncodingUtf8);
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = 4096;
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool written = WriteTextFile(m_store, m_path, m_ansi, &error);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);
    EXPECT_FALSE(written);
    EXPECT_EQ(ReadBytes(m_path), "previous");
    EXPECT_EQ(QDir(m_folder.Path(u""_s)).entryList(QDir::Files), QStringList({u"plain"_s, u"text.txt"_s}));
}
