// WaitCursor: the wait cursor over the program's windows for as long as the guard lives, so a
// long operation (opening or saving a big file, a relayout, printing) shows that it is busy.
// Qt offers the override cursor stack but no guard for it.
//
// Invariants: every override the guard pushes it pops, also when it is left early; while a
// dialog is shown during the operation (a question, a file or print dialog), the arrow is shown
// over it, since the user has to answer there.
#pragma once

#include <QObject>
#include <QSet>

class QWidget;

class WaitCursor : public QObject {
public:
    WaitCursor();
    ~WaitCursor() override;
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QSet<QWidget*> m_dialogsShown; // each with an arrow pushed over the wait cursor
};
