// The key list page built from the key table for the functions the editor carries out.
#include "editor/key_list_page.h"

#include "editor/key_table.h"

#include <gtest/gtest.h>

#include <QString>
#include <set>

namespace {

QString Page(const std::function<bool(int)>& carriedOut)
{
    return QString::fromUtf8(KeyListPage(carriedOut));
}

} // namespace

TEST(KeyListPageTest, FramesGroupsAndKeyCellsOfTheCarriedFunctions)
{
    const std::set<int> carried = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 101, 102,
        103, 106, 201, 202, 203, 204, 302, 306, 402, 601, 602, 603, 604, 610, 611, 612, 614, 615, 701,
        702, 704, 1208, 1209, 1210, 1211, 1212, 1213};
    const QString page = Page([&](int command) { return carried.contains(command); });
    EXPECT_TRUE(page.startsWith(QStringLiteral(
        "<html>\n<head>\n<meta charset=\"UTF-8\" />\n</head>\n<body>\n<center>Quirel キー割り当て"
        "<table border=1 cellpaddig=4 cellspacing=0><tr><td>機能名</td><td>Windows標準</td>"
        "<td>ダイヤモンドカーソル</td></tr><tr><td>カーソルを左へ</td>")));
    EXPECT_TRUE(page.endsWith(QStringLiteral("</tr></table></center></body></html>")));
    EXPECT_EQ(page.count(QStringLiteral("<tr>")), 1 + 45);

    // Categories 10, 3, 2, 1, 4, 5 by one function each; category 10 keeps its table order.
    qsizetype previous = -1;
    for (const char* name : {"カーソルを左へ", "下へスクロール", "ｶｰｿﾙ移動なしの改行", "先頭へジャンプ",
             "文字検索", "データを保存", "前のデータへ", "データ検索"}) {
        const qsizetype at = page.indexOf(QString::fromUtf8(name));
        EXPECT_GT(at, previous) << name;
        previous = at;
    }

    // No key in a first row gives " N/A ", then the blank and the second row's keys; two-stroke
    // sequences are joined without a separator.
    for (const char* row : {"<tr><td>カーソルを左へ</td><td>← </td><td>← Ctrl+S</td></tr>",
             "<tr><td>下へスクロール</td><td> N/A  </td><td>Ctrl+W </td></tr>",
             "<tr><td>削除</td><td> N/A  </td><td> N/A  </td></tr>",
             "<tr><td>コピー </td><td>Ctrl+C Ctrl+Insert</td><td>Ctrl+Insert Ctrl+KCtrl+K</td></tr>"})
        EXPECT_TRUE(page.contains(QString::fromUtf8(row))) << row;
}

TEST(KeyListPageTest, ShowsOnlyCarriedFunctionsOutsideCategoryNine)
{
    EXPECT_EQ(Page([](int) { return false; }).count(QStringLiteral("<tr>")), 1);

    qsizetype shown = 0;
    const auto rows = KeyAssignmentTable();
    for (std::size_t i = 0; i < rows.size(); i += 2)
        shown += rows[i].category != 9;
    EXPECT_EQ(Page([](int) { return true; }).count(QStringLiteral("<tr>")), 1 + shown);
}
