// FakePingCommand: while it lives, PATH starts with a folder whose "ping" records its
// arguments and exits with `status`, so the probe's last way is tested anywhere, sending nothing.
#pragma once

#include "support/scoped_environment.h"
#include "support/temp_files.h"

#include <QStringList>

class FakePingCommand {
public:
    explicit FakePingCommand(int status)
    {
        WriteScript(m_folder.Path(QStringLiteral("ping")),
                    "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"$0.args\"\nexit " + QByteArray::number(status) + "\n");
        m_environment.PrependToPath(m_folder.Path({}));
    }

    QStringList Arguments() const
    {
        return QString::fromUtf8(ReadBytes(m_folder.Path(QStringLiteral("ping.args")))).split(u'\n', Qt::SkipEmptyParts);
    }

private:
    TempFolder m_folder;
    ScopedEnvironment m_environment;
};
