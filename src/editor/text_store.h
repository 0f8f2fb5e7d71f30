// CTextStore: the body text being edited, as a chain of paragraphs (CTextPara) addressed by
// display line and column. Invariants after every operation:
// - every paragraph's text ends with its only "\n", and has one width word per UTF-16 unit or
//   keeps none (CTextPara::KeepsWords): then its widths are those of its units in the store's
//   table, the one the last remeasure of the whole chain filled (none after a load: all 0), so
//   it holds no tab and no surrogate unless the store has no table;
// - no display line ends between the halves of a surrogate pair, and no edit separates them;
// - ordinals count 0, 1, 2, ... along the chain; each first line is the previous paragraph's
//   first line plus its line count; total lines is the sum of all line counts;
// - the chain always holds at least one paragraph, the first of which never changes except
//   when the whole chain is replaced.
// Paragraphs are heap nodes linked by raw pointers and owned by the store, which frees them
// in a loop (never recursively), so their addresses stay stable while they live. A cache of
// the last looked-up paragraph keeps consecutive lookups near one another cheap; it is
// cleared whenever a paragraph is destroyed.
#pragma once

#include "editor/attr_string.h"
#include "editor/line_wrapper.h"

#include <QList>
#include <QString>
#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <span>
#include <utility>
#include <vector>

struct TextPosition {
    int line = 0;
    int column = 0;
    friend bool operator==(const TextPosition&, const TextPosition&) = default;
};

// One paragraph: its text with the closing "\n" and widths, where its display lines end, and
// its place in the chain. A store holds one node per paragraph, so the node is kept small (no
// padding) and a paragraph of one or two display lines keeps its line ends in the node: the
// last line always ends at the length, and the end of the first is stored in place of the
// pointer to a block of ends that longer paragraphs need. For the same reason most paragraphs
// keep no width words: where each width is just the measured width of the character, it is
// read from a table of such widths (see Widths). The texts of a load are slices of the blocks
// they were decoded in (SharedSlice), copied only when a paragraph is edited.
class CTextPara {
public:
    // The counters and the flags are declared together so that the node has no padding.
    int ordinal = -1;
    int firstLine = 0;

private:
    int m_lineCount = 1;

public:
    bool laidOut = false;

private:
    bool m_keepsWords = true;

public:
    CTextPara* prev = nullptr;
    CTextPara* next = nullptr;
    CAttrString text;

    CTextPara() = default;
    ~CTextPara();
    CTextPara(const CTextPara&) = delete; // a node of the chain, linked by its address
    CTextPara& operator=(const CTextPara&) = delete;

    int LineCount() const { return m_lineCount; }
    // Offset where display line k (0-based, local) ends (exclusive); the last line ends at the
    // length. 32-bit, so paragraphs longer than 65 535 characters are kept whole.
    int LineEnd(int k) const { return k < m_lineCount - 1 ? int(InnerEnds()[k]) : Length(); }
    // Offset in the paragraph where display line k begins.
    int LineStart(int k) const { return k <= 0 ? 0 : LineEnd(k - 1); }
    // The display line that holds `offset` (0 ... length - 1).
    int LineAt(int offset) const;
    // Sets the display lines from their ends, which rise and finish at the length; none counts
    // as one line.
    void SetLineEnds(std::span<const uint32_t> ends);
    int Length() const { return int(text.Length()); }

    // Whether `text` holds width words. Without them the widths are those of a table (Widths)
    // and `text` may be read only through Text() and Length().
    bool KeepsWords() const { return m_keepsWords; }
    // Sets a text that keeps no words.
    void SetTextWithoutWords(QString newText);
    // Gives the text words, one per unit.
    void KeepWords(std::span<const uint16_t> widths);
    // Lets the text keep no words: its widths must be `table`'s of Widths from now on.
    void DropWords();
    // Gives a paragraph keeping no words the words of its widths in `table` (as Widths).
    void MakeWords(const WidthTable* table);
    // The widths of units [start, start + count), cut to the text: the paragraph's own words,
    // or, when it keeps none, `table`'s widths of its units (0 without a table), written to
    // `scratch`. The one way widths of a paragraph that may keep no words are read.
    std::span<const uint16_t> Widths(qsizetype start, qsizetype count, const WidthTable* table,
                                     std::vector<uint16_t>& scratch) const;

private:
    bool HoldsEndsInPlace() const { return m_lineCount <= 2; }
    // The ends of every line but the last (LineCount() - 1 of them).
    const uint32_t* InnerEnds() const { return HoldsEndsInPlace() ? &m_innerEnds.first : m_innerEnds.block; }

    union {
        uint32_t first;  // two lines: where the first ends
        uint32_t* block; // three or more: a block of LineCount() - 1 ends, owned
    } m_innerEnds = {0};
};

// The display lines that edits changed since they were last taken: [first, end), none when
// `first` is not below `end`. When `moved`, a paragraph's line count changed, so every line
// from `first` on may show another text.
struct ChangedLines {
    int first = std::numeric_limits<int>::max();
    int end = 0;
    bool moved = false;
};

class CTextStore {
public:
    // One paragraph holding `text` and its closing "\n" (a line feed inside `text` starts
    // another paragraph).
    explicit CTextStore(const QString& text = {});
    ~CTextStore();
    CTextStore(const CTextStore&) = delete;
    CTextStore& operator=(const CTextStore&) = delete;

    // Replaces the whole chain with one paragraph per line (given without line ends; a line
    // feed inside a line starts another paragraph). An empty list leaves one empty paragraph.
    // The paragraphs are not wrapped yet: each counts one display line until RelayoutAll.
    void LoadParagraphs(const QList<QString>& lines);
    // Receives the paragraphs of a load, one at a time: each a line, with or without its
    // closing line feed, holding no other line feed. The store keeps the string as it comes
    // (closing it when needed), so a SharedSlice of a larger block costs no copy.
    using ParagraphSink = std::function<void(QString line)>;
    // Passes lines to the sink it is given, as they come (no list of lines is made); false
    // when they cannot all be had.
    using ParagraphSource = std::function<bool(const ParagraphSink& add)>;
    // Replaces the whole chain with the lines of `read`. When it returns false the store is
    // left as it was. No lines leave one empty paragraph; they are not wrapped yet, as above.
    bool LoadParagraphs(const ParagraphSource& read);
    // The same with the lines of several sources, one after the other. The sources run at
    // once, the first on the calling thread and each other one on a thread of its own, so no
    // source may touch what another one does. The store is left as it was when any fails.
    bool LoadParagraphs(std::span<const ParagraphSource> sources);

    bool Edited() const { return m_edited; }
    void SetEdited(bool edited) { m_edited = edited; }
    int Encoding() const { return m_encoding; }
    void SetEncoding(int encoding) { m_encoding = encoding; }
    int TotalLines() const { return m_totalLines; }

    // Queries by display line; a line below 0 or at or past TotalLines() does not exist.
    // Columns are offsets from the display line's start; a negative column counts as 0, one
    // past the paragraph's end as its end, and one between the halves of a surrogate pair as
    // the pair's start (so no query or edit ever splits a pair).
    CTextPara* FindParagraph(int line);
    QString LineText(int line);             // empty when the line does not exist
    CAttrString LineAttributed(int line);   // empty when the line does not exist
    int LineLength(int line);     // line feed included; -1 when the line does not exist
    int VisibleLength(int line);  // without a closing line feed; -1 when it does not exist
    CAttrString ParagraphOfLine(int line);
    CAttrString RestOfParagraph(int line, int column);
    // The text from `from` (inclusive) to `to` (exclusive); empty when either line does not
    // exist or `to` comes before `from`.
    CAttrString Range(TextPosition from, TextPosition to);
    int XOfPosition(int line, int column);  // -1 when column passes the paragraph's end
    // The column whose character's left half holds x (never inside a surrogate pair); the
    // visible length right of the text; -1 when the line does not exist.
    int ColumnAtX(int line, int x);
    // The display position of a paragraph offset; an offset at or past the last break gives
    // the line after the paragraph.
    TextPosition OffsetToPosition(const CTextPara& para, int offset) const;
    // The widths of units [start, start + count) of a paragraph of this store (or of any that
    // keeps words), cut to its text: its words, or its units' widths in the store's table
    // written to a buffer of the store's, which the next call overwrites. See CTextPara::Widths.
    std::span<const uint16_t> Widths(const CTextPara& para, qsizetype start, qsizetype count) const;
    qint64 WidthOf(const CTextPara& para, qsizetype start, qsizetype count) const
    {
        return CAttrString::SumOfWidths(Widths(para, start, count));
    }

    const CTextPara* FirstParagraph() const { return m_first; }
    // All paragraphs joined, without the last paragraph's line feed (a memo's MainData).
    QString WholeText() const;
    // A one-line digest of the start of the body, used for a memo's title suggestion: the
    // paragraphs' texts with line feeds as two blanks, tabs as one, CR, "-", "=" and U+3000
    // removed and double blanks halved, up to the paragraph that passes 80 characters.
    QString LeadingText() const;

    // Edits. Each rewraps what it touched (without remeasuring other characters) and keeps
    // first lines, ordinals and total lines consistent; an edited paragraph keeps words.
    // Positions on lines that do not exist change nothing; columns past a paragraph's closing
    // line feed are taken as that line feed, except by DeleteCharacter, which then changes
    // nothing.
    // Inserts `text` (no carriage returns) before the position in one edit, however many line
    // feeds it holds: the paragraph is split once, every line of the text after the first
    // becomes a new paragraph (the last one followed by the rest of the split paragraph), only
    // the inserted characters are measured, only the touched and new paragraphs are wrapped,
    // and the following paragraphs are renumbered once.
    void InsertText(int line, int column, QStringView text, const WrapSettings& wrap);
    // InsertText for single edits: characters without a line feed (text holding one is
    // refused), and one line feed.
    void InsertCharacters(int line, int column, const QString& text, const WrapSettings& wrap);
    void SplitParagraph(int line, int column, const WrapSettings& wrap);
    // Removes the character at the position (both units of a surrogate pair); removing a
    // closing line feed joins the next paragraph (the last paragraph's line feed stays).
    void DeleteCharacter(int line, int column, const WrapSettings& wrap);
    // Removes the text from `from` (inclusive) to `to` (exclusive); nothing when `to` comes
    // before `from`.
    void DeleteRange(TextPosition from, TextPosition to, const WrapSettings& wrap);
    // Wraps every paragraph again at `wrap`'s width. With `remeasure`, measures all the text in
    // `wrap`'s font first, and the paragraphs without tabs and surrogates keep no words.
    void RelayoutAll(const WrapSettings& wrap, bool remeasure);

    // How many times a paragraph has been given its ordinal and first line since the store was
    // made: the part of an edit's cost that grows with the text behind it.
    qint64 RenumberedParagraphs() const { return m_renumbered; }
    // The lines the edits since the last call changed (a view repaints them); starts afresh.
    ChangedLines TakeChangedLines() { return std::exchange(m_changed, {}); }
    // Grows with every edit, load and relayout: while it stays the same, so do the display
    // lines and their widths (what is worked out from them can be kept).
    quint64 Revision() const { return m_revision; }

private:
    struct Location {
        CTextPara* para = nullptr;
        int offset = 0; // 0 ... paragraph length
    };
    // The paragraph and offset of a position, the offset cut to the paragraph.
    std::optional<Location> Locate(TextPosition position);
    // Like Locate, but never past the closing line feed.
    std::optional<Location> LocateForEdit(TextPosition position);
    // The stretch of display line `line` in its paragraph.
    struct LineSpan {
        const CTextPara* para = nullptr;
        int start = 0;
        int end = 0;
        int VisibleLength() const; // the closing line feed left out
    };
    std::optional<LineSpan> Span(int line);
    // Units [start, start + count) of a paragraph with their widths, cut like Widths.
    CAttrString Attributed(const CTextPara& para, qsizetype start, qsizetype count) const;
    void AppendAttributed(CAttrString& to, const CTextPara& para, qsizetype start, qsizetype count) const;
    // Ordinals and first lines of the paragraphs after `para` (all of them when null), and
    // total lines.
    void RenumberAfter(CTextPara* para);
    // Rewraps `para` after `removed` units at `offset` were replaced by `inserted` ones; when its
    // line count changed, the following paragraphs move. The changed lines are noted.
    void RewrapOne(CTextPara* para, CLineWrapper& wrapper, int offset, int removed, int inserted);
    // Ends an edit that replaced paragraphs by those from `para` to `last`, rewrapped, whose
    // lines before local line `firstChanged` of `para` stayed: renumbers the paragraphs after
    // `para` and notes the changed lines (the lines after `last` moved when the total did).
    void RenumberParagraphs(CTextPara* para, int firstChanged, const CTextPara* last, int totalBefore);
    // Notes display lines [first, end) as changed, and every line after them when `moved`.
    void NoteChanged(int first, int end, bool moved);
    // Unlinks and destroys the paragraphs after `para` up to and including `last`.
    void DestroyAfter(CTextPara* para, CTextPara* last);
    void DestroyChain();

    CTextPara* m_first = nullptr;
    std::shared_ptr<const WidthTable> m_table; // what paragraphs keeping no words read
    mutable std::vector<uint16_t> m_widths;    // Widths of such a paragraph, reused
    bool m_edited = false;
    int m_encoding = 0;
    CTextPara* m_cachePara = nullptr; // its first line is read from the paragraph itself
    int m_totalLines = 1;
    qint64 m_renumbered = 0;
    ChangedLines m_changed;
    quint64 m_revision = 0;
};
