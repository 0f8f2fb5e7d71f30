// Fuzz target for the RFC 5322 (.eml) reader: any bytes are read as a message file; the reader
// must neither crash nor leave a file it does not list, and every name it lists is a file of
// the attachment folder.
#include "mail/mime_reader.h"
#include "mail_fuzz_check.h"

#include <QFile>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const QTemporaryDir scratch(FuzzScratchTemplate());
    static const CodePage ansi("CP932");
    const QString path = scratch.filePath(QStringLiteral("message"));
    const QString folder = scratch.filePath(QStringLiteral("attachments"));
    QDir().mkpath(folder);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)
        || file.write(reinterpret_cast<const char*>(data), qint64(size)) != qint64(size))
        std::abort();
    file.close();

    OutlookMessage message;
    ReadMimeMessage(path, folder, message, ansi);
    CheckAndEmptyAttachmentFolder(folder, message);
    return 0;
}
