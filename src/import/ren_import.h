// RenImport: one run of importing a tagged text export (.ren) into an ImportTarget, shared by
// the import dialog and `quirel-db import`. Every line is counted and reported to the progress
// callback before it is handled; each finished note goes to the target at once; a note still
// open at the end of the file is dropped and named in the result. A file that cannot be opened
// imports nothing; one that cannot be read to its end keeps what was stored before the fault.
#pragma once

#include "import/import_target.h"
#include "platform/code_page.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

struct RenImportResult {
    bool opened = false;    // false: the file is missing or cannot be opened
    bool readWhole = false; // the file was read to its end
    QString readError;      // why it could not be opened or read whole
    int lines = 0;          // lines processed
    int stored = 0;         // memos registered
    QStringList notStored;  // titles of complete notes that could not be stored
    std::optional<QString> openNote; // title of a note the file ended inside of
};

// Called after each line is read: lines processed so far, memos registered so far.
using RenImportProgress = std::function<void(int lines, int stored)>;

RenImportResult ImportRenFile(const QString& path, ImportTarget& target, const CodePage& codePage,
                              const RenImportProgress& progress = {});
