// WidgetConnectPrompts: the connection's dialogs answered with widgets: CConnectBH, CBHPass,
// CSelTable, a message box titled "エラー" and the application's wait cursor.
#pragma once

#include "connect/connect_prompts.h"

#include <QPointer>
#include <QWidget>

class WidgetConnectPrompts : public ConnectPrompts {
public:
    // Dialogs open over `parent` (none: over no window).
    explicit WidgetConnectPrompts(QWidget* parent = nullptr);

    std::optional<ServerLogin> RunConnectDialog(const QString& host, const QString& user) override;
    std::optional<QString> RunPasswordDialog() override;
    int RunTableDialog(TableSelection& selection) override;
    void ShowError(const QString& text) override;
    void SetBusy(bool busy) override;

private:
    QPointer<QWidget> m_parent;
};
