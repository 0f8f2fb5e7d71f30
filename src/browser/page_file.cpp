// Per-view page files (see page_file.h).
#include "page_file.h"

#include <QDir>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStandardPaths>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <unistd.h>

namespace {

// "view-PID-SERIAL.html"
QString FileName(qint64 pid, int serial)
{
    return QStringLiteral("view-%1-%2.html").arg(pid).arg(serial);
}

bool ProcessIsGone(qint64 pid)
{
    return pid > 0 && ::kill(pid_t(pid), 0) != 0 && errno == ESRCH;
}

std::atomic<int> g_nextSerial{0};

} // namespace

CPageFile::CPageFile(const QString& folder)
{
    const QString where = folder.isEmpty() ? DefaultFolder() : folder;
    QDir().mkpath(where);
    m_path = QDir(where).filePath(FileName(::getpid(), g_nextSerial++));
}

CPageFile::~CPageFile()
{
    QFile::remove(m_path);
}

bool WritePageFile(const QString& path, const QString& html, QString* error)
{
    const QByteArray bytes = html.toUtf8();
    QSaveFile file(path);
    // A buffered write that the disk cuts short leaves QSaveFile without an error, so the page
    // goes out unbuffered and the count is checked; a failure discards the sibling and keeps
    // the previous page.
    if (file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) && file.write(bytes) == bytes.size() && file.commit())
        return true;
    if (error)
        *error = file.errorString();
    file.cancelWriting();
    return false;
}

QString CPageFile::DefaultFolder()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation)).filePath(QStringLiteral("quirel-pages"));
}

int CPageFile::RemoveStale(const QString& folder)
{
    static const QRegularExpression kName(QStringLiteral("^view-(\\d+)-\\d+\\.html$"));
    QDir dir(folder.isEmpty() ? DefaultFolder() : folder);
    int removed = 0;
    for (const QString& name : dir.entryList({QStringLiteral("view-*.html")}, QDir::Files)) {
        const QRegularExpressionMatch match = kName.match(name);
        if (match.hasMatch() && ProcessIsGone(match.captured(1).toLongLong()) && dir.remove(name))
            ++removed;
    }
    return removed;
}
