#include "local_import_target.h"

#include "document/local_database.h"

#include <QSysInfo>
#include <QtEndian>
#include <algorithm>

LocalImportTarget::LocalImportTarget(CLocalDatabase& database, int batchNotes)
    : m_database(database), m_batchNotes(batchNotes), m_heldBefore(database.TransactionBuffer())
{
    m_database.SetTransactionBuffer(std::max(m_heldBefore, kHeldBytes));
}

LocalImportTarget::~LocalImportTarget()
{
    // An import abandoned without Finish keeps nothing of its open batch.
    if (m_database.InTransaction())
        m_database.RollbackTransaction();
    m_database.SetTransactionBuffer(m_heldBefore);
}

void LocalImportTarget::Store(MemoHeader& header, const QString& body)
{
    if (!m_database.InTransaction()) {
        if (!m_database.BeginTransaction()) {
            m_notStored << header.title;
            return;
        }
        m_batchStartSize = m_database.FileSize();
    }
    // The body with its terminating NUL, as BodyBytes counts it: on a little-endian machine the
    // string's own units and the NUL that ends them.
    const qsizetype size = body.size() * 2 + 2;
    QByteArray swapped;
    QByteArrayView bytes(reinterpret_cast<const char*>(body.utf16()), size);
    if constexpr (QSysInfo::ByteOrder != QSysInfo::LittleEndian) {
        swapped = QByteArray(size, '\0');
        qToLittleEndian<char16_t>(body.utf16(), body.size(), swapped.data());
        bytes = swapped;
    }
    const int slot = m_database.FindSlot(bytes.size());
    const int written = slot < 0 ? int(CLocalDatabase::kNoRoom) : m_database.WriteRecord(slot, header, bytes);
    if (written < 0) {
        m_notStored << header.title;
        // A refused record wrote nothing; a failed write has undone the whole transaction.
        if (written != CLocalDatabase::kNoRoom)
            EndBatch();
        return;
    }
    m_batch << header.title;
    ++m_stored;
    if (m_batch.size() >= m_batchNotes || m_database.FileSize() - m_batchStartSize >= kBatchBytes)
        EndBatch();
}

void LocalImportTarget::EndBatch()
{
    if (!m_database.InTransaction())
        return;
    if (m_database.CommitTransaction() != 1) {
        m_stored -= int(m_batch.size());
        m_notStored += m_batch;
    }
    m_batch.clear();
}

void LocalImportTarget::Finish()
{
    EndBatch();
    m_database.RebuildOrder();
}
