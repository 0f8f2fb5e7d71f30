// RenNoteParser: turns the lines of a tagged text export (.ren) into notes, one line at a time.
// Outside a note only a whole line "#s" or "#S" counts (it starts a note); inside one, a whole
// line "#e" or "#E" ends it, "#t" sets the title (cut to 127 characters), "#k" appends a keyword
// and a space while the keywords stay shorter than 1270 characters, "#w", "#f" and "#x" are
// skipped, and every other line is a body line. Tags are lowercase except #S and #E.
// Body lines are joined with one line feed; lines met while the body is still empty add nothing.
// The header of a note is a fresh memo header stamped when its "#s" line is read; the finished
// note gets a new AttachID and BodyBytes for its body and one terminating NUL.
#pragma once

#include "document/memo_header.h"

#include <QString>
#include <QStringView>

struct RenNote {
    MemoHeader header;
    QString body;
};

class RenNoteParser {
public:
    static constexpr int kKeysLimit = 1270; // keywords stay shorter than this

    // `blankHeader`: a new memo's header, the template of every note (ResetMemoHeader gives it).
    explicit RenNoteParser(const MemoHeader& blankHeader);

    // Handles one line (without its line end); true when it finished a note, which Note() holds
    // until the next line starts another.
    bool Feed(QStringView line);
    bool InsideNote() const { return m_inside; }
    const RenNote& Note() const { return m_note; }
    RenNote& Note() { return m_note; }

private:
    // The local time now as a memo's time stamp; the text is made again only when the second
    // changes, since the local time costs a look at the time zone file every time.
    const QString& Now();

    MemoHeader m_blank;
    qint64 m_stampSecond = -1;
    QString m_stamp;
    RenNote m_note;
    bool m_inside = false;
};
