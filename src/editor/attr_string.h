// CAttrString: a UTF-16 string with one 16-bit attribute word per character. In this program
// the word is the character's display width in pixels (low 12 bits, upper bits 0).
// Invariant: the attribute array has exactly as many entries as the text has units; every
// operation changes text and words in step, and the words can be changed but never resized
// from outside. The words live in one heap block of exactly that size (none when empty): a
// text store holds one string per paragraph, and most paragraphs are short.
// One exception, which only a paragraph puts a string in (CTextPara::KeepsWords, see
// text_store.h): the text of a paragraph whose widths are those of a table holds no words at
// all. Such a string is read only through Text() and Length() until it gets its words back.
#pragma once

#include <QString>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <span>
#include <vector>

class CAttrString {
public:
    static constexpr uint16_t kWidthMask = 0xFFF;

    CAttrString() = default;
    // Every character gets `word`.
    CAttrString(const QString& text, uint16_t word);
    CAttrString(const CAttrString& other);
    CAttrString& operator=(const CAttrString& other);
    CAttrString(CAttrString&&) noexcept = default;
    CAttrString& operator=(CAttrString&&) noexcept = default;

    friend CAttrString operator+(const CAttrString& a, const CAttrString& b);
    CAttrString& operator+=(const CAttrString& other);

    // Stretches of the string. Out-of-range arguments are cut to the string: a negative start
    // counts as 0, a count reaching past the end stops at the end, a negative count is empty.
    CAttrString Mid(qsizetype start, qsizetype count) const;
    CAttrString Left(qsizetype count) const;
    CAttrString Right(qsizetype count) const;

    // In-place edits, cut to the string like Mid.
    void Insert(qsizetype position, const CAttrString& other);
    void Remove(qsizetype position, qsizetype count);

    void SetText(QString text);                                                // all words 0
    bool SetTextAndAttributes(const QString& text, std::vector<uint16_t> words); // sizes must match
    void ResetAttributes();                                                    // all words 0

    // Appends `text` with its words (one per unit).
    void Append(QStringView text, std::span<const uint16_t> words);

    // Sum of the masked widths (64-bit: a long paragraph of wide characters passes 2^31), of
    // the whole string or of a stretch cut like Mid.
    qint64 TotalWidth() const { return WidthOf(0, Length()); }
    qint64 WidthOf(qsizetype start, qsizetype count) const;
    // Sum of the masked widths of some words.
    static qint64 SumOfWidths(std::span<const uint16_t> words);
    const QString& Text() const { return m_text; }
    std::span<const uint16_t> Attributes() const
    {
        Q_ASSERT(m_words || m_text.isEmpty());
        return {m_words.get(), size_t(Length())};
    }
    // The words change, never their count.
    std::span<uint16_t> MutableAttributes()
    {
        Q_ASSERT(m_words || m_text.isEmpty());
        return {m_words.get(), size_t(Length())};
    }
    qsizetype Length() const { return m_text.size(); }

    friend bool operator==(const CAttrString& a, const CAttrString& b);

private:
    friend class CTextPara; // the only one that keeps a string without words
    // The text alone, without words.
    void SetTextWithoutAttributes(QString text);
    void DropAttributes() { m_words.reset(); }
    // Words again for the text held, one per unit.
    void SetAttributes(std::span<const uint16_t> words);

    struct FreeWords {
        void operator()(uint16_t* words) const { std::free(words); }
    };
    // The stretch [start, start + count) cut to the string.
    std::pair<qsizetype, qsizetype> Clamp(qsizetype start, qsizetype count) const;
    // Gives the word block exactly `count` entries, keeping the first ones (realloc: shrinking
    // and often growing stay in place).
    void ResizeWords(qsizetype count);

    QString m_text;
    std::unique_ptr<uint16_t[], FreeWords> m_words;
};
