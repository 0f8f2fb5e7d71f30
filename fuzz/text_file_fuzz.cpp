// Fuzz target for text files: any bytes are read as a text file, the store is written to a
// private file and read back. The paragraphs must come back unchanged, in the same encoding,
// whenever the text can survive it: always for UNICODE and UTF-8 (their marks decide the
// encoding again); for ANSI when the code page holds every character and the written bytes
// are again detected as ANSI. The bytes, repeated past the detection sample, must also read
// the same whether they come whole or a few at a time, as from a pipe: lines, characters and
// line ends cut by a read are joined exactly.
#include "document/text_file.h"
#include "editor/text_store.h"
#include "platform/code_page.h"

#include <QBuffer>
#include <QDir>
#include <QTemporaryDir>
#include <cstdlib>

namespace {

QStringList Paragraphs(const CTextStore& store)
{
    QStringList texts;
    for (const CTextPara* para = store.FirstParagraph(); para; para = para->next)
        texts << para->text.Text();
    return texts;
}

bool SurvivesCodePage(const QStringList& texts, const CodePage& ansi)
{
    return std::all_of(texts.begin(), texts.end(),
                       [&](const QString& text) { return ansi.Decode(ansi.Encode(text)) == text; });
}

// Writing commits with a flush to disk; in memory (tmpfs) that costs nothing, so that thousands
// of inputs stay fast.
QString ScratchTemplate()
{
    const QString memory = QStringLiteral("/dev/shm");
    return (QDir(memory).exists() ? memory : QDir::tempPath()) + QStringLiteral("/quirel-text-fuzz-XXXXXX");
}

// Hands out its bytes at most `step` at a time.
class TrickleDevice : public QIODevice {
public:
    TrickleDevice(QByteArrayView bytes, qint64 step) : m_bytes(bytes), m_step(step) { open(ReadOnly | Unbuffered); }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char* data, qint64 maxSize) override
    {
        const qint64 count = std::min({maxSize, m_step, m_bytes.size() - m_at});
        std::copy_n(m_bytes.data() + m_at, count, data);
        m_at += count;
        return count;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QByteArrayView m_bytes;
    qint64 m_step;
    qint64 m_at = 0;
};

QStringList ReadParagraphs(QIODevice& device, const CodePage& ansi, int* encoding)
{
    CTextStore store;
    if (!ReadTextFile(device, store, ansi))
        std::abort();
    *encoding = store.Encoding();
    return Paragraphs(store);
}

// `bytes` repeated past the detection sample, read whole and a few bytes at a time.
void ExpectSameInPieces(QByteArrayView bytes, const CodePage& ansi)
{
    if (bytes.isEmpty())
        return;
    const QByteArray repeated = bytes.toByteArray().repeated(int(9000 / bytes.size()) + 1);
    QBuffer whole;
    whole.setData(repeated);
    whole.open(QIODevice::ReadOnly);
    TrickleDevice pieces(repeated, 1 + uchar(bytes[0]) % 61);
    int wholeEncoding = 0;
    int piecesEncoding = 0;
    if (ReadParagraphs(whole, ansi, &wholeEncoding) != ReadParagraphs(pieces, ansi, &piecesEncoding) ||
        wholeEncoding != piecesEncoding)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const QTemporaryDir folder(ScratchTemplate());
    static const CodePage ansi("CP932");
    QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    QBuffer input(&bytes);
    input.open(QIODevice::ReadOnly);
    CTextStore read;
    if (!ReadTextFile(input, read, ansi))
        std::abort();

    const QString path = folder.filePath(QStringLiteral("text.txt"));
    QString error;
    CTextStore reread;
    if (!WriteTextFile(read, path, ansi, &error) || !ReadTextFile(path, reread, ansi))
        std::abort();
    ExpectSameInPieces(bytes, ansi);

    const QStringList texts = Paragraphs(read);
    const bool byteEncoding = read.Encoding() == kEncodingAnsi;
    if (byteEncoding && (reread.Encoding() != kEncodingAnsi || !SurvivesCodePage(texts, ansi)))
        return 0;
    if (reread.Encoding() != read.Encoding() || Paragraphs(reread) != texts)
        std::abort();
    return 0;
}
