// The body of the mail reader fuzz targets: the input is written to a private file and read with
// the given reader; it must neither crash nor leave a file it does not list, and every name it
// lists must be a file of the attachment folder, which is emptied for the next input.
#pragma once

#include "mail/outlook_message.h"
#include "platform/code_page.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdlib>

using MailReader = int (*)(const QString& path, const QString& folder, OutlookMessage& message, const CodePage& ansi);

inline void CheckAndEmptyAttachmentFolder(const QString& folder, const OutlookMessage& message)
{
    QDir dir(folder);
    const QStringList present = dir.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    for (const QString& name : message.attachmentNames) {
        if (!QFileInfo(dir.filePath(name)).isFile() || name.contains(u'/'))
            std::abort();
    }
    if (present.size() != message.attachmentNames.size())
        std::abort();
    for (const QString& name : present)
        dir.remove(name);
}

inline void FuzzMailReader(MailReader reader, const uint8_t* data, size_t size)
{
    // In memory (tmpfs) when there is one, so that thousands of inputs stay fast.
    static const QTemporaryDir scratch((QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm")
                                                                                   : QDir::tempPath())
                                       + QStringLiteral("/quirel-mail-fuzz-XXXXXX"));
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
    reader(path, folder, message, ansi);
    CheckAndEmptyAttachmentFolder(folder, message);
}
