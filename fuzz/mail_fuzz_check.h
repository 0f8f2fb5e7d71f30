// What the mail reader fuzz targets check after every input: each listed attachment is a file
// of the attachment folder and nothing else is there; the folder is emptied for the next input.
#pragma once

#include "mail/outlook_message.h"

#include <QDir>
#include <QTemporaryDir>
#include <cstdlib>

// A private file and folder in memory (tmpfs) when there is one, so that thousands of inputs
// stay fast.
inline QString FuzzScratchTemplate()
{
    const QString memory = QStringLiteral("/dev/shm");
    return (QDir(memory).exists() ? memory : QDir::tempPath()) + QStringLiteral("/quirel-mail-fuzz-XXXXXX");
}

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
