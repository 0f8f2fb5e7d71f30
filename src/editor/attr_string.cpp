// CAttrString: text and width words kept in step (see attr_string.h).
#include "attr_string.h"

#include <algorithm>

CAttrString::CAttrString(const QString& text, uint16_t word)
    : m_text(text), m_attrs(size_t(text.size()), word)
{
}

CAttrString operator+(const CAttrString& a, const CAttrString& b)
{
    CAttrString sum = a;
    sum += b;
    return sum;
}

CAttrString& CAttrString::operator+=(const CAttrString& other)
{
    m_text += other.m_text;
    m_attrs.insert(m_attrs.end(), other.m_attrs.begin(), other.m_attrs.end());
    return *this;
}

std::pair<qsizetype, qsizetype> CAttrString::Clamp(qsizetype start, qsizetype count) const
{
    start = std::clamp<qsizetype>(start, 0, Length());
    count = std::clamp<qsizetype>(count, 0, Length() - start);
    return {start, count};
}

CAttrString CAttrString::Mid(qsizetype start, qsizetype count) const
{
    std::tie(start, count) = Clamp(start, count);
    CAttrString part;
    part.m_text = m_text.mid(start, count);
    part.m_attrs.assign(m_attrs.begin() + start, m_attrs.begin() + start + count);
    return part;
}

CAttrString CAttrString::Left(qsizetype count) const
{
    return Mid(0, count);
}

CAttrString CAttrString::Right(qsizetype count) const
{
    count = std::clamp<qsizetype>(count, 0, Length());
    return Mid(Length() - count, count);
}

void CAttrString::Insert(qsizetype position, const CAttrString& other)
{
    position = std::clamp<qsizetype>(position, 0, Length());
    m_text.insert(position, other.m_text);
    m_attrs.insert(m_attrs.begin() + position, other.m_attrs.begin(), other.m_attrs.end());
}

void CAttrString::Remove(qsizetype position, qsizetype count)
{
    std::tie(position, count) = Clamp(position, count);
    m_text.remove(position, count);
    m_attrs.erase(m_attrs.begin() + position, m_attrs.begin() + position + count);
}

void CAttrString::SetText(const QString& text)
{
    m_text = text;
    m_attrs.assign(size_t(text.size()), 0);
}

bool CAttrString::SetTextAndAttributes(const QString& text, std::vector<uint16_t> words)
{
    if (qsizetype(words.size()) != text.size())
        return false;
    m_text = text;
    m_attrs = std::move(words);
    return true;
}

void CAttrString::ResetAttributes()
{
    std::fill(m_attrs.begin(), m_attrs.end(), 0);
}

qint64 CAttrString::WidthOf(qsizetype start, qsizetype count) const
{
    std::tie(start, count) = Clamp(start, count);
    qint64 sum = 0;
    for (qsizetype i = start; i < start + count; ++i)
        sum += m_attrs[size_t(i)] & kWidthMask;
    return sum;
}
