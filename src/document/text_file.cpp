// Text files: encoding detection, decoding line by line, and writing (see text_file.h).
#include "text_file.h"

#include "editor/text_store.h"
#include "platform/code_page.h"
#include "platform/is_text_unicode.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>
#include <QtEndian>
#include <algorithm>
#include <cerrno>

namespace {

// Detection looks at no more than this many bytes from the start of the file.
constexpr qsizetype kSampleBytes = 8192;
constexpr QByteArrayView kUtf8Mark = "\xEF\xBB\xBF";
constexpr QByteArrayView kUtf16Mark = "\xFF\xFE";

bool Fail(QString* error, const QString& why)
{
    if (error)
        *error = why;
    return false;
}

// Whether the sample up to its first zero byte is strict UTF-8 (an empty one is). A sample that
// fills the whole detection window may have been cut inside a character: an incomplete sequence
// at its end is then not held against it.
bool IsUtf8Sample(QByteArrayView sample)
{
    const qsizetype zero = sample.indexOf('\0');
    const bool cutAtWindow = zero < 0 && sample.size() == kSampleBytes;
    QStringDecoder decoder(QStringConverter::Utf8,
                           cutAtWindow ? QStringConverter::Flag::Default : QStringConverter::Flag::Stateless);
    const QString decoded = decoder.decode(zero < 0 ? sample : sample.first(zero)); // runs the check
    return !decoder.hasError();
}

TextEncoding DetectEncoding(QByteArrayView sample)
{
    if (IsTextUnicode(sample))
        return kEncodingUnicode;
    if (sample.startsWith(kUtf8Mark) || IsUtf8Sample(sample))
        return kEncodingUtf8;
    return kEncodingAnsi;
}

// The file's characters, without the mark of its encoding. UTF-16LE: an odd final byte is
// ignored. Byte encodings: every CR byte is dropped before converting; neither CR nor LF can be
// part of a multi-byte character, so converting the whole file at once converts it line by line.
QString DecodeText(QByteArrayView bytes, TextEncoding encoding, const CodePage& ansi)
{
    if (encoding == kEncodingUnicode) {
        QString text(bytes.size() / 2, Qt::Uninitialized);
        qFromLittleEndian<char16_t>(bytes.data(), text.size(), text.data());
        if (text.startsWith(QChar(0xFEFF)))
            text.remove(0, 1);
        return text;
    }
    if (encoding == kEncodingUtf8 && bytes.startsWith(kUtf8Mark))
        bytes = bytes.sliced(kUtf8Mark.size());
    QByteArray withoutCr;
    if (bytes.contains('\r')) {
        withoutCr = bytes.toByteArray();
        withoutCr.removeIf([](char byte) { return byte == '\r'; });
        bytes = withoutCr;
    }
    if (encoding == kEncodingAnsi)
        return ansi.Decode(bytes);
    // Unlike QString::fromUtf8, this keeps a U+FEFF that follows the mark.
    QStringDecoder utf8(QStringConverter::Utf8,
                        QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
    return utf8.decode(bytes);
}

// LF ends a line and a CR right before it belongs to the line end (a lone CR stays in the
// text); after the last LF, what remains is a line only when it is not empty.
QList<QString> SplitLines(QStringView text)
{
    QList<QString> lines;
    while (!text.isEmpty()) {
        const qsizetype end = text.indexOf(u'\n');
        QStringView line = end < 0 ? text : text.first(end);
        text = end < 0 ? QStringView() : text.sliced(end + 1);
        if (end >= 0 && line.endsWith(u'\r'))
            line.chop(1);
        lines.append(line.toString());
    }
    return lines;
}

QByteArrayView Mark(int encoding)
{
    return encoding == kEncodingUnicode ? kUtf16Mark : encoding == kEncodingUtf8 ? kUtf8Mark : QByteArrayView();
}

QByteArray EncodeLine(QStringView line, int encoding, const CodePage& ansi)
{
    if (encoding == kEncodingAnsi)
        return ansi.Encode(line);
    if (encoding == kEncodingUtf8)
        return line.toUtf8();
    QByteArray bytes(line.size() * 2, Qt::Uninitialized);
    qToLittleEndian<char16_t>(line.utf16(), line.size(), bytes.data());
    return bytes;
}

} // namespace

QString EncodingName(int encoding)
{
    switch (encoding) {
    case kEncodingUnicode:
        return QStringLiteral("UNICODE");
    case kEncodingAnsi:
        return QStringLiteral("ANSI");
    case kEncodingUtf8:
        return QStringLiteral("UTF-8");
    }
    return {};
}

bool ReadTextFile(QIODevice& file, CTextStore& store, const CodePage& ansi, QString* error)
{
    if (!file.isReadable())
        return Fail(error, QStringLiteral("The file is not open for reading"));
    if (!file.isSequential() && !file.seek(0))
        return Fail(error, file.errorString());
    const QByteArray bytes = file.readAll();
    if (const auto* device = qobject_cast<const QFileDevice*>(&file); device && device->error() != QFileDevice::NoError)
        return Fail(error, device->errorString());

    const TextEncoding encoding = DetectEncoding(QByteArrayView(bytes).first(std::min(bytes.size(), kSampleBytes)));
    store.LoadParagraphs(SplitLines(DecodeText(bytes, encoding, ansi)));
    store.SetEncoding(encoding);
    store.SetEdited(false);
    return true;
}

bool ReadTextFile(const QString& path, CTextStore& store, const CodePage& ansi, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Fail(error, file.errorString());
    return ReadTextFile(file, store, ansi, error);
}

bool WriteTextFile(const CTextStore& store, const QString& path, const CodePage& ansi, QString* error, bool* inPlace)
{
    const int encoding = store.Encoding();
    if (EncodingName(encoding).isEmpty())
        return Fail(error, QStringLiteral("Unknown text encoding %1").arg(encoding));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        // The temporary file could not be made: only then may Qt write the file itself. A
        // second open that succeeds can only have done that.
        const QString why = file.errorString();
        file.setDirectWriteFallback(true);
        if (!file.open(QIODevice::WriteOnly))
            return Fail(error, why);
        if (inPlace)
            *inPlace = true;
    }
    // A large write that the disk cuts short leaves QSaveFile without an error, so every write
    // is checked here; a failed one discards the temporary file and keeps the previous file.
    const auto write = [&](const QByteArray& bytes) { return file.write(bytes) == bytes.size(); };
    bool written = write(Mark(encoding).toByteArray());
    for (const CTextPara* para = store.FirstParagraph(); written && para; para = para->next) {
        QString line = para->text.Text();
        written = write(EncodeLine(line.replace(u'\n', QStringLiteral("\r\n")), encoding, ansi));
    }
    if (!written) {
        const QString why = file.error() != QFileDevice::NoError ? file.errorString() : qt_error_string(errno);
        file.cancelWriting();
        return Fail(error, why);
    }
    if (!file.commit())
        return Fail(error, file.errorString());
    return true;
}
