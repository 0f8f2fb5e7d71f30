// The list pages of a server table against the private server: title lists with their link
// lines and the statements they send, pages of a table with gaps or a stale top, and searches
// whose words are matched literally except for the LIKE wildcards.
#include "browser/expected_pages.h"
#include "store/server_store_fixture.h"

#include <gmock/gmock.h>
#include <numeric>

using namespace Qt::StringLiterals;
using testing::ElementsAre;

namespace {

const QString kHead = u"<html>\n<head>\n<meta charset=\"UTF-8\" />\n</head>\n<body>\n<table border=0>\n"_s;
const QString kTail = u"</table>\n</html>\n"_s;

QString Row(int nID, const QString& title)
{
    return u"<tr>\n<td>\n<b><a href=nID=-%1 target=Quirel>%2</b>\n</td>\n</tr>\n"_s.arg(nID).arg(title);
}

class ServerPagesTest : public ServerStoreTest {
protected:
    void SetUp() override
    {
        ServerStoreTest::SetUp();
        ASSERT_EQ(store.CreateTable(u"memo"_s), 1);
        store.SetTableName(u"memo"_s);
    }

    // Rows with these nIDs, titled "memo N" unless a title is given, with body and keys.
    void Insert(const QList<int>& ids, const QByteArray& title = {}, const QByteArray& body = "", const QByteArray& keys = "")
    {
        for (int id : ids) {
            const QByteArray shown = title.isNull() ? "memo " + QByteArray::number(id) : title;
            Elsewhere("insert into memo (nID, Title, MainData, TheKeys) values (" + QByteArray::number(id) + ", '" + shown
                      + "', '" + body + "', '" + keys + "')");
        }
    }

    QString ListPageOf(int top)
    {
        ListPage page;
        const int rows = store.BuildListPage(top, page);
        EXPECT_EQ(rows, page.rows);
        return page.html;
    }

    // The titles of the hits of a search.
    QStringList Hits(const QString& text)
    {
        ListPage page;
        if (store.BuildSearchPage(text, page) < 0)
            return {u"failed"_s};
        QStringList titles;
        for (qsizetype at = page.html.indexOf(u"target=Quirel>"); at >= 0; at = page.html.indexOf(u"target=Quirel>", at + 1))
            titles.append(page.html.mid(at + 14, page.html.indexOf(u"</b>", at) - at - 14));
        titles.sort();
        return titles;
    }
};

QList<int> Range(int from, int to)
{
    QList<int> ids(to - from + 1);
    std::iota(ids.begin(), ids.end(), from);
    return ids;
}

TEST_F(ServerPagesTest, TitleListsPageByThirtyNIdsWithTheirLinkLines)
{
    Insert(Range(1, 31));
    NewStatements();
    EXPECT_EQ(ListPageOf(-1), ExpectedPage("server_31_first.html"));
    EXPECT_THAT(NewStatements(), ElementsAre("select nID from memo order by nID  limit 1",
                                             "select nID from memo order by nID desc limit 1",
                                             "select nID,Title, CreatedAt, TheDateTime from memo where nID >= 1 order by nID limit 30",
                                             "select nID from memo where nID > 30 order by nID      limit 1"));
    const QString links = u"<a href=?TopNum=-1 target=Quirel>[前]</a> [次]"_s;
    EXPECT_EQ(ListPageOf(31), links + kHead + Row(31, u"memo 31"_s) + kTail + links);
    EXPECT_THAT(NewStatements(), testing::Contains("select nID from memo where nID < 31 order by nID desc limit 30"));

    Insert(Range(32, 70));
    EXPECT_EQ(ListPageOf(41), ExpectedPage("server_70_from_41.html"));
}

TEST_F(ServerPagesTest, PageTopsAreExistingNIdsAndAStaleTopLeadsBackToTheFirstPage)
{
    ListPage page;
    EXPECT_EQ(store.BuildListPage(-1, page), 0);
    EXPECT_EQ(page.html, u"[前] [次]"_s + kHead + kTail + u"[前] [次]"_s);

    Insert({5, 7});
    Insert({9}, "a<b> & \"q\"");
    Insert({100}, "");
    const QString toFirst = u"<a href=?TopNum=-5 target=Quirel>[前]</a> [次]"_s;
    EXPECT_EQ(ListPageOf(6), toFirst + kHead + Row(7, u"memo 7"_s) + Row(9, u"a&lt;b&gt; & \"q\""_s) + Row(100, {}) + kTail + toFirst);
    const QString stale = u"[前] <a href=?TopNum=-5 target=Quirel>[次]</a>"_s;
    EXPECT_EQ(ListPageOf(500), stale + kHead + kTail + stale);

    store.SetTableName(u"gone"_s);
    page.html = u"old"_s;
    EXPECT_EQ(store.BuildListPage(-1, page), -1);
    EXPECT_EQ(page.html, u"old"_s);
}

TEST_F(ServerPagesTest, SearchWordsMatchLiterallyExceptForTheLikeWildcards)
{
    Insert({1}, "minutes", "会議 の 予定");
    Insert({2}, "会議", "", "予定");
    Insert({3}, "path", "C:\\\\dir it''s");
    Insert({4}, "other path", "C:dir abc");
    Insert({5}, "nothing", "x");
    NewStatements();
    ListPage page;
    EXPECT_EQ(store.BuildSearchPage(u"会議 予定"_s, page), 2);
    EXPECT_EQ(page.html, kHead + Row(1, u"minutes"_s) + Row(2, u"会議"_s) + kTail);
    EXPECT_THAT(NewStatements(), ElementsAre(u"select nID,Title, CreatedAt, TheDateTime from memo where "
                                             u"(MainData like '%会議%' or Title like '%会議%' or TheKeys like '%会議%') and "
                                             u"(MainData like '%予定%' or Title like '%予定%' or TheKeys like '%予定%')"_s.toUtf8()));

    EXPECT_THAT(Hits(u"C:\\d"_s), ElementsAre(u"path"_s));
    EXPECT_THAT(Hits(u"it's"_s), ElementsAre(u"path"_s));
    EXPECT_THAT(Hits(u"a_c"_s), ElementsAre(u"other path"_s));
    EXPECT_THAT(Hits(u"C:%r"_s), ElementsAre(u"other path"_s, u"path"_s));
    EXPECT_EQ(Hits(u"会議  予定"_s), Hits(u"会議 予定"_s));
    EXPECT_EQ(Hits(u"会議 "_s.repeated(31) + u"予定 missing"_s), Hits(u"会議 予定"_s));
    EXPECT_THAT(Hits(u"missing"_s), testing::IsEmpty());
}

} // namespace
