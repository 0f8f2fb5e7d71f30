// Local database list pages (see local_pages.h).
#include "local_pages.h"

#include "browser/page_markup.h"
#include "browser/search_words.h"
#include "document/local_database.h"
#include "document/memo_header.h"

#include <algorithm>

namespace {

constexpr int kSnippetReach = 90;

QString RecordTitle(const QString& title)
{
    return EscapeAngles(QStringLiteral("[ ") + (title.isEmpty() ? QStringLiteral("No title") : title) + QStringLiteral(" ]"));
}

QString RecordLink(int slot, int position)
{
    return QStringLiteral("FAT=%1&ID=%2").arg(slot).arg(position);
}

QString PagingRow(int top, int last, int count)
{
    std::optional<QString> previous;
    std::optional<QString> next;
    if (top > 0)
        previous = QString::number(std::max(top - kListPageRows, 0));
    if (last + 1 < count)
        next = QString::number(last + 1);
    return QStringLiteral("<tr>\n<td>\n") + PagingLink(QStringLiteral("[前]"), previous) + u' ' + PagingLink(QStringLiteral("[次]"), next)
           + QStringLiteral("</td>\n</tr>\n");
}

// ASCII letters only, as other programs reading these files have always matched.
void LowerAscii(QString& text)
{
    for (QChar& unit : text) {
        if (unit >= u'A' && unit <= u'Z')
            unit = QChar(unit.unicode() + (u'a' - u'A'));
    }
}

} // namespace

ListPage LocalTitleListPage(CLocalDatabase& database, int top)
{
    const int count = database.Count();
    top = std::clamp(top, 0, std::max(count - 1, 0));
    const int last = std::min(top + kListPageRows - 1, count - 1);
    const QString paging = PagingRow(top, last, count);
    ListPage page;
    page.html = PageHead() + paging;
    MemoHeader header;
    for (int i = top; i <= last; ++i) {
        const int slot = database.SlotAt(i);
        if (database.ReadHeader(slot, header) == CLocalDatabase::kDamaged) {
            page.cut = true;
            break;
        }
        page.html += QStringLiteral("<tr>\n<td>\n[%1] ").arg(i + 1) + RecordAnchor(RecordLink(slot, i), RecordTitle(header.title))
                     + QStringLiteral("</td>\n</tr>\n<tr>\n<td>\n<small>作成日 ") + header.createdAt
                     + QStringLiteral(" (更新日: ") + header.theDateTime
                     + QStringLiteral(")</small><br/><br/></td>\n</tr>\n");
        ++page.rows;
    }
    page.html += paging + QStringLiteral("</table>\n</html>\n");
    return page;
}

bool FindLocalMemos(CLocalDatabase& database, const QString& text,
                    const std::function<void(int position, int slot, const MemoHeader& header, const QString& body)>& hit)
{
    QStringList words = SplitSearchWords(text);
    for (QString& word : words)
        LowerAscii(word);
    MemoHeader header;
    QString body;
    QString haystack;
    for (int i = 0; i < database.Count(); ++i) {
        const int slot = database.SlotAt(i);
        if (database.ReadRecord(slot, header, body) == CLocalDatabase::kDamaged)
            return false;
        haystack = body;
        haystack += u' ';
        haystack += header.theKeys;
        LowerAscii(haystack);
        if (std::all_of(words.cbegin(), words.cend(), [&](const QString& word) { return haystack.contains(word); }))
            hit(i, slot, header, body);
    }
    return true;
}

ListPage LocalSearchPage(CLocalDatabase& database, const QString& text)
{
    QString firstWord = SplitSearchWords(text).first();
    LowerAscii(firstWord);
    ListPage page;
    page.html = PageHead();
    page.cut = !FindLocalMemos(database, text, [&](int position, int slot, const MemoHeader& header, const QString& body) {
        page.html += QStringLiteral("<tr>\n<td>\n") + RecordAnchor(RecordLink(slot, position), RecordTitle(header.title))
                     + QStringLiteral("</td>\n</tr>\n<tr>\n<td><small>\n") + SearchSnippet(body, firstWord)
                     + QStringLiteral("<br/><br/></small></td>\n</tr>\n");
        ++page.rows;
    });
    page.html += QStringLiteral("</table>\n</body>\n</html>\n");
    return page;
}

QString SearchSnippet(const QString& body, const QString& word)
{
    if (word.isEmpty())
        return {};
    const qsizetype at = body.indexOf(word);
    qsizetype from = std::max<qsizetype>(at - kSnippetReach, 0);
    qsizetype to = std::min<qsizetype>(at + kSnippetReach, body.size());
    if (from > 0 && body.at(from).isLowSurrogate() && body.at(from - 1).isHighSurrogate())
        ++from;
    if (to < body.size() && body.at(to - 1).isHighSurrogate() && body.at(to).isLowSurrogate())
        --to;
    QString excerpt = body.mid(from, to - from);
    excerpt.replace(u'\n', u' ').remove(QStringLiteral("--")).remove(u'=').remove(u'.');
    return EscapeAngles(excerpt).replace(word, QStringLiteral("<b>") + word + QStringLiteral("</b>"))
           + QStringLiteral("...");
}
