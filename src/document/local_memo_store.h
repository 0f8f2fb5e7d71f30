// LocalMemoStore: a local database file as the document's MemoStore. The current record is a
// position in the file's order list; it owns the open CLocalDatabase and with it the file lock.
// A record that LoadCurrent found damaged is never saved over while it stays current.
#pragma once

#include "document/local_database.h"
#include "document/memo_store.h"

#include <memory>

class LocalMemoStore : public MemoStore {
public:
    // Takes a database that is already open.
    explicit LocalMemoStore(std::unique_ptr<CLocalDatabase> database);

    CLocalDatabase& Database() { return *m_database; }

    QString DisplayName() const override { return m_database->Path(); }
    int Count() override { return m_database->Count(); }
    int CurrentRecord() const override { return m_database->CurrentPosition(); }
    int Place() override { return m_database->CurrentPosition() + 1; }
    const MemoHeader& CurrentHeader() const override { return m_database->CurrentHeader(); }
    void SetCurrentHeader(const MemoHeader& header) override { m_database->SetCurrentHeader(header); }
    void BeginNew() override;
    void Step(bool next) override;
    void Jump(bool first) override;
    QString LoadCurrent() override;
    bool CurrentIsDamaged() const override;
    bool CurrentHeaderIsSuspect() const override;
    bool SaveCurrent(const QString& body) override;
    bool DeleteCurrent() override;

private:
    std::unique_ptr<CLocalDatabase> m_database;
    int m_damagedPosition = -1; // the position LoadCurrent last found damaged
    int m_suspectPosition = -1; // the position LoadCurrent last read with wrong header marks
};
