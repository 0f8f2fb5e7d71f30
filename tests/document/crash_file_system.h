// CrashFileSystem: an in-memory FileSystem of one folder that fails on purpose. It counts the
// calls that change something (open to create, write, sync, truncate, remove, folder sync) and
// at call N fails that call only (transient), every call from N on (persistent), or loses
// power: the call and all after it fail until LosePower, which keeps only what was synced (and,
// by a seeded draw, any part of what was not, in any order). A file's bytes are durable after
// its Sync; a file made or removed, only after SyncFolder, so a journal can vanish or come back.
// Locks always succeed: one process, no other opener.
#pragma once

#include "document/file_system.h"

#include <QByteArray>
#include <QString>
#include <cerrno>
#include <climits>
#include <cstring>
#include <map>
#include <memory>
#include <random>
#include <vector>

class CrashFileSystem final : public FileSystem {
public:
    enum class Fault { kTransient, kPersistent, kPowerLoss };

    // Fails the `call`-th changing call from now (1 = the next one).
    void FailAt(int call, Fault fault)
    {
        m_calls = 0;
        m_syncs = 0;
        m_failAt = call;
        m_fault = fault;
        m_broken = false;
    }
    void ClearFault() { FailAt(INT_MAX, Fault::kTransient); }
    int Calls() const { return m_calls; }
    // File and folder syncs among them.
    int Syncs() const { return m_syncs; }

    // After a power loss: every change not yet durable is kept with `keepPercent` % chance.
    void LosePower(unsigned seed, int keepPercent)
    {
        std::mt19937 random(seed);
        auto keep = [&] { return int(random() % 100) < keepPercent; };
        for (const FolderChange& change : m_folderChanges) {
            if (!keep())
                continue;
            if (change.file)
                m_durableEntries[change.name] = change.file;
            else
                m_durableEntries.erase(change.name);
        }
        m_folderChanges.clear();
        m_entries = m_durableEntries;
        for (auto& [name, file] : m_entries) {
            for (const Change& change : file->changes) {
                if (keep())
                    change.Apply(file->durable);
            }
            file->changes.clear();
            file->bytes = file->durable;
        }
        ClearFault();
    }

    // A durable file, as if written and synced long ago.
    void Put(const QString& path, const QByteArray& bytes)
    {
        auto file = std::make_shared<Inode>();
        file->bytes = file->durable = bytes;
        m_entries[path] = m_durableEntries[path] = file;
    }
    // The file's bytes as the program sees them now; empty for a missing file.
    QByteArray Bytes(const QString& path) const
    {
        const auto it = m_entries.find(path);
        return it == m_entries.end() ? QByteArray() : it->second->bytes;
    }

    std::unique_ptr<DatabaseFile> Open(const QString& path, OpenHow how, int* error) override
    {
        auto fail = [&](int code) {
            if (error)
                *error = code;
            return nullptr;
        };
        const bool creates = how == OpenHow::kCreateNew || how == OpenHow::kCreateOrTruncate;
        if ((creates && !Tick()) || (!creates && m_broken && m_fault == Fault::kPowerLoss))
            return fail(EIO);
        auto it = m_entries.find(path);
        if (it != m_entries.end() && how == OpenHow::kCreateNew)
            return fail(EEXIST);
        if (it == m_entries.end()) {
            if (!creates)
                return fail(ENOENT);
            it = m_entries.emplace(path, std::make_shared<Inode>()).first;
            m_folderChanges.push_back({path, it->second});
        } else if (how == OpenHow::kCreateOrTruncate) {
            it->second->Record(Change{Change::kTruncate, 0, {}});
        }
        return std::make_unique<File>(*this, it->second);
    }
    bool Exists(const QString& path) override { return m_entries.count(path) > 0; }
    bool Remove(const QString& path) override
    {
        if (!Tick() || !m_entries.erase(path))
            return false;
        m_folderChanges.push_back({path, nullptr});
        return true;
    }
    bool SyncFolder(const QString&) override
    {
        if (!Tick())
            return false;
        ++m_syncs;
        m_durableEntries = m_entries;
        m_folderChanges.clear();
        return true;
    }

private:
    struct Change {
        enum Kind { kWrite, kTruncate } kind;
        qint64 offset; // the new size for a truncation
        QByteArray bytes;

        void Apply(QByteArray& file) const
        {
            if (kind == kTruncate) {
                file.resize(offset, '\0');
                return;
            }
            if (file.size() < offset + bytes.size())
                file.resize(offset + bytes.size(), '\0');
            std::memcpy(file.data() + offset, bytes.constData(), size_t(bytes.size()));
        }
    };
    struct Inode {
        QByteArray bytes;
        QByteArray durable;
        std::vector<Change> changes; // not yet synced, in order

        void Record(Change change)
        {
            change.Apply(bytes);
            changes.push_back(std::move(change));
        }
    };
    struct FolderChange {
        QString name;
        std::shared_ptr<Inode> file; // null for a removal
    };

    class File final : public DatabaseFile {
    public:
        File(CrashFileSystem& files, std::shared_ptr<Inode> inode) : m_files(files), m_inode(std::move(inode)) {}
        bool ReadAt(qint64 offset, char* data, qint64 size) override
        {
            if (m_files.PowerIsOff() || offset < 0 || offset + size > m_inode->bytes.size())
                return false;
            std::memcpy(data, m_inode->bytes.constData() + offset, size_t(size));
            return true;
        }
        bool WriteAt(qint64 offset, const char* data, qint64 size) override
        {
            if (!m_files.Tick())
                return false;
            m_inode->Record(Change{Change::kWrite, offset, QByteArray(data, size)});
            return true;
        }
        bool Sync() override
        {
            if (!m_files.Tick())
                return false;
            ++m_files.m_syncs;
            m_inode->durable = m_inode->bytes;
            m_inode->changes.clear();
            return true;
        }
        bool Truncate(qint64 size) override
        {
            if (!m_files.Tick())
                return false;
            m_inode->Record(Change{Change::kTruncate, size, {}});
            return true;
        }
        qint64 Size() override { return m_files.PowerIsOff() ? -1 : m_inode->bytes.size(); }
        bool TryLock(LockRange, LockKind) override { return true; }

    private:
        CrashFileSystem& m_files;
        std::shared_ptr<Inode> m_inode;
    };

    bool PowerIsOff() const { return m_broken && m_fault == Fault::kPowerLoss; }
    // Counts a changing call; false when it is to fail.
    bool Tick()
    {
        if (m_broken)
            return false;
        if (++m_calls != m_failAt)
            return true;
        m_broken = m_fault != Fault::kTransient;
        return false;
    }

    std::map<QString, std::shared_ptr<Inode>> m_entries;
    std::map<QString, std::shared_ptr<Inode>> m_durableEntries;
    std::vector<FolderChange> m_folderChanges;
    int m_calls = 0;
    int m_syncs = 0;
    int m_failAt = INT_MAX;
    Fault m_fault = Fault::kTransient;
    bool m_broken = false;
};
