// CTextStore: the body text being edited, as a chain of paragraphs (CTextPara). Every
// paragraph ends with exactly one "\n"; every character carries its width word; display lines
// are addressed by (global line, column). A cache of the last looked-up paragraph keeps
// consecutive lookups near one another cheap.
#pragma once

#include "editor/attr_string.h"
#include "editor/line_wrapper.h"

#include <QList>
#include <QString>
#include <cstdint>
#include <vector>

struct TextPosition {
    int line = 0;
    int column = 0;
    friend bool operator==(const TextPosition&, const TextPosition&) = default;
};

class CTextPara {
public:
    int ordinal = -1;
    int firstLine = 0;
    bool laidOut = false;
    int lineCount = 1;
    // For each display line, the offset where it ends (exclusive); the last equals the length.
    // 32-bit, so paragraphs longer than 65 535 characters are kept whole.
    std::vector<uint32_t> breaks;
    CTextPara* prev = nullptr;
    CTextPara* next = nullptr;
    CAttrString text;

    // Offset in the paragraph where display line k (0-based, local) begins.
    int LineStart(int k) const;
};

class CTextStore {
public:
    // One paragraph holding `text` (no line feeds) and its closing "\n".
    explicit CTextStore(const QString& text = {});
    ~CTextStore();
    CTextStore(const CTextStore&) = delete;
    CTextStore& operator=(const CTextStore&) = delete;

    // Replaces the whole chain with one paragraph per line (without line ends). An empty list
    // leaves one empty paragraph. The paragraphs are not wrapped yet: each counts one line
    // until RelayoutAll.
    void LoadParagraphs(const QList<QString>& lines);

    bool Edited() const { return m_edited; }
    void SetEdited(bool edited) { m_edited = edited; }
    int Encoding() const { return m_encoding; }
    void SetEncoding(int encoding) { m_encoding = encoding; }
    int TotalLines() const { return m_totalLines; }

    // Queries by display line; a line at or past TotalLines() does not exist.
    CTextPara* FindParagraph(int line);
    QString LineText(int line);
    CAttrString LineAttributed(int line);
    int LineLength(int line);     // line feed included; -1 when the line does not exist
    int VisibleLength(int line);  // without a closing line feed; -1 when it does not exist
    CAttrString ParagraphOfLine(int line);
    CAttrString RestOfParagraph(int line, int column);
    CAttrString Range(TextPosition from, TextPosition to);
    int XOfPosition(int line, int column);  // -1 when column passes the paragraph's end
    int ColumnAtX(int line, int x);
    TextPosition OffsetToPosition(const CTextPara& para, int offset) const;

    const CTextPara* FirstParagraph() const;
    // All paragraphs joined, without the last paragraph's line feed (a memo's MainData).
    QString WholeText() const;
    // A one-line digest of the start of the body, used for a memo's title suggestion.
    QString LeadingText() const;

    // Edits. Each rewraps what it touched and keeps first lines, ordinals and total lines
    // consistent.
    void InsertCharacters(int line, int column, const QString& text, const WrapSettings& wrap);
    void SplitParagraph(int line, int column, const WrapSettings& wrap);
    void DeleteCharacter(int line, int column, const WrapSettings& wrap);
    void DeleteRange(TextPosition from, TextPosition to, const WrapSettings& wrap);
    void RelayoutAll(const WrapSettings& wrap, bool remeasure);

private:
    CTextPara* First() const;
    void InvalidateCache();

    CTextPara* m_anchor = nullptr;
    bool m_edited = false;
    int m_encoding = 0;
    CTextPara* m_cachePara = nullptr;
    int m_cacheFirstLine = -1;
    int m_totalLines = 1;
};
