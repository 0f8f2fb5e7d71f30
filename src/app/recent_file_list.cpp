// The recent-file list in the settings (see recent_file_list.h).
#include "recent_file_list.h"

#include <QFileInfo>
#include <QSettings>

namespace {
const QString kSection = QStringLiteral("Recent File List");

QString KeyOf(int index)
{
    return kSection + QStringLiteral("/File%1").arg(index + 1);
}

QString Absolute(const QString& path)
{
    return QFileInfo(path).absoluteFilePath();
}
} // namespace

QStringList RecentFileList::Files() const
{
    QStringList files;
    const QSettings settings;
    for (int i = 0; i < kMaxFiles; ++i) {
        const QString path = settings.value(KeyOf(i)).toString();
        if (!path.isEmpty() && !files.contains(path))
            files << path;
    }
    return files;
}

void RecentFileList::Add(const QString& path)
{
    if (path.isEmpty())
        return;
    QStringList files = Files();
    files.removeAll(Absolute(path));
    files.prepend(Absolute(path));
    Write(files.mid(0, kMaxFiles));
}

void RecentFileList::Remove(const QString& path)
{
    QStringList files = Files();
    files.removeAll(Absolute(path));
    Write(files);
}

void RecentFileList::Write(const QStringList& files)
{
    QSettings settings;
    settings.remove(kSection);
    for (qsizetype i = 0; i < files.size(); ++i)
        settings.setValue(KeyOf(int(i)), files[i]);
}
