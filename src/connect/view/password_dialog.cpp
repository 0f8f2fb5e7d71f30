// The password dialog (see password_dialog.h).
#include "password_dialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

CBHPass::CBHPass(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("パスワード入力"));
    auto* layout = new QHBoxLayout(this);
    auto* label = new QLabel(QStringLiteral("パスワード(&P)"));
    m_password = new QLineEdit;
    m_password->setObjectName(QStringLiteral("password"));
    m_password->setEchoMode(QLineEdit::Password);
    m_password->setMaxLength(kMaxPasswordChars);
    m_password->setMinimumWidth(m_password->fontMetrics().averageCharWidth() * 30);
    label->setBuddy(m_password);
    auto* buttons = new QDialogButtonBox;
    buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(QStringLiteral("キャンセル"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(label);
    layout->addWidget(m_password);
    layout->addWidget(buttons);
    m_password->setFocus();
}

QString CBHPass::Password() const
{
    return m_password->text();
}
