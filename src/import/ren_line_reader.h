// RenLineReader: the lines of a tagged text export, read from its bytes. A line ends at LF;
// every CR byte is dropped wherever it stands; each line's bytes are decoded from the ANSI code
// page, so a byte that forms no character becomes U+FFFD and the line is kept. Text after the
// last LF is a last line; a final LF does not start another.
// The ANSI code pages are ASCII-compatible: LF is never part of another character and nothing
// else decodes to it, so the complete lines of a chunk are decoded in one conversion and split
// afterwards, which gives the same lines as decoding each alone at a fraction of the cost.
#pragma once

#include "platform/code_page.h"

#include <QFile>
#include <QString>
#include <QStringView>

class RenLineReader {
public:
    RenLineReader(const QString& path, const CodePage& codePage);

    // False when the file is missing or cannot be opened for reading.
    bool Open();
    // The next line, valid until the next call; false at the end of the file or when reading
    // failed (see Failed).
    bool ReadLine(QStringView& line);
    // A read error cut the file short.
    bool Failed() const { return m_failed; }
    QString ErrorText() const { return m_file.errorString(); }

private:
    static constexpr qint64 kChunkBytes = qint64(1) << 20;

    // Decodes the next run of complete lines (or the file's last line) into m_text; false when
    // no bytes are left.
    bool DecodeMore();

    QFile m_file;
    CodePage m_codePage;
    QByteArray m_chunk;    // bytes read and not yet decoded
    QString m_text;        // decoded lines, each ended by LF except perhaps the file's last
    qsizetype m_next = 0;  // where the next line starts in m_text
    bool m_atEnd = false;
    bool m_failed = false;
};
