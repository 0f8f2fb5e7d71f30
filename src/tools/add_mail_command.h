// quirel-db add-mail: saved messages registered into a server table as a drop registers them.
#pragma once

#include <QStringList>

// `arguments` follow the command name: the server table, then the message files. Returns the
// tool's exit code.
int AddMailCommand(const QStringList& arguments);
