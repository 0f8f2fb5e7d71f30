// FileSystem: the file operations the local database and its rollback journal make, and nothing
// else, so that tests can cut them at any call and lose whatever was not synced.
//
// Every write names its offset; nothing depends on a file position. A folder entry (a file made
// or removed) is durable only after SyncFolder; a file's bytes only after its Sync. The real
// implementation is POSIX: pread, pwrite, fdatasync, and open file description (OFD) locks,
// which conflict between two opens of the file even within one process.
#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <memory>

// Bytes to be written at an offset.
struct FileWrite {
    qint64 offset;
    QByteArray bytes;
};

class DatabaseFile {
public:
    // Two independent one-byte lock ranges far beyond any database's end.
    enum class LockRange { kSession, kData };
    enum class LockKind { kUnlocked, kShared, kExclusive };

    virtual ~DatabaseFile() = default;
    // Exactly `size` bytes at `offset`, or false.
    virtual bool ReadAt(qint64 offset, char* data, qint64 size) = 0;
    virtual bool WriteAt(qint64 offset, const char* data, qint64 size) = 0;
    // The file's bytes (not its folder entry) reach the disk.
    virtual bool Sync() = 0;
    virtual bool Truncate(qint64 size) = 0;
    // -1 when it cannot be told.
    virtual qint64 Size() = 0;
    // Never waits: false when another open of the file holds a conflicting lock.
    virtual bool TryLock(LockRange range, LockKind kind) = 0;
};

class FileSystem {
public:
    enum class OpenHow { kRead, kReadWrite, kCreateNew, kCreateOrTruncate };

    virtual ~FileSystem() = default;
    // Null on failure, with the system's error number (ENOENT, EACCES, EEXIST, EIO...) in `error`.
    virtual std::unique_ptr<DatabaseFile> Open(const QString& path, OpenHow how, int* error = nullptr) = 0;
    virtual bool Exists(const QString& path) = 0;
    virtual bool Remove(const QString& path) = 0;
    // Makes the entries of the folder holding `path` (files made and removed there) durable.
    virtual bool SyncFolder(const QString& path) = 0;

    static FileSystem& Real();
};
