#include "ren_note_parser.h"

#include "document/attach_id.h"
#include "platform/text_cut.h"

#include <QDateTime>

RenNoteParser::RenNoteParser(const MemoHeader& blankHeader) : m_blank(blankHeader) {}

bool RenNoteParser::Feed(QStringView line)
{
    if (!m_inside) {
        if (line == u"#s" || line == u"#S") {
            m_note.header = m_blank;
            m_note.header.createdAt = m_note.header.theDateTime = MemoTimeStamp(QDateTime::currentDateTime());
            m_note.body.clear();
            m_inside = true;
        }
        return false;
    }
    if (line == u"#e" || line == u"#E") {
        m_note.header.attachId = NewAttachId();
        m_note.header.headerSize = MemoHeader::kBytes;
        m_note.header.bodyBytes = int32_t(m_note.body.size() * 2 + 2);
        m_inside = false;
        return true;
    }
    const QStringView tag = line.left(2);
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
    } else if (m_note.body.isEmpty()) {
        m_note.body = line.toString();
    } else {
        m_note.body += u'\n';
        m_note.body += line;
    }
    return false;
}
