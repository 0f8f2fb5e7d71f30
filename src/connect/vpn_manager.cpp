// Starting the VPN manager (see vpn_manager.h).
#include "vpn_manager.h"

#include "document/string_table.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>

QString VpnManagerPath(const QString& programFolder)
{
    return QDir(programFolder).filePath(QStringLiteral("bhmanager"));
}

std::optional<QString> StartVpnManager(const QString& programFolder)
{
    const QString path = VpnManagerPath(programFolder);
    // Checked first: a missing program is the common case and needs no process to find out.
    const QFileInfo program(path);
    if (program.isFile() && program.isExecutable() && QProcess::startDetached(path, {}))
        return std::nullopt;
    return VpnManagerStartFailedText(QDir::toNativeSeparators(path));
}
