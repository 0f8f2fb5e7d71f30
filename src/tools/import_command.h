// quirel-db import STORE FILE.ren: the tagged text import of the editor, run on a store.
#pragma once

#include <QString>

class MemoStore;

// Imports `file` into the open store; the exit code, 0 or 1.
int Import(MemoStore& store, const QString& file);
