// Attachment roots and the share mount (see attachment_folders.h).
#include "attachment_folders.h"

#include "document/string_table.h"
#include "document/user_prompts.h"
#include "store/server_store.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <optional>

namespace {

// gio waits for an answer from the server; a host that never answers must not hang the caller.
constexpr int kGioMilliseconds = 30000;

QString ExistingFolder(const QString& path)
{
    return !path.isEmpty() && QFileInfo(path).isDir() ? QDir::cleanPath(path) : QString();
}

QString ShareUri(const ShareLogin& login)
{
    const QString host = login.host.contains(u':') ? u'[' + login.host + u']' : login.host;
    return QStringLiteral("smb://") + host + u'/' + login.database;
}

// Runs gio with `input` on its standard input; its standard output, or nothing when it failed.
std::optional<QByteArray> RunGio(const QStringList& arguments, const QByteArray& input = {})
{
    const QString gio = QStandardPaths::findExecutable(QStringLiteral("gio"));
    if (gio.isEmpty())
        return std::nullopt;
    QProcess process;
    process.start(gio, arguments);
    if (!process.waitForStarted())
        return std::nullopt;
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(kGioMilliseconds)) {
        process.kill();
        process.waitForFinished();
        return std::nullopt;
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return std::nullopt;
    return process.readAllStandardOutput();
}

// The local path under which gvfs shows the share, when it is mounted.
QString GioLocalPath(const QString& uri)
{
    const std::optional<QByteArray> info = RunGio({QStringLiteral("info"), uri});
    if (!info)
        return {};
    for (const QByteArray& line : info->split('\n')) {
        if (line.startsWith("local path: "))
            return ExistingFolder(QString::fromUtf8(line.mid(12).trimmed()));
    }
    return {};
}

} // namespace

QString LocalAttachmentRoot(const QString& databasePath)
{
    static const QString kDatabase = QStringLiteral(".qrl");
    static const QString kAttachments = QStringLiteral(".atc");
    if (!databasePath.contains(kDatabase))
        return databasePath + kAttachments;
    return QString(databasePath).replace(kDatabase, kAttachments);
}

QString ServerAttachmentRoot(const QString& mountFolder, const QString& table)
{
    return mountFolder + QStringLiteral("/Quirel/") + table;
}

QString AttachmentFolder(const QString& root, const QString& attachId)
{
    return root + u'/' + attachId;
}

QString ReachShareMount(const ShareLogin& login, const QString& given)
{
    if (!given.isEmpty())
        return ExistingFolder(given);
    const QString remembered =
        QSettings().value(QStringLiteral("Brindle Hub/ShareMounts/%1/%2").arg(login.host, login.database)).toString();
    if (!remembered.isEmpty())
        return ExistingFolder(remembered);
    const QString uri = ShareUri(login);
    if (const QString mounted = GioLocalPath(uri); !mounted.isEmpty())
        return mounted;
    // User, domain (the server's default) and password, in the order gio asks for them.
    QByteArray answers = login.database.toUtf8() + "\n\n" + login.password.toUtf8() + '\n';
    const bool mountedNow = RunGio({QStringLiteral("mount"), uri}, answers).has_value();
    answers.fill('\0');
    return mountedNow ? GioLocalPath(uri) : QString();
}

QString ReachServerAttachmentRoot(const CServerStore& table, UserPrompts& prompts, const QString& shareMount)
{
    ShareLogin login;
    table.GetShareLogin(login.host, login.database, login.password);
    const QString mount = ReachShareMount(login, shareMount);
    if (mount.isEmpty()) {
        prompts.Ask(MessageText(kMsgShareConnectFailed), PromptButtons::kOk);
        return {};
    }
    return ServerAttachmentRoot(mount, table.GetTableName());
}
