// FakePingCommand: while it lives, PATH starts with a folder whose "ping" records its
// arguments and exits with `status`, so the probe's last way is tested anywhere, sending nothing.
#pragma once

#include "support/temp_files.h"

#include <QFile>
#include <QStringList>

class FakePingCommand {
public:
    explicit FakePingCommand(int status) : m_path(qgetenv("PATH"))
    {
        const QString script = m_folder.Path(QStringLiteral("ping"));
        WriteBytes(script, "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"$0.args\"\nexit " + QByteArray::number(status) + "\n");
        QFile::setPermissions(script, QFile::ReadOwner | QFile::ExeOwner);
        qputenv("PATH", m_folder.Path({}).toUtf8() + ":" + m_path);
    }
    ~FakePingCommand() { qputenv("PATH", m_path); }

    QStringList Arguments() const
    {
        return QString::fromUtf8(ReadBytes(m_folder.Path(QStringLiteral("ping.args")))).split(u'\n', Qt::SkipEmptyParts);
    }

private:
    TempFolder m_folder;
    QByteArray m_path;
};
