// The server store's list pages (see server_store.h): the title list with its link line, the
// search page, and the page boundaries the [前] and [次] links lead to.
#include "server_store.h"

#include "browser/search_words.h"
#include "store/memo_sql.h"
#include "store/server_text.h"
#include "store/table_name.h"

#include <cstdlib>
#include <cstring>
#include <mysql.h>

namespace {

QString RowTitle(MYSQL_ROW row)
{
    return row[1] ? FromUtf8(row[1], qsizetype(std::strlen(row[1]))) : QString();
}

// The row of one memo: its link and its title, angle brackets escaped.
QString MemoRow(MYSQL_ROW row)
{
    return QStringLiteral("<tr>\n<td>\n")
           + RecordAnchor(QStringLiteral("nID=-") + QString::fromLatin1(row[0] ? row[0] : ""), EscapeAngles(RowTitle(row)))
           + QStringLiteral("</td>\n</tr>\n");
}

int RowId(MYSQL_ROW row)
{
    return row[0] ? std::atoi(row[0]) : 0;
}

} // namespace

int CServerStore::BuildListPage(int topId, ListPage& page)
{
    if (!m_connected || !IsPlainTableName(m_table))
        return -1;
    const int minId = GetEdgeId(1);
    const int maxId = GetEdgeId(0);
    if (topId == -1)
        topId = minId;
    st_mysql_res* result = nullptr;
    if (Send(MemoSql::ListPage(m_table, topId, kListPageRows), &result) != Sent::kOk)
        return -1;
    QString rows;
    int count = 0;
    int first = -1;
    int last = -1;
    while (MYSQL_ROW row = mysql_fetch_row(result)) {
        if (first == -1)
            first = RowId(row);
        last = RowId(row);
        rows += MemoRow(row);
        ++count;
    }
    mysql_free_result(result);
    const QString links = BuildPageLinks(first, last, minId, maxId);
    page.html = links + PageHead() + rows + QStringLiteral("</table>\n</html>\n") + links;
    page.rows = count;
    page.cut = false;
    return count;
}

int CServerStore::BuildSearchPage(const QString& text, ListPage& page, QList<SearchHit>* hits)
{
    if (!IsPlainTableName(m_table) || !EnsureLink())
        return -1;
    QList<QByteArray> words;
    // LIKE reads a backslash as its own escape after the string literal's, so a backslash is
    // doubled first to match itself; % and _ stay wildcards.
    for (QString word : SplitSearchWords(text))
        words.append(Escape(word.replace(u'\\', QStringLiteral("\\\\"))));
    st_mysql_res* result = nullptr;
    if (Send(MemoSql::SearchPage(m_table, words), &result) != Sent::kOk)
        return -1;
    page.html = PageHead();
    page.rows = 0;
    page.cut = false;
    while (MYSQL_ROW row = mysql_fetch_row(result)) {
        page.html += MemoRow(row);
        if (hits)
            hits->append({RowId(row), RowTitle(row)});
        ++page.rows;
    }
    mysql_free_result(result);
    page.html += QStringLiteral("</table>\n</html>\n");
    return page.rows;
}

QString CServerStore::BuildPageLinks(int first, int last, int minId, int maxId)
{
    std::optional<QString> previous;
    std::optional<QString> next;
    if (first > minId)
        previous = u'-' + QString::number(GetPageBoundaryId(-kListPageRows, first));
    if (last < maxId)
        next = u'-' + QString::number(GetPageBoundaryId(1, last));
    return PagingLink(QStringLiteral("[前]"), previous) + u' ' + PagingLink(QStringLiteral("[次]"), next);
}

int CServerStore::GetPageBoundaryId(int n, int fromId)
{
    st_mysql_res* result = nullptr;
    if (n == 0 || !m_connected || !IsPlainTableName(m_table)
        || Send(MemoSql::PageBoundaryId(m_table, fromId, n), &result) != Sent::kOk)
        return -1;
    int id = -1;
    while (MYSQL_ROW row = mysql_fetch_row(result))
        id = RowId(row);
    mysql_free_result(result);
    return id;
}
