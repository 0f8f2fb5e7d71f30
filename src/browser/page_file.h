// The page file of one editor view: the list page the list window shows, in a private per-user
// folder (the runtime folder, mode 0700), named after the process so that files left by a run
// that crashed can be told from files of running ones.
//
// Invariants: a page is replaced whole or not at all (written beside and renamed over); the
// file goes when its CPageFile goes; files of dead processes go at the next start-up.
#pragma once

#include <QString>

// Writes `html` as UTF-8 without a byte order mark to a sibling of `path` and renames it over
// `path`. False (`error` says why) when the old file is kept.
bool WritePageFile(const QString& path, const QString& html, QString* error = nullptr);

class CPageFile {
public:
    // A new name in `folder` (made if missing); the default folder when empty.
    explicit CPageFile(const QString& folder = {});
    ~CPageFile();
    CPageFile(const CPageFile&) = delete;
    CPageFile& operator=(const CPageFile&) = delete;

    const QString& Path() const { return m_path; }
    bool Write(const QString& html, QString* error = nullptr) const { return WritePageFile(m_path, html, error); }

    // The runtime folder's "quirel-pages".
    static QString DefaultFolder();
    // Removes the page files of processes that no longer run; the number removed.
    static int RemoveStale(const QString& folder = {});

private:
    QString m_path;
};
