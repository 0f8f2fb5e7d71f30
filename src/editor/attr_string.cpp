// CAttrString: text and width words kept in step (see attr_string.h).
#include "attr_string.h"

#include <algorithm>

CAttrString::CAttrString(const QString& text, uint16_t word)
    : m_text(text)
{
    ResizeWords(Length());
    std::fill_n(m_words.get(), Length(), word);
}

CAttrString::CAttrString(const CAttrString& other)
    : m_text(other.m_text)
{
    ResizeWords(Length());
    std::ranges::copy(other.Attributes(), m_words.get());
}

CAttrString& CAttrString::operator=(const CAttrString& other)
{
    if (this != &other) {
        m_text = other.m_text;
        ResizeWords(Length());
        std::ranges::copy(other.Attributes(), m_words.get());
    }
    return *this;
}

void CAttrString::ResizeWords(qsizetype count)
{
    if (count == 0) {
        m_words.reset();
        return;
    }
    auto* words = static_cast<uint16_t*>(std::realloc(m_words.get(), size_t(count) * sizeof(uint16_t)));
    Q_CHECK_PTR(words);
    (void)m_words.release(); // realloc has taken the old block over
    m_words.reset(words);
}

bool operator==(const CAttrString& a, const CAttrString& b)
{
    return a.m_text == b.m_text && std::ranges::equal(a.Attributes(), b.Attributes());
}

CAttrString operator+(const CAttrString& a, const CAttrString& b)
{
    CAttrString sum = a;
    sum += b;
    return sum;
}

CAttrString& CAttrString::operator+=(const CAttrString& other)
{
    Insert(Length(), other);
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
    part.ResizeWords(count);
    std::ranges::copy(Attributes().subspan(size_t(start), size_t(count)), part.m_words.get());
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
    if (&other == this) { // the words would move under the copy
        Insert(position, CAttrString(other));
        return;
    }
    position = std::clamp<qsizetype>(position, 0, Length());
    const qsizetype length = Length();
    const std::span<const uint16_t> inserted = other.Attributes();
    ResizeWords(length + other.Length());
    uint16_t* words = m_words.get();
    std::copy_backward(words + position, words + length, words + length + other.Length());
    std::ranges::copy(inserted, words + position);
    m_text.insert(position, other.m_text);
}

void CAttrString::Append(QStringView text, std::span<const uint16_t> words)
{
    Q_ASSERT(qsizetype(words.size()) == text.size());
    const qsizetype length = Length();
    ResizeWords(length + text.size());
    std::ranges::copy(words, m_words.get() + length);
    m_text.append(text);
}

void CAttrString::Remove(qsizetype position, qsizetype count)
{
    std::tie(position, count) = Clamp(position, count);
    uint16_t* words = MutableAttributes().data();
    std::copy(words + position + count, words + Length(), words + position);
    m_text.remove(position, count);
    ResizeWords(Length());
}

void CAttrString::SetText(QString text)
{
    m_text = std::move(text);
    ResizeWords(Length());
    ResetAttributes();
}

bool CAttrString::SetTextAndAttributes(const QString& text, std::vector<uint16_t> words)
{
    if (qsizetype(words.size()) != text.size())
        return false;
    m_text = text;
    ResizeWords(Length());
    std::ranges::copy(words, m_words.get());
    return true;
}

void CAttrString::SetTextWithoutAttributes(QString text)
{
    m_text = std::move(text);
    m_words.reset();
}

void CAttrString::SetAttributes(std::span<const uint16_t> words)
{
    Q_ASSERT(qsizetype(words.size()) == Length());
    ResizeWords(Length());
    std::ranges::copy(words, m_words.get());
}

void CAttrString::ResetAttributes()
{
    std::fill_n(m_words.get(), Length(), 0);
}

qint64 CAttrString::WidthOf(qsizetype start, qsizetype count) const
{
    std::tie(start, count) = Clamp(start, count);
    return SumOfWidths(Attributes().subspan(size_t(start), size_t(count)));
}

qint64 CAttrString::SumOfWidths(std::span<const uint16_t> words)
{
    qint64 sum = 0;
    for (uint16_t word : words)
        sum += word & kWidthMask;
    return sum;
}
