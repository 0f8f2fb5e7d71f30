// CSearchDialogBar: the search bar of the main window (a widget for a tool bar): "↑", "↓", the
// search box with its history, "検索" (search the open database), "ブラウザ" (web search) and the
// encoding button, which the main frame drives. The bar finds the box's text in the view's memo;
// Enter in the box is passed on to the frame (EnterPressed), which decides between 検索 and ↓.
//
// Invariants: the box's drop-down list always shows the history's items; the search restart
// flag is set from start-up and whenever the box gets the focus, and cleared by every find from
// the bar, so the first find after the user came to the box may select a match at the caret;
// "ブラウザ" is enabled exactly while the web search host makes an address, and otherwise its
// tool tip tells where to set the host.
#pragma once

#include "app/search_history.h"

#include <QPointer>
#include <QWidget>

class CQuirelView;
class QComboBox;
class QPushButton;

class CSearchDialogBar : public QWidget {
    Q_OBJECT

public:
    explicit CSearchDialogBar(QWidget* parent = nullptr);

    // The view whose memo ↑ and ↓ search (none: they only add to the history).
    void SetView(CQuirelView* view);

    QString Text() const;
    void SetText(const QString& text);
    // Puts the input focus into the search box (as the search word command does).
    void FocusSearchBox();
    // "検索" is enabled while a database is open (disabled at start).
    void SetDatabaseSearchEnabled(bool enabled);
    bool DatabaseSearchEnabled() const;
    // The web search service's host (the setting "Options/WebSearchHost", read at creation).
    void SetWebSearchHost(const QString& host);
    // The encoding button (text "UNICODE" at start); the frame handles its clicks.
    QPushButton* EncodingButton() const { return m_encoding; }
    const SearchHistory& History() const { return m_history; }
    // Writes the history when it was loaded during this run (the frame calls it when the main
    // window is destroyed).
    void SaveHistory();

public Q_SLOTS:
    // "↓": adds the text to the history, finds it forwards, and puts the focus back into the box.
    void FindDown();
    // "↑": the same backwards; a match leaves the focus in the view.
    void FindUp();
    // "検索": adds the text to the history and asks for the database search.
    void SearchDatabase();
    // "ブラウザ": adds the text to the history and opens the web search in the user's browser.
    void SearchWeb();

Q_SIGNALS:
    // Enter in the search box: the frame acts as 検索 when it is enabled, otherwise as ↓.
    void EnterPressed();
    // "検索" was pressed with these words.
    void DatabaseSearchRequested(const QString& words);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Adds the box's text to the history and shows the new list with that text selected.
    QString TakeTextIntoHistory();
    // Fills the drop-down list from the history, keeping the edit field's text.
    void ShowHistory();
    void Find(bool forward);

    QComboBox* m_box = nullptr;
    QPushButton* m_databaseSearch = nullptr;
    QPushButton* m_webSearch = nullptr;
    QString m_webSearchHost;
    QPushButton* m_encoding = nullptr;
    QPointer<CQuirelView> m_view;
    SearchHistory m_history;
    bool m_searchRestart = true;
};
