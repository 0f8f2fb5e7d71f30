// The list requests of a view over a real document: pages for the open store, links that open
// memos after the save check, links left stale by a delete, and the read error of a cut page.
#include "browser/list_requests.h"
#include "document/quirel_doc_fixture.h"
#include "document/string_table.h"
#include "store/server_store_fixture.h"

#include <QFile>
#include <QFileInfo>

namespace {

using Outcome = CListPages::Outcome;
using Kind = ListLink::Kind;

class ListRequestsTest : public QuirelDocTest {
protected:
    QString Page() const { return QString::fromUtf8(ReadBytes(pages.PagePath())); }

    CListPages pages{doc, prompts, folder.Path(u"pages"_s)};
};

TEST_F(ListRequestsTest, LocalLinksOpenTheirRecordEvenAfterTheListWentStale)
{
    OpenDatabase({u"alpha"_s, u"beta"_s, u"gamma"_s});
    EXPECT_EQ(pages.TitleList(CListPages::kFromCurrent), Outcome::kShowPage);
    EXPECT_TRUE(Page().contains(u"[1] <b><a href=FAT=0&ID=0 target=Quirel>[ memo 1 ]</b>"_s));
    EXPECT_EQ(pages.Search(u"\u3000 "_s), Outcome::kNone) << "an empty text never lists everything";
    EXPECT_EQ(pages.Search(u"delta"_s), Outcome::kNone);
    EXPECT_EQ(pages.Search(u"BETA  "_s), Outcome::kShowPage);
    EXPECT_TRUE(Page().contains(u"[ memo 2 ]"_s));
    EXPECT_FALSE(Page().contains(u"[ memo 1 ]"_s));

    EXPECT_EQ(pages.Follow({Kind::kLocalRecord, 2, 2}), Outcome::kMemoOpened);
    EXPECT_EQ(doc.TextStore().WholeText(), u"gamma"_s);
    doc.JumpMemo(true);
    prompts.answers = {kAnswerYes};
    ASSERT_TRUE(doc.DeleteCurrentMemo()); // alpha goes: beta and gamma move up
    EXPECT_EQ(pages.Follow({Kind::kLocalRecord, 2, 2}), Outcome::kMemoOpened);
    EXPECT_EQ(doc.TextStore().WholeText(), u"gamma"_s);
    EXPECT_EQ(pages.Follow({Kind::kLocalRecord, 0, 0}), Outcome::kShowPage) << "its record is gone";
    EXPECT_TRUE(Page().contains(u"<b><a href=FAT=1&ID=0 target=Quirel>[ memo 2 ]</b>"_s));
    EXPECT_EQ(pages.Follow({Kind::kServerMemo, -1, 0}), Outcome::kNone) << "no server table open";

    // The save check runs first; cancelling it leaves everything as it was.
    Type(u"edited"_s);
    prompts.saveDialogs = {{kSaveDialogCancel}, {kSaveDialogGoOn}};
    EXPECT_EQ(pages.Follow({Kind::kPage, 0, 0}), Outcome::kNone);
    EXPECT_EQ(doc.TextStore().WholeText(), u"edited"_s);
    EXPECT_EQ(pages.Follow({Kind::kPage, 0, 0}), Outcome::kShowPage);
    EXPECT_TRUE(Page().contains(u"[2] <b><a href=FAT=2&ID=1 target=Quirel>[ memo 3 ]</b>"_s));
    EXPECT_THAT(prompts.shown, ElementsAre(MessageText(kMsgDeleteMemo), u"[保存ダイアログ] memo 3"_s, u"[保存ダイアログ] memo 3"_s));
}

TEST_F(ListRequestsTest, AnUnreadableRecordIsReportedAndThePageStillShown)
{
    const QString path = MakeDatabase({u"a"_s, u"b"_s, u"c"_s});
    ASSERT_TRUE(QFile::resize(path, QFileInfo(path).size() - 2 * CLocalDatabase::kBlockBytes));
    ASSERT_TRUE(doc.OpenLocalDatabase(path));
    Forget();
    prompts.answers = {kAnswerOk};
    EXPECT_EQ(pages.TitleList(0), Outcome::kShowPage);
    EXPECT_TRUE(Page().contains(u"[ memo 2 ]"_s)); // where the page is cut: LocalPagesTest
    EXPECT_THAT(prompts.shown, ElementsAre(u"読み込みエラーが発生しました。処理を中止します。"_s));
}

class ServerListRequestsTest : public ServerStoreTest {
protected:
    TempFolder folder;
    RecordingViews views;
    CQuirelDoc doc{prompts, views, CodePage("CP932")};
    CListPages pages{doc, prompts, folder.Path(u"pages"_s)};
};

TEST_F(ServerListRequestsTest, ServerListsStartAtTheCurrentMemoAndLinksOpenMemos)
{
    ASSERT_EQ(store.CreateTable(u"memo"_s), 1);
    Elsewhere("insert into memo (nID, Title, MainData, TheKeys) values (1, 'one', 'first', ''), (2, 'two', 'second', ''), (3, 'three', 'third', '')");
    auto server = std::make_unique<CServerStore>(prompts);
    ASSERT_EQ(server->Connect(account.user, account.password, account.user, HostField()), 1);
    server->SetTableName(u"memo"_s);
    doc.AttachServerStore(std::move(server));
    const auto page = [&] { return QString::fromUtf8(ReadBytes(pages.PagePath())); };

    EXPECT_EQ(pages.TitleList(CListPages::kFromCurrent), Outcome::kShowPage) << "a new memo: the first page";
    EXPECT_TRUE(page().startsWith(u"[前] [次]<html>\n"_s));
    EXPECT_TRUE(page().contains(u"nID=-1 "_s));
    EXPECT_EQ(pages.Follow({Kind::kServerMemo, -3, 0}), Outcome::kMemoOpened);
    EXPECT_EQ(doc.TextStore().WholeText(), u"third"_s);
    EXPECT_EQ(pages.TitleList(CListPages::kFromCurrent), Outcome::kShowPage);
    EXPECT_TRUE(page().startsWith(u"<a href=?TopNum=-1 target=Quirel>[前]</a> [次]<html>\n"_s));
    EXPECT_FALSE(page().contains(u"nID=-1 "_s));
    EXPECT_EQ(pages.Follow({Kind::kPage, -2, 0}), Outcome::kShowPage);
    EXPECT_TRUE(page().contains(u"nID=-2 "_s));
    EXPECT_FALSE(page().contains(u"nID=-1 "_s));

    EXPECT_EQ(pages.Search(u"sec"_s), Outcome::kShowPage);
    EXPECT_EQ(page(), u"<html>\n<head>\n<meta charset=\"UTF-8\" />\n</head>\n<body>\n<table border=0>\n"
                      "<tr>\n<td>\n<b><a href=nID=-2 target=Quirel>two</b>\n</td>\n</tr>\n</table>\n</html>\n"_s);
    EXPECT_EQ(pages.Follow({Kind::kLocalRecord, 0, 0}), Outcome::kNone) << "no local database open";
}

} // namespace
