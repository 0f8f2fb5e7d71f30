// CSabrelList: the list window "データ一覧", a modeless, resizable window owned by an editor view.
// It shows a list page file and turns a click on one of the page's links into LinkClicked for
// the view; the page shown never changes on a click (links are trapped, never followed).
// Enter shows the file again; Escape and the close box hide the window, which keeps its page.
//
// The page's href values are unquoted on disk, and the HTML reader ends an unquoted value at
// "=" ("FAT=12&ID=7" would arrive as "FAT"), so the values are quoted in memory before the
// page is shown; the file keeps its bytes.
#pragma once

#include "browser/list_link.h"

#include <QDialog>

class QTextBrowser;
class QUrl;

class CSabrelList : public QDialog {
    Q_OBJECT

public:
    explicit CSabrelList(QWidget* owner);

    // Remembers the page file and shows it. False (the page shown stays) when it cannot be read.
    bool Navigate(const QString& path);
    // Shows the remembered page file again.
    void Reload();
    const QString& CurrentPath() const { return m_path; }
    QTextBrowser* Browser() const { return m_browser; }

    // `html` with every unquoted href value put between double quotes.
    static QString QuoteHrefValues(const QString& html);

Q_SIGNALS:
    // Posted: it arrives after the click's own handling has returned.
    void LinkClicked(const ListLink& link);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void OnAnchorClicked(const QUrl& url);

    QString m_path;
    QTextBrowser* m_browser = nullptr;
};
