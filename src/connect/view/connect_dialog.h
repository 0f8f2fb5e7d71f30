// CConnectBH: the connect dialog "Brindle Hub DBを開く": password, host and user boxes. The
// focus starts in the password box, because host and user are normally filled in already; OK
// hands on the three boxes as typed.
#pragma once

#include "connect/connect_prompts.h"

#include <QDialog>

class QLineEdit;

class CConnectBH : public QDialog {
    Q_OBJECT

public:
    CConnectBH(const QString& host, const QString& user, QWidget* parent = nullptr);

    // The boxes as typed: no trimming, no checks.
    ServerLogin Login() const;

private:
    QLineEdit* m_password = nullptr;
    QLineEdit* m_host = nullptr;
    QLineEdit* m_user = nullptr;
};
