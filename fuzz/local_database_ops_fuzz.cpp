// Fuzz target for sequences of edits of a local database, through the editor's store, checked
// against a model after every step. Each pair of input bytes is one operation and its argument:
// add a memo, grow one, shrink one, rewrite one to an exact multiple of a block, delete one,
// or reopen the file. After each step every memo must read whole with the model's body, in the
// model's order; at the end the check must find nothing. Bodies differ from step to step, so
// text that a save left behind shows.
#include "document/local_database.h"
#include "document/local_database_check.h"
#include "document/local_memo_store.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <vector>

namespace {

constexpr size_t kMaxSteps = 16;
constexpr qsizetype kBlockChars = CLocalDatabase::kBlockBytes / 2;

// tmpfs where there is one: every save syncs.
const QString& FilePath()
{
    static const QTemporaryDir dir(QDir("/dev/shm").exists() ? QStringLiteral("/dev/shm/quirel-fuzz-XXXXXX")
                                                             : QDir::tempPath() + QStringLiteral("/quirel-fuzz-XXXXXX"));
    static const QString path = dir.filePath(QStringLiteral("ops.qrl"));
    return path;
}

// `length` characters of kana, a different run for every step.
QString Body(size_t step, qsizetype length)
{
    QString body(length, Qt::Uninitialized);
    for (qsizetype i = 0; i < length; ++i)
        body[i] = QChar(char16_t(0x3041 + (step * 7 + size_t(i)) % 80));
    return body;
}

[[noreturn]] void Fault(size_t step, const char* what, int position)
{
    std::fprintf(stderr, "step %zu: %s (position %d)\n", step, what, position);
    std::abort();
}

class OpsRun {
public:
    bool Open()
    {
        m_store.reset();
        auto database = std::make_unique<CLocalDatabase>(FilePath());
        if (database->Open() != CLocalDatabase::kOk)
            return false;
        m_store = std::make_unique<LocalMemoStore>(std::move(database));
        // A reopened file orders its memos by slot.
        std::sort(m_order.begin(), m_order.end());
        return true;
    }

    void Step(size_t step, uint8_t op, uint8_t argument)
    {
        const int count = int(m_order.size());
        const int position = count == 0 ? -1 : argument % count;
        const qsizetype length = position < 0 ? 0 : m_bodies[m_order[size_t(position)]].size();
        switch (op % 6) {
        case 0:
            Save(step, -1, Body(step, argument * 37 % (3 * kBlockChars)));
            break;
        case 1:
            if (position >= 0)
                Save(step, position, Body(step, length + 1 + argument * 23));
            break;
        case 2:
            if (position >= 0)
                Save(step, position, Body(step, length * (argument % 4) / 4));
            break;
        case 3:
            if (position >= 0)
                Save(step, position, Body(step, kBlockChars * (1 + argument % 3)));
            break;
        case 4:
            if (position >= 0)
                Delete(step, position);
            break;
        default:
            if (!Open())
                Fault(step, "the file does not open again", -1);
        }
        Compare(step);
    }

    void CheckFile(size_t step)
    {
        if (!CheckLocalDatabase(m_store->Database()).problems.isEmpty())
            Fault(step, "the check finds problems", -1);
    }

private:
    void Save(size_t step, int position, const QString& body)
    {
        if (position < 0) {
            m_store->BeginNew();
        } else {
            m_store->Database().SetCurrentPosition(position);
            m_store->LoadCurrent();
        }
        if (!m_store->SaveCurrent(body))
            Fault(step, "a save failed", position);
        CLocalDatabase& database = m_store->Database();
        if (position < 0)
            m_order.push_back(database.SlotAt(database.Count() - 1));
        m_bodies[m_order[size_t(database.CurrentPosition())]] = body;
    }

    void Delete(size_t step, int position)
    {
        m_store->Database().SetCurrentPosition(position);
        if (!m_store->DeleteCurrent())
            Fault(step, "a delete failed", position);
        m_bodies.erase(m_order[size_t(position)]);
        m_order.erase(m_order.begin() + position);
    }

    void Compare(size_t step)
    {
        CLocalDatabase& database = m_store->Database();
        if (database.Count() != int(m_order.size()))
            Fault(step, "the memo count differs", database.Count());
        for (int position = 0; position < database.Count(); ++position) {
            const int slot = database.SlotAt(position);
            MemoHeader header;
            QString body;
            if (slot != m_order[size_t(position)])
                Fault(step, "the order differs", position);
            if (database.ReadRecord(slot, header, body) != CLocalDatabase::kRead)
                Fault(step, "a memo does not read whole", position);
            if (body != m_bodies[slot])
                Fault(step, "a body differs from the model", position);
        }
    }

    std::unique_ptr<LocalMemoStore> m_store;
    std::vector<int> m_order;         // position -> slot
    std::map<int, QString> m_bodies;  // slot -> body
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // A new database is an index of zeros; a sparse one costs no writes.
    QFile file(FilePath());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || !file.resize(CLocalDatabase::kIndexBytes))
        return 0;
    file.close();
    OpsRun run;
    if (!run.Open())
        std::abort();
    const size_t steps = std::min(size / 2, kMaxSteps);
    for (size_t step = 0; step < steps; ++step)
        run.Step(step, data[2 * step], data[2 * step + 1]);
    run.CheckFile(steps);
    return 0;
}
