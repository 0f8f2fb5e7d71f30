// The list window: every link form of a page arrives whole from a click, the click leaves the
// page as it was, and the window keeps its page while hidden.
#include "browser/view/sabrel_list.h"
#include "support/temp_files.h"

#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <gmock/gmock.h>

using namespace Qt::StringLiterals;

namespace {

// Clicks the anchor whose text is `text` in the browser's viewport.
void ClickAnchor(QTextBrowser* browser, const QString& text)
{
    QTextCursor cursor = browser->document()->find(text);
    ASSERT_FALSE(cursor.isNull()) << text.toStdString();
    ASSERT_TRUE(cursor.charFormat().isAnchor()) << text.toStdString();
    cursor.setPosition(cursor.selectionStart() + 1);
    const QPoint at = browser->cursorRect(cursor).center();
    QTest::mouseClick(browser->viewport(), Qt::LeftButton, {}, at);
}

TEST(SabrelListTest, EveryLinkFormArrivesWholeAndAClickLeavesThePage)
{
    TempFolder folder;
    const QString path = folder.Path(u"view-1-0.html"_s);
    const QByteArray page = "<html>\n<body>\n<table border=0>\n"
                            "<tr>\n<td>\n<a href=?TopNum=30 target=Quirel>[next]</a></td>\n</tr>\n"
                            "<tr>\n<td>\n<b><a href=FAT=12&ID=7 target=Quirel>[ local ]</b>\n</td>\n</tr>\n"
                            "<tr>\n<td>\n<b><a href=nID=-345 target=Quirel>server memo</b>\n</td>\n</tr>\n"
                            "</table>\n</html>\n";
    WriteBytes(path, page);

    QWidget owner;
    CSabrelList list(&owner);
    ASSERT_TRUE(list.Navigate(path));
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    EXPECT_EQ(list.windowTitle(), u"データ一覧"_s);
    const QString shown = list.Browser()->toHtml();

    QSignalSpy clicked(&list, &CSabrelList::LinkClicked);
    const struct {
        QString anchor;
        ListLink::Kind kind;
        int number;
        int slot;
    } cases[] = {
        {u"[next]"_s, ListLink::Kind::kPage, 30, 0},
        {u"[ local ]"_s, ListLink::Kind::kLocalRecord, 7, 12},
        {u"server memo"_s, ListLink::Kind::kServerMemo, -345, 0},
    };
    for (const auto& c : cases) {
        clicked.clear();
        ClickAnchor(list.Browser(), c.anchor);
        EXPECT_TRUE(clicked.isEmpty()) << "posted, not sent";
        ASSERT_TRUE(clicked.wait(1000)) << c.anchor.toStdString();
        const auto link = clicked.first().first().value<ListLink>();
        EXPECT_EQ(std::tie(link.kind, link.number, link.slot), std::tie(c.kind, c.number, c.slot)) << c.anchor.toStdString();
        EXPECT_EQ(list.Browser()->toHtml(), shown) << c.anchor.toStdString();
    }
    EXPECT_EQ(ReadBytes(path), page); // the quoting stays in memory

    // Escape hides the window; it keeps its page, and Enter reads the file again.
    QTest::keyClick(list.Browser(), Qt::Key_Escape);
    EXPECT_FALSE(list.isVisible());
    EXPECT_EQ(list.Browser()->toHtml(), shown);
    list.show();
    WriteBytes(path, "<html>\n<body>\nfresh\n</html>\n");
    QTest::keyClick(list.Browser(), Qt::Key_Return);
    EXPECT_EQ(list.Browser()->toPlainText().trimmed(), u"fresh"_s);
}

TEST(SabrelListTest, OnlyUnquotedHrefValuesAreQuoted)
{
    EXPECT_EQ(CSabrelList::QuoteHrefValues(u"<a href=FAT=1&ID=2 target=Quirel>x <a href=\"q=1\">"_s),
              u"<a href=\"FAT=1&ID=2\" target=Quirel>x <a href=\"q=1\">"_s);
}

} // namespace
