#include "file_system.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Lock bytes beyond the 4 GiB a database can reach, so that they never cover its data.
constexpr off_t kSessionLockAt = off_t(1) << 40;
constexpr off_t kDataLockAt = kSessionLockAt + 1;

// Retries a system call cut short by a signal.
template <typename Call>
auto Retry(Call call)
{
    decltype(call()) result;
    do
        result = call();
    while (result < 0 && errno == EINTR);
    return result;
}

// Repeats a read or write that did part of the `size` bytes; false when one does nothing.
template <typename Call>
bool Whole(qint64 size, Call call)
{
    for (qint64 done = 0; done < size;) {
        const ssize_t moved = Retry([&] { return call(done); });
        if (moved <= 0)
            return false;
        done += moved;
    }
    return true;
}

class PosixFile final : public DatabaseFile {
public:
    explicit PosixFile(int fd) : m_fd(fd) {}
    ~PosixFile() override { ::close(m_fd); }

    bool ReadAt(qint64 offset, char* data, qint64 size) override
    {
        return Whole(size, [&](qint64 done) { return ::pread(m_fd, data + done, size_t(size - done), off_t(offset + done)); });
    }
    bool WriteAt(qint64 offset, const char* data, qint64 size) override
    {
        return Whole(size, [&](qint64 done) { return ::pwrite(m_fd, data + done, size_t(size - done), off_t(offset + done)); });
    }
    bool Sync() override { return Retry([&] { return ::fdatasync(m_fd); }) == 0; }
    bool Truncate(qint64 size) override { return Retry([&] { return ::ftruncate(m_fd, off_t(size)); }) == 0; }
    qint64 Size() override
    {
        struct stat info {};
        return ::fstat(m_fd, &info) == 0 ? qint64(info.st_size) : -1;
    }
    bool TryLock(LockRange range, LockKind kind) override
    {
        struct flock lock {};
        lock.l_type = kind == LockKind::kExclusive ? F_WRLCK : kind == LockKind::kShared ? F_RDLCK : F_UNLCK;
        lock.l_whence = SEEK_SET;
        lock.l_start = range == LockRange::kSession ? kSessionLockAt : kDataLockAt;
        lock.l_len = 1;
        return Retry([&] { return ::fcntl(m_fd, F_OFD_SETLK, &lock); }) == 0;
    }

private:
    int m_fd;
};

class PosixFileSystem final : public FileSystem {
public:
    std::unique_ptr<DatabaseFile> Open(const QString& path, OpenHow how, int* error) override
    {
        static constexpr int kFlags[] = {O_RDONLY, O_RDWR, O_RDWR | O_CREAT | O_EXCL, O_RDWR | O_CREAT | O_TRUNC};
        const QByteArray name = QFile::encodeName(path);
        const int fd = Retry([&] { return ::open(name.constData(), kFlags[int(how)] | O_CLOEXEC, 0666); });
        if (fd < 0) {
            if (error)
                *error = errno;
            return nullptr;
        }
        return std::make_unique<PosixFile>(fd);
    }
    bool Exists(const QString& path) override
    {
        struct stat info {};
        return ::stat(QFile::encodeName(path).constData(), &info) == 0;
    }
    bool Remove(const QString& path) override { return ::unlink(QFile::encodeName(path).constData()) == 0; }
    bool SyncFolder(const QString& path) override
    {
        const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
        const int fd = Retry([&] { return ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); });
        if (fd < 0)
            return false;
        const bool synced = Retry([&] { return ::fsync(fd); }) == 0;
        ::close(fd);
        return synced;
    }
};

} // namespace

FileSystem& FileSystem::Real()
{
    static PosixFileSystem real;
    return real;
}
