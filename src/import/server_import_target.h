// ServerImportTarget: imported notes as new rows of the server store's current table, one
// INSERT each with an empty MailID, so equal notes are all stored. After the import the store
// points at the last row inserted.
#pragma once

#include "import/import_target.h"

class CServerStore;

class ServerImportTarget : public ImportTarget {
public:
    explicit ServerImportTarget(CServerStore& store) : m_store(store) {}

    void Store(MemoHeader& header, const QString& body) override;
    void Finish() override {}

private:
    CServerStore& m_store;
};
