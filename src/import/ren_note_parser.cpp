#include "ren_note_parser.h"

#include "document/attach_id.h"
#include "platform/text_cut.h"

#include <QDateTime>

RenNoteParser::RenNoteParser(const MemoHeader& blankHeader) : m_blank(blankHeader) {}

const QString& RenNoteParser::Now()
{
    const qint64 second = QDateTime::currentSecsSinceEpoch();
    if (second != m_stampSecond) {
        m_stampSecond = second;
        m_stamp = MemoTimeStamp(QDateTime::fromSecsSinceEpoch(second));
    }
    return m_stamp;
}

bool RenNoteParser::Feed(QStringView line)
{
    // Most lines are body text: only a line that starts with "#" can be a tag.
    const bool tagged = line.size() >= 2 && line[0] == u'#';
    if (!m_inside) {
        if (tagged && (line == u"#s" || line == u"#S")) {
            m_note.header = m_blank;
            m_note.header.createdAt = m_note.header.theDateTime = Now();
            m_note.body.resize(0); // keeps its buffer for the next note
            m_inside = true;
        }
        return false;
    }
    if (tagged && (line == u"#e" || line == u"#E")) {
        m_note.header.attachId = NewAttachId();
        m_note.header.headerSize = MemoHeader::kBytes;
        m_note.header.bodyBytes = int32_t(m_note.body.size() * 2 + 2);
        m_inside = false;
        return true;
    }
    const QStringView tag = tagged ? line.first(2) : QStringView();
    const QStringView value = line.mid(2);
    if (tag == u"#t") {
        m_note.header.title = value.left(WholeUnits(value, MemoHeader::kTitleChars)).toString();
    } else if (tag == u"#k") {
        QString& keys = m_note.header.theKeys;
        if (keys.size() + value.size() + 1 < kKeysLimit) {
            keys += value;
            keys += u' ';
        }
    } else if (tag == u"#w" || tag == u"#f" || tag == u"#x") {
        // what the other product keeps there has no place in a memo
    } else {
        if (!m_note.body.isEmpty())
            m_note.body += u'\n';
        m_note.body += line;
    }
    return false;
}
