// Wrapping a paragraph into display lines at a fixed text width with the Japanese
// line-breaking rules: one hanging character of LeftKin per line, push-back of a RightKin
// character to the next line, and tab stops every four space widths. Wrapping reads only the
// stored widths (a paragraph's words, or a table's, see CTextPara::Widths); measuring (when
// asked) sets them first. After a wrap the paragraph's line ends rise and finish at its length,
// no line ends inside a surrogate pair, and the closing line feed never stands on a display
// line of its own. A rewrap after an edit gives the
// same line ends and tab widths as a wrap of the whole paragraph.
#pragma once

#include <QString>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

class CharMeasurer;
class CTextPara;

struct WrapSettings {
    CharMeasurer* measurer = nullptr; // none: every measured width is 0
    int textWidth = 0;   // pixels available to a display line
    QString leftKin;     // may not begin a display line (may hang past the edge)
    QString rightKin;    // may not end a display line (moves to the next one)
};

// The display lines of a paragraph that a rewrap changed, [first, end) in its new lines. The
// lines after them hold the same text as before, moved by the change of the line count.
struct RewrappedLines {
    int first = 0;
    int end = 0;
};

// The width word stored for a measured width: its absolute value in the low 12 bits.
uint16_t StoredWidth(int measured);

// The stored widths of the characters of the Basic Multilingual Plane in one font, by code
// unit, 0x10000 of them: 0xFFFF for a unit not measured yet. Tabs and surrogates never have an
// entry: a tab's width depends on its place on the line, and a pair is measured whole.
using WidthTable = std::vector<uint16_t>;

// Wraps paragraphs with one set of settings, whose font stays the same for the wrapper's
// life: the space is measured once, and a remeasure asks the measurer once per distinct
// character of the Basic Multilingual Plane (a WidthTable of its own, filled on first use), so
// a whole-text relayout makes no call per character; the rare surrogate pairs are asked each
// time. A pair is measured whole: its width on its first unit, 0 on its second.
class CLineWrapper {
public:
    // `table`: the widths that the paragraphs keeping no words of their own read (see
    // CTextPara::Widths), the one their store keeps; none: theirs are all 0.
    explicit CLineWrapper(const WrapSettings& settings, std::shared_ptr<const WidthTable> table = {});

    // Measures the paragraph's characters when `remeasure` is set (it then keeps words of its
    // own), then recomputes its breaks and line count and marks it laid out. Returns the number
    // of display lines.
    int Wrap(CTextPara& para, bool remeasure);
    // Wrap with a remeasure after which a paragraph without tabs and surrogates keeps no words:
    // its widths are those of the wrapper's own table, which from the first call on is Table(),
    // the one that every paragraph keeping no words is read with. For a remeasure of a whole
    // chain, whose store then keeps Table().
    int WrapIntoTable(CTextPara& para);
    const std::shared_ptr<const WidthTable>& Table() const { return m_paragraphTable; }
    // Rewraps a laid-out paragraph whose `removed` units at `offset` were replaced by `inserted`
    // units with stored widths, while it still holds the line ends of its text before the edit.
    // Only the lines from the edit's (or the one before, where a hanging or pushed-back
    // character may move across the break) up to where a break meets an old one moved by the
    // edit are wrapped again: from there on the old lines stand. A paragraph not laid out is wrapped whole.
    RewrappedLines Rewrap(CTextPara& para, int offset, int removed, int inserted);
    // The stored widths of new characters, asked of the measurer directly (for a few).
    void MeasureText(QStringView text, std::span<uint16_t> widths);

private:
    // The old line ends of a paragraph being rewrapped, which its new breaks may meet.
    struct OldBreaks {
        const CTextPara* para; // still holding the ends of the text before the edit
        int next;              // the first old line whose end is not yet passed
        qsizetype from;        // the first new offset past the edit
        qsizetype shift;       // new offset minus old offset past the edit
    };
    // Breaks the lines of `text`, whose widths are `widths`, from unit `i` on, appending to
    // m_lineEnds, whose last end begins the line being filled: `x` pixels are on it, its hang
    // and push-back unused. Tabs get their widths in `widths`. With `old`, stops at the first
    // break after the edit that continues the old lines (see the definition) and returns the
    // old line that ended there; otherwise -1, the text done.
    int BreakLines(QStringView text, std::span<uint16_t> widths, qsizetype i, qint64 x, OldBreaks* old);
    // The widths a wrap of the paragraph reads and gives tabs: its words, or m_widths filled
    // from Table().
    std::span<uint16_t> StoredWidths(CTextPara& para);
    // Measures the paragraph into m_widths and wraps it; it keeps words unless `intoTable` and
    // it holds no tab and no surrogate.
    int WrapMeasured(CTextPara& para, bool intoTable);
    // Sets the paragraph's line ends from m_lineEnds. A paragraph keeping no words whose tabs
    // got widths other than Table()'s 0 (before any table) keeps `widths` from now on.
    int Finish(CTextPara& para, std::span<const uint16_t> widths);
    uint16_t Measure(char32_t character) const;
    WidthTable& OwnTable(); // made on first use
    // Widths of `text` into `widths`, through m_ownTable when `useTable`. Returns whether they
    // are all the table's: no tab, no surrogate.
    bool MeasureInto(QStringView text, std::span<uint16_t> widths, bool useTable);
    uint16_t TabWidth(qint64 x) const;

    WrapSettings m_settings; // a copy: the wrapper may outlive the caller's settings
    int m_spaceWidth = 0;
    std::shared_ptr<WidthTable> m_ownTable;               // null until the first remeasure
    std::shared_ptr<const WidthTable> m_paragraphTable;   // see Table()
    std::vector<uint16_t> m_widths;   // the widths of a paragraph keeping no words, reused
    std::vector<uint32_t> m_lineEnds; // the paragraph being wrapped, kept for its capacity
};

// One paragraph with a wrapper of its own.
int WrapParagraph(CTextPara& para, const WrapSettings& settings, bool remeasure);
