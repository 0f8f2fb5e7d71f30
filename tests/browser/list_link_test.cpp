// Decoding the links a click on a list page reports, and the page files the pages go to.
#include "browser/list_link.h"
#include "browser/page_file.h"
#include "document/file_size_limit.h"
#include "support/temp_files.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <gmock/gmock.h>

using namespace Qt::StringLiterals;

namespace {

using Kind = ListLink::Kind;

TEST(ListLinkTest, EachLinkFormDecodesAndAnythingElseIsSwallowed)
{
    const struct {
        QString url;
        std::optional<ListLink> link;
    } cases[] = {
        {u"file:///run/user/1000/quirel-pages/view-1-0.html?TopNum=30"_s, ListLink{Kind::kPage, 30, 0}},
        {u"?TopNum=-41"_s, ListLink{Kind::kPage, -41, 0}},
        {u"FAT=12&ID=7"_s, ListLink{Kind::kLocalRecord, 7, 12}},
        {u"/tmp/x/FAT=70000&ID=3x"_s, ListLink{Kind::kLocalRecord, 3, 70000}}, // no 16-bit cut
        {u"nID=-345"_s, ListLink{Kind::kServerMemo, -345, 0}},
        {u"nID=-12&TopNum=5&FAT=1&ID=2"_s, ListLink{Kind::kServerMemo, -12, 0}}, // nID= comes first
        {u"TopNum=7&FAT=1&ID=2"_s, ListLink{Kind::kPage, 7, 0}},
        {u"nID=-99999999999999"_s, ListLink{Kind::kServerMemo, std::numeric_limits<int>::min(), 0}},
        {u"nID=x"_s, ListLink{Kind::kServerMemo, 0, 0}},
        {u"FAT=5&I"_s, ListLink{Kind::kLocalRecord, 0, 5}},
        {u"FAT=5"_s, std::nullopt},
        {u"TopNumber"_s, std::nullopt},
        {u"https://example.invalid/"_s, std::nullopt},
        {u""_s, std::nullopt},
    };
    for (const auto& c : cases) {
        const std::optional<ListLink> link = DecodeListLink(c.url);
        ASSERT_EQ(link.has_value(), c.link.has_value()) << c.url.toStdString();
        if (link) {
            EXPECT_EQ(std::tie(link->kind, link->number, link->slot), std::tie(c.link->kind, c.link->number, c.link->slot))
                << c.url.toStdString();
        }
    }
}

TEST(PageFileTest, PagesAreWrittenWholeAndGoWithTheirViewOrTheirProcess)
{
    TempFolder temp;
    const QString folder = temp.Path(u"pages"_s);
    QString path;
    {
        CPageFile first(folder);
        CPageFile second(folder);
        path = first.Path();
        EXPECT_NE(first.Path(), second.Path());
        ASSERT_TRUE(first.Write(u"<html>\nあ\n"_s));
        EXPECT_EQ(ReadBytes(path), "<html>\n\xE3\x81\x82\n"); // UTF-8, no byte order mark
        // A disk that fills up during the write keeps the old page whole.
        {
            FileSizeLimit full(4);
            EXPECT_FALSE(first.Write(u"a longer page"_s));
        }
        EXPECT_EQ(ReadBytes(path), "<html>\n\xE3\x81\x82\n");
        EXPECT_EQ(QDir(folder).entryList(QDir::Files).size(), 1); // no sibling left behind
    }
    EXPECT_FALSE(QFile::exists(path));

    // Files of a process that has ended go at start-up; a running process's stay.
    QProcess ended;
    ended.start(u"true"_s);
    ASSERT_TRUE(ended.waitForStarted());
    const qint64 pid = ended.processId();
    ASSERT_TRUE(ended.waitForFinished());
    const QString stale = QDir(folder).filePath(u"view-%1-0.html"_s.arg(pid));
    WriteBytes(stale, "old");
    CPageFile live(folder);
    ASSERT_TRUE(live.Write(u"x"_s));
    WriteBytes(QDir(folder).filePath(u"notes.html"_s), "not ours");
    EXPECT_EQ(CPageFile::RemoveStale(folder), 1);
    EXPECT_FALSE(QFile::exists(stale));
    EXPECT_TRUE(QFile::exists(live.Path()));
}

} // namespace
