// Builds the key list page from the key assignment table, two rows (one function) at a time.
#include "editor/key_list_page.h"

#include "editor/key_table.h"

#include <QString>
#include <array>

namespace {

constexpr std::array kCategoryOrder = {10, 3, 2, 1, 4, 5, 6, 7, 8, 0};
constexpr int kCategories = 11;

// A key or a two-stroke sequence, the two keys joined without a separator.
QString BindingText(int key1, int key2)
{
    return key2 == 0 ? KeyText(key1) : KeyText(key1) + KeyText(key2);
}

// One layout's cell: the named row's keys (" N/A " when it has none), a blank, the second row's.
QString KeysCell(int key1, int key2, int moreKey1, int moreKey2)
{
    QString first = BindingText(key1, key2);
    if (first.isEmpty())
        first = QStringLiteral(" N/A ");
    return QStringLiteral("<td>") + first + u' ' + BindingText(moreKey1, moreKey2)
        + QStringLiteral("</td>");
}

} // namespace

QByteArray KeyListPage(const std::function<bool(int)>& carriedOut)
{
    std::array<QString, kCategories> categoryRows;
    const auto rows = KeyAssignmentTable();
    for (std::size_t i = 0; i + 1 < rows.size(); i += 2) {
        const KeyRow& named = rows[i];
        const KeyRow& more = rows[i + 1];
        if (!carriedOut(named.command))
            continue;
        categoryRows[named.category] += QStringLiteral("<tr><td>")
            + QString::fromUtf16(named.name) + QStringLiteral("</td>")
            + KeysCell(named.windowsKey1, named.windowsKey2, more.windowsKey1, more.windowsKey2)
            + KeysCell(named.diamondKey1, named.diamondKey2, more.diamondKey1, more.diamondKey2)
            + QStringLiteral("</tr>");
    }

    // The misspelt "cellpaddig" is part of the page as it has always been written.
    QString page = QStringLiteral(
        "<html>\n<head>\n<meta charset=\"UTF-8\" />\n</head>\n<body>\n<center>Quirel キー割り当て"
        "<table border=1 cellpaddig=4 cellspacing=0>"
        "<tr><td>機能名</td><td>Windows標準</td><td>ダイヤモンドカーソル</td></tr>");
    for (int category : kCategoryOrder)
        page += categoryRows[category];
    page += QStringLiteral("</table></center></body></html>");
    return page.toUtf8();
}
