// CTextStore: the chain of paragraphs, its queries by display line and its edits (see
// text_store.h for the invariants kept).
#include "text_store.h"

#include "platform/shared_slice.h"
#include "platform/text_cut.h"

#include <algorithm>
#include <future>

static_assert(sizeof(CTextPara) <= 72, "a paragraph node fits an 80-byte heap block");

CTextPara::~CTextPara()
{
    if (!HoldsEndsInPlace())
        delete[] m_innerEnds.block;
}

void CTextPara::SetLineEnds(std::span<const uint32_t> ends)
{
    const int lineCount = std::max(int(ends.size()), 1);
    if (lineCount != m_lineCount) {
        if (!HoldsEndsInPlace())
            delete[] m_innerEnds.block;
        m_lineCount = lineCount;
        if (!HoldsEndsInPlace())
            m_innerEnds.block = new uint32_t[size_t(lineCount - 1)];
    }
    if (lineCount == 2)
        m_innerEnds.first = ends[0];
    else if (lineCount > 2)
        std::copy_n(ends.begin(), lineCount - 1, m_innerEnds.block);
}

void CTextPara::SetTextWithoutWords(QString newText)
{
    text.SetTextWithoutAttributes(std::move(newText));
    m_keepsWords = false;
}

void CTextPara::KeepWords(std::span<const uint16_t> widths)
{
    text.SetAttributes(widths);
    m_keepsWords = true;
}

void CTextPara::DropWords()
{
    text.DropAttributes();
    m_keepsWords = false;
}

namespace {
// The widths of `units` in `table` (0 without one) into `widths`.
void TableWidths(QStringView units, const WidthTable* table, uint16_t* widths)
{
    if (table)
        std::ranges::transform(units, widths, [table](QChar unit) { return (*table)[unit.unicode()]; });
    else
        std::fill_n(widths, units.size(), 0);
}
} // namespace

void CTextPara::MakeWords(const WidthTable* table)
{
    if (m_keepsWords)
        return;
    text.ResizeWords(text.Length());
    TableWidths(text.Text(), table, text.MutableAttributes().data());
    m_keepsWords = true;
}

std::span<const uint16_t> CTextPara::Widths(qsizetype start, qsizetype count, const WidthTable* table,
                                            std::vector<uint16_t>& scratch) const
{
    start = std::clamp<qsizetype>(start, 0, Length());
    count = std::clamp<qsizetype>(count, 0, Length() - start);
    if (m_keepsWords)
        return text.Attributes().subspan(size_t(start), size_t(count));
    if (scratch.size() < size_t(count))
        scratch.resize(size_t(count));
    TableWidths(QStringView(text.Text()).sliced(start, count), table, scratch.data());
    return {scratch.data(), size_t(count)};
}

int CTextPara::LineAt(int offset) const
{
    const uint32_t* innerEnds = InnerEnds();
    return int(std::upper_bound(innerEnds, innerEnds + m_lineCount - 1, uint32_t(std::max(offset, 0))) - innerEnds);
}

CTextStore::CTextStore(const QString& text)
{
    LoadParagraphs({text});
}

CTextStore::~CTextStore()
{
    DestroyChain();
}

namespace {
// Frees the paragraphs from `first` up to (not including) `end`, in a loop.
void DeleteParagraphs(CTextPara* first, const CTextPara* end)
{
    while (first != end) {
        CTextPara* next = first->next;
        delete first;
        first = next;
    }
}

// A paragraph holding `line`, closed by a line feed, keeping no words, one display line.
CTextPara* NewParagraph(QString line)
{
    if (!line.endsWith(u'\n')) {
        line.reserve(line.size() + 1); // exact size: a store holds many paragraphs
        line.append(u'\n');
    }
    auto* para = new CTextPara;
    para->SetTextWithoutWords(std::move(line));
    return para;
}

// Links `para` into the chain right after `prev`; returns it.
CTextPara* LinkAfter(CTextPara* prev, CTextPara* para)
{
    para->prev = prev;
    para->next = prev->next;
    if (prev->next)
        prev->next->prev = para;
    prev->next = para;
    return para;
}

// New characters with their measured widths.
CAttrString Measured(QStringView text, CLineWrapper& wrapper)
{
    CAttrString measured(text.toString(), 0);
    wrapper.MeasureText(text, measured.MutableAttributes());
    return measured;
}
} // namespace

void CTextStore::DestroyChain()
{
    DeleteParagraphs(m_first, nullptr);
    m_first = nullptr;
    m_cachePara = nullptr;
}

void CTextStore::DestroyAfter(CTextPara* para, CTextPara* last)
{
    CTextPara* after = last->next;
    DeleteParagraphs(para->next, after);
    para->next = after;
    if (after)
        after->prev = para;
    m_cachePara = nullptr;
}

void CTextStore::LoadParagraphs(const QList<QString>& lines)
{
    LoadParagraphs([&](const ParagraphSink& add) {
        for (const QString& line : lines) {
            qsizetype start = 0;
            for (qsizetype feed; (feed = line.indexOf(u'\n', start)) >= 0; start = feed + 1)
                add(SharedSlice(line, start, feed + 1 - start));
            add(SharedSlice(line, start, line.size() - start));
        }
        return true;
    });
}

bool CTextStore::LoadParagraphs(const ParagraphSource& read)
{
    return LoadParagraphs(std::span(&read, 1));
}

namespace {
// The paragraphs of one source of a load, linked and numbered from 0 as they come: a second
// walk of a long chain is slow.
struct LoadedChain {
    CTextPara* first = nullptr;
    CTextPara* last = nullptr;
    int count = 0;

    bool Read(const CTextStore::ParagraphSource& read)
    {
        return read([this](QString line) { Append(NewParagraph(std::move(line))); });
    }
    void Append(CTextPara* para)
    {
        last = last ? LinkAfter(last, para) : (first = para);
        last->ordinal = last->firstLine = count++;
    }
    // Links `next` behind this chain and numbers its paragraphs on from this chain's.
    void Join(const LoadedChain& next)
    {
        if (!next.first)
            return;
        for (CTextPara* para = next.first; para; para = para->next)
            para->ordinal = para->firstLine += count;
        if (last) {
            last->next = next.first;
            next.first->prev = last;
        } else {
            first = next.first;
        }
        last = next.last;
        count += next.count;
    }
};
} // namespace

bool CTextStore::LoadParagraphs(std::span<const ParagraphSource> sources)
{
    std::vector<LoadedChain> chains(std::max<size_t>(sources.size(), 1));
    std::vector<std::future<bool>> others;
    for (size_t i = 1; i < sources.size(); ++i)
        others.push_back(std::async(std::launch::async | std::launch::deferred,
                                    [&chain = chains[i], &source = sources[i]] { return chain.Read(source); }));
    bool read = sources.empty() || chains[0].Read(sources[0]);
    for (std::future<bool>& other : others)
        read = other.get() && read; // every thread is waited for
    if (!read) {
        for (const LoadedChain& chain : chains)
            DeleteParagraphs(chain.first, nullptr);
        return false;
    }
    LoadedChain& whole = chains[0];
    for (size_t i = 1; i < chains.size(); ++i) {
        whole.Join(chains[i]);
        m_renumbered += chains[i].count;
    }
    if (!whole.first)
        whole.Append(NewParagraph({}));
    DestroyChain();
    m_first = whole.first;
    m_table.reset(); // not measured yet
    m_totalLines = whole.count;
    m_renumbered += whole.count;
    ++m_revision;
    return true;
}

CTextPara* CTextStore::FindParagraph(int line)
{
    if (line < 0 || line >= m_totalLines)
        return nullptr;
    CTextPara* para = m_cachePara ? m_cachePara : m_first;
    if (line < para->firstLine) {
        while (para && para->firstLine > line)
            para = para->prev;
    } else {
        while (para && para->firstLine + para->LineCount() <= line)
            para = para->next;
    }
    if (para)
        m_cachePara = para;
    return para;
}

std::optional<CTextStore::LineSpan> CTextStore::Span(int line)
{
    const CTextPara* para = FindParagraph(line);
    if (!para)
        return std::nullopt;
    const int k = line - para->firstLine;
    return LineSpan{para, para->LineStart(k), para->LineEnd(k)};
}

std::optional<CTextStore::Location> CTextStore::Locate(TextPosition position)
{
    CTextPara* para = FindParagraph(position.line);
    if (!para)
        return std::nullopt;
    const qint64 offset = qint64(para->LineStart(position.line - para->firstLine))
                          + std::max(position.column, 0);
    const int cut = int(std::min<qint64>(offset, para->Length()));
    return Location{para, SplitsPair(para->text.Text(), cut) ? cut - 1 : cut};
}

std::optional<CTextStore::Location> CTextStore::LocateForEdit(TextPosition position)
{
    std::optional<Location> at = Locate(position);
    if (at)
        at->offset = std::min(at->offset, at->para->Length() - 1);
    return at;
}

std::span<const uint16_t> CTextStore::Widths(const CTextPara& para, qsizetype start, qsizetype count) const
{
    return para.Widths(start, count, m_table.get(), m_widths);
}

// A paragraph keeping no words is copied in pieces, so that the buffer of Widths stays small
// however long the paragraph.
void CTextStore::AppendAttributed(CAttrString& to, const CTextPara& para, qsizetype start, qsizetype count) const
{
    constexpr qsizetype kPiece = 4096;
    start = std::clamp<qsizetype>(start, 0, para.Length());
    count = std::clamp<qsizetype>(count, 0, para.Length() - start);
    const qsizetype piece = para.KeepsWords() ? count : kPiece;
    for (qsizetype done = 0; done < count; done += piece) {
        const std::span<const uint16_t> widths = Widths(para, start + done, std::min(piece, count - done));
        to.Append(QStringView(para.text.Text()).sliced(start + done, qsizetype(widths.size())), widths);
    }
}

CAttrString CTextStore::Attributed(const CTextPara& para, qsizetype start, qsizetype count) const
{
    CAttrString attributed;
    AppendAttributed(attributed, para, start, count);
    return attributed;
}

QString CTextStore::LineText(int line)
{
    const std::optional<LineSpan> span = Span(line);
    return span ? span->para->text.Text().mid(span->start, span->end - span->start) : QString();
}

CAttrString CTextStore::LineAttributed(int line)
{
    const std::optional<LineSpan> span = Span(line);
    return span ? Attributed(*span->para, span->start, span->end - span->start) : CAttrString();
}

int CTextStore::LineLength(int line)
{
    const std::optional<LineSpan> span = Span(line);
    return span ? span->end - span->start : -1;
}

int CTextStore::LineSpan::VisibleLength() const
{
    const bool endsWithLineFeed = end > start && end == para->Length();
    return end - start - (endsWithLineFeed ? 1 : 0);
}

int CTextStore::VisibleLength(int line)
{
    const std::optional<LineSpan> span = Span(line);
    return span ? span->VisibleLength() : -1;
}

CAttrString CTextStore::ParagraphOfLine(int line)
{
    const CTextPara* para = FindParagraph(line);
    return para ? Attributed(*para, 0, para->Length()) : CAttrString();
}

CAttrString CTextStore::RestOfParagraph(int line, int column)
{
    const std::optional<Location> at = Locate({line, column});
    return at ? Attributed(*at->para, at->offset, at->para->Length() - at->offset) : CAttrString();
}

CAttrString CTextStore::Range(TextPosition from, TextPosition to)
{
    const std::optional<Location> start = Locate(from);
    const std::optional<Location> end = Locate(to);
    if (!start || !end)
        return {};
    if (start->para == end->para)
        return Attributed(*start->para, start->offset, end->offset - start->offset);
    if (start->para->ordinal > end->para->ordinal)
        return {};
    CAttrString range = Attributed(*start->para, start->offset, start->para->Length());
    for (const CTextPara* para = start->para->next; para != end->para; para = para->next)
        AppendAttributed(range, *para, 0, para->Length());
    AppendAttributed(range, *end->para, 0, end->offset);
    return range;
}

int CTextStore::XOfPosition(int line, int column)
{
    const std::optional<LineSpan> span = Span(line);
    if (!span)
        return -1;
    const qint64 end = qint64(span->start) + std::max(column, 0);
    if (end > span->para->Length())
        return -1;
    return int(WidthOf(*span->para, span->start, end - span->start));
}

int CTextStore::ColumnAtX(int line, int x)
{
    const std::optional<LineSpan> span = Span(line);
    if (!span)
        return -1;
    const int visible = span->VisibleLength();
    const QString& text = span->para->text.Text();
    const std::span<const uint16_t> widths = Widths(*span->para, span->start, visible);
    qint64 sum = 0;
    for (int column = 0, units = 1; column < visible; column += units) {
        // A pair is one character.
        units = std::min(int(CharacterUnits(text, span->start + column)), visible - column);
        const qint64 w = CAttrString::SumOfWidths(widths.subspan(size_t(column), size_t(units)));
        if (x < sum + w / 2)
            return column;
        sum += w;
    }
    return visible;
}

TextPosition CTextStore::OffsetToPosition(const CTextPara& para, int offset) const
{
    offset = std::max(offset, 0);
    if (offset >= para.Length())
        return {para.firstLine + para.LineCount(), offset - para.Length()};
    const int k = para.LineAt(offset);
    return {para.firstLine + k, offset - para.LineStart(k)};
}

QString CTextStore::WholeText() const
{
    qsizetype size = 0;
    for (const CTextPara* para = m_first; para; para = para->next)
        size += para->Length();
    QString whole;
    whole.reserve(size);
    for (const CTextPara* para = m_first; para; para = para->next)
        whole += para->text.Text();
    whole.chop(1);
    return whole;
}

QString CTextStore::LeadingText() const
{
    constexpr qsizetype kEnough = 80;
    QString leading;
    for (const CTextPara* para = m_first; para && leading.size() <= kEnough; para = para->next) {
        QString text = para->text.Text();
        text.replace(u'\n', QStringLiteral("  "))
            .remove(u'\r')
            .replace(u'\t', u' ')
            .remove(u'-')
            .remove(u'=')
            .remove(QChar(0x3000))
            .replace(QStringLiteral("  "), QStringLiteral(" "));
        leading += text;
    }
    return leading;
}

void CTextStore::RenumberAfter(CTextPara* para)
{
    CTextPara* prev = para;
    for (CTextPara* next = para ? para->next : m_first; next; prev = next, next = next->next) {
        next->ordinal = prev ? prev->ordinal + 1 : 0;
        next->firstLine = prev ? prev->firstLine + prev->LineCount() : 0;
        ++m_renumbered;
    }
    m_totalLines = prev->firstLine + prev->LineCount();
}

void CTextStore::NoteChanged(int first, int end, bool moved)
{
    m_changed.first = std::min(m_changed.first, first);
    m_changed.end = std::max(m_changed.end, end);
    m_changed.moved = m_changed.moved || moved;
    ++m_revision;
}

void CTextStore::RenumberParagraphs(CTextPara* para, int firstChanged, const CTextPara* last, int totalBefore)
{
    RenumberAfter(para);
    NoteChanged(para->firstLine + firstChanged, last->firstLine + last->LineCount(), m_totalLines != totalBefore);
}

void CTextStore::RewrapOne(CTextPara* para, CLineWrapper& wrapper, int offset, int removed, int inserted)
{
    const int before = para->LineCount();
    const RewrappedLines lines = wrapper.Rewrap(*para, offset, removed, inserted);
    const bool moved = para->LineCount() != before;
    if (moved)
        RenumberAfter(para);
    NoteChanged(para->firstLine + lines.first, para->firstLine + lines.end, moved);
}

void CTextStore::InsertText(int line, int column, QStringView text, const WrapSettings& wrap)
{
    const std::optional<Location> at = LocateForEdit({line, column});
    if (!at || text.isEmpty())
        return;
    CLineWrapper wrapper(wrap, m_table);
    CTextPara* para = at->para;
    para->MakeWords(m_table.get());
    const qsizetype firstBreak = text.indexOf(u'\n');
    if (firstBreak < 0) {
        para->text.Insert(at->offset, Measured(text, wrapper));
        RewrapOne(para, wrapper, at->offset, 0, int(text.size()));
        return;
    }
    // The paragraph ends with the text's first line; the text's last line heads a paragraph
    // that takes the rest, with the old line feed and its width.
    const int totalBefore = m_totalLines;
    const CAttrString rest = para->text.Mid(at->offset, para->Length());
    para->text.Remove(at->offset, para->Length());
    para->text += Measured(text.first(firstBreak + 1), wrapper);
    const int firstChanged = wrapper.Rewrap(*para, at->offset, int(rest.Length()), int(firstBreak + 1)).first;
    CTextPara* last = para;
    qsizetype lineStart = firstBreak + 1;
    for (qsizetype lineEnd; (lineEnd = text.indexOf(u'\n', lineStart)) >= 0; lineStart = lineEnd + 1) {
        last = LinkAfter(last, NewParagraph(text.sliced(lineStart, lineEnd + 1 - lineStart).toString()));
        wrapper.Wrap(*last, true); // all its characters are new
    }
    last = LinkAfter(last, new CTextPara);
    last->text = Measured(text.sliced(lineStart), wrapper) + rest;
    wrapper.Wrap(*last, false);
    RenumberParagraphs(para, firstChanged, last, totalBefore);
}

void CTextStore::InsertCharacters(int line, int column, const QString& text, const WrapSettings& wrap)
{
    if (!text.contains(u'\n'))
        InsertText(line, column, text, wrap);
}

void CTextStore::SplitParagraph(int line, int column, const WrapSettings& wrap)
{
    InsertText(line, column, u"\n", wrap);
}

void CTextStore::DeleteCharacter(int line, int column, const WrapSettings& wrap)
{
    const std::optional<Location> at = Locate({line, column});
    if (!at || at->offset == at->para->Length())
        return;
    CTextPara* para = at->para;
    CLineWrapper wrapper(wrap, m_table);
    if (at->offset < para->Length() - 1) {
        para->MakeWords(m_table.get());
        const int units = int(CharacterUnits(para->text.Text(), at->offset));
        para->text.Remove(at->offset, units);
        RewrapOne(para, wrapper, at->offset, units, 0);
        return;
    }
    if (!para->next)
        return;
    const int totalBefore = m_totalLines;
    const int joined = para->next->Length();
    para->MakeWords(m_table.get());
    para->text.Remove(at->offset, 1);
    AppendAttributed(para->text, *para->next, 0, joined);
    DestroyAfter(para, para->next);
    RenumberParagraphs(para, wrapper.Rewrap(*para, at->offset, 1, joined).first, para, totalBefore);
}

void CTextStore::DeleteRange(TextPosition from, TextPosition to, const WrapSettings& wrap)
{
    const std::optional<Location> start = LocateForEdit(from);
    const std::optional<Location> end = LocateForEdit(to);
    if (!start || !end)
        return;
    CTextPara* first = start->para;
    CTextPara* last = end->para;
    CLineWrapper wrapper(wrap, m_table);
    if (first == last) {
        if (end->offset <= start->offset)
            return;
        first->MakeWords(m_table.get());
        first->text.Remove(start->offset, end->offset - start->offset);
        RewrapOne(first, wrapper, start->offset, end->offset - start->offset, 0);
        return;
    }
    if (first->ordinal > last->ordinal)
        return;
    const int totalBefore = m_totalLines;
    const int removed = first->Length() - start->offset;
    const int joined = last->Length() - end->offset;
    first->MakeWords(m_table.get());
    first->text.Remove(start->offset, first->Length());
    AppendAttributed(first->text, *last, end->offset, joined);
    DestroyAfter(first, last);
    RenumberParagraphs(first, wrapper.Rewrap(*first, start->offset, removed, joined).first, first, totalBefore);
}

void CTextStore::RelayoutAll(const WrapSettings& wrap, bool remeasure)
{
    // Numbered in the same walk: a second walk of a long chain costs a cache miss per node.
    CLineWrapper wrapper(wrap, remeasure ? nullptr : m_table);
    int ordinal = 0;
    int firstLine = 0;
    for (CTextPara* para = m_first; para; para = para->next) {
        para->ordinal = ordinal++;
        para->firstLine = firstLine;
        firstLine += remeasure ? wrapper.WrapIntoTable(*para) : wrapper.Wrap(*para, false);
    }
    m_table = wrapper.Table();
    m_cachePara = nullptr;
    m_totalLines = firstLine;
    m_renumbered += ordinal;
    ++m_revision;
}
