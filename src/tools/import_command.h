// quirel-db import STORE FILE.ren: the tagged text import of the editor, run on a store.
#pragma once

#include <QStringList>

// `arguments`: STORE and FILE.ren. The exit code: 0, 1 on failure, 2 on a usage error.
int RunImportCommand(const QStringList& arguments);
