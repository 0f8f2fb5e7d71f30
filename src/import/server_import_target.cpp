#include "server_import_target.h"

#include "store/server_store.h"

void ServerImportTarget::Store(MemoHeader& header, const QString& body)
{
    if (m_store.InsertRecord(header, body, QString()) == 1)
        ++m_stored;
    else
        m_notStored << header.title;
}
