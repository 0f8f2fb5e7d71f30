// The search bar and its history: the history's order, lazy loading and the 20 saved items;
// the bar's finds with the restart flag and the focus, Enter, 検索 and the web search.
#include "app/search_dialog_bar.h"

#include "browser/url_encode.h"
#include "editor/view/quirel_view.h"

#include <QApplication>
#include <QComboBox>
#include <QDesktopServices>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <QTextBrowser>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace {

const QString kStoredKey = QStringLiteral("History/SearchStrs");

QString Stored()
{
    return QSettings().value(kStoredKey).toString();
}

class SearchHistoryTest : public testing::Test {
protected:
    SearchHistoryTest() { QSettings().remove(kStoredKey); }
};

TEST_F(SearchHistoryTest, AddingMovesATextToTheTopWithoutDuplicates)
{
    SearchHistory history;
    for (const char* text : {"a", "b", "c", "a", ""})
        history.Add(QString::fromLatin1(text));
    EXPECT_EQ(history.Items(), QStringList({"a", "c", "b"}));
}

TEST_F(SearchHistoryTest, LoadsInStoredOrderAfterNewItemsAndSavesTheNewest20)
{
    QSettings().setValue(kStoredKey, "x\ny\n\nz\ntail without line feed");
    SearchHistory history;
    history.Add("y");
    history.Load();
    history.Load(); // once per run
    EXPECT_EQ(history.Items(), QStringList({"y", "x", "z"}));

    for (int i = 0; i < 25; ++i)
        history.Add(QString::number(i));
    ASSERT_TRUE(history.Save());
    QString expected;
    for (int i = 24; i >= 5; --i)
        expected += QString::number(i) + u'\n';
    EXPECT_EQ(Stored(), expected);

    SearchHistory next;
    next.Load();
    EXPECT_EQ(next.Items().size(), SearchHistory::kMaxSavedItems);
    EXPECT_EQ(next.Items().first(), "24");
}

TEST_F(SearchHistoryTest, AHistoryNeverLoadedLeavesTheStoredOneAlone)
{
    QSettings().setValue(kStoredKey, "kept\n");
    SearchHistory history;
    history.Add("new");
    EXPECT_TRUE(history.Save());
    EXPECT_EQ(Stored(), "kept\n");
}

class SearchBarTest : public testing::Test {
protected:
    SearchBarTest()
    {
        QSettings().remove(kStoredKey);
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(&bar);
        layout->addWidget(&view);
        window.resize(1100, 700);
        window.show();
        window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
        view.SetPaper({1000, 1000, view.logicalDpiX(), view.logicalDpiY()});
        store.LoadParagraphs({"abc abc", "abc"});
        view.ShowStore(&store);
        bar.SetView(&view);
    }

    QComboBox* Box() { return bar.findChild<QComboBox*>("searchBox"); }
    QPushButton* Button(const char* name) { return bar.findChild<QPushButton*>(name); }
    void Click(const char* name) { QTest::mouseClick(Button(name), Qt::LeftButton); }
    QStringList ListItems()
    {
        QStringList items;
        for (int i = 0; i < Box()->count(); ++i)
            items << Box()->itemText(i);
        return items;
    }
    // The selection as "line:column-line:column".
    std::string Selection()
    {
        const TextEditor& editor = view.Editor();
        const TextPosition start = editor.SelectionStart();
        const TextPosition end = editor.SelectionEnd();
        return QStringLiteral("%1:%2-%3:%4").arg(start.line).arg(start.column).arg(end.line).arg(end.column).toStdString();
    }

    QWidget window;
    CSearchDialogBar bar;
    CQuirelView view;
    CTextStore store;
};

TEST_F(SearchBarTest, TheHistoryIsReadAtTheFirstFocusAndWrittenOnlyThen)
{
    QSettings().setValue(kStoredKey, "old\nabc\n");
    bar.SetText("abc");
    Click("findUp");
    bar.SaveHistory();
    EXPECT_EQ(Stored(), "old\nabc\n") << "the box never had the focus";
    EXPECT_EQ(ListItems(), QStringList({"abc"}));

    bar.FocusSearchBox();
    EXPECT_EQ(ListItems(), QStringList({"abc", "old"}));
    EXPECT_EQ(bar.Text(), "abc");
    bar.SetText("old");
    Click("findDown");
    EXPECT_EQ(ListItems(), QStringList({"old", "abc"}));
    bar.SaveHistory();
    EXPECT_EQ(Stored(), "old\nabc\n");
}

TEST_F(SearchBarTest, FindsIncludeTheCaretOnlyAfterTheBoxGotTheFocus)
{
    bar.FocusSearchBox();
    bar.SetText("abc");
    Click("findDown");
    EXPECT_EQ(Selection(), "0:0-0:3") << "a match at the caret after the box got the focus";
    EXPECT_TRUE(Box()->hasFocus()) << "↓ gives the focus back to the box";
    Click("findDown");
    EXPECT_EQ(Selection(), "0:4-0:7");
    Click("findDown");
    EXPECT_EQ(Selection(), "1:0-1:3");
    Click("findDown");
    EXPECT_EQ(Selection(), "1:0-1:3") << "nothing more found: the selection stays";

    view.setFocus();
    bar.FocusSearchBox(); // the flag is set again: the match at the selection's start counts
    Click("findDown");
    EXPECT_EQ(Selection(), "1:0-1:3");
    Click("findUp");
    EXPECT_EQ(Selection(), "0:4-0:7");
    EXPECT_TRUE(view.hasFocus()) << "↑ leaves the focus in the view";

    bar.SetText("");
    Click("findUp");
    EXPECT_EQ(Selection(), "0:4-0:7") << "an empty text finds nothing";
}

TEST_F(SearchBarTest, EnterAndDatabaseSearchArePassedOnWithTheirWords)
{
    EXPECT_FALSE(bar.DatabaseSearchEnabled());
    EXPECT_EQ(bar.EncodingButton()->text(), "UNICODE");
    int enters = 0;
    QStringList searched;
    QObject::connect(&bar, &CSearchDialogBar::EnterPressed, [&] { ++enters; });
    QObject::connect(&bar, &CSearchDialogBar::DatabaseSearchRequested, [&](const QString& words) { searched << words; });

    bar.FocusSearchBox();
    QTest::keyClicks(Box(), "memo");
    QTest::keyClick(Box(), Qt::Key_Return);
    EXPECT_EQ(enters, 1);
    EXPECT_EQ(Box()->count(), 0) << "Enter alone adds nothing to the list";

    bar.SetDatabaseSearchEnabled(true);
    Click("databaseSearch");
    EXPECT_EQ(searched, QStringList({"memo"}));
    EXPECT_EQ(ListItems(), QStringList({"memo"}));
}

TEST_F(SearchBarTest, BrowserOpensTheWebSearchForTheText)
{
    QTextBrowser receiver; // its anchorClicked signal stands in for the desktop's browser
    QList<QUrl> opened;
    QObject::connect(&receiver, &QTextBrowser::anchorClicked, [&](const QUrl& url) { opened << url; });
    const QString scheme = QUrl(WebSearchAddress({})).scheme();
    QDesktopServices::setUrlHandler(scheme, &receiver, "anchorClicked");

    bar.SetText(QStringLiteral("日本 abc"));
    Click("webSearch");
    QDesktopServices::unsetUrlHandler(scheme);
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened[0], QUrl(WebSearchAddress(QStringLiteral("日本 abc"))));
    EXPECT_EQ(opened[0].query(QUrl::FullyEncoded), "Keywords=%E6%97%A5%E6%9C%AC+abc")
        << "letters arrive decoded, which means the same to the server";
    EXPECT_EQ(ListItems(), QStringList({QStringLiteral("日本 abc")}));
}

} // namespace
