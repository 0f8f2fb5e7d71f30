// Text files: encoding detection, decoding as the file is read, and writing (see text_file.h).
#include "text_file.h"

#include "editor/text_store.h"
#include "platform/code_page.h"
#include "platform/is_text_unicode.h"
#include "platform/shared_slice.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>
#include <QtEndian>
#include <algorithm>
#include <cerrno>
#include <functional>
#include <span>
#include <unistd.h>
#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {

// Detection looks at no more than this many bytes from the start of the file.
constexpr qsizetype kSampleBytes = 8192;
constexpr QByteArrayView kUtf8Mark = "\xEF\xBB\xBF";
constexpr QByteArrayView kUtf16Mark = "\xFF\xFE";
// The file is read in pieces of this size, and decoded as it comes.
constexpr qsizetype kReadBytes = 256 * 1024;
// From this size on a file is read in two parts at once (see SecondPartStart): the second
// thread costs far less than decoding half of it takes.
constexpr qint64 kSplitBytes = 2 * 1024 * 1024;

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

// Removes the first `count` bytes by moving the rest to the front. QByteArray would instead
// advance its start, and the next growth would then copy into a new block: each piece of the
// file would touch fresh pages.
void DropFront(QByteArray& buffer, qsizetype count)
{
    if (count == 0) // a long line still coming: nothing moves
        return;
    std::copy(buffer.begin() + count, buffer.end(), buffer.begin());
    buffer.truncate(buffer.size() - count);
}

TextEncoding DetectEncoding(QByteArrayView sample)
{
    if (IsTextUnicode(sample))
        return kEncodingUnicode;
    if (sample.startsWith(kUtf8Mark) || IsUtf8Sample(sample))
        return kEncodingUtf8;
    return kEncodingAnsi;
}

// The bytes up to the last LF: in a byte encoding neither CR nor LF can be part of a
// multi-byte character, but other ASCII bytes can.
qsizetype WholeLines(QByteArrayView bytes, qsizetype fresh)
{
    const qsizetype lastFeed = bytes.sliced(fresh).lastIndexOf('\n');
    return lastFeed < 0 ? 0 : fresh + lastFeed + 1;
}

// The bytes up to the end of the last whole UTF-8 character: all of them, or up to the lead
// byte of a sequence still incomplete. A decoder never takes a lead byte into the sequence
// before it, so the stretch decodes as it would within the whole file. Without a lead byte
// among the last four, the bytes are invalid anyway and all are decoded.
qsizetype WholeUtf8Characters(QByteArrayView bytes)
{
    const qsizetype end = bytes.size();
    for (qsizetype lead = end - 1; lead >= 0 && lead >= end - 4; --lead) {
        const auto byte = uchar(bytes[lead]);
        if ((byte & 0xC0) == 0x80)
            continue;
        const qsizetype length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
        return lead + length <= end ? end : lead;
    }
    return end;
}

// Decodes a file's bytes as they are read, into lines passed on one at a time. Only whole
// characters are decoded at once: in UTF-16LE every even-length stretch, in UTF-8 up to the
// last whole character (so a line longer than many reads is not held back as bytes), in the
// code page up to the last LF.
// The units are decoded into blocks that the lines are cut from without a copy, so a load makes
// no copy of the text and no allocation per line; only the start of a line that a block cut off
// is copied, into the next block.
// Byte encodings drop every CR byte before converting; then, in every encoding, LF ends a line
// and a CR right before it belongs to the line end (a lone CR stays in the text). After the
// last LF, what remains is a line only when it is not empty. UTF-16LE ignores an odd final
// byte.
class LineDecoder {
public:
    LineDecoder(TextEncoding encoding, const CodePage& ansi, const CTextStore::ParagraphSink& add)
        : m_encoding(encoding), m_ansi(ansi), m_add(add)
    {
    }

    // Decodes what `bytes` holds of whole characters and passes on the lines it completes (all
    // of them at the end); the rest stays in `bytes`. The bytes from `fresh` on are new.
    void Decode(QByteArray& bytes, qsizetype fresh, bool atEnd)
    {
        if (m_encoding != kEncodingUnicode && QByteArrayView(bytes).sliced(fresh).contains('\r')) // memchr: fast
            bytes.truncate(std::remove(bytes.begin() + fresh, bytes.end(), '\r') - bytes.begin());
        // Neither the bytes nor the units kept from before hold a line feed, so only what is new
        // is searched: a line longer than many reads costs no more than a short one per byte.
        const qsizetype whole = m_encoding == kEncodingUnicode ? bytes.size() & ~qsizetype(1)
                                : atEnd                        ? bytes.size()
                                : m_encoding == kEncodingUtf8  ? WholeUtf8Characters(bytes)
                                                               : WholeLines(bytes, fresh);
        const qsizetype carried = m_units.size();
        AppendUnits(QByteArrayView(bytes).first(whole));
        DropFront(bytes, whole);
        PassLines(carried, atEnd);
    }

private:
    void AppendUnits(QByteArrayView bytes)
    {
        if (bytes.isEmpty()) // a part of a file starts with no bytes, and may have no data
            return;
        const qsizetype used = m_units.size();
        if (m_encoding == kEncodingUnicode) {
            m_units.resize(used + bytes.size() / 2);
            qFromLittleEndian<char16_t>(bytes.data(), bytes.size() / 2, m_units.data() + used);
        } else if (m_encoding == kEncodingUtf8) {
            m_units.resize(used + m_utf8.requiredSpace(bytes.size()));
            m_units.truncate(m_utf8.appendToBuffer(m_units.data() + used, bytes) - m_units.constData());
        } else {
            m_units += m_ansi.Decode(bytes);
        }
    }

    // `carried`: how many units at the start were kept from before (no line feed among them).
    // The lines are passed as slices of the block (SharedSlice): the block is then shared and
    // never written again, and what follows the last line feed starts the next block.
    void PassLines(qsizetype carried, bool atEnd)
    {
        // The last line, when the file does not close it, is closed in place: a copy of a long
        // line with its feed would double the load's peak.
        const bool closesLast = atEnd && !m_units.isEmpty() && !m_units.endsWith(u'\n');
        if (closesLast)
            m_units.append(u'\n');
        qsizetype end = m_units.indexOf(u'\n', carried);
        if (end < 0) // a line still coming: the block grows in place
            return;
        m_units.squeeze(); // shared from here on, so its spare room would stay unused
        qsizetype start = 0;
        for (; end >= 0; start = end + 1, end = m_units.indexOf(u'\n', start)) {
            const QStringView line = QStringView(m_units).sliced(start, end + 1 - start);
            if (line.endsWith(u"\r\n") && !(closesLast && end + 1 == m_units.size()))
                m_add(line.chopped(2).toString());
            else
                m_add(SharedSlice(m_units, start, line.size()));
        }
        m_units = QStringView(m_units).sliced(start).toString();
    }

    const TextEncoding m_encoding;
    const CodePage& m_ansi;
    const CTextStore::ParagraphSink& m_add;
    // Stretches of whole characters are decoded on their own, like the whole file at once. Unlike
    // QString::fromUtf8, this keeps a U+FEFF that follows the mark.
    QStringDecoder m_utf8{QStringConverter::Utf8,
                          QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom};
    QString m_units; // the block being decoded: the start of a line, and what is new
};

// Appends up to `most` bytes of the file to `bytes`; the count read, 0 at the end, -1 on an
// error.
qint64 ReadMore(QIODevice& file, QByteArray& bytes, qint64 most = kReadBytes)
{
    const qsizetype used = bytes.size();
    bytes.resize(used + most);
    qint64 count = file.read(bytes.data() + used, most);
    if (const auto* device = qobject_cast<const QFileDevice*>(&file); device && device->error() != QFileDevice::NoError)
        count = -1;
    bytes.truncate(used + std::max<qint64>(count, 0));
    return count;
}

// Appends up to one read's worth of the open file `fd` from `offset` to `bytes`, leaving the
// file's position alone (so another thread can read the same file); as ReadMore.
qint64 ReadAt(int fd, qint64 offset, QByteArray& bytes)
{
    const qsizetype used = bytes.size();
    bytes.resize(used + kReadBytes);
    ssize_t count;
    do
        count = ::pread(fd, bytes.data() + used, size_t(kReadBytes), off_t(offset));
    while (count < 0 && errno == EINTR);
    bytes.truncate(used + std::max<qsizetype>(count, 0));
    return count;
}

// Passes every read of `readMore` to the decoder, with what `bytes` holds already; `atEnd`
// when that is the whole rest. False on a read error.
bool DecodeAll(LineDecoder& decoder, QByteArray& bytes, bool atEnd, const std::function<qint64(QByteArray&)>& readMore)
{
    for (qsizetype fresh = 0;;) {
        decoder.Decode(bytes, fresh, atEnd);
        if (atEnd)
            return true;
        fresh = bytes.size();
        const qint64 count = readMore(bytes);
        if (count < 0)
            return false;
        atEnd = count == 0;
    }
}

// Where a second reader can take over a large file, to decode its second half on another
// core: just behind the first line feed from the middle on, found within one read's worth;
// 0 when the file is not split. The code page's converters belong to one thread, so a file
// in it is read by one.
qint64 SecondPartStart(const QFileDevice& file, TextEncoding encoding)
{
    const int fd = file.handle();
    const qint64 middle = file.size() / 2 & ~qint64(1); // UTF-16 units start at even offsets
    if (fd < 0 || encoding == kEncodingAnsi || file.size() < kSplitBytes || middle <= file.pos())
        return 0;
    QByteArray window;
    if (ReadAt(fd, middle, window) <= 0)
        return 0;
    for (qsizetype feed = window.indexOf('\n'); feed >= 0; feed = window.indexOf('\n', feed + 1)) {
        if (encoding == kEncodingUtf8)
            return middle + feed + 1;
        if (feed % 2 == 0 && feed + 1 < window.size() && window[feed + 1] == 0)
            return middle + feed + 2;
    }
    return 0;
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
    QByteArray bytes; // read and not decoded yet
    qint64 count = 0;
    while ((count = ReadMore(file, bytes)) > 0 && bytes.size() < kSampleBytes) {
    }
    if (count < 0)
        return Fail(error, file.errorString());
    const TextEncoding encoding = DetectEncoding(QByteArrayView(bytes).first(std::min(bytes.size(), kSampleBytes)));
    if (encoding == kEncodingUnicode && bytes.startsWith(kUtf16Mark))
        bytes.remove(0, kUtf16Mark.size());
    else if (encoding == kEncodingUtf8 && bytes.startsWith(kUtf8Mark))
        bytes.remove(0, kUtf8Mark.size());

    const auto* device = qobject_cast<const QFileDevice*>(&file);
    const qint64 secondStart = device && count > 0 ? SecondPartStart(*device, encoding) : 0;
    const int fd = device ? device->handle() : -1;
    const CTextStore::ParagraphSource first = [&](const CTextStore::ParagraphSink& add) {
        LineDecoder decoder(encoding, ansi, add);
        return DecodeAll(decoder, bytes, count == 0, [&](QByteArray& more) {
            return ReadMore(file, more, secondStart > 0 ? std::min(kReadBytes, secondStart - file.pos()) : kReadBytes);
        });
    };
    QString secondError;
    const CTextStore::ParagraphSource second = [&](const CTextStore::ParagraphSink& add) {
        LineDecoder decoder(encoding, ansi, add);
        QByteArray secondBytes;
        qint64 offset = secondStart;
        const bool read = DecodeAll(decoder, secondBytes, false, [&](QByteArray& more) {
            const qint64 got = ReadAt(fd, offset, more);
            offset += std::max<qint64>(got, 0);
            return got;
        });
        if (!read)
            secondError = qt_error_string(errno);
        return read;
    };
    const CTextStore::ParagraphSource parts[] = {first, second};
    if (!store.LoadParagraphs(std::span(parts, secondStart > 0 ? 2 : 1)))
        return Fail(error, secondError.isEmpty() ? file.errorString() : secondError);
    store.SetEncoding(encoding);
    store.SetEdited(false);
#ifdef __GLIBC__
    malloc_trim(0); // hands the freed heap of the load back to the system
#endif
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
