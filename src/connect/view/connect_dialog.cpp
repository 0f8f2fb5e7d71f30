// The connect dialog (see connect_dialog.h).
#include "connect_dialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

constexpr int kBoxChars = 40;

QLineEdit* AddBox(QGridLayout* layout, int row, const QString& label, const QString& text, const QString& note)
{
    auto* title = new QLabel(label);
    auto* box = new QLineEdit(text);
    box->setMinimumWidth(box->fontMetrics().averageCharWidth() * kBoxChars);
    title->setBuddy(box);
    layout->addWidget(title, row, 0);
    layout->addWidget(box, row, 1);
    auto* hint = new QLabel(note);
    hint->setWordWrap(true);
    layout->addWidget(hint, row + 1, 1);
    return box;
}

} // namespace

CConnectBH::CConnectBH(const QString& host, const QString& user, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Brindle Hub DBを開く"));
    auto* layout = new QGridLayout(this);
    // Created in tab order: password, OK, キャンセル, host, user.
    m_password = AddBox(layout, 0, QStringLiteral("パスワード(&P)"), {},
                        QStringLiteral("管理者が設定したBrindle Hub ログイン パスワード"));
    m_password->setObjectName(QStringLiteral("password"));
    m_password->setEchoMode(QLineEdit::Password);
    auto* buttons = new QDialogButtonBox;
    QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    ok->setDefault(true);
    buttons->addButton(QStringLiteral("キャンセル"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons, 0, 2, 2, 1, Qt::AlignTop);
    m_host = AddBox(layout, 2, QStringLiteral("接続先ホスト名(&H)"), host,
                    QStringLiteral("例）ユニット名.brindlehub.example　別のポートは ホスト名:ポート、"
                                   "IPv6 アドレスは [アドレス] または [アドレス]:ポート"));
    m_host->setObjectName(QStringLiteral("host"));
    m_user = AddBox(layout, 4, QStringLiteral("ユーザー名(&U)"), user,
                    QStringLiteral("管理者が設定したBrindle Hub ログイン ユーザー名"));
    m_user->setObjectName(QStringLiteral("user"));
    m_password->setFocus();
}

ServerLogin CConnectBH::Login() const
{
    return {m_host->text(), m_user->text(), m_password->text()};
}
