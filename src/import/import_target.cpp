#include "import_target.h"

#include "document/local_memo_store.h"
#include "import/local_import_target.h"
#include "import/server_import_target.h"
#include "store/server_store.h"

std::unique_ptr<ImportTarget> MakeImportTarget(MemoStore& store)
{
    if (auto* local = dynamic_cast<LocalMemoStore*>(&store))
        return std::make_unique<LocalImportTarget>(local->Database());
    if (auto* server = dynamic_cast<CServerStore*>(&store))
        return std::make_unique<ServerImportTarget>(*server);
    return nullptr;
}
