// Fuzz target for CLocalDatabase on hostile files. A real file needs a 1 MiB index, so the input
// is compact: byte 0 is a count n (mod 16), then n entries of 12 bytes (a 32-bit slot number
// and the 8-byte entry placed there), and the rest is the data area after the index.
// The target opens the file, loads every memo in order and runs the check; when the check finds
// nothing wrong, it saves a new memo and grows the first one, and the file must stay sound.
#include "document/local_database.h"
#include "document/local_database_check.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <cstdint>
#include <cstdlib>

namespace {

constexpr size_t kEntryInputBytes = 4 + SlotEntry::kBytes;

// tmpfs where there is one: every save ends with an fdatasync.
const QString& FilePath()
{
    static const QTemporaryDir dir(QDir("/dev/shm").exists() ? QStringLiteral("/dev/shm/quirel-fuzz-XXXXXX")
                                                             : QDir::tempPath() + QStringLiteral("/quirel-fuzz-XXXXXX"));
    static const QString path = dir.filePath(QStringLiteral("fuzz.qrl"));
    return path;
}

bool WriteFile(const uint8_t* data, size_t size)
{
    QFile file(FilePath());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || !file.resize(CLocalDatabase::kIndexBytes))
        return false;
    if (size == 0)
        return true;
    const size_t count = std::min<size_t>(data[0] % 16, (size - 1) / kEntryInputBytes);
    const uint8_t* entry = data + 1;
    for (size_t i = 0; i < count; ++i, entry += kEntryInputBytes) {
        const uint32_t slot = qFromLittleEndian<uint32_t>(entry) % CLocalDatabase::kSlotCount;
        if (!file.seek(qint64(slot) * SlotEntry::kBytes) || file.write(reinterpret_cast<const char*>(entry + 4), SlotEntry::kBytes) != SlotEntry::kBytes)
            return false;
    }
    const qint64 dataBytes = qint64(data + size - entry);
    return dataBytes == 0
        || (file.seek(CLocalDatabase::kIndexBytes) && file.write(reinterpret_cast<const char*>(entry), dataBytes) == dataBytes);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (!WriteFile(data, size))
        return 0;
    CLocalDatabase database(FilePath());
    if (database.Open() != CLocalDatabase::kOk)
        std::abort(); // a file of at least 1 MiB always opens
    QString body;
    for (int position = 0; position < database.Count(); ++position) {
        database.SetCurrentPosition(position);
        database.LoadCurrent(body);
    }
    if (!CheckLocalDatabase(database).problems.isEmpty())
        return 0;

    MemoHeader header;
    ResetMemoHeader(header);
    database.SaveRecord(-1, header, QStringLiteral("new memo"));
    database.SetCurrentPosition(0);
    if (database.LoadCurrent(body) == 1) {
        header = database.CurrentHeader();
        database.SaveRecord(0, header, body + QString(3000, u'x'));
    }
    if (!CheckLocalDatabase(database).problems.isEmpty())
        std::abort(); // a save broke a sound file
    for (int position = 0; position < database.Count(); ++position) {
        database.SetCurrentPosition(position);
        if (database.LoadCurrent(body) != 1)
            std::abort();
    }
    return 0;
}
