// Dispatch of a message file to its reader by the compound-file signature.
#include "message_file.h"

#include "mail/mime_reader.h"
#include "mail/outlook_reader.h"

#include <QFile>

int ReadMessageFile(const QString& path, const QString& folder, OutlookMessage& message)
{
    static const QByteArray kCompoundFileSignature("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        message.Clear();
        return 0;
    }
    const CodePage ansi = CodePage::System();
    return file.read(8) == kCompoundFileSignature ? ReadOutlookMessage(path, folder, message, ansi)
                                                  : ReadMimeMessage(path, folder, message, ansi);
}
