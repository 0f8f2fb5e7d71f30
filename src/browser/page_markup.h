// The markup that every list page shares, local or server. Pages are written exactly as other
// programs reading the page files have always seen them: unquoted href values, record anchors
// closed only by the end of the bold element, one line feed per line, no carriage returns.
#pragma once

#include <QString>
#include <QStringView>
#include <optional>

// Rows of a title list page.
constexpr int kListPageRows = 30;

// A page built in memory, before it is written.
struct ListPage {
    QString html;
    int rows = 0;     // record rows written
    bool cut = false; // a local record could not be read; the rows stop before it
};

// "<html>" up to the opening of the table.
QString PageHead();
// Every "<" as "&lt;", then every ">" as "&gt;"; nothing else ("&" and quotes pass).
QString EscapeAngles(QString text);
// "<b><a href=LINK target=Quirel>TITLE</b>\n": the record link of a row.
QString RecordAnchor(const QString& link, const QString& title);
// A paging link "<a href=?TopNum=VALUE target=Quirel>LABEL</a>", or LABEL alone without a value.
QString PagingLink(const QString& label, const std::optional<QString>& value);
