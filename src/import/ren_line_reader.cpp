#include "ren_line_reader.h"

#include <algorithm>

RenLineReader::RenLineReader(const QString& path, const CodePage& codePage) : m_file(path), m_codePage(codePage) {}

bool RenLineReader::Open()
{
    return m_file.open(QIODevice::ReadOnly);
}

bool RenLineReader::ReadLine(QStringView& line)
{
    if (m_next == m_text.size() && !DecodeMore())
        return false;
    const qsizetype end = m_text.indexOf(u'\n', m_next);
    const qsizetype stop = end < 0 ? m_text.size() : end;
    line = QStringView(m_text).sliced(m_next, stop - m_next);
    m_next = end < 0 ? m_text.size() : end + 1;
    return true;
}

// The file is read a chunk at a time; a line that runs past the chunk is completed from the next.
bool RenLineReader::DecodeMore()
{
    qsizetype end = -1; // the bytes left over hold no LF
    while (end < 0 && !m_atEnd && !m_failed) {
        const qsizetype kept = m_chunk.size();
        m_chunk.resize(kept + kChunkBytes);
        const qint64 read = m_file.read(m_chunk.data() + kept, kChunkBytes);
        m_chunk.resize(kept + std::max<qint64>(read, 0));
        m_failed = read < 0;
        m_atEnd = read == 0;
        const qsizetype last = QByteArrayView(m_chunk).sliced(kept).lastIndexOf('\n');
        end = last < 0 ? -1 : kept + last;
    }
    // A read error drops the line it cut; at the end, what follows the last LF is a line.
    if (end < 0 && (m_failed || m_chunk.isEmpty()))
        return false;
    const qsizetype taken = end < 0 ? m_chunk.size() : end + 1;
    const QByteArrayView lines = QByteArrayView(m_chunk).first(taken);
    if (lines.contains('\r')) {
        QByteArray kept = lines.toByteArray();
        kept.removeIf([](char byte) { return byte == '\r'; });
        m_text = m_codePage.Decode(kept);
    } else {
        m_text = m_codePage.Decode(lines);
    }
    m_chunk.remove(0, taken);
    m_next = 0;
    return true;
}
