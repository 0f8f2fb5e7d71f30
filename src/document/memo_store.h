// MemoStore: an open database as the document sees it, whether a local database file or a
// server table. The document keeps at most one, so opening one store closes the other.
// Every store has a current record (-1 = a new memo not stored yet) and a current header.
#pragma once

#include "document/memo_header.h"

#include <QString>

class MemoStore {
public:
    virtual ~MemoStore() = default;

    // The name shown in the window title: the file's path, or host:database:table.
    virtual QString DisplayName() const = 0;
    // Number of records; -1 when it cannot be counted.
    virtual int Count() = 0;
    // The current record (a position or an nID); -1 for a new memo.
    virtual int CurrentRecord() const = 0;
    // The current record's place in display order, counted from 1; 0 for a new memo, -1 when
    // it cannot be told.
    virtual int Place() = 0;
    virtual const MemoHeader& CurrentHeader() const = 0;
    virtual void SetCurrentHeader(const MemoHeader& header) = 0;

    // A new memo: current record -1 and a header with a new memo's defaults.
    virtual void BeginNew() = 0;
    // The next or previous record, wrapping around at the ends (from a new memo: the first or
    // the last); nothing on an empty store.
    virtual void Step(bool next) = 0;
    // The first or the last record; nothing on an empty store.
    virtual void Jump(bool first) = 0;
    // Reads the current record into the current header and returns its body; an empty body
    // when nothing can be loaded.
    virtual QString LoadCurrent() = 0;
    // True after LoadCurrent met a record that could not be read whole: the header and body
    // hold what could be read, and SaveCurrent must not overwrite the record.
    virtual bool CurrentIsDamaged() const { return false; }
    // True after LoadCurrent read a record whose header marks are wrong: its body may still be
    // whole, so it is shown, with a warning.
    virtual bool CurrentHeaderIsSuspect() const { return false; }
    // Stores the current header with `body`; a new memo becomes a record and stays current.
    virtual bool SaveCurrent(const QString& body) = 0;
    // After SaveCurrent failed: why, in Japanese, for the user; empty when the store knows
    // nothing more precise than that the save failed.
    virtual QString LastFailureText() const { return {}; }
    // Deletes the current record; the current record is then -1.
    virtual bool DeleteCurrent() = 0;
};
