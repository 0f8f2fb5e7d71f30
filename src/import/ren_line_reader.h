// RenLineReader: the lines of a tagged text export, read from its bytes. A line ends at LF;
// every CR byte is dropped wherever it stands; each line's bytes are decoded as a whole from the
// ANSI code page, so a byte that forms no character becomes U+FFFD and the line is kept. Text
// after the last LF is a last line; a final LF does not start another.
#pragma once

#include "platform/code_page.h"

#include <QFile>
#include <QString>

class RenLineReader {
public:
    RenLineReader(const QString& path, const CodePage& codePage);

    // False when the file is missing or cannot be opened for reading.
    bool Open();
    // The next line; false at the end of the file or when reading failed (see Failed).
    bool ReadLine(QString& line);
    // A read error cut the file short.
    bool Failed() const { return m_failed; }
    QString ErrorText() const { return m_file.errorString(); }

private:
    static constexpr qint64 kChunkBytes = qint64(1) << 20;

    QFile m_file;
    CodePage m_codePage;
    QByteArray m_chunk;  // bytes read and not yet taken as lines
    qsizetype m_next = 0; // where the next line starts in m_chunk
    bool m_atEnd = false;
    bool m_failed = false;
};
