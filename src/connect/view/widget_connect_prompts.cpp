// The connection's dialogs as widgets (see widget_connect_prompts.h).
#include "widget_connect_prompts.h"

#include "connect/table_selection.h"
#include "connect/view/connect_dialog.h"
#include "connect/view/password_dialog.h"
#include "connect/view/sel_table.h"

#include <QApplication>
#include <QMessageBox>

WidgetConnectPrompts::WidgetConnectPrompts(QWidget* parent) : m_parent(parent) {}

std::optional<ServerLogin> WidgetConnectPrompts::RunConnectDialog(const QString& host, const QString& user)
{
    CConnectBH dialog(host, user, m_parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.Login();
}

std::optional<QString> WidgetConnectPrompts::RunPasswordDialog()
{
    CBHPass dialog(m_parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.Password();
}

int WidgetConnectPrompts::RunTableDialog(TableSelection& selection)
{
    CSelTable dialog(selection, m_parent);
    dialog.exec();
    return selection.Result().value_or(TableSelection::kCancel);
}

void WidgetConnectPrompts::ShowError(const QString& text)
{
    QMessageBox box(QMessageBox::Critical, QStringLiteral("エラー"), text, QMessageBox::NoButton, m_parent);
    box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box.exec();
}

void WidgetConnectPrompts::SetBusy(bool busy)
{
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}
