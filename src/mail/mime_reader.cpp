// The RFC 5322 message reader over GMime (see mime_reader.h).
#include "mime_reader.h"

#include "mail/attachment_names.h"
#include "mail/gobject_ptr.h"
#include "mail/html_text.h"

#include <QFile>
#include <QStringDecoder>
#include <fcntl.h>
#include <gmime/gmime.h>
#include <algorithm>
#include <memory>
#include <mutex>

namespace {

// Deeper nesting than real mail ever has is refused rather than walked.
constexpr int kMaxDepth = 64;

// Charsets that mail labels by their standard name but writes with the Windows extensions
// (circled numbers, the NEC and IBM rows).
QByteArray IconvNameOfCharset(const QByteArray& charset)
{
    const QByteArray name = QByteArray(g_mime_charset_iconv_name(charset.constData())).toUpper();
    if (name == "SHIFT_JIS" || name == "SHIFT-JIS" || name == "SJIS" || name == "X-SJIS")
        return "CP932";
    if (name == "EUC-JP")
        return "EUC-JP-MS";
    return name;
}

QString DecodeText(const QByteArray& bytes, const char* charset, const CodePage& ansi)
{
    if (charset && *charset) {
        const CodePage declared(IconvNameOfCharset(charset));
        if (declared.IsAvailable())
            return declared.Decode(bytes);
    }
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8.decode(bytes);
    return utf8.hasError() ? ansi.Decode(bytes) : text;
}

QByteArray DecodedContent(GMimePart* part)
{
    GMimeDataWrapper* content = g_mime_part_get_content(part);
    if (!content)
        return {};
    const GObjectPtr<GMimeStream> memory(g_mime_stream_mem_new());
    g_mime_data_wrapper_write_to_stream(content, memory.get());
    const GByteArray* bytes = g_mime_stream_mem_get_byte_array(GMIME_STREAM_MEM(memory.get()));
    return QByteArray(reinterpret_cast<const char*>(bytes->data), qsizetype(bytes->len));
}

// A header text from GMime. Old Japanese mail writes ISO-2022-JP into headers without encoded
// words; its escape sequences are plain ASCII, so GMime hands them back undecoded.
QString HeaderText(const char* utf8)
{
    const QString text = QString::fromUtf8(utf8);
    const bool ascii = std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 0x80; });
    if (!ascii || !text.contains(u'\x1b'))
        return text;
    return CodePage("ISO-2022-JP").Decode(text.toLatin1());
}

// The first mailbox of an address list (a group's first member).
void FirstMailbox(InternetAddressList* list, QString& address, QString& name)
{
    for (int i = 0; list && i < internet_address_list_length(list); ++i) {
        InternetAddress* entry = internet_address_list_get_address(list, i);
        if (INTERNET_ADDRESS_IS_GROUP(entry)) {
            FirstMailbox(internet_address_group_get_members(INTERNET_ADDRESS_GROUP(entry)), address, name);
        } else if (INTERNET_ADDRESS_IS_MAILBOX(entry)) {
            address = QString::fromUtf8(internet_address_mailbox_get_addr(INTERNET_ADDRESS_MAILBOX(entry)));
            name = HeaderText(internet_address_get_name(entry));
        }
        if (!address.isEmpty() || !name.isEmpty())
            return;
    }
}

// Walks a message's parts in order, collecting body texts and writing attachments.
class PartWalker {
public:
    PartWalker(const QString& folder, const CodePage& ansi, OutlookMessage& message)
        : m_folder(folder), m_ansi(ansi), m_message(message)
    {
    }

    bool Walk(GMimeObject* object, int depth)
    {
        if (!object)
            return true;
        if (depth > kMaxDepth)
            return false;
        if (GMIME_IS_MULTIPART(object)) {
            GMimeMultipart* multipart = GMIME_MULTIPART(object);
            for (int i = 0; i < g_mime_multipart_get_count(multipart); ++i) {
                if (!Walk(g_mime_multipart_get_part(multipart, i), depth + 1))
                    return false;
            }
            return true;
        }
        if (GMIME_IS_MESSAGE_PART(object))
            return WriteMessagePart(GMIME_MESSAGE_PART(object));
        if (!GMIME_IS_PART(object))
            return true;

        GMimePart* part = GMIME_PART(object);
        GMimeContentType* type = g_mime_object_get_content_type(object);
        GMimeContentDisposition* disposition = g_mime_object_get_content_disposition(object);
        const QString fileName = HeaderText(g_mime_part_get_filename(part));
        const bool plain = g_mime_content_type_is_type(type, "text", "plain");
        const bool html = g_mime_content_type_is_type(type, "text", "html");
        const bool markedAttachment = disposition && g_mime_content_disposition_is_attachment(disposition);
        if ((plain || html) && fileName.isEmpty() && !markedAttachment) {
            const char* charset = g_mime_object_get_content_type_parameter(object, "charset");
            (plain ? m_plain : m_html) << DecodeText(DecodedContent(part), charset, m_ansi);
            return true;
        }
        char* mimeType = g_mime_content_type_get_mime_type(type);
        const QString extension = ExtensionOfMimeType(QString::fromUtf8(mimeType));
        g_free(mimeType);
        return WriteAttachment(fileName, extension, [&](GMimeStream* stream) {
            GMimeDataWrapper* content = g_mime_part_get_content(part);
            return !content || g_mime_data_wrapper_write_to_stream(content, stream) >= 0;
        });
    }

    QString Body() const
    {
        if (!m_plain.isEmpty())
            return m_plain.join(u'\n');
        QStringList texts;
        for (const QString& html : m_html)
            texts << HtmlToPlainText(html);
        return texts.join(u'\n');
    }

private:
    bool WriteMessagePart(GMimeMessagePart* part)
    {
        GMimeObject* object = GMIME_OBJECT(part);
        QString name = HeaderText(g_mime_object_get_content_disposition_parameter(object, "filename"));
        if (name.isEmpty())
            name = HeaderText(g_mime_object_get_content_type_parameter(object, "name"));
        GMimeMessage* inner = g_mime_message_part_get_message(part);
        if (name.isEmpty() && inner)
            name = HeaderText(g_mime_message_get_subject(inner));
        if (!name.isEmpty() && !name.endsWith(u".eml", Qt::CaseInsensitive))
            name += u".eml";
        return WriteAttachment(name, QStringLiteral(".eml"), [&](GMimeStream* stream) {
            return !inner || g_mime_object_write_to_stream(GMIME_OBJECT(inner), nullptr, stream) >= 0;
        });
    }

    template <typename Write>
    bool WriteAttachment(const QString& raw, const QString& extension, Write write)
    {
        const QString name = m_namer.Claim(raw, ++m_position, extension);
        const QString path = CreateAttachmentFile(m_folder, name);
        if (path.isEmpty())
            return false;
        const GObjectPtr<GMimeStream> stream(g_mime_stream_fs_open(QFile::encodeName(path).constData(),
                                                                   O_WRONLY | O_TRUNC, 0600, nullptr));
        const bool written = stream && write(stream.get()) && g_mime_stream_flush(stream.get()) == 0
            && g_mime_stream_close(stream.get()) == 0;
        if (!written) {
            QFile::remove(path);
            return false;
        }
        m_message.attachmentNames << name;
        return true;
    }

    const QString& m_folder;
    const CodePage& m_ansi;
    OutlookMessage& m_message;
    AttachmentNamer m_namer;
    int m_position = 0;
    QStringList m_plain;
    QStringList m_html;
};

} // namespace

int ReadMimeMessage(const QString& path, const QString& folder, OutlookMessage& message, const CodePage& ansi)
{
    static std::once_flag initialised;
    std::call_once(initialised, [] { g_mime_init(); });
    message.Clear();

    // Read whole into memory: over a file, the parser's reads and the decoding of each part
    // seek and read the file again in small blocks, which cost more than the parse itself.
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return 0;
    const GObjectPtr<GMimeStream> stream(
        g_mime_stream_mem_new_with_buffer(reinterpret_cast<const char*>(bytes.constData()), size_t(bytes.size())));
    // Raw 8-bit headers that are not UTF-8 are taken to be in the ANSI code page (Shift_JIS in
    // Japanese mail) rather than GMime's default of ISO-8859-1.
    const QByteArray ansiName = ansi.Name();
    const char* fallback[] = {"UTF-8", ansiName.constData(), nullptr};
    const std::unique_ptr<GMimeParserOptions, void (*)(GMimeParserOptions*)> options(g_mime_parser_options_new(),
                                                                                   g_mime_parser_options_free);
    g_mime_parser_options_set_fallback_charsets(options.get(), fallback);
    const GObjectPtr<GMimeParser> parser(g_mime_parser_new_with_stream(stream.get()));
    const GObjectPtr<GMimeMessage> parsed(g_mime_parser_construct_message(parser.get(), options.get()));
    GMimeMessage* mail = parsed.get();
    if (!mail || g_mime_header_list_get_count(g_mime_object_get_header_list(GMIME_OBJECT(mail))) == 0)
        return 0;

    FirstMailbox(g_mime_message_get_from(mail), message.senderAddress, message.senderName);
    if (message.senderAddress.isEmpty() && message.senderName.isEmpty())
        FirstMailbox(g_mime_message_get_sender(mail), message.senderAddress, message.senderName);
    FirstMailbox(g_mime_message_get_to(mail), message.recipientAddress, message.recipientName);
    message.subject = HeaderText(g_mime_message_get_subject(mail));
    const QString id = QString::fromUtf8(g_mime_message_get_message_id(mail));
    message.messageId = id.isEmpty() ? QString() : u'<' + id + u'>';

    PartWalker walker(folder, ansi, message);
    if (!walker.Walk(g_mime_message_get_mime_part(mail), 0))
        return 0;
    message.body = walker.Body();
    return 1;
}
