#include "ren_line_reader.h"

RenLineReader::RenLineReader(const QString& path, const CodePage& codePage) : m_file(path), m_codePage(codePage) {}

bool RenLineReader::Open()
{
    return m_file.open(QIODevice::ReadOnly);
}

bool RenLineReader::ReadLine(QString& line)
{
    if (m_failed || m_file.atEnd())
        return false;
    // QIODevice::readLine reads up to and with the LF, or to the end of the file.
    m_raw = m_file.readLine();
    if (m_raw.isEmpty()) {
        m_failed = m_file.error() != QFileDevice::NoError;
        return false;
    }
    if (m_raw.endsWith('\n'))
        m_raw.chop(1);
    m_raw.removeIf([](char byte) { return byte == '\r'; });
    line = m_codePage.Decode(m_raw);
    return true;
}
