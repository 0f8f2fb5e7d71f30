// The Outlook message reader over libgsf (see outlook_reader.h).
#include "outlook_reader.h"

#include "mail/attachment_names.h"
#include "mail/compound_file_copy.h"
#include "mail/gobject_ptr.h"
#include "mail/html_text.h"
#include "mail/msg_storage.h"

#include <QFile>
#include <QHash>
#include <QStringDecoder>
#include <QtEndian>
#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-stdio.h>
#include <gsf/gsf-input.h>
#include <cstring>
#include <mutex>
#include <optional>

namespace {

constexpr size_t kReadChunk = 32768;
// Attachment data goes through in 1 MiB pieces, unbuffered: few large reads and writes keep the
// copy near the speed of cp without holding a whole attachment in memory.
constexpr size_t kCopyChunk = 1 << 20;
constexpr quint16 kTypeUtf16 = 0x001F;
constexpr quint16 kType8Bit = 0x001E;
constexpr quint16 kTypeLong = 0x0003;
constexpr quint16 kTypeBinary = 0x0102;

enum Tag : quint16 {
    kSubject = 0x0037,
    kReceivedByName = 0x0040,
    kSentRepresentingName = 0x0042,
    kReceivedByAddress = 0x0076,
    kSenderAddressType = 0x0C1E,
    kSenderAddress = 0x0C1F,
    kBody = 0x1000,
    kHtmlBody = 0x1013,
    kInternetMessageId = 0x1035,
    kDisplayName = 0x3001,
    kSmtpAddress = 0x39FE,
    kInternetCodePage = 0x3FDE,
    kMessageCodePage = 0x3FFD,
    kSenderSmtpAddress = 0x5D01,
    kAttachData = 0x3701,
    kAttachExtension = 0x3703,
    kAttachFileName = 0x3704,
    kAttachMethod = 0x3705,
    kAttachLongFileName = 0x3707,
    kAttachMimeTag = 0x370E,
};

constexpr int kAttachEmbeddedMessage = 5;
// The fixed-size property stream: a header (32 bytes for a message, 8 for an attachment), then
// 16-byte entries: tag and type (32 bits), flags (32 bits), value (64 bits).
constexpr qsizetype kMessagePropertiesHeader = 32;
constexpr qsizetype kAttachmentPropertiesHeader = 8;
constexpr qsizetype kPropertyEntryBytes = 16;

// The whole stream, read in chunks so that a size the directory claims but the file does not
// hold costs nothing; nullopt when a read fails.
std::optional<QByteArray> ReadWhole(GsfInput* input)
{
    QByteArray bytes;
    while (gsf_input_remaining(input) > 0) {
        const size_t n = size_t(qMin<gsf_off_t>(gsf_input_remaining(input), kReadChunk));
        const guint8* data = gsf_input_read(input, n, nullptr);
        if (!data)
            return std::nullopt;
        bytes.append(reinterpret_cast<const char*>(data), qsizetype(n));
    }
    return bytes;
}

// The iconv name of a Windows code page number.
QByteArray IconvName(quint32 codePage)
{
    switch (codePage) {
    case 65001: return "UTF-8";
    case 20127: return "ASCII";
    case 50220: case 50221: case 50222: return "ISO-2022-JP";
    case 51932: case 20932: return "EUC-JP";
    case 51949: return "EUC-KR";
    case 54936: return "GB18030";
    case 20866: return "KOI8-R";
    case 21866: return "KOI8-U";
    default:
        if (codePage >= 28591 && codePage <= 28606)
            return "ISO-8859-" + QByteArray::number(codePage - 28590);
        return "CP" + QByteArray::number(codePage);
    }
}

// One storage's properties: its streams by tag (a UTF-16 string stream preferred over any
// other of the same tag) and its fixed-size property stream.
class PropertyStorage {
public:
    PropertyStorage(GsfInfile* storage, qsizetype propertiesHeader) : m_storage(storage)
    {
        const int count = gsf_infile_num_children(storage);
        for (int i = 0; i < count; ++i) {
            const QByteArray name = gsf_infile_name_by_index(storage, i);
            bool tagOk = false, typeOk = false;
            const quint16 tag = name.size() >= 8 ? name.right(8).first(4).toUShort(&tagOk, 16) : 0;
            const quint16 type = name.right(4).toUShort(&typeOk, 16);
            if (!name.startsWith("__substg1.0_") || !tagOk || !typeOk)
                continue;
            if (!m_streams.contains(tag) || type == kTypeUtf16)
                m_streams.insert(tag, {i, type});
        }
        const GObjectPtr<GsfInput> fixed(gsf_infile_child_by_name(storage, kPropertiesStreamName));
        if (fixed && !IsStorage(fixed.get())) {
            m_hasFixed = true;
            const std::optional<QByteArray> bytes = ReadWhole(fixed.get());
            if (bytes && bytes->size() > propertiesHeader)
                m_fixed = bytes->sliced(propertiesHeader);
        }
    }

    // A string property, empty when absent; false only when its stream cannot be read. With
    // `binary`, a binary property (type 0102) is read as 8-bit text too.
    bool Text(quint16 tag, const CodePage& codePage, QString& text, bool binary = false) const
    {
        text.clear();
        const auto found = m_streams.constFind(tag);
        if (found == m_streams.cend()
            || (found->type != kTypeUtf16 && found->type != kType8Bit && !(binary && found->type == kTypeBinary)))
            return true;
        const GObjectPtr<GsfInput> input(gsf_infile_child_by_index(m_storage, found->index));
        const std::optional<QByteArray> bytes =
            input && !IsStorage(input.get()) ? ReadWhole(input.get()) : std::nullopt;
        if (!bytes)
            return false;
        if (found->type == kTypeUtf16) {
            text = QStringDecoder(QStringDecoder::Utf16LE).decode(bytes->first(bytes->size() & ~qsizetype(1)));
            text.truncate(text.indexOf(QChar(0)) < 0 ? text.size() : text.indexOf(QChar(0)));
        } else {
            const qsizetype nul = bytes->indexOf('\0');
            text = codePage.Decode(QByteArrayView(*bytes).first(nul < 0 ? bytes->size() : nul));
        }
        return true;
    }

    // A 32-bit property of the fixed-size stream.
    std::optional<quint32> Long(quint16 tag) const
    {
        const quint32 wanted = quint32(tag) << 16 | kTypeLong;
        for (qsizetype at = 0; at + kPropertyEntryBytes <= m_fixed.size(); at += kPropertyEntryBytes) {
            if (qFromLittleEndian<quint32>(m_fixed.constData() + at) == wanted)
                return qFromLittleEndian<quint32>(m_fixed.constData() + at + 8);
        }
        return std::nullopt;
    }

    // The child that holds a property (a stream or, for attachment data, a storage).
    GObjectPtr<GsfInput> Child(quint16 tag) const
    {
        const auto found = m_streams.constFind(tag);
        return GObjectPtr<GsfInput>(found == m_streams.cend() ? nullptr
                                                              : gsf_infile_child_by_index(m_storage, found->index));
    }
    bool Has(quint16 tag) const { return m_streams.contains(tag); }
    bool IsEmpty() const { return m_streams.isEmpty() && !m_hasFixed; }

private:
    struct Stream {
        int index;
        quint16 type;
    };
    GsfInfile* m_storage;
    QHash<quint16, Stream> m_streams;
    QByteArray m_fixed;
    bool m_hasFixed = false;
};

// The code page named by the first of `tags` that names one iconv knows; else `fallback`.
CodePage MessageCodePage(const PropertyStorage& properties, const CodePage& fallback,
                         std::initializer_list<quint16> tags = {kMessageCodePage, kInternetCodePage})
{
    for (quint16 tag : tags) {
        if (const std::optional<quint32> number = properties.Long(tag)) {
            CodePage codePage(IconvName(*number));
            if (codePage.IsAvailable())
                return codePage;
        }
    }
    return fallback;
}

bool CopyStreamToFile(GsfInput* input, const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
        return false;
    while (gsf_input_remaining(input) > 0) {
        const size_t n = size_t(qMin<gsf_off_t>(gsf_input_remaining(input), kCopyChunk));
        const guint8* data = gsf_input_read(input, n, nullptr);
        if (!data || file.write(reinterpret_cast<const char*>(data), qint64(n)) != qint64(n))
            return false;
    }
    return file.flush();
}

// What one attachment needs from the reading of its message.
struct AttachmentContext {
    const QString& folder;
    const CodePage& codePage;
    GsfInfile* nameIds; // the message's named-property storage, or null
    AttachmentNamer& namer;
};

// Reads the attachment storage at `position` (1-based) into a file of the folder. `name` gets
// the stored file name, or stays empty when the attachment holds no data. False when it cannot
// be read or written (no file is then left behind).
bool ReadAttachment(GsfInfile* storage, int position, const AttachmentContext& context, QString& name)
{
    name.clear();
    const PropertyStorage properties(storage, kAttachmentPropertiesHeader);
    const GObjectPtr<GsfInput> data = properties.Child(kAttachData);
    if (!data)
        return !properties.Has(kAttachData);
    const bool dataIsStorage = IsStorage(data.get());
    const bool embeddedMessage = dataIsStorage
        && (properties.Long(kAttachMethod) == kAttachEmbeddedMessage
            || (!properties.Long(kAttachMethod)
                && GObjectPtr<GsfInput>(gsf_infile_child_by_name(GSF_INFILE(data.get()), kPropertiesStreamName))));

    QString longName, shortName, displayName, extension, mimeType;
    if (!properties.Text(kAttachLongFileName, context.codePage, longName)
        || !properties.Text(kAttachFileName, context.codePage, shortName)
        || !properties.Text(kDisplayName, context.codePage, displayName)
        || !properties.Text(kAttachExtension, context.codePage, extension)
        || !properties.Text(kAttachMimeTag, context.codePage, mimeType))
        return false;
    if (embeddedMessage) {
        name = context.namer.Claim(displayName.isEmpty() ? QString() : displayName + QStringLiteral(".msg"), position,
                                   QStringLiteral(".msg"));
    } else {
        const QString own = !longName.isEmpty() ? longName : !shortName.isEmpty() ? shortName : displayName;
        if (!extension.isEmpty() && !extension.startsWith(u'.'))
            extension.prepend(u'.');
        name = context.namer.Claim(own, position, extension.isEmpty() ? ExtensionOfMimeType(mimeType) : extension);
    }

    const QString path = CreateAttachmentFile(context.folder, name);
    bool written = false;
    if (!path.isEmpty()) {
        if (embeddedMessage)
            written = WriteEmbeddedMessageFile(GSF_INFILE(data.get()), context.nameIds, path);
        else if (dataIsStorage)
            written = WriteStorageFile(GSF_INFILE(data.get()), path);
        else
            written = CopyStreamToFile(data.get(), path);
    }
    if (!written) {
        if (!path.isEmpty())
            QFile::remove(path);
        name.clear();
    }
    return written;
}

bool HasMessageStorages(GsfInfile* root)
{
    for (int i = 0; i < gsf_infile_num_children(root); ++i) {
        const char* name = gsf_infile_name_by_index(root, i);
        if (name && (strstr(name, "__attach_version") || strstr(name, "__recip_version")))
            return true;
    }
    return false;
}

// The sender's SMTP address in place of an Exchange directory name ("/O=...").
bool ReadSenderAddress(const PropertyStorage& properties, const CodePage& codePage, QString& address)
{
    QString type;
    if (!properties.Text(kSenderAddress, codePage, address) || !properties.Text(kSenderAddressType, codePage, type))
        return false;
    if (type.compare(u"EX", Qt::CaseInsensitive) != 0 && !address.startsWith(u"/O=", Qt::CaseInsensitive))
        return true;
    for (quint16 tag : {kSenderSmtpAddress, kSmtpAddress}) {
        QString smtp;
        if (!properties.Text(tag, codePage, smtp))
            return false;
        if (!smtp.isEmpty()) {
            address = smtp;
            break;
        }
    }
    return true;
}

} // namespace

int ReadOutlookMessage(const QString& path, const QString& folder, OutlookMessage& message, const CodePage& ansi)
{
    // libgsf reports damaged files on standard error (partly without a log domain) besides
    // failing the call; the failure is what counts here. Qt does not log through GLib.
    static std::once_flag quiet;
    std::call_once(quiet, [] {
        for (const char* domain : {static_cast<const char*>(nullptr), "libgsf", "libgsf:msole"})
            g_log_set_handler(domain, GLogLevelFlags(G_LOG_LEVEL_CRITICAL | G_LOG_LEVEL_WARNING),
                              [](const gchar*, GLogLevelFlags, const gchar*, gpointer) {}, nullptr);
    });
    message.Clear();
    const GObjectPtr<GsfInput> input(gsf_input_stdio_new(QFile::encodeName(path).constData(), nullptr));
    const GObjectPtr<GsfInfile> root(input ? gsf_infile_msole_new(input.get(), nullptr) : nullptr);
    if (!root)
        return 0;

    const PropertyStorage properties(root.get(), kMessagePropertiesHeader);
    if (properties.IsEmpty() && !HasMessageStorages(root.get()))
        return 0; // a compound file of another kind (a Word document, say)
    const CodePage codePage = MessageCodePage(properties, ansi);
    if (!ReadSenderAddress(properties, codePage, message.senderAddress)
        || !properties.Text(kSentRepresentingName, codePage, message.senderName)
        || !properties.Text(kReceivedByAddress, codePage, message.recipientAddress)
        || !properties.Text(kReceivedByName, codePage, message.recipientName)
        || !properties.Text(kSubject, codePage, message.subject)
        || !properties.Text(kBody, codePage, message.body)
        || !properties.Text(kInternetMessageId, codePage, message.messageId))
        return 0;
    if (message.body.isEmpty()) {
        // HTML-only mail: the HTML is stored in the internet code page.
        QString html;
        if (!properties.Text(kHtmlBody, MessageCodePage(properties, codePage, {kInternetCodePage}), html, true))
            return 0;
        message.body = HtmlToPlainText(html);
    }

    const GObjectPtr<GsfInput> nameIds(gsf_infile_child_by_name(root.get(), kNameIdStorageName));
    AttachmentNamer namer;
    const AttachmentContext context{folder, codePage,
                                    nameIds && IsStorage(nameIds.get()) ? GSF_INFILE(nameIds.get()) : nullptr, namer};
    const int count = gsf_infile_num_children(root.get());
    int position = 0;
    for (int i = 0; i < count; ++i) {
        const char* name = gsf_infile_name_by_index(root.get(), i);
        if (!name || !strstr(name, "__attach_version"))
            continue;
        const GObjectPtr<GsfInput> child(gsf_infile_child_by_index(root.get(), i));
        if (!child)
            return 0;
        if (!IsStorage(child.get()))
            continue;
        QString fileName;
        if (!ReadAttachment(GSF_INFILE(child.get()), ++position, context, fileName))
            return 0;
        if (!fileName.isEmpty())
            message.attachmentNames << fileName;
    }
    return 1;
}
