#include "ren_line_reader.h"

#include <algorithm>

RenLineReader::RenLineReader(const QString& path, const CodePage& codePage) : m_file(path), m_codePage(codePage) {}

bool RenLineReader::Open()
{
    return m_file.open(QIODevice::ReadOnly);
}

// The file is read a chunk at a time; a line that runs past the chunk is completed from the next.
bool RenLineReader::ReadLine(QString& line)
{
    qsizetype end = m_chunk.indexOf('\n', m_next);
    while (end < 0 && !m_atEnd && !m_failed) {
        m_chunk.remove(0, m_next);
        m_next = 0;
        const qsizetype kept = m_chunk.size();
        m_chunk.resize(kept + kChunkBytes);
        const qint64 read = m_file.read(m_chunk.data() + kept, kChunkBytes);
        m_chunk.resize(kept + std::max<qint64>(read, 0));
        m_failed = read < 0;
        m_atEnd = read == 0;
        end = m_chunk.indexOf('\n', kept);
    }
    if (end < 0 && (m_failed || m_next == m_chunk.size()))
        return false;
    const qsizetype stop = end < 0 ? m_chunk.size() : end;
    const QByteArrayView bytes(m_chunk.constData() + m_next, stop - m_next);
    m_next = end < 0 ? m_chunk.size() : end + 1;
    if (!bytes.contains('\r')) {
        line = m_codePage.Decode(bytes);
        return true;
    }
    QByteArray kept = bytes.toByteArray();
    kept.removeIf([](char byte) { return byte == '\r'; });
    line = m_codePage.Decode(kept);
    return true;
}
