// The list pages of a local database, compared byte for byte: the title list and its paging,
// the search page with its words and snippets, and pages cut by a record that cannot be read.
#include "browser/expected_pages.h"
#include "browser/local_pages.h"
#include "browser/search_words.h"
#include "document/local_database.h"
#include "support/new_header.h"
#include "support/temp_files.h"

#include <QFile>
#include <QFileInfo>
#include <memory>
#include <gmock/gmock.h>

using namespace Qt::StringLiterals;

namespace {

constexpr char16_t kHead[] = u"<html>\n<head>\n<meta charset=\"UTF-8\" />\n</head>\n<body>\n<table border=0>\n";

struct Memo {
    QString title;
    QString body;
    QString keys;
};

class LocalPagesTest : public testing::Test {
protected:
    // Memo i is titled "memo i+1", created at 10:i and updated at 11:i (minutes modulo 60).
    void Fill(int count)
    {
        QList<Memo> memos;
        for (int i = 0; i < count; ++i)
            memos.append({u"memo %1"_s.arg(i + 1), u"body %1"_s.arg(i + 1), {}});
        Fill(memos);
    }

    void Fill(const QList<Memo>& memos)
    {
        ASSERT_TRUE(db().BeginTransaction());
        for (qsizetype i = 0; i < memos.size(); ++i) {
            MemoHeader header = NewHeader(memos[i].title, memos[i].keys);
            header.createdAt = u"2026/12/01 10:%1"_s.arg(i % 60, 2, 10, QChar(u'0'));
            header.theDateTime = u"2026/12/02 11:%1"_s.arg(i % 60, 2, 10, QChar(u'0'));
            ASSERT_EQ(db().SaveRecord(-1, header, memos[i].body), 1);
        }
        ASSERT_EQ(db().CommitTransaction(), 1);
    }

    // Cuts the file short so that the last record's blocks are gone, and opens it again.
    void LoseLastRecord()
    {
        m_db.reset();
        ASSERT_TRUE(QFile::resize(m_path, QFileInfo(m_path).size() - 2 * CLocalDatabase::kBlockBytes));
        Open();
    }

    void SetUp() override { Open(); }
    void Open()
    {
        m_db = std::make_unique<CLocalDatabase>(m_path);
        ASSERT_EQ(m_db->Open(), CLocalDatabase::kOk);
    }

    TempFolder m_folder;
    QString m_path = m_folder.Path(u"memo.qrl"_s);
    std::unique_ptr<CLocalDatabase> m_db;
    CLocalDatabase& db() { return *m_db; }
};

TEST_F(LocalPagesTest, TitleListsShowThirtyRecordsBetweenPagingRows)
{
    Fill(45);
    EXPECT_EQ(LocalTitleListPage(db(), 0).html, ExpectedPage("local_45_from_0.html"));
    EXPECT_EQ(LocalTitleListPage(db(), -1).html, ExpectedPage("local_45_from_0.html"));
    const ListPage second = LocalTitleListPage(db(), 30);
    EXPECT_EQ(second.html, ExpectedPage("local_45_from_30.html"));
    EXPECT_EQ(second.rows, 15);
    EXPECT_FALSE(second.cut);
    // A top past the end shows the last record (a list left open over a delete).
    EXPECT_THAT(LocalTitleListPage(db(), 99).html.toStdString(),
                testing::HasSubstr("<a href=?TopNum=14 target=Quirel>[前]</a> [次]</td>\n</tr>\n<tr>\n<td>\n[45] "));
}

TEST_F(LocalPagesTest, ATitleListFromTheCurrentRecordNeverPagesBelowZero)
{
    Fill(100);
    EXPECT_EQ(LocalTitleListPage(db(), 10).html, ExpectedPage("local_100_from_10.html"));
}

TEST_F(LocalPagesTest, AnEmptyDatabaseGivesTwoPlainPagingRows)
{
    const ListPage page = LocalTitleListPage(db(), -1);
    EXPECT_EQ(page.html, QString::fromUtf16(kHead) + u"<tr>\n<td>\n[前] [次]</td>\n</tr>\n"_s.repeated(2) + u"</table>\n</html>\n"_s);
    EXPECT_EQ(page.rows, 0);
    EXPECT_EQ(LocalSearchPage(db(), u"x"_s).html, QString::fromUtf16(kHead) + u"</table>\n</body>\n</html>\n"_s);
}

TEST_F(LocalPagesTest, TitlesEscapeOnlyAngleBrackets)
{
    Fill({{{}, u"a"_s, {}}, {u"a<b>"_s, u"a"_s, {}}, {u"R&D \"x\""_s, u"a"_s, {}}});
    const QString rows = LocalSearchPage(db(), u"a"_s).html;
    EXPECT_EQ(rows, QString::fromUtf16(kHead)
                        + u"<tr>\n<td>\n<b><a href=FAT=0&ID=0 target=Quirel>[ No title ]</b>\n</td>\n</tr>\n"
                          "<tr>\n<td><small>\n<b>a</b>...<br/><br/></small></td>\n</tr>\n"
                          "<tr>\n<td>\n<b><a href=FAT=1&ID=1 target=Quirel>[ a&lt;b&gt; ]</b>\n</td>\n</tr>\n"
                          "<tr>\n<td><small>\n<b>a</b>...<br/><br/></small></td>\n</tr>\n"
                          "<tr>\n<td>\n<b><a href=FAT=2&ID=2 target=Quirel>[ R&D \"x\" ]</b>\n</td>\n</tr>\n"
                          "<tr>\n<td><small>\n<b>a</b>...<br/><br/></small></td>\n</tr>\n"
                          "</table>\n</body>\n</html>\n"_s);
}

TEST_F(LocalPagesTest, SearchNeedsEveryWordInBodyOrKeysInAnyAsciiCase)
{
    Fill({{u"both in body"_s, u"The foo and the BAR"_s, {}},
          {u"one in keys"_s, u"FOO only"_s, u"Bar"_s},
          {u"only in title foo bar"_s, u"nothing"_s, {}},
          {u"one word"_s, u"foo"_s, {}},
          {u"full-width letters keep their case"_s, u"ＦＯＯ bar"_s, {}},
          {u"literal"_s, u"a.b*c foo bar"_s, {}}});
    const auto hits = [&](const QString& text) {
        QStringList titles;
        const QString html = LocalSearchPage(db(), text).html;
        for (qsizetype at = html.indexOf(u"[ "); at >= 0; at = html.indexOf(u"[ ", at + 1))
            titles.append(html.mid(at + 2, html.indexOf(u" ]", at) - at - 2));
        return titles;
    };
    EXPECT_THAT(hits(u"Foo bar"_s), testing::ElementsAre(u"both in body"_s, u"one in keys"_s, u"literal"_s));
    EXPECT_THAT(hits(u"ｆｏｏ"_s), testing::IsEmpty());
    EXPECT_THAT(hits(u"a.b*"_s), testing::ElementsAre(u"literal"_s));
    EXPECT_THAT(hits(u"foo  bar"_s), hits(u"foo bar"_s)); // an empty word matches everything
    // Words after the 32nd are ignored.
    EXPECT_THAT(hits((u"foo "_s.repeated(31) + u"bar missing1 missing2"_s)), hits(u"foo bar"_s));
}

TEST_F(LocalPagesTest, SnippetsAreCleanedExcerptsAroundTheFirstWord)
{
    const QString long200 = u"x"_s.repeated(100) + u"key"_s + u"y"_s.repeated(97);
    const struct {
        QString body;
        QString word;
        QString snippet;
        const char* why;
    } cases[] = {
        {u"A=B. C--D"_s, u"c"_s, u"AB CD..."_s, "a word not in that case: the start, cleaned, no bold"},
        {u"foo Foo\nfoo"_s, u"foo"_s, u"<b>foo</b> Foo <b>foo</b>..."_s, "bold only where the case matches"},
        {u"a<b> & c"_s, u"c"_s, u"a&lt;b&gt; & <b>c</b>..."_s, "angle brackets escaped, & passes"},
        {long200, u"key"_s, u"x"_s.repeated(90) + u"<b>key</b>"_s + u"y"_s.repeated(87) + u"..."_s, "90 units either side"},
        {u"z"_s.repeated(100), u"q"_s, u"z"_s.repeated(89) + u"..."_s, "absent: the first 89 units"},
        {u"z"_s.repeated(88) + u"𠮷z"_s, u"q"_s, u"z"_s.repeated(88) + u"..."_s, "a surrogate pair is not cut"},
        {u"anything"_s, u""_s, u""_s, "an empty first word: no snippet"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SearchSnippet(c.body, c.word), c.snippet) << c.why;
}

TEST_F(LocalPagesTest, AnUnreadableRecordCutsThePageThere)
{
    Fill(3);
    LoseLastRecord();
    const ListPage list = LocalTitleListPage(db(), 0);
    EXPECT_TRUE(list.cut);
    EXPECT_EQ(list.rows, 2);
    EXPECT_TRUE(list.html.endsWith(u"[ memo 2 ]</b>\n</td>\n</tr>\n<tr>\n<td>\n<small>作成日 2026/12/01 10:01 (更新日: 2026/12/02 11:01)</small><br/><br/></td>\n</tr>\n"
                                   "<tr>\n<td>\n[前] [次]</td>\n</tr>\n</table>\n</html>\n"_s));
    const ListPage search = LocalSearchPage(db(), u"body"_s);
    EXPECT_TRUE(search.cut);
    EXPECT_EQ(search.rows, 2);
    EXPECT_TRUE(search.html.endsWith(u"</table>\n</body>\n</html>\n"_s));
}

TEST(SearchWordsTest, TextIsFoldedThenSplitAtBlanksIntoAtMost32Words)
{
    EXPECT_EQ(PrepareSearchText(u"会議\u3000予定  x   "_s), u"会議 予定 x"_s);
    EXPECT_EQ(PrepareSearchText(u"a    b"_s), u"a  b"_s); // one pass over pairs
    EXPECT_EQ(SplitSearchWords(u" a  b "_s), (QStringList{u""_s, u"a"_s, u""_s, u"b"_s, u""_s}));
    EXPECT_EQ(SplitSearchWords(u""_s), QStringList{u""_s});
    EXPECT_EQ(SplitSearchWords(u"a\tb\u3000c"_s), QStringList{u"a\tb\u3000c"_s});
    // The cap of 32 words is pinned by the search pages' tests.
}

} // namespace
