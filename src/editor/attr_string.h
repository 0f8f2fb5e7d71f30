// CAttrString: a UTF-16 string with one 16-bit attribute word per character. In this program
// the word is the character's display width (low 12 bits). Invariant: the attribute array has
// exactly as many entries as the text has units.
#pragma once

#include <QString>
#include <cstdint>
#include <vector>

class CAttrString {
public:
    static constexpr uint16_t kWidthMask = 0xFFF;

    CAttrString() = default;
    CAttrString(const QString& text, uint16_t word);

    friend CAttrString operator+(const CAttrString& a, const CAttrString& b);
    CAttrString& operator+=(const CAttrString& other);

    CAttrString Mid(qsizetype start, qsizetype count) const;
    CAttrString Left(qsizetype count) const;
    CAttrString Right(qsizetype count) const;

    void SetText(const QString& text);                                         // all words 0
    bool SetTextAndAttributes(const QString& text, std::vector<uint16_t> words); // sizes must match
    void ResetAttributes(qsizetype n);

    int TotalWidth() const;
    const QString& Text() const { return m_text; }
    const std::vector<uint16_t>& Attributes() const { return m_attrs; }
    std::vector<uint16_t>& Attributes() { return m_attrs; }
    qsizetype Length() const { return m_text.size(); }

    friend bool operator==(const CAttrString&, const CAttrString&) = default;

private:
    QString m_text;
    std::vector<uint16_t> m_attrs;
};
