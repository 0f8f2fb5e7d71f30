// Fuzz target for text files: any bytes are read as a text file, the store is written to a
// private file and read back. The paragraphs must come back unchanged, in the same encoding,
// whenever the text can survive it: always for UNICODE and UTF-8 (their marks decide the
// encoding again); for ANSI when the code page holds every character and the written bytes
// are again detected as ANSI.
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

    const QStringList texts = Paragraphs(read);
    const bool byteEncoding = read.Encoding() == kEncodingAnsi;
    if (byteEncoding && (reread.Encoding() != kEncodingAnsi || !SurvivesCodePage(texts, ansi)))
        return 0;
    if (reread.Encoding() != read.Encoding() || Paragraphs(reread) != texts)
        std::abort();
    return 0;
}
