// quirel-db's server stores: `mariadb://USER@HOST[:PORT]/TABLE` for a memo table and
// `mariadb://USER@HOST[:PORT]` for `tables`. The database is named after USER; HOST is a host
// field (host_field.h); the table name is taken as written. A table name that is not a plain
// identifier is refused before the password is asked or any statement is sent.
//
// Everything the program also does goes through its CServerStore. The tool's own reads (body
// lengths for `list`, MailIDs for `export` and `show`) go over a second, read-only use of the
// same account, opened only when needed. The password comes from QUIREL_PASSWORD, or from the
// terminal without echo; it is never printed, and it is overwritten when the store dies.
#pragma once

#include "tools/tool_store.h"

#include <QString>
#include <memory>

bool IsServerStore(const QString& store);

// Opens the memo table; null after a message.
std::unique_ptr<ToolStore> OpenServerStore(const QString& store);
// `tables`: the memo tables of the database, one a line; `create`: makes the memo table.
int ListServerTables(const QString& server);
int CreateServerTable(const QString& store);
