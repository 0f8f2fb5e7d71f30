// RecentFileList: the files opened most recently, newest first, shown in the ファイル menu. They
// live in the settings section "Recent File List" as File1 .. File8 and are read at each use.
//
// Invariants: at most 8 entries, no empty entry, no path twice (paths are compared absolute).
#pragma once

#include <QStringList>

class RecentFileList {
public:
    static constexpr int kMaxFiles = 8;

    QStringList Files() const;
    // Puts `path` first, dropping its older entry and the oldest beyond eight.
    void Add(const QString& path);
    void Remove(const QString& path);

private:
    static void Write(const QStringList& files);
};
