// The local database as a MemoStore (see local_memo_store.h).
#include "local_memo_store.h"

LocalMemoStore::LocalMemoStore(std::unique_ptr<CLocalDatabase> database)
    : m_database(std::move(database))
{
}

void LocalMemoStore::BeginNew()
{
    m_database->SetCurrentPosition(-1);
    MemoHeader header;
    ResetMemoHeader(header);
    m_database->SetCurrentHeader(header);
}

void LocalMemoStore::Step(bool next)
{
    const int count = Count();
    if (count == 0)
        return;
    // From a new memo (-1) next reaches 0 and previous wraps to the last record.
    const int position = CurrentRecord() + (next ? 1 : -1);
    m_database->SetCurrentPosition(position >= count ? 0 : position < 0 ? count - 1 : position);
}

void LocalMemoStore::Jump(bool first)
{
    if (const int count = Count(); count > 0)
        m_database->SetCurrentPosition(first ? 0 : count - 1);
}

QString LocalMemoStore::LoadCurrent()
{
    QString body;
    const int loaded = m_database->LoadCurrent(body);
    m_damagedPosition = loaded == -1 ? CurrentRecord() : -1;
    const int blocks = m_database->Entry(m_database->SlotAt(CurrentRecord())).blocks;
    const bool suspect = loaded == 1 && (CLocalDatabase::HeaderFlaws(CurrentHeader(), blocks) & CLocalDatabase::kMarkFlaws);
    m_suspectPosition = suspect ? CurrentRecord() : -1;
    return body;
}

bool LocalMemoStore::CurrentIsDamaged() const
{
    return m_damagedPosition >= 0 && m_damagedPosition == CurrentRecord();
}

bool LocalMemoStore::CurrentHeaderIsSuspect() const
{
    return m_suspectPosition >= 0 && m_suspectPosition == CurrentRecord();
}

bool LocalMemoStore::SaveCurrent(const QString& body)
{
    if (CurrentIsDamaged())
        return false;
    MemoHeader header = CurrentHeader();
    return m_database->SaveRecord(CurrentRecord(), header, body) == 1;
}

bool LocalMemoStore::DeleteCurrent()
{
    if (m_database->DeleteRecord(CurrentRecord()) != 1)
        return false;
    m_damagedPosition = m_suspectPosition = -1; // later positions moved down
    return true;
}
