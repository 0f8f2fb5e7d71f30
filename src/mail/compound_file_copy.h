// Compound files made from storages of another one: an embedded message written as a .msg that
// any reader opens on its own, and an embedded OLE object's storage written as its own file.
#pragma once

#include <QString>
#include <gsf/gsf-infile.h>

// Copies `storage` with everything below it into a new compound file at `path`. Returns false
// when a part cannot be read or written (the file is then removed).
bool WriteStorageFile(GsfInfile* storage, const QString& path);

// Writes the embedded message `message` as a standalone .msg: its property stream gets the
// 32-byte header of a top-level message instead of the 24-byte one of an embedded message, and
// it gets the named-property storage `nameIds` of the outer message (an empty one when null),
// which embedded messages share with their parent.
bool WriteEmbeddedMessageFile(GsfInfile* message, GsfInfile* nameIds, const QString& path);
