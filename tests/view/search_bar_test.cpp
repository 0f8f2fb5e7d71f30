// The search bar and its history: order, lazy loading and the 20 saved items; finds with the
// restart flag and the focus; 検索 and the web search.
#include "app/search_dialog_bar.h"

#include "browser/url_encode.h"
#include "editor/view/quirel_view.h"

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

TEST(SearchHistory, LoadsBehindNewTextsMovesTextsToTheTopAndSavesTheNewest20)
{
    QSettings().setValue(kStoredKey, "x\ny\n\nz\ntail without line feed");
    SearchHistory history;
    history.Add("y");
    history.Load();
    history.Add("z");
    history.Add("");
    EXPECT_EQ(history.Items(), QStringList({"z", "y", "x"}));

    for (int i = 0; i < 25; ++i)
        history.Add(QString::number(i));
    ASSERT_TRUE(history.Save());
    const QStringList saved = Stored().split(u'\n');
    ASSERT_EQ(saved.size(), SearchHistory::kMaxSavedItems + 1); // each item ends in a line feed
    EXPECT_EQ(saved.first(), "24");
    EXPECT_EQ(saved[19], "5");
}

class SearchBarTest : public testing::Test {
protected:
    SearchBarTest()
    {
        QSettings().remove(kStoredKey);
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(&bar);
        layout->addWidget(&view);
        window.show();
        window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
        store.LoadParagraphs({"abc abc", "abc"});
        view.ShowStore(&store);
        bar.SetView(&view);
    }

    QComboBox* Box() { return bar.findChild<QComboBox*>("searchBox"); }
    void Click(const char* button) { QTest::mouseClick(bar.findChild<QPushButton*>(button), Qt::LeftButton); }
    // The selection's start as "line:column".
    std::string Found()
    {
        const TextPosition start = view.Editor().SelectionStart();
        return QStringLiteral("%1:%2").arg(start.line).arg(start.column).toStdString();
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

    bar.FocusSearchBox();
    EXPECT_EQ(bar.History().Items(), QStringList({"abc", "old"}));
    EXPECT_EQ(Box()->itemText(1), "old");
    EXPECT_EQ(bar.Text(), "abc");
    bar.SetText("old");
    Click("findDown");
    bar.SaveHistory();
    EXPECT_EQ(Stored(), "old\nabc\n");
}

TEST_F(SearchBarTest, FindsIncludeTheCaretOnlyAfterTheBoxGotTheFocus)
{
    bar.FocusSearchBox();
    bar.SetText("abc");
    for (const char* expected : {"0:0", "0:4", "1:0", "1:0"}) {
        Click("findDown");
        EXPECT_EQ(Found(), expected);
        EXPECT_TRUE(Box()->hasFocus()) << "↓ gives the focus back to the box";
    }
    view.setFocus();
    bar.FocusSearchBox(); // coming back: a match at the selection's start counts again
    Click("findDown");
    EXPECT_EQ(Found(), "1:0");
    Click("findUp");
    EXPECT_EQ(Found(), "0:4");
    EXPECT_TRUE(view.hasFocus()) << "↑ leaves the focus in the view";
}

// Enter is checked through the main window, which decides what it does.
TEST_F(SearchBarTest, DatabaseSearchAndWebSearchTakeTheTextIntoTheHistory)
{
    QStringList searched;
    QObject::connect(&bar, &CSearchDialogBar::DatabaseSearchRequested, [&](const QString& text) { searched << text; });
    bar.FocusSearchBox();
    QTest::keyClicks(Box(), "memo");
    bar.SetDatabaseSearchEnabled(true);
    Click("databaseSearch");
    EXPECT_EQ(searched, QStringList({"memo"}));

    // Without a host ブラウザ is off and says where the host is set.
    auto* webSearch = bar.findChild<QPushButton*>("webSearch");
    EXPECT_FALSE(webSearch->isEnabled());
    EXPECT_TRUE(webSearch->toolTip().contains(QStringLiteral("オプション設定")));
    const QString host = QStringLiteral("search.example.jp");
    bar.SetWebSearchHost(host);
    ASSERT_TRUE(webSearch->isEnabled());

    QTextBrowser browser; // its anchorClicked signal stands in for the user's browser
    QList<QUrl> opened;
    QObject::connect(&browser, &QTextBrowser::anchorClicked, [&](const QUrl& url) { opened << url; });
    QDesktopServices::setUrlHandler("https", &browser, "anchorClicked");
    bar.SetText(QStringLiteral("日本 abc"));
    Click("webSearch");
    QDesktopServices::unsetUrlHandler("https");
    EXPECT_EQ(opened, QList<QUrl>({QUrl(WebSearchAddress(host, QStringLiteral("日本 abc")))}));
    EXPECT_EQ(bar.History().Items(), QStringList({QStringLiteral("日本 abc"), "memo"}));
}

} // namespace
