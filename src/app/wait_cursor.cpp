#include "wait_cursor.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>

WaitCursor::WaitCursor()
{
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    qApp->installEventFilter(this);
}

WaitCursor::~WaitCursor()
{
    qApp->removeEventFilter(this);
    // The stack holds only identical arrows above the wait cursor, so the order of pops is free.
    for (qsizetype i = 0; i <= m_dialogsShown.size(); ++i)
        QGuiApplication::restoreOverrideCursor();
}

bool WaitCursor::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::Show && event->type() != QEvent::Hide)
        return false;
    auto* dialog = qobject_cast<QDialog*>(watched);
    if (!dialog || !dialog->isWindow())
        return false;
    if (event->type() == QEvent::Show && !m_dialogsShown.contains(dialog)) {
        m_dialogsShown.insert(dialog);
        QGuiApplication::setOverrideCursor(Qt::ArrowCursor);
    } else if (event->type() == QEvent::Hide && m_dialogsShown.remove(dialog)) {
        QGuiApplication::restoreOverrideCursor();
    }
    return false;
}
